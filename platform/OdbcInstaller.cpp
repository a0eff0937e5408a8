#include <davrixfw/OdbcInstaller.h>
#include <davrixfw/OdbcConfig.h>
#include <davrixfw/WinText.h>

#include "IniFile.h"
#include "SystemOdbcIni.h"

#include <odbcinst.h>

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

std::atomic<bool> g_available{true};

// A request's attribute list, taken apart and checked before anything is written.
struct Request {
    std::string dsn;
    std::vector<std::pair<std::string, std::string>> attributes;  // in list order, without DSN and DRIVER
};

std::string TrimBlanks(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// Walks the zero-separated entries up to the empty one. The first DSN entry names the data
// source, so that an entry smuggled in through a later text cannot redirect the request.
// False when a keyword or value could not be written without breaking odbc.ini.
bool ParseAttributes(LPCSTR lpszAttributes, Request* pRequest) {
    bool haveDsn = false;
    for (const char* entry = lpszAttributes; *entry; entry += strlen(entry) + 1) {
        const char* eq = strchr(entry, '=');
        if (!eq) continue;
        std::string keyword = TrimBlanks(std::string(entry, eq));
        std::string value(eq + 1);
        if (keyword.empty()) continue;
        if (!davrix::IniFile::IsSafeKey(keyword) || !davrix::IniFile::IsSafeValue(value)) return false;
        if (lstrcmpiA(keyword.c_str(), "DSN") == 0) {
            if (!haveDsn) pRequest->dsn = value;
            haveDsn = true;
        } else if (lstrcmpiA(keyword.c_str(), "DRIVER") != 0) {
            pRequest->attributes.emplace_back(keyword, value);
        }
    }
    return true;
}

// A name that unixODBC accepts as a data source and that a listing of odbc.ini shows again.
bool IsValidDsn(const std::string& dsn) {
    return davrix::IniFile::IsSafeName(dsn) && dsn.find_first_of("[]") == std::string::npos &&
           SQLValidDSN(dsn.c_str()) && lstrcmpiA(dsn.c_str(), "ODBC Data Sources") != 0;
}

// The registered spelling of a driver name of odbcinst.ini ([ODBC] holds the driver
// manager's settings, not a driver).
bool FindDriver(const davrix::SystemOdbcIni& ini, LPCSTR lpszDriver, std::string* pName) {
    if (!lpszDriver || lstrcmpiA(lpszDriver, "ODBC") == 0) return false;
    return ini.FindSection(davrix::SystemOdbcIni::kDrivers, lpszDriver, pName);
}

// unixODBC refuses every system-mode write while the system odbc.ini is missing.
bool EnsureSourcesFile() {
    std::string dir = davrix::OdbcConfig::SystemDir();
    if (dir.empty()) return false;
    int fd = open((dir + "/" + davrix::SystemOdbcIni::kSources).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    close(fd);
    return true;
}

// Writes the section anew; a failed attribute write removes the section again, so no
// half-written data source stays behind.
BOOL AddDataSource(const davrix::SystemOdbcIni& ini, const std::string& driver, const Request& request) {
    if (!EnsureSourcesFile()) return FALSE;
    if (!SQLWriteDSNToIni(request.dsn.c_str(), driver.c_str())) return FALSE;
    for (const auto& a : request.attributes) {
        if (!SQLWritePrivateProfileString(request.dsn.c_str(), a.first.c_str(), a.second.c_str(),
                                          davrix::SystemOdbcIni::kSources)) {
            SQLRemoveDSNFromIni(request.dsn.c_str());
            return FALSE;
        }
    }
    return ini.FindSection(davrix::SystemOdbcIni::kSources, request.dsn.c_str(), nullptr) ? TRUE : FALSE;
}

// unixODBC reports success also for a data source that is not there; the caller must
// learn that nothing was removed, so existence is checked before and after.
BOOL RemoveDataSource(const davrix::SystemOdbcIni& ini, const Request& request) {
    std::string section;
    if (!ini.FindSection(davrix::SystemOdbcIni::kSources, request.dsn.c_str(), &section)) return FALSE;
    if (!SQLRemoveDSNFromIni(section.c_str())) return FALSE;
    return ini.FindSection(davrix::SystemOdbcIni::kSources, section.c_str(), nullptr) ? FALSE : TRUE;
}

}  // namespace

BOOL AfxConfigDataSource(HWND hwndParent, WORD fRequest, LPCSTR lpszDriver, LPCSTR lpszAttributes) {
    if (!g_available) return FALSE;
    if (fRequest != ODBC_ADD_SYS_DSN && fRequest != ODBC_REMOVE_SYS_DSN) return FALSE;
    if (!lpszDriver || !*lpszDriver || !lpszAttributes) return FALSE;
    Request request;
    if (!ParseAttributes(lpszAttributes, &request) || !IsValidDsn(request.dsn)) return FALSE;

    davrix::SystemOdbcIni ini;
    std::string driver;
    if (!FindDriver(ini, lpszDriver, &driver)) return FALSE;
    return fRequest == ODBC_ADD_SYS_DSN ? AddDataSource(ini, driver, request) : RemoveDataSource(ini, request);
}

void AfxSetInstallerAvailable(BOOL bAvailable) { g_available = bAvailable != FALSE; }
