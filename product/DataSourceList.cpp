#include "product/DataSourceList.h"

#include <cstdio>
#include <cstring>

namespace davrix {
namespace dsn {

namespace {

const char* Text(LPCSTR psz) { return psz ? psz : ""; }

// Characters of the Access list besides the three texts, without its terminating zero.
const size_t kAccessFixed = 47;
const char kSourcesPath[] = "software\\odbc\\odbc.ini\\";

}  // namespace

bool BuildRegistryPath(LPCSTR lpszDSN, Buffer& buf, size_t* pLength) {
    const char* name = Text(lpszDSN);
    size_t nPath = sizeof kSourcesPath - 1;
    size_t nName = strlen(name);
    if (nName > kBufferSize - 1 - nPath) return false;
    memcpy(buf, kSourcesPath, nPath);
    memcpy(buf + nPath, name, nName + 1);
    *pLength = nPath + nName + 1;
    return true;
}

bool BuildRemoveList(LPCSTR lpszDSN, Buffer& buf, size_t* pLength) {
    const char* name = Text(lpszDSN);
    if (strlen(name) > kBufferSize - 6) return false;  // "DSN=" and two zero bytes
    int n = snprintf(buf, kBufferSize, "DSN=%s", name);
    buf[n + 1] = '\0';
    *pLength = (size_t)n + 2;
    return true;
}

bool BuildAccessDsnList(LPCSTR lpszDSN, LPCSTR lpszPath, LPCSTR lpszDescription, Buffer& buf, size_t* pLength) {
    const char* name = Text(lpszDSN);
    const char* path = Text(lpszPath);
    const char* description = Text(lpszDescription);
    if (strchr(name, '?') || strchr(path, '?')) return false;
    size_t nTexts = strlen(name) + strlen(path) + strlen(description);
    if (nTexts > kBufferSize - 1 - kAccessFixed) return false;
    int n = snprintf(buf, kBufferSize, "DSN=%s? DESCRIPTION=%s? DBQ=%s? FIL=MicrosoftAccess??", name, description,
                     path);
    for (int i = 0; i < n; ++i)
        if (buf[i] == '?') buf[i] = '\0';
    *pLength = (size_t)n + 1;
    return true;
}

}  // namespace dsn
}  // namespace davrix
