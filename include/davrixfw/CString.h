// CString: a text of 8-bit characters in the application's code page (GBK by default).
//
// The storage has a capacity apart from the length: GetBuffer(n) makes room for at least
// n characters plus a terminating zero, GetAllocLength() reports the capacity (without the
// terminator), ReleaseBuffer() takes the new length from the terminator or the argument.
// A newly constructed empty text has capacity 0. Texts own their storage; copies are deep.
#ifndef DAVRIXFW_CSTRING_H
#define DAVRIXFW_CSTRING_H

#include "WinTypes.h"
#include <cstdarg>

class CString {
public:
    CString();
    CString(const CString& other);
    CString(CString&& other) noexcept;
    CString(const char* psz);                 // null counts as empty text
    CString(const char* pch, int nLength);    // exactly nLength bytes, may hold zeros
    CString(char ch, int nRepeat = 1);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* psz);
    CString& operator=(char ch);
    CString& operator+=(const CString& other);
    CString& operator+=(const char* psz);
    CString& operator+=(char ch);

    int GetLength() const { return m_nLength; }
    BOOL IsEmpty() const { return m_nLength == 0; }
    void Empty();                              // length 0; the capacity is released too
    char GetAt(int nIndex) const;              // nIndex must lie in [0, length)
    void SetAt(int nIndex, char ch);
    char operator[](int nIndex) const { return GetAt(nIndex); }
    operator const char*() const { return m_pchData; }
    const char* GetString() const { return m_pchData; }

    int Compare(const char* psz) const;        // strcmp order; null counts as empty
    int CompareNoCase(const char* psz) const;  // ASCII letters folded
    int Find(char ch, int nStart = 0) const;   // -1 when absent
    int Find(const char* pszSub, int nStart = 0) const;
    int ReverseFind(char ch) const;

    CString Left(int nCount) const;            // counts are clamped to [0, length]
    CString Right(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;

    // Change ASCII letters only; the second byte of a GBK double-byte character is skipped.
    void MakeUpper();
    void MakeLower();
    void TrimLeft();
    void TrimRight();
    int Replace(const char* pszOld, const char* pszNew);

    void Format(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* pszFormat, va_list args);

    // Storage access. GetBuffer never shrinks the capacity; the buffer holds the current
    // text. ReleaseBuffer(-1) takes the length up to the first zero byte within capacity.
    char* GetBuffer(int nMinBufLength);
    char* GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);
    int GetAllocLength() const { return m_nAlloc; }

private:
    void Assign(const char* pch, int nLength);
    void Reserve(int nCapacity);               // grows, keeps the text
    char* m_pchData;                           // never null; points at a shared "" when m_nAlloc is 0
    int m_nLength;
    int m_nAlloc;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char b);
bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, const char* b);
bool operator==(const char* a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, const char* b);
bool operator!=(const char* a, const CString& b);
bool operator<(const CString& a, const CString& b);

#endif
