#include "product/CRegKeyReader.h"

#include <cstring>

namespace {

const DWORD kValueBufferSize = 512;

}  // namespace

CRegKeyReader::CRegKeyReader() : m_hKey(nullptr) {}

CRegKeyReader::~CRegKeyReader() { Close(); }

int CRegKeyReader::Open(HKEY hKeyRoot, const CString& strSubKey) {
    Close();
    if (RegOpenKeyExA(hKeyRoot, strSubKey, 0, KEY_READ, &m_hKey) != ERROR_SUCCESS) {
        m_hKey = nullptr;
        return 0;
    }
    return 1;
}

int CRegKeyReader::Open(HKEY hKeyRoot, LPCSTR lpszSubKey) { return Open(hKeyRoot, CString(lpszSubKey)); }

// The text ends at its first zero byte, and never beyond the size the query gave: a value
// stored without a terminating zero is cut there (and at 511 characters at most). An empty
// text, whether stored as no bytes or as a lone zero, is no value: the default.
CString CRegKeyReader::QueryString(HKEY hKeyRoot, LPCSTR lpszSubKey, LPCSTR lpszValueName, CString strDefault) {
    if (!Open(hKeyRoot, lpszSubKey)) return strDefault;
    BYTE buffer[kValueBufferSize];
    DWORD cbData = kValueBufferSize;
    if (RegQueryValueExA(m_hKey, lpszValueName, nullptr, nullptr, buffer, &cbData) != ERROR_SUCCESS || cbData == 0)
        return strDefault;
    size_t cbMax = cbData < kValueBufferSize ? cbData : kValueBufferSize - 1;
    const char* text = reinterpret_cast<const char*>(buffer);
    size_t length = strnlen(text, cbMax);
    return length == 0 ? strDefault : CString(text, (int)length);
}

LSTATUS CRegKeyReader::Close() {
    if (!m_hKey) return ERROR_SUCCESS;
    LSTATUS status = RegCloseKey(m_hKey);
    m_hKey = nullptr;
    return status;
}
