#include <davrixfw/Registry.h>
#include <davrixfw/WinText.h>

#include "SystemOdbcIni.h"

#include <cstring>
#include <mutex>
#include <string>
#include <unordered_set>

namespace {

// Where the original platform keeps the system data sources, under HKEY_LOCAL_MACHINE.
const char kSourcesPath[] = "software\\odbc\\odbc.ini\\";
const size_t kSourcesPathLength = sizeof kSourcesPath - 1;  // 23

const REGSAM kAllowedAccess = KEY_READ | KEY_WOW64_64KEY | KEY_WOW64_32KEY;

// An open key: the data source's section name as odbc.ini spells it.
struct OpenKey {
    std::string section;
};

// Handles given out and not yet closed, so that a stale or foreign handle is refused
// instead of being followed.
std::mutex g_keysLock;
std::unordered_set<const void*> g_keys;

bool IsRoot(HKEY hKey) { return hKey == HKEY_LOCAL_MACHINE || hKey == HKEY_CURRENT_USER; }

// The section of an open key; false for a handle that is not open.
bool SectionOf(HKEY hKey, std::string* pSection) {
    std::lock_guard<std::mutex> guard(g_keysLock);
    if (g_keys.count(hKey) == 0) return false;
    *pSection = static_cast<const OpenKey*>(hKey)->section;
    return true;
}

// What the original platform's "Driver" value holds: the driver's library file. A driver
// name resolves through odbcinst.ini; a path, or a name not registered, stays as it is.
std::string DriverLibrary(const davrix::SystemOdbcIni& ini, const std::string& stored) {
    if (stored.empty() || stored.find_first_of("/\\") != std::string::npos) return stored;
    std::string library;
    if (ini.Value(davrix::SystemOdbcIni::kDrivers, stored, "Driver", &library) && !library.empty()) return library;
    return stored;
}

}  // namespace

LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, HKEY* phkResult) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    if ((samDesired & ~kAllowedAccess) != 0) return ERROR_ACCESS_DENIED;
    if (hKey != HKEY_LOCAL_MACHINE || !lpSubKey) return ERROR_FILE_NOT_FOUND;
    if (strlen(lpSubKey) <= kSourcesPathLength) return ERROR_FILE_NOT_FOUND;
    if (lstrcmpiA(std::string(lpSubKey, kSourcesPathLength).c_str(), kSourcesPath) != 0) return ERROR_FILE_NOT_FOUND;
    const char* name = lpSubKey + kSourcesPathLength;
    if (strchr(name, '\\')) return ERROR_FILE_NOT_FOUND;  // no keys below a data source here

    std::string section;
    {
        davrix::SystemOdbcIni ini;
        if (!ini.FindSection(davrix::SystemOdbcIni::kSources, name, &section)) return ERROR_FILE_NOT_FOUND;
    }
    OpenKey* key = new OpenKey{section};
    {
        std::lock_guard<std::mutex> guard(g_keysLock);
        g_keys.insert(key);
    }
    *phkResult = static_cast<HKEY>(key);
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                         LPDWORD lpcbData) {
    if (IsRoot(hKey)) return ERROR_FILE_NOT_FOUND;  // the roots hold no values here
    std::string section;
    if (!SectionOf(hKey, &section)) return ERROR_INVALID_HANDLE;
    if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
    // The unnamed (default) value is never set on a data source.
    if (!lpValueName || !*lpValueName) return ERROR_FILE_NOT_FOUND;

    std::string value;
    {
        davrix::SystemOdbcIni ini;
        if (!ini.Value(davrix::SystemOdbcIni::kSources, section, lpValueName, &value)) return ERROR_FILE_NOT_FOUND;
        if (lstrcmpiA(lpValueName, "Driver") == 0) value = DriverLibrary(ini, value);
    }

    DWORD cbNeeded = (DWORD)value.size() + 1;  // values are at most a configuration line long
    if (lpType) *lpType = REG_SZ;
    if (lpData) {
        if (*lpcbData < cbNeeded) {
            *lpcbData = cbNeeded;
            return ERROR_MORE_DATA;
        }
        memcpy(lpData, value.c_str(), cbNeeded);
    }
    if (lpcbData) *lpcbData = cbNeeded;
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY hKey) {
    if (IsRoot(hKey)) return ERROR_SUCCESS;
    {
        std::lock_guard<std::mutex> guard(g_keysLock);
        if (g_keys.erase(hKey) == 0) return ERROR_INVALID_HANDLE;
    }
    delete static_cast<OpenKey*>(hKey);
    return ERROR_SUCCESS;
}
