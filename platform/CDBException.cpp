#include <davrixfw/CDBException.h>

#include <davrixfw/WinText.h>

#include "Mbcs.h"
#include "TextCodec.h"

#include <cstring>
#include <string>
#include <vector>

IMPLEMENT_DYNAMIC(CDBException, CException)

namespace {

struct ReturnCodeName {
    SQLRETURN code;
    const char* name;
};

const ReturnCodeName kReturnCodes[] = {
    {SQL_SUCCESS, "SQL_SUCCESS"},
    {SQL_SUCCESS_WITH_INFO, "SQL_SUCCESS_WITH_INFO"},
    {SQL_NO_DATA, "SQL_NO_DATA"},
    {SQL_ERROR, "SQL_ERROR"},
    {SQL_INVALID_HANDLE, "SQL_INVALID_HANDLE"},
    {SQL_STILL_EXECUTING, "SQL_STILL_EXECUTING"},
    {SQL_NEED_DATA, "SQL_NEED_DATA"},
};

const char* ReturnCodeText(SQLRETURN rc) {
    for (const ReturnCodeName& r : kReturnCodes)
        if (r.code == rc) return r.name;
    return "unknown return code";
}

// The leading "[vendor][component]" groups of a driver message, or "".
std::string OriginOf(const std::string& msg) {
    size_t end = 0;
    while (end < msg.size() && msg[end] == '[') {
        size_t close = msg.find(']', end);
        if (close == std::string::npos) break;
        end = close + 1;
    }
    return msg.substr(0, end);
}

// One diagnostic record with its whole message, however long; false past the last record.
bool GetRecord(SQLSMALLINT type, SQLHANDLE h, SQLSMALLINT i, std::string& state, SQLINTEGER& native, std::string& msg) {
    SQLCHAR szState[SQL_SQLSTATE_SIZE + 1] = {0};
    std::vector<SQLCHAR> buf(512);
    SQLSMALLINT len = 0;
    native = 0;
    SQLRETURN rc = SQLGetDiagRec(type, h, i, szState, &native, buf.data(), (SQLSMALLINT)buf.size(), &len);
    if (!SQL_SUCCEEDED(rc)) return false;
    if (len >= (SQLSMALLINT)buf.size()) {
        // Truncated: ask again with room for the whole text.
        buf.assign((size_t)len + 1, 0);
        rc = SQLGetDiagRec(type, h, i, szState, &native, buf.data(), (SQLSMALLINT)buf.size(), &len);
        if (!SQL_SUCCEEDED(rc)) return false;
    }
    if (len < 0) len = 0;
    if ((size_t)len >= buf.size()) len = (SQLSMALLINT)(buf.size() - 1);
    state.assign((const char*)szState);
    msg.assign((const char*)buf.data(), (size_t)len);
    return true;
}

}  // namespace

CDBException::CDBException(SQLRETURN nRetCode) : m_nRetCode(nRetCode) {}

CDBException::~CDBException() = default;

// Appends to whatever the exception already holds. A driver message arrives in UTF-8 and is
// stored in the application's code page; characters without a form there become '?'.
void CDBException::BuildErrorString(SQLSMALLINT nHandleType, SQLHANDLE hHandle) {
    int nRecords = 0;
    if (hHandle) {
        std::string state, msg, acp;
        SQLINTEGER native = 0;
        // The cap guards against a driver that never reports the end of its records.
        for (SQLSMALLINT i = 1; i <= 1000 && GetRecord(nHandleType, hHandle, i, state, native, msg); ++i) {
            davrix::text::FromUtf8(msg.data(), msg.size(), acp);
            if (!m_strError.IsEmpty()) m_strError += "\n";
            m_strError += CString(acp.data(), (int)acp.size());
            CString entry;
            entry.Format("State:%s,Native:%ld,Origin:%s", state.c_str(), (long)native, OriginOf(acp).c_str());
            if (!m_strStateNativeOrigin.IsEmpty()) m_strStateNativeOrigin += "\n";
            m_strStateNativeOrigin += entry;
            if (nRecords == 0) {
                m_strSqlState = state.c_str();
                m_nNativeError = (LONG)native;
            }
            ++nRecords;
        }
    }
    if (nRecords == 0 && m_strError.IsEmpty())
        m_strError.Format("ODBC call failed with return code %d (%s) and no diagnostic record.", (int)m_nRetCode,
                          ReturnCodeText(m_nRetCode));
}

// The messages, one per line, cut on a character boundary to fit the buffer.
BOOL CDBException::GetErrorMessage(char* lpszError, UINT nMaxError) const {
    if (!lpszError || nMaxError == 0) return FALSE;
    CString text = m_strError;
    if (text.IsEmpty()) text.Format("Database error (return code %d).", (int)m_nRetCode);
    size_t n = davrix::text::CutOnBoundary(text.GetString(), (size_t)text.GetLength(), (size_t)nMaxError - 1);
    memcpy(lpszError, text.GetString(), n);
    lpszError[n] = 0;
    return TRUE;
}

void AfxThrowDBException(SQLRETURN nRetCode, SQLSMALLINT nHandleType, SQLHANDLE hHandle) {
    CDBException* e = new CDBException(nRetCode);
    try {
        e->BuildErrorString(nHandleType, hHandle);
    } catch (...) {
        e->Delete();
        throw;
    }
    throw e;
}

void AfxThrowDBException(const char* pszSqlState, const char* pszMessage) {
    CDBException* e = new CDBException(SQL_ERROR);
    try {
        const char* state = pszSqlState && *pszSqlState ? pszSqlState : "HY000";
        e->m_strSqlState = state;
        e->m_strError = pszMessage;
        e->m_strStateNativeOrigin.Format("State:%s,Native:0,Origin:[davrixfw]", state);
    } catch (...) {
        e->Delete();
        throw;
    }
    throw e;
}
