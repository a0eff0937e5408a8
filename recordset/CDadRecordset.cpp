#include <davrixdb/recordset/CDadRecordset.h>
#include <davrixfw/WinText.h>

#include "recordset/Messages.h"

#include <memory>

IMPLEMENT_DYNAMIC(CDadRecordset, CRecordset)

CDadRecordset::CDadRecordset(CDatabase* pDatabase) : CRecordset(pDatabase) { m_nDefaultType = snapshot; }

CDadRecordset::~CDadRecordset() { CDadRecordset::Close(); }

// ---- connection parameters ----

void CDadRecordset::SetConnectionParam(LPCSTR lpszDSN, LPCSTR lpszUID, LPCSTR lpszPWD) {
    // Copy first: an argument may be one of the members being replaced.
    CString dsn(lpszDSN), uid(lpszUID), pwd(lpszPWD);
    m_szDSN = dsn;
    m_szUID = uid;
    m_szPWD = pwd;
    m_szConnection = "ODBC";
    if (dsn.GetLength() == 0) return;
    m_szConnection += ";DSN=";
    m_szConnection += dsn;
    if (uid.GetLength() == 0) return;
    m_szConnection += ";UID=";
    m_szConnection += uid;
    m_szConnection += ";PWD=";
    m_szConnection += pwd;
}

CString CDadRecordset::GetConnectionParam() { return m_szConnection; }

CString CDadRecordset::GetObjectName(LPCSTR lpszName) {
    CString result;
    if (m_szUID.GetLength() > 0)
        result.Format("[%s].[%s]", (LPCSTR)m_szUID, lpszName ? lpszName : "");
    else
        result = lpszName;
    return result;
}

// Asks the connection for its driver's file name once per process; a failed request
// leaves the cache empty so that the next call asks again.
CString CDadRecordset::GetDriver(void* hdbc) {
    if (!m_szDRV.IsEmpty()) return m_szDRV;
    char buf[128] = "";
    SQLSMALLINT len = 0;
    SQLGetInfo(static_cast<SQLHDBC>(hdbc), SQL_DRIVER_NAME, buf, sizeof buf, &len);
    buf[sizeof buf - 1] = '\0';
    m_szDRV = buf;
    m_szDRV.MakeUpper();
    return m_szDRV;
}

// Runs one statement on a connection of its own that never outlives the call.
int CDadRecordset::ExecSQL(LPCSTR lpszSQL) {
    CString connect;
    connect.Format("DSN=%s;UID=%s;PWD=%s", (LPCSTR)m_szDSN, (LPCSTR)m_szUID, (LPCSTR)m_szPWD);
    std::unique_ptr<CDatabase> db(new CDatabase);
    try {
        if (!db->OpenEx(connect, CDatabase::useCursorLib | CDatabase::noOdbcDialog)) return 0;
        db->ExecuteSQL(lpszSQL);
        db->Close();
        return 1;
    } catch (CDBException* e) {
        db->Close();
        e->Delete();
        return 0;
    }
}

// ---- framework hooks ----

void CDadRecordset::Close() {
    if (IsOpen() || m_hstmt != SQL_NULL_HSTMT) CRecordset::Close();
}

CString CDadRecordset::GetDefaultConnect() { return m_szConnection; }
CString CDadRecordset::GetDefaultSQL() { return m_szDefaultSQL; }

void CDadRecordset::SetDefaultSQL(LPCSTR lpszSQL) {
    m_szDefaultSQL = lpszSQL;
    m_szDefaultSQL.MakeUpper();
}

// ---- open, query, save, remove ----

// Probes the data source with a throw-away connection, then opens the set afresh.
// A database error closes the set and its connection and leaves the database's text in
// m_szError; a failed probe leaves m_szError as it was.
int CDadRecordset::Open() {
    CString connect = m_szConnection;
    int pos = connect.Find("ODBC;");
    CString probeString = connect.Right(connect.GetLength() - pos - 5);

    CDatabase probe;
    try {
        if (!probe.OpenEx(probeString, CDatabase::useCursorLib | CDatabase::noOdbcDialog)) return 0;
        probe.Close();
    } catch (CException* e) {
        e->Delete();
        if (probe.IsOpen()) probe.Close();
        return 0;
    }

    try {
        Close();
        return CRecordset::Open(AFX_DB_USE_DEFAULT_TYPE, nullptr, none) ? 1 : 0;
    } catch (CDBException* e) {
        if (m_pDatabase && m_pDatabase->IsOpen()) m_pDatabase->Close();
        Close();
        m_szError = e->m_strError;
        e->Delete();
        return 0;
    }
}

int CDadRecordset::QueryData(int bToVal, int bMustExist) {
    m_szError.Empty();
    if (!Open()) {
        CString text = m_szError;
        m_szError = davrix::msg::kQueryFailed;
        m_szError += text;
        return 0;
    }
    if (bMustExist && GetRecordCount() == 0) {
        m_szError = davrix::msg::kNoRecord;
        return 0;
    }
    if (bToVal && !IsEOF()) ToVal();
    return 1;
}

int CDadRecordset::GetData(int bToVal) { return QueryData(bToVal, 1); }

int CDadRecordset::Query(LPCSTR lpszFilter) {
    m_strFilter = lpszFilter;
    return CDadRecordset::GetData(0);
}

int CDadRecordset::Save() {
    m_szError.Empty();
    try {
        if (!AddOREdit()) return 0;
        AvilidData();
        SetAllFieldNull();
        if (Update()) return 1;
        m_szError = davrix::msg::kNothingWritten;
        return 0;
    } catch (CDBException* e) {
        m_szError = davrix::msg::kUpdateFailed;
        m_szError += e->m_strError;
        e->Delete();
        Close();
        return 0;
    }
}

int CDadRecordset::Remove() {
    m_szError.Empty();
    if (!QueryData(0, 1)) return 0;
    try {
        Delete();
        return 1;
    } catch (CDBException* e) {
        m_szError = e->m_strError;
        e->Delete();
        Close();
        return 0;
    }
}

void CDadRecordset::ToVal() {}
void CDadRecordset::AvilidData() {}
void CDadRecordset::SetAllFieldNull() {}
int CDadRecordset::AddOREdit() { return 0; }

// ---- texts ----

CString CDadRecordset::GetError() { return m_szError; }
void CDadRecordset::SetError(LPCSTR lpszError) { m_szError = lpszError; }

// Copies into the target's existing storage only: a target without storage stays empty.
void CDadRecordset::ReadString(LPCSTR lpszSource, CString& target) {
    int capacity = target.GetAllocLength();
    if (capacity <= 0) return;
    char* p = target.GetBuffer(capacity);
    lstrcpynA(p, lpszSource, capacity);
    target.ReleaseBuffer();
}

void CDadRecordset::ReadStringEx(CString& target, LPCSTR lpszSource) { ReadString(lpszSource, target); }
