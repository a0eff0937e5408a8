#include "SystemOdbcIni.h"

#include <davrixfw/WinText.h>
#include <odbcinst.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace davrix {

const char SystemOdbcIni::kSources[] = "odbc.ini";
const char SystemOdbcIni::kDrivers[] = "odbcinst.ini";

namespace {

std::mutex g_modeLock;

// unixODBC cuts configuration lines at 1000 characters, so no name or value is longer.
const int kMaxLine = 1000;
const size_t kListStart = 16 * 1024;
const size_t kListMax = 16 * 1024 * 1024;

}  // namespace

SystemOdbcIni::SystemOdbcIni() : m_lock(g_modeLock) { SQLSetConfigMode(ODBC_SYSTEM_DSN); }

SystemOdbcIni::~SystemOdbcIni() { SQLSetConfigMode(ODBC_BOTH_DSN); }

// unixODBC stops listing at the first name that no longer fits and gives no sign of it,
// so a list that comes within one name of the end is read again with a larger buffer.
std::vector<std::string> SystemOdbcIni::Sections(const char* file) const {
    std::vector<std::string> names;
    for (size_t size = kListStart; size <= kListMax; size *= 2) {
        std::vector<char> buf(size + 2, '\0');  // two spare zeros end the walk below in any case
        SQLGetPrivateProfileString(nullptr, nullptr, "", buf.data(), (int)size, file);
        names.clear();
        size_t pos = 0;
        while (pos < size && buf[pos]) {
            size_t len = strnlen(&buf[pos], size - pos);
            names.emplace_back(&buf[pos], len);
            pos += len + 1;
        }
        if (pos + kMaxLine + 2 < size) break;
    }
    return names;
}

bool SystemOdbcIni::FindSection(const char* file, const char* name, std::string* pRealName) const {
    if (!name || !*name) return false;
    for (const std::string& section : Sections(file)) {
        if (lstrcmpiA(section.c_str(), name) == 0) {
            if (pRealName) *pRealName = section;
            return true;
        }
    }
    return false;
}

// unixODBC's value cache is keyed by the default text among others, so a default of our
// own per read never matches a cached entry; the same default tells an absent key apart.
bool SystemOdbcIni::Value(const char* file, const std::string& section, const char* key,
                          std::string* pValue) const {
    if (!key || !*key || section.empty()) return false;
    static std::atomic<unsigned long long> s_reads{0};
    char absent[48];
    snprintf(absent, sizeof absent, "\x01\x02" "davrix-absent-%llu\x02", ++s_reads);

    char buf[2 * kMaxLine + 2] = {};
    int ret = SQLGetPrivateProfileString(section.c_str(), key, absent, buf, (int)sizeof buf - 1, file);
    if (ret < 0 || strcmp(buf, absent) == 0) return false;
    if (pValue) pValue->assign(buf, strnlen(buf, sizeof buf - 1));
    return true;
}

}  // namespace davrix
