#include <davrixfw/CString.h>
#include <davrixfw/CMemoryException.h>

#include "Mbcs.h"

#include <cassert>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

using davrix::mbcs::CharLen;
using davrix::mbcs::IsLeadByte;

namespace {

// Every text without storage points here; never written (GetBuffer allocates before it
// hands out a pointer), so it always holds "".
char s_chNil[1] = {0};

bool IsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Length of a zero-terminated text that must fit an int; null counts as empty.
int SafeLength(const char* psz) {
    if (!psz) return 0;
    size_t n = strlen(psz);
    if (n > (size_t)INT_MAX - 1) AfxThrowMemoryException();
    return (int)n;
}

// Sum of two lengths, raising CMemoryException when it cannot be represented.
int AddLengths(int a, int b) {
    if (b > INT_MAX - 1 - a) AfxThrowMemoryException();
    return a + b;
}

// Capacity for nNeeded characters: half again the current one when that is more, so
// repeated appends stay linear.
int GrowTo(int nNeeded, int nAlloc) {
    int nGrow = nAlloc / 2;
    if (nAlloc > INT_MAX - 1 - nGrow) return nNeeded;
    return nNeeded > nAlloc + nGrow ? nNeeded : nAlloc + nGrow;
}

// Index of the first match of pSub (nSub bytes) at a character boundary at or after
// nStart, or -1. The scan steps over double-byte characters so a trail byte never matches.
int FindAt(const char* p, int n, int nStart, const char* pSub, int nSub) {
    if (nStart < 0) nStart = 0;
    if (nStart > n) return -1;
    for (int i = nStart; i + nSub <= n; i += (int)CharLen(p, (size_t)i, (size_t)n))
        if (memcmp(p + i, pSub, (size_t)nSub) == 0) return i;
    return -1;
}

}  // namespace

CString::CString() : m_pchData(s_chNil), m_nLength(0), m_nAlloc(0) {}

CString::CString(const CString& other) : CString() { Assign(other.m_pchData, other.m_nLength); }

CString::CString(CString&& other) noexcept : m_pchData(other.m_pchData), m_nLength(other.m_nLength), m_nAlloc(other.m_nAlloc) {
    other.m_pchData = s_chNil;
    other.m_nLength = 0;
    other.m_nAlloc = 0;
}

CString::CString(const char* psz) : CString() { Assign(psz, SafeLength(psz)); }

CString::CString(const char* pch, int nLength) : CString() {
    if (pch && nLength > 0) Assign(pch, nLength);
}

CString::CString(char ch, int nRepeat) : CString() {
    if (nRepeat <= 0) return;
    Reserve(nRepeat);
    memset(m_pchData, ch, (size_t)nRepeat);
    m_pchData[nRepeat] = 0;
    m_nLength = nRepeat;
}

CString::~CString() {
    if (m_pchData != s_chNil) free(m_pchData);
}

CString& CString::operator=(const CString& other) {
    if (this != &other) Assign(other.m_pchData, other.m_nLength);
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    if (this != &other) {
        if (m_pchData != s_chNil) free(m_pchData);
        m_pchData = other.m_pchData;
        m_nLength = other.m_nLength;
        m_nAlloc = other.m_nAlloc;
        other.m_pchData = s_chNil;
        other.m_nLength = 0;
        other.m_nAlloc = 0;
    }
    return *this;
}

CString& CString::operator=(const char* psz) {
    Assign(psz, SafeLength(psz));
    return *this;
}

CString& CString::operator=(char ch) {
    Assign(&ch, 1);
    return *this;
}

CString& CString::operator+=(const CString& other) {
    // other may be this text: its bytes are read only after Reserve has moved them.
    int nOther = other.m_nLength;
    if (nOther == 0) return *this;
    int nNew = AddLengths(m_nLength, nOther);
    if (nNew > m_nAlloc) Reserve(GrowTo(nNew, m_nAlloc));
    memmove(m_pchData + m_nLength, other.m_pchData, (size_t)nOther);
    m_nLength = nNew;
    m_pchData[m_nLength] = 0;
    return *this;
}

CString& CString::operator+=(const char* psz) {
    int n = SafeLength(psz);
    if (n == 0) return *this;
    // A pointer into this text would dangle once Reserve moves the storage.
    if (psz >= m_pchData && psz <= m_pchData + m_nAlloc) return *this += CString(psz, n);
    int nNew = AddLengths(m_nLength, n);
    if (nNew > m_nAlloc) Reserve(GrowTo(nNew, m_nAlloc));
    memcpy(m_pchData + m_nLength, psz, (size_t)n);
    m_nLength = nNew;
    m_pchData[m_nLength] = 0;
    return *this;
}

CString& CString::operator+=(char ch) { return *this += CString(&ch, 1); }

void CString::Empty() {
    if (m_pchData != s_chNil) free(m_pchData);
    m_pchData = s_chNil;
    m_nLength = 0;
    m_nAlloc = 0;
}

char CString::GetAt(int nIndex) const {
    assert(nIndex >= 0 && nIndex < m_nLength);
    if (nIndex < 0 || nIndex >= m_nLength) return 0;
    return m_pchData[nIndex];
}

void CString::SetAt(int nIndex, char ch) {
    assert(nIndex >= 0 && nIndex < m_nLength);
    if (nIndex < 0 || nIndex >= m_nLength) return;
    m_pchData[nIndex] = ch;
}

int CString::Compare(const char* psz) const { return strcmp(m_pchData, psz ? psz : ""); }

int CString::CompareNoCase(const char* psz) const { return davrix::mbcs::CompareNoCase(m_pchData, psz); }

int CString::Find(char ch, int nStart) const { return FindAt(m_pchData, m_nLength, nStart, &ch, 1); }

int CString::Find(const char* pszSub, int nStart) const {
    if (!pszSub) return -1;
    return FindAt(m_pchData, m_nLength, nStart, pszSub, SafeLength(pszSub));
}

int CString::ReverseFind(char ch) const {
    int found = -1;
    for (int i = 0; i < m_nLength; i += (int)CharLen(m_pchData, (size_t)i, (size_t)m_nLength))
        if (m_pchData[i] == ch) found = i;
    return found;
}

CString CString::Left(int nCount) const {
    if (nCount < 0) nCount = 0;
    if (nCount > m_nLength) nCount = m_nLength;
    return CString(m_pchData, nCount);
}

CString CString::Right(int nCount) const {
    if (nCount < 0) nCount = 0;
    if (nCount > m_nLength) nCount = m_nLength;
    return CString(m_pchData + m_nLength - nCount, nCount);
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, m_nLength); }

CString CString::Mid(int nFirst, int nCount) const {
    if (nFirst < 0) nFirst = 0;
    if (nFirst > m_nLength) nFirst = m_nLength;
    if (nCount < 0) nCount = 0;
    if (nCount > m_nLength - nFirst) nCount = m_nLength - nFirst;
    return CString(m_pchData + nFirst, nCount);
}

void CString::MakeUpper() {
    for (int i = 0; i < m_nLength;) {
        unsigned char c = (unsigned char)m_pchData[i];
        if (IsLeadByte(c) && i + 1 < m_nLength) {
            i += 2;
            continue;
        }
        if (c >= 'a' && c <= 'z') m_pchData[i] = (char)(c - 32);
        ++i;
    }
}

void CString::MakeLower() {
    for (int i = 0; i < m_nLength;) {
        unsigned char c = (unsigned char)m_pchData[i];
        if (IsLeadByte(c) && i + 1 < m_nLength) {
            i += 2;
            continue;
        }
        if (c >= 'A' && c <= 'Z') m_pchData[i] = (char)(c + 32);
        ++i;
    }
}

void CString::TrimLeft() {
    int n = 0;
    while (n < m_nLength && IsSpace((unsigned char)m_pchData[n])) ++n;
    if (n == 0) return;
    memmove(m_pchData, m_pchData + n, (size_t)(m_nLength - n + 1));
    m_nLength -= n;
}

void CString::TrimRight() {
    // Trail bytes are 0x40 or above, so a white-space byte is never part of a double-byte character.
    int n = m_nLength;
    while (n > 0 && IsSpace((unsigned char)m_pchData[n - 1])) --n;
    if (n == m_nLength) return;
    m_nLength = n;
    m_pchData[n] = 0;
}

int CString::Replace(const char* pszOld, const char* pszNew) {
    int nOld = SafeLength(pszOld);
    if (nOld == 0) return 0;
    // Both arguments may point into this text: build the result apart, then take it.
    CString sNew(pszNew);
    CString sOld(pszOld, nOld);
    CString result;
    int count = 0;
    int from = 0;
    for (int at; (at = FindAt(m_pchData, m_nLength, from, sOld.m_pchData, nOld)) >= 0; from = at + nOld) {
        result += CString(m_pchData + from, at - from);
        result += sNew;
        ++count;
    }
    if (count == 0) return 0;
    result += CString(m_pchData + from, m_nLength - from);
    *this = std::move(result);
    return count;
}

void CString::Format(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

// Formats into fresh storage first: an argument may be this very text. An encoding error
// of vsnprintf leaves the text empty.
void CString::FormatV(const char* pszFormat, va_list args) {
    if (!pszFormat) {
        Empty();
        return;
    }
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n <= 0) {
        if (m_nAlloc > 0) m_pchData[0] = 0;
        m_nLength = 0;
        return;
    }
    if (n > INT_MAX - 1) AfxThrowMemoryException();
    CString result;
    result.Reserve(n);
    vsnprintf(result.m_pchData, (size_t)n + 1, pszFormat, args);
    result.m_nLength = n;
    *this = std::move(result);
}

char* CString::GetBuffer(int nMinBufLength) {
    // A text without storage gets some, so the caller never writes into the shared "".
    if (nMinBufLength < 1 && m_nAlloc == 0) nMinBufLength = 1;
    if (nMinBufLength > m_nAlloc) Reserve(nMinBufLength);
    return m_pchData;
}

char* CString::GetBufferSetLength(int nNewLength) {
    if (nNewLength < 0) nNewLength = 0;
    GetBuffer(nNewLength);
    m_nLength = nNewLength;
    m_pchData[nNewLength] = 0;
    return m_pchData;
}

void CString::ReleaseBuffer(int nNewLength) {
    if (m_nAlloc == 0) {
        m_nLength = 0;
        return;
    }
    if (nNewLength < 0)
        nNewLength = (int)strnlen(m_pchData, (size_t)m_nAlloc);
    else if (nNewLength > m_nAlloc)
        nNewLength = m_nAlloc;
    m_nLength = nNewLength;
    m_pchData[nNewLength] = 0;
}

// Copies nLength bytes; pch may point into this text.
void CString::Assign(const char* pch, int nLength) {
    if (nLength <= 0 || !pch) {
        if (m_nAlloc > 0) m_pchData[0] = 0;
        m_nLength = 0;
        return;
    }
    if (nLength > m_nAlloc) {
        char* p = (char*)malloc((size_t)nLength + 1);
        if (!p) AfxThrowMemoryException();
        memcpy(p, pch, (size_t)nLength);
        if (m_pchData != s_chNil) free(m_pchData);
        m_pchData = p;
        m_nAlloc = nLength;
    } else {
        memmove(m_pchData, pch, (size_t)nLength);
    }
    m_nLength = nLength;
    m_pchData[nLength] = 0;
}

// Grows the storage to nCapacity characters plus the terminator; raises
// CMemoryException and leaves the text as it was when memory cannot be had.
void CString::Reserve(int nCapacity) {
    if (nCapacity <= m_nAlloc) return;
    if (nCapacity > INT_MAX - 1) AfxThrowMemoryException();
    char* p = (char*)malloc((size_t)nCapacity + 1);
    if (!p) AfxThrowMemoryException();
    memcpy(p, m_pchData, (size_t)m_nLength + 1);
    if (m_pchData != s_chNil) free(m_pchData);
    m_pchData = p;
    m_nAlloc = nCapacity;
}

CString operator+(const CString& a, const CString& b) {
    CString s(a);
    s += b;
    return s;
}
CString operator+(const CString& a, const char* b) {
    CString s(a);
    s += b;
    return s;
}
CString operator+(const char* a, const CString& b) {
    CString s(a);
    s += b;
    return s;
}
CString operator+(const CString& a, char b) {
    CString s(a);
    s += b;
    return s;
}

bool operator==(const CString& a, const CString& b) {
    return a.GetLength() == b.GetLength() && memcmp(a.GetString(), b.GetString(), (size_t)a.GetLength()) == 0;
}
bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, const char* b) { return !(a == b); }
bool operator!=(const char* a, const CString& b) { return !(a == b); }
bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
