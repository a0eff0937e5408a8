#include "FaultImporter.h"

#include "DeviceLookup.h"
#include "GbkText.h"
#include "RecordAccess.h"
#include "ToolError.h"

#include <davrixdb/tables/CTblFault.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <sys/stat.h>

namespace davrix {
namespace tool {

namespace {

bool EndsWithNoCase(const std::string& s, const char* suffix) {
    size_t n = strlen(suffix);
    return s.size() > n && strcasecmp(s.c_str() + s.size() - n, suffix) == 0;
}

// Sorted names of a folder's entries; false with errno's text when it cannot be read.
bool ListFolder(const std::string& path, std::vector<std::string>* names, std::string* why) {
    DIR* d = opendir(path.c_str());
    if (!d) {
        *why = strerror(errno);
        return false;
    }
    while (struct dirent* e = readdir(d)) {
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) names->push_back(e->d_name);
    }
    closedir(d);
    std::sort(names->begin(), names->end());
    return true;
}

void Walk(const std::string& root, const std::string& relative, std::vector<std::string>* found,
          std::vector<FaultImporter::Problem>* problems) {
    std::vector<std::string> names;
    std::string why;
    std::string path = relative.empty() ? root : root + "/" + relative;
    if (!ListFolder(path, &names, &why)) {
        if (relative.empty()) throw ToolError("cannot read folder " + DisplayGbk(root) + ": " + why);
        problems->push_back({DisplayGbk(relative) + "/", "cannot read folder: " + why});
        return;
    }
    for (const std::string& name : names) {
        std::string rel = relative.empty() ? name : relative + "/" + name;
        struct stat st;
        if (lstat((root + "/" + rel).c_str(), &st) != 0) continue;
        // Linked folders are not followed: a link back up would never end.
        if (S_ISDIR(st.st_mode)) {
            Walk(root, rel, found, problems);
        } else if (EndsWithNoCase(name, ".cfg") && stat((root + "/" + rel).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            found->push_back(rel);
        }
    }
}

// The data file beside a header: the same name with .dat in the header's letter case
// first, then in the other.
bool FindDataFile(const std::string& cfgPath, std::string* datPath, struct stat* st) {
    std::string stem = cfgPath.substr(0, cfgPath.size() - 3);
    bool upper = cfgPath.compare(cfgPath.size() - 3, 3, "CFG") == 0;
    for (const char* ext : upper ? std::vector<const char*>{"DAT", "dat"} : std::vector<const char*>{"dat", "DAT"}) {
        *datPath = stem + ext;
        if (stat(datPath->c_str(), st) == 0) return true;
    }
    *datPath = stem + (upper ? "DAT" : "dat");
    return false;
}

bool SameTime(const TIMESTAMP_STRUCT& a, const TIMESTAMP_STRUCT& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second && a.fraction == b.fraction;
}

std::string Gbk(const CString& s) { return std::string(s.GetString(), s.GetLength()); }
CString ToCString(const std::string& s) { return CString(s.data(), (int)s.size()); }

}  // namespace

FaultImporter::FaultImporter(std::string root, bool setArea, std::string areaGbk)
    : m_root(std::move(root)), m_setArea(setArea), m_area(std::move(areaGbk)) {
    while (m_root.size() > 1 && m_root.back() == '/') m_root.pop_back();
}

std::string FaultImporter::Summary::Text() const {
    std::string text = "stored " + std::to_string(stored) + ", updated " + std::to_string(updated) + ", unchanged " +
                       std::to_string(unchanged) + ", skipped " + std::to_string(skipped);
    if (devicesAdded) text += "; " + std::to_string(devicesAdded) + " new device" + (devicesAdded == 1 ? "" : "s");
    return text;
}

std::vector<std::string> FaultImporter::FindRecords(std::vector<Problem>* problems) const {
    std::vector<std::string> found;
    Walk(m_root, std::string(), &found, problems);
    return found;
}

bool FaultImporter::Prepare(const std::string& rel, Prepared* out, Problem* problem) const {
    std::string shown = DisplayGbk(rel);
    auto fail = [&](int line, const std::string& reason) {
        problem->where = line > 0 ? shown + ":" + std::to_string(line) : shown;
        problem->reason = reason;
        return false;
    };
    std::string path = m_root + "/" + rel;

    std::string why;
    if (!ExternalToGbk(rel, &out->file, &why)) return fail(0, "file name: " + why);
    if (out->file.size() > 255) return fail(0, "file name longer than the 255 bytes (GBK) a fault record's name holds");

    struct stat st;
    if (stat(path.c_str(), &st) != 0) return fail(0, std::string("cannot read: ") + strerror(errno));
    if (st.st_size > kMaxHeaderBytes) return fail(1, "header larger than 16 MiB");
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buf;
    buf << in.rdbuf();
    if (!in && !in.eof()) return fail(0, "cannot read the header");
    std::string text = buf.str();

    int line = 0;
    if (!ComtradeHeader::Parse(text, &out->header, &line, &why)) return fail(line, why);

    // The whole header decides its encoding: UTF-8 when all of it is valid UTF-8.
    bool utf8 = IsValidUtf8(text);
    struct Text {
        const std::string& raw;
        std::string* gbk;
        const char* what;
        size_t maxBytes;
    };
    const Text texts[] = {
        {out->header.stationName, &out->station, "station name", 255},
        {out->header.deviceId, &out->device, "recording device id", 255},
    };
    for (const Text& t : texts) {
        bool ok = utf8 ? Convert("UTF-8", "GBK", t.raw, t.gbk) : IsValidGbk(t.raw);
        if (!utf8) *t.gbk = t.raw;
        if (!ok)
            return fail(
                1, std::string(t.what) + (utf8 ? " has a character with no GBK form" : " is neither UTF-8 nor GBK"));
        if (t.gbk->size() > t.maxBytes)
            return fail(1, std::string(t.what) + " longer than " + std::to_string(t.maxBytes) + " bytes (GBK)");
    }

    std::string datPath;
    if (!FindDataFile(path, &datPath, &st))
        return fail(out->header.fileTypeLine,
                    "data file " + DisplayGbk(datPath.substr(m_root.size() + 1)) + " missing");
    if (!S_ISREG(st.st_mode))
        return fail(out->header.fileTypeLine,
                    "data file " + DisplayGbk(datPath.substr(m_root.size() + 1)) + " is not a file");
    if (st.st_size > INT32_MAX) return fail(out->header.fileTypeLine, "data file larger than 2 GiB");
    out->dataSize = (LONG)st.st_size;
    return true;
}

FaultImporter::Outcome FaultImporter::Store(const Prepared& r, Summary* summary) {
    LONG nid;
    auto known = m_devices.find(r.device);
    if (known != m_devices.end()) {
        nid = known->second;
    } else {
        bool added = false;
        nid = FindOrAddDevice(r.device, r.station, &added);
        if (added) ++summary->devicesAdded;
        m_devices[r.device] = nid;
    }

    TIMESTAMP_STRUCT trigger{};
    trigger.year = (SQLSMALLINT)r.header.trigger.year;
    trigger.month = (SQLUSMALLINT)r.header.trigger.month;
    trigger.day = (SQLUSMALLINT)r.header.trigger.day;
    trigger.hour = (SQLUSMALLINT)r.header.trigger.hour;
    trigger.minute = (SQLUSMALLINT)r.header.trigger.minute;
    trigger.second = (SQLUSMALLINT)r.header.trigger.second;
    LONG ms = r.header.trigger.Millisecond();

    // Load the row of that file, so columns the import does not know keep their values.
    CTblFault fault;
    bool exists = LoadRecord(fault, TextFilter("[FFILE]", r.file));
    if (exists && fault.m_valNID == nid && SameTime(fault.m_valFTIME, trigger) && fault.m_valFMS == ms &&
        fault.m_valFSIZE == r.dataSize && Gbk(fault.m_valFDESCR) == r.station &&
        (!m_setArea || Gbk(fault.m_valFAREA) == m_area))
        return Outcome::Unchanged;

    fault.m_valFFILE = ToCString(r.file);
    fault.m_valNID = nid;
    fault.m_valFTIME = trigger;
    fault.m_valFMS = ms;
    fault.m_valFSIZE = r.dataSize;
    fault.m_valFDESCR = ToCString(r.station);
    if (m_setArea) fault.m_valFAREA = ToCString(m_area);
    SaveRecord(fault, DisplayGbk(r.file));
    return exists ? Outcome::Updated : Outcome::Stored;
}

void FaultImporter::Run(Summary* summary, const std::function<void(const Problem&)>& report,
                        const std::function<void(size_t, size_t, const std::string&)>& progress) {
    std::vector<Problem> problems;
    std::vector<std::string> records = FindRecords(&problems);
    for (const Problem& p : problems) {
        report(p);
        ++summary->skipped;
    }
    for (size_t i = 0; i < records.size(); ++i) {
        progress(i, records.size(), records[i]);
        Prepared record;
        Problem problem;
        if (!Prepare(records[i], &record, &problem)) {
            report(problem);
            ++summary->skipped;
            continue;
        }
        switch (Store(record, summary)) {
            case Outcome::Stored:
                ++summary->stored;
                break;
            case Outcome::Updated:
                ++summary->updated;
                break;
            case Outcome::Unchanged:
                ++summary->unchanged;
                break;
        }
    }
    progress(records.size(), records.size(), std::string());
}

}  // namespace tool
}  // namespace davrix
