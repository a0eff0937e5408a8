#include "ComtradeHeader.h"

#include <charconv>
#include <cstring>
#include <strings.h>

namespace davrix {
namespace tool {

namespace {

// The first fault of a header: thrown inside the parser, caught by Parse.
struct Malformed {
    int line;
    std::string reason;
};

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// Header text for a message: at most 40 bytes, control and 8-bit bytes as '?'.
std::string Quote(const std::string& s) {
    std::string shown;
    for (size_t i = 0; i < s.size() && i < 40; ++i) {
        unsigned char c = (unsigned char)s[i];
        shown += (c < 0x20 || c >= 0x7F) ? '?' : (char)c;
    }
    if (s.size() > 40) shown += "...";
    return "'" + shown + "'";
}

class Lines {
public:
    // Splits at LF (a CR before it dropped); refuses NUL bytes and over-long lines.
    explicit Lines(const std::string& text) {
        size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // a UTF-8 byte-order mark
        int number = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(start, end - start);
            ++number;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.find('\0') != std::string::npos) throw Malformed{number, "binary data (a NUL byte) in the header"};
            if (line.size() > ComtradeHeader::kMaxLineBytes)
                throw Malformed{number, "line longer than " + std::to_string(ComtradeHeader::kMaxLineBytes) + " bytes"};
            m_lines.push_back(line);
            start = end + 1;
        }
        // Blank lines at the end carry nothing.
        while (!m_lines.empty() && Trim(m_lines.back()).empty()) m_lines.pop_back();
    }

    bool AtEnd() const { return m_next >= m_lines.size(); }
    int Number() const { return (int)m_next; }  // of the line last taken
    // The next line split into trimmed fields; exactly `count` of them.
    std::vector<std::string> Take(const char* what, size_t count) {
        std::vector<std::string> f = TakeAny(what);
        if (f.size() != count)
            Fail(std::string(what) + ": expected " + std::to_string(count) + " fields, found " +
                 std::to_string(f.size()));
        return f;
    }
    std::vector<std::string> TakeAny(const char* what) {
        if (AtEnd()) throw Malformed{(int)m_lines.size() + 1, std::string("header ends early: expected ") + what};
        const std::string& line = m_lines[m_next++];
        std::vector<std::string> fields;
        size_t start = 0;
        for (;;) {
            size_t comma = line.find(',', start);
            fields.push_back(Trim(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        return fields;
    }
    [[noreturn]] void Fail(const std::string& reason) const { throw Malformed{Number(), reason}; }

private:
    std::vector<std::string> m_lines;
    size_t m_next = 0;
};

bool AllDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

long long Integer(const Lines& in, const std::string& field, const char* what, long long min, long long max) {
    long long v = 0;
    const char* b = field.data();
    const char* e = b + field.size();
    if (b != e && *b == '+') ++b;
    auto r = std::from_chars(b, e, v);
    if (field.empty() || r.ec != std::errc() || r.ptr != e)
        in.Fail(std::string(what) + ": " + Quote(field) + " is not a whole number");
    if (v < min || v > max)
        in.Fail(std::string(what) + " " + std::to_string(v) + " out of range " + std::to_string(min) + ".." +
                std::to_string(max));
    return v;
}

// Decimal notation only (from_chars also reads "inf" and "nan", which no header means).
double Real(const Lines& in, const std::string& field, const char* what) {
    bool digit = false, bad = field.empty();
    for (char c : field) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (!strchr("+-.eE", c))
            bad = true;
    }
    double v = 0;
    const char* b = field.data();
    const char* e = b + field.size();
    if (b != e && *b == '+') ++b;
    auto r = std::from_chars(b, e, v);
    if (bad || !digit || r.ec != std::errc() || r.ptr != e)
        in.Fail(std::string(what) + ": " + Quote(field) + " is not a number");
    return v;
}

// "TT", "##A", "##D": a count with its letter.
long long Count(const Lines& in, std::string field, char letter, const char* what) {
    if (field.empty() || (field.back() != letter && field.back() != letter + ('a' - 'A')))
        in.Fail(std::string(what) + ": " + Quote(field) + " should be a number followed by '" + letter + "'");
    field.pop_back();
    return Integer(in, Trim(field), what, 0, 999999);
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysIn(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

// dd/mm/yyyy,hh:mm:ss.ssssss (1999, 2013) or mm/dd/yy,hh:mm:ss.ssssss (1991).
ComtradeTime DateTime(Lines& in, int revision, const char* what) {
    std::vector<std::string> f = in.Take(what, 2);
    const char* dateForm = revision == 1991 ? "mm/dd/yy" : "dd/mm/yyyy";
    std::vector<std::string> d;
    for (size_t start = 0;;) {
        size_t slash = f[0].find('/', start);
        d.push_back(f[0].substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    if (d.size() != 3 || !AllDigits(d[0]) || !AllDigits(d[1]) || !AllDigits(d[2]) || d[0].size() > 2 ||
        d[1].size() > 2 || (d[2].size() != 4 && !(revision == 1991 && d[2].size() == 2)))
        in.Fail(std::string(what) + ": date " + Quote(f[0]) + " is not " + dateForm);
    ComtradeTime t;
    int first = std::stoi(d[0]), second = std::stoi(d[1]);
    t.day = revision == 1991 ? second : first;
    t.month = revision == 1991 ? first : second;
    t.year = std::stoi(d[2]);
    if (d[2].size() == 2) t.year += t.year >= 70 ? 1900 : 2000;  // two-digit years: 1970 to 2069
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysIn(t.year, t.month))
        in.Fail(std::string(what) + ": no such date " + Quote(f[0]) + " (" + dateForm + ")");

    const std::string& clock = f[1];
    size_t c1 = clock.find(':'), c2 = c1 == std::string::npos ? c1 : clock.find(':', c1 + 1);
    size_t dot = c2 == std::string::npos ? c2 : clock.find('.', c2 + 1);
    std::string hh = clock.substr(0, c1);
    std::string mm = c1 == std::string::npos ? "" : clock.substr(c1 + 1, c2 - c1 - 1);
    std::string ss = c2 == std::string::npos ? "" : clock.substr(c2 + 1, dot == std::string::npos ? dot : dot - c2 - 1);
    std::string frac = dot == std::string::npos ? "" : clock.substr(dot + 1);
    if (!AllDigits(hh) || !AllDigits(mm) || !AllDigits(ss) || hh.size() > 2 || mm.size() != 2 || ss.size() != 2 ||
        (dot != std::string::npos && (!AllDigits(frac) || frac.size() > 9)))
        in.Fail(std::string(what) + ": time " + Quote(clock) + " is not hh:mm:ss.ssssss");
    t.hour = std::stoi(hh);
    t.minute = std::stoi(mm);
    t.second = std::stoi(ss);
    if (t.hour > 23 || t.minute > 59 || t.second > 59)
        in.Fail(std::string(what) + ": no such time of day " + Quote(clock));
    std::string nanos = frac + std::string(9 - frac.size(), '0');
    t.nanosecond = std::stol(nanos);
    return t;
}

void ParseInto(Lines& in, ComtradeHeader& h) {
    // station_name,rec_dev_id[,rev_year]
    std::vector<std::string> f = in.TakeAny("station_name,rec_dev_id,rev_year");
    if (f.size() == 2 || (f.size() == 3 && f[2].empty())) {
        h.revision = 1991;
    } else if (f.size() == 3) {
        if (f[2] != "1991" && f[2] != "1999" && f[2] != "2013")
            in.Fail("unknown revision year " + Quote(f[2]) + " (1991, 1999 or 2013)");
        h.revision = std::stoi(f[2]);
    } else {
        in.Fail("station_name,rec_dev_id,rev_year: expected 2 or 3 fields, found " + std::to_string(f.size()));
    }
    h.stationName = f[0];
    h.deviceId = f[1];
    if (h.deviceId.empty()) in.Fail("the recording device id (rec_dev_id) is empty");

    f = in.Take("TT,##A,##D", 3);
    long long total = Integer(in, f[0], "total channel count", 0, 999999);
    h.analogChannels = (int)Count(in, f[1], 'A', "analog channel count");
    h.digitalChannels = (int)Count(in, f[2], 'D', "digital channel count");
    if (total != (long long)h.analogChannels + h.digitalChannels)
        in.Fail("channel counts do not add up: " + std::to_string(total) + " is not " +
                std::to_string(h.analogChannels) + "A + " + std::to_string(h.digitalChannels) + "D");

    const bool old = h.revision == 1991;
    for (int i = 0; i < h.analogChannels; ++i) {
        f = in.Take(old ? "analog channel An,ch_id,ph,ccbm,uu,a,b,skew,min,max"
                        : "analog channel An,ch_id,ph,ccbm,uu,a,b,skew,min,max,primary,secondary,PS",
                    old ? 10 : 13);
        Integer(in, f[0], "analog channel index", 1, h.analogChannels);
        Real(in, f[5], "channel multiplier a");
        Real(in, f[6], "channel offset b");
        Real(in, f[7], "channel skew");
        Real(in, f[8], "channel min");
        Real(in, f[9], "channel max");
        if (!old) {
            Real(in, f[10], "primary ratio");
            Real(in, f[11], "secondary ratio");
            if (strcasecmp(f[12].c_str(), "P") != 0 && strcasecmp(f[12].c_str(), "S") != 0)
                in.Fail("PS: " + Quote(f[12]) + " should be P or S");
        }
    }
    for (int i = 0; i < h.digitalChannels; ++i) {
        f = in.Take(old ? "status channel Dn,ch_id,y" : "status channel Dn,ch_id,ph,ccbm,y", old ? 3 : 5);
        Integer(in, f[0], "status channel index", 1, h.digitalChannels);
        Integer(in, f.back(), "normal state y", 0, 1);
    }

    f = in.Take("line frequency lf", 1);
    h.lineFrequency = Real(in, f[0], "line frequency");
    if (h.lineFrequency < 0) in.Fail("line frequency is negative");

    f = in.Take("nrates", 1);
    long long nrates = Integer(in, f[0], "number of sampling rates", 0, 999);
    long long previous = 0;
    for (long long i = 0; i < (nrates == 0 ? 1 : nrates); ++i) {
        f = in.Take("samp,endsamp", 2);
        double rate = Real(in, f[0], "sampling rate");
        long long last = Integer(in, f[1], "last sample number", 0, 9999999999LL);
        if (rate < 0) in.Fail("sampling rate is negative");
        if (nrates > 0 && (rate == 0 || last <= previous))
            in.Fail("sampling rate " + Quote(f[0]) + " up to sample " + std::to_string(last) + " is not usable");
        previous = last;
        h.rates.push_back({rate, (long)last});
    }

    h.firstSample = DateTime(in, h.revision, "time of the first sample");
    h.trigger = DateTime(in, h.revision, "trigger time");

    f = in.Take("file type", 1);
    h.fileTypeLine = in.Number();
    for (const char* type : {"ASCII", "BINARY", "BINARY32", "FLOAT32"})
        if (strcasecmp(f[0].c_str(), type) == 0) h.fileType = type;
    if (h.fileType.empty()) in.Fail("file type " + Quote(f[0]) + " is not ASCII, BINARY, BINARY32 or FLOAT32");

    // Later lines were added by the 1999 and 2013 revisions; writers often leave them out.
    if (old || in.AtEnd()) return;
    f = in.Take("timemult", 1);
    h.timeMultiplier = Real(in, f[0], "time multiplier");
    if (h.timeMultiplier <= 0) in.Fail("time multiplier must be greater than 0");
    if (h.revision != 2013 || in.AtEnd()) return;
    in.Take("time_code,local_code", 2);
    if (in.AtEnd()) return;
    f = in.Take("tmq_code,leapsec", 2);
    Integer(in, f[1], "leap second indicator", 0, 3);
}

}  // namespace

bool ComtradeHeader::Parse(const std::string& text, ComtradeHeader* out, int* errorLine, std::string* reason) {
    *out = ComtradeHeader();
    try {
        Lines lines(text);
        ParseInto(lines, *out);
        return true;
    } catch (const Malformed& m) {
        if (errorLine) *errorLine = m.line;
        if (reason) *reason = m.reason;
        return false;
    }
}

}  // namespace tool
}  // namespace davrix
