// CFileException: a failed file operation; m_cause is one of the causes below and
// m_lOsError the errno that the system reported.
#ifndef DAVRIXFW_CFILEEXCEPTION_H
#define DAVRIXFW_CFILEEXCEPTION_H

#include "CException.h"

class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14
    };
    CFileException(int cause = none, LONG lOsError = -1, const char* pszFileName = nullptr);
    ~CFileException() override;
    BOOL GetErrorMessage(char* lpszError, UINT nMaxError) const override;
    // Maps an errno value to a cause.
    static int OsErrorToException(LONG lOsError);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1, const char* pszFileName = nullptr);

#endif
