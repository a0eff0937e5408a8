// The registry calls of the original platform, read-only, over unixODBC's configuration.
//
// Only one part of the registry exists here: HKEY_LOCAL_MACHINE\software\odbc\odbc.ini\<name>,
// the system data source <name> of unixODBC's system odbc.ini ($ODBCSYSINI/odbc.ini, else
// /etc/odbc.ini). The path and the data-source name compare without regard to letter case,
// as the registry's do. Data sources of a single user (~/.odbc.ini, $ODBCINI) are never seen.
// Every other path and root gives ERROR_FILE_NOT_FOUND.
//
// A value is read afresh on every query: a change to odbc.ini (by this process or another)
// shows at once. The "Driver" value is the driver's library file, as on the original
// platform: a registered driver name in odbc.ini is resolved through odbcinst.ini; a value
// that already is a path, or a name that is not registered, is given as stored.
#ifndef DAVRIXFW_REGISTRY_H
#define DAVRIXFW_REGISTRY_H

#include "WinTypes.h"

#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)    // holds nothing here
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002u)

#define KEY_QUERY_VALUE 0x0001
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_READ 0x20019
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200

#define REG_NONE 0
#define REG_SZ 1

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_MORE_DATA 234L

// Opens a key for reading. On success *phkResult is a handle the caller closes with
// RegCloseKey; on failure it is null. Access beyond reading gives ERROR_ACCESS_DENIED.
LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, HKEY* phkResult);

// Reads a text value (REG_SZ) of an open key: the text and its terminating zero into lpData,
// *lpcbData the byte count including the zero. A buffer that is too small gets nothing and
// the result ERROR_MORE_DATA with the needed size in *lpcbData; a null lpData asks for the
// size only. lpReserved must be null. A missing value gives ERROR_FILE_NOT_FOUND.
LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                         LPBYTE lpData, LPDWORD lpcbData);

// Releases a handle from RegOpenKeyExA; ERROR_INVALID_HANDLE for anything else (also a
// handle that was closed already). Closing a predefined root does nothing.
LSTATUS RegCloseKey(HKEY hKey);

#endif
