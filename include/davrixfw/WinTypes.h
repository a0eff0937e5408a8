// Basic types of the original platform, built on what the ODBC headers already define
// (BOOL, BYTE, WORD, DWORD, LPCSTR, LPSTR, LPDWORD, HWND, HINSTANCE, TIMESTAMP_STRUCT).
#ifndef DAVRIXFW_WINTYPES_H
#define DAVRIXFW_WINTYPES_H

#include <sql.h>
#include <sqlext.h>
#include <cstddef>
#include <cstdint>

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// LONG is 32 bits on the original platform; record members and stored keys rely on it.
typedef int32_t LONG;
typedef unsigned int UINT;
typedef void* HGLOBAL;
typedef void* HKEY;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef BYTE* LPBYTE;
typedef LONG LSTATUS;
typedef DWORD REGSAM;

static_assert(sizeof(DWORD) == 4, "DWORD must be 32 bits");
static_assert(sizeof(WORD) == 2, "WORD must be 16 bits");
static_assert(sizeof(LONG) == 4, "LONG must be 32 bits");

#endif
