// The registry path and installer attribute lists that the data-source functions build,
// each in a 512-byte buffer of its own. Internal to the module.
#ifndef DAVRIXDB_PRODUCT_DATASOURCELIST_H
#define DAVRIXDB_PRODUCT_DATASOURCELIST_H

#include <davrixfw/WinTypes.h>

#include <cstddef>

namespace davrix {
namespace dsn {

const size_t kBufferSize = 512;
typedef char Buffer[kBufferSize];

// Every function below takes null texts as empty. On false the buffer holds no usable
// text (it may hold a part) and *pLength is left alone.

// "software\odbc\odbc.ini\" followed by the name and a zero byte; *pLength counts the zero.
// False for a name longer than 488 characters.
bool BuildRegistryPath(LPCSTR lpszDSN, Buffer& buf, size_t* pLength);

// "DSN=<name>", then two zero bytes; *pLength counts both. False for a name longer than
// 506 characters.
bool BuildRemoveList(LPCSTR lpszDSN, Buffer& buf, size_t* pLength);

// "DSN=%s? DESCRIPTION=%s? DBQ=%s? FIL=MicrosoftAccess??" filled with name, description and
// path, every '?' up to the terminating zero made a zero byte: the list ends with three
// zero bytes, all counted in *pLength. A '?' inside the description splits it into a
// further entry. False when the three texts are longer than 464 characters together, or
// when the name or the path holds a '?' (it would register another name or file).
bool BuildAccessDsnList(LPCSTR lpszDSN, LPCSTR lpszPath, LPCSTR lpszDescription, Buffer& buf, size_t* pLength);

}  // namespace dsn
}  // namespace davrix

#endif
