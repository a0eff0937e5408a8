// CDBException: a database failure. m_strError holds the driver's messages (one line per
// diagnostic record) in the application's code page; m_strStateNativeOrigin holds one
// "State:%s,Native:%ld,Origin:%s" entry per record. m_strSqlState is the first record's
// SQLSTATE, so callers can tell a constraint violation (23xxx) from a lost link (08xxx).
#ifndef DAVRIXFW_CDBEXCEPTION_H
#define DAVRIXFW_CDBEXCEPTION_H

#include "CException.h"

class CDBException : public CException {
    DECLARE_DYNAMIC(CDBException)
public:
    explicit CDBException(SQLRETURN nRetCode = SQL_ERROR);
    ~CDBException() override;

    // Collects every diagnostic record of the handle (may be null: then only the return code).
    void BuildErrorString(SQLSMALLINT nHandleType, SQLHANDLE hHandle);
    BOOL GetErrorMessage(char* lpszError, UINT nMaxError) const override;

    SQLRETURN m_nRetCode;
    CString m_strError;
    CString m_strStateNativeOrigin;
    CString m_strSqlState;
    LONG m_nNativeError = 0;
};

// Raises a CDBException built from the handle's diagnostics.
[[noreturn]] void AfxThrowDBException(SQLRETURN nRetCode, SQLSMALLINT nHandleType, SQLHANDLE hHandle);
// Raises a CDBException of the layer itself: a SQLSTATE and a message in the application's code page.
[[noreturn]] void AfxThrowDBException(const char* pszSqlState, const char* pszMessage);

#endif
