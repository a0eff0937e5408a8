// CRegKeyReader: reads one text value of a registry key, with a default for every failure.
// Internal to the module; used as a local object that closes its key when it goes.
#ifndef DAVRIXDB_PRODUCT_CREGKEYREADER_H
#define DAVRIXDB_PRODUCT_CREGKEYREADER_H

#include <davrixfw/CString.h>
#include <davrixfw/Registry.h>

class CRegKeyReader {
public:
    CRegKeyReader();
    ~CRegKeyReader();  // closes the key
    CRegKeyReader(const CRegKeyReader&) = delete;
    CRegKeyReader& operator=(const CRegKeyReader&) = delete;

    // Opens the subkey for reading into m_hKey (a key open before is closed first).
    // 1 when opened, 0 otherwise (m_hKey null).
    int Open(HKEY hKeyRoot, const CString& strSubKey);
    int Open(HKEY hKeyRoot, LPCSTR lpszSubKey);

    // The text of a value, at most 511 characters, or strDefault when the key does not
    // open, the value is missing, empty (no bytes or a lone zero) or does not fit 512
    // bytes. The key stays open whenever it opened.
    CString QueryString(HKEY hKeyRoot, LPCSTR lpszSubKey, LPCSTR lpszValueName, CString strDefault);

    // Closes m_hKey and nulls it; the registry's status (ERROR_SUCCESS when none was open).
    LSTATUS Close();

    HKEY m_hKey;
};

#endif
