#include <davrixfw/CDatabase.h>
#include <davrixfw/CRecordset.h>

#include "ConnectionCache.h"
#include "TextCodec.h"

#include <algorithm>
#include <cctype>
#include <strings.h>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

IMPLEMENT_DYNAMIC(CDatabase, CObject)

namespace {
std::atomic<int> g_declineAfter{-1};

// True when this connect is to be declined (fault injection).
bool DeclineThisConnect() {
    int n = g_declineAfter.load();
    while (n >= 0) {
        if (g_declineAfter.compare_exchange_weak(n, n - 1)) return n == 0;
    }
    return false;
}
}  // namespace

void AfxInjectDeclinedConnect(int nSkip) { g_declineAfter = nSkip; }

namespace {
// unixODBC connects "DSN=" (an empty name) to whichever data source its odbc.ini lists
// first. An empty name means the default data source, so name that one instead.
std::string NameDefaultSource(const std::string& connect) {
    std::string out;
    size_t start = 0;
    while (start <= connect.size()) {
        size_t end = connect.find(';', start);
        if (end == std::string::npos) end = connect.size();
        std::string piece = connect.substr(start, end - start);
        size_t eq = piece.find('=');
        if (eq != std::string::npos) {
            std::string key = piece.substr(0, eq), value = piece.substr(eq + 1);
            auto trim = [](std::string& t) {
                while (!t.empty() && isspace((unsigned char)t.back())) t.pop_back();
                while (!t.empty() && isspace((unsigned char)t.front())) t.erase(t.begin());
            };
            trim(key);
            trim(value);
            if (strcasecmp(key.c_str(), "DSN") == 0 && value.empty()) piece = "DSN=DEFAULT";
        }
        out += piece;
        if (end < connect.size()) out += ';';
        start = end + 1;
    }
    return out;
}
}  // namespace

namespace {

// A new physical connection, never prompting. Raises CDBException with the diagnostics.
std::unique_ptr<davrix::PhysicalConnection> Connect(const std::string& utf8, DWORD dwLoginTimeout) {
    SQLHENV env = CDatabase::GetEnvironment();
    if (env == SQL_NULL_HENV) AfxThrowDBException("HY001", "the ODBC environment could not be created");
    SQLHDBC hdbc = SQL_NULL_HDBC;
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_DBC, env, &hdbc);
    if (!SQL_SUCCEEDED(rc)) AfxThrowDBException(rc, SQL_HANDLE_ENV, env);
    SQLSetConnectAttr(hdbc, SQL_ATTR_LOGIN_TIMEOUT, (SQLPOINTER)(uintptr_t)dwLoginTimeout, 0);
    rc = SQLDriverConnect(hdbc, nullptr, (SQLCHAR*)utf8.c_str(), SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        CDBException* e = new CDBException(rc);
        e->BuildErrorString(SQL_HANDLE_DBC, hdbc);
        SQLFreeHandle(SQL_HANDLE_DBC, hdbc);
        throw e;
    }
    return std::unique_ptr<davrix::PhysicalConnection>(new davrix::PhysicalConnection(hdbc));
}

}  // namespace

struct CDatabase::Impl {
    std::vector<CRecordset*> recordsets;
    CString connect;          // as the caller gave it, without "ODBC;"
    std::string key;          // the connection string as sent (UTF-8)
    std::unique_ptr<davrix::PhysicalConnection> conn;
    std::unique_ptr<davrix::PhysicalConnection> writer;  // second connection for writes, on demand
    bool readOnly = false;     // access mode changed: restored before the connection goes back
    bool closing = false;
    bool deleteWhenClosed = false;
};

SQLHENV CDatabase::GetEnvironment() {
    // One ODBC 3 environment for the process. Never freed: record sets may outlive any
    // static destructor order, and the driver manager cleans up at exit.
    static SQLHENV env = [] {
        SQLHENV h = SQL_NULL_HENV;
        if (SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h)))
            SQLSetEnvAttr(h, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
        return h;
    }();
    return env;
}

CDatabase::CDatabase()
    : m_hdbc(SQL_NULL_HDBC), m_pImpl(new Impl), m_dwLoginTimeout(15), m_dwQueryTimeout(0) {}

CDatabase::~CDatabase() { Close(); }

BOOL CDatabase::Open(LPCSTR lpszDSN, BOOL bExclusive, BOOL bReadOnly, LPCSTR lpszConnect, BOOL bUseCursorLib) {
    CString connect = lpszConnect ? lpszConnect : "";
    if (connect.Find("ODBC;") == 0) connect = connect.Mid(5);
    if (lpszDSN && *lpszDSN) {
        CString withDsn = CString("DSN=") + lpszDSN;
        if (!connect.IsEmpty()) withDsn += CString(";") + connect;
        connect = withDsn;
    }
    return OpenEx(connect, noOdbcDialog | (bReadOnly ? openReadOnly : 0));
}

// Connects without ever prompting. Raises CDBException with the driver manager's or the
// driver's diagnostics; a failed attempt leaves the object closed.
BOOL CDatabase::OpenEx(LPCSTR lpszConnectString, DWORD dwOptions) {
    if (IsOpen()) Close();
    CString connect = lpszConnectString ? lpszConnectString : "";
    if (connect.Find("ODBC;") == 0)
        connect = connect.Mid(5);
    else if (connect == "ODBC")
        connect.Empty();

    std::string utf8;
    if (!davrix::text::ToUtf8(connect, connect.GetLength(), utf8))
        AfxThrowDBException("22018", "connection string is not valid text in the application's code page");
    utf8 = NameDefaultSource(utf8);

    if (DeclineThisConnect()) return FALSE;
    std::unique_ptr<davrix::PhysicalConnection> conn = davrix::ConnectionCache::Instance().Take(utf8);
    if (!conn) conn = Connect(utf8, m_dwLoginTimeout);
    m_pImpl->readOnly = (dwOptions & openReadOnly) != 0;
    if (m_pImpl->readOnly)
        SQLSetConnectAttr(conn->Handle(), SQL_ATTR_ACCESS_MODE, (SQLPOINTER)SQL_MODE_READ_ONLY, 0);
    m_hdbc = conn->Handle();
    m_pImpl->conn = std::move(conn);
    m_pImpl->key = utf8;
    m_pImpl->connect = connect;
    return TRUE;
}

// Closes the record sets first (their statements belong to this connection), then hands
// the connection back to the driver manager.
void CDatabase::Close() {
    m_pImpl->closing = true;
    while (!m_pImpl->recordsets.empty()) {
        CRecordset* prs = m_pImpl->recordsets.back();
        prs->Close();
        RemoveRecordset(prs);  // Close normally removes it; make sure the loop ends
    }
    if (m_pImpl->conn) {
        SQLHDBC h = m_hdbc;
        m_hdbc = SQL_NULL_HDBC;
        // The connection goes back as this layer found it: autocommit on, read-write.
        SQLSetConnectAttr(h, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_ON, 0);
        if (m_pImpl->readOnly) SQLSetConnectAttr(h, SQL_ATTR_ACCESS_MODE, (SQLPOINTER)SQL_MODE_READ_WRITE, 0);
        davrix::ConnectionCache::Instance().Park(m_pImpl->key, std::move(m_pImpl->conn));
        davrix::ConnectionCache::Instance().Park(m_pImpl->key, std::move(m_pImpl->writer));
    }
    m_pImpl->closing = false;
    if (m_pImpl->deleteWhenClosed) delete this;  // its owner let it go meanwhile; nothing may follow
}

void CDatabase::ReleaseOwned() {
    if (m_pImpl->closing)
        m_pImpl->deleteWhenClosed = true;
    else
        delete this;
}

void CDatabase::ExecuteSQL(LPCSTR lpszSQL) {
    if (!IsOpen()) AfxThrowDBException("08003", "the connection is not open");
    std::string utf8;
    CString sql = lpszSQL ? lpszSQL : "";
    if (!davrix::text::ToUtf8(sql, sql.GetLength(), utf8))
        AfxThrowDBException("22018", "statement is not valid text in the application's code page");
    SQLHSTMT hstmt = SQL_NULL_HSTMT;
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, m_hdbc, &hstmt);
    if (!SQL_SUCCEEDED(rc)) AfxThrowDBException(rc, SQL_HANDLE_DBC, m_hdbc);
    if (m_dwQueryTimeout) SQLSetStmtAttr(hstmt, SQL_ATTR_QUERY_TIMEOUT, (SQLPOINTER)(uintptr_t)m_dwQueryTimeout, 0);
    rc = SQLExecDirect(hstmt, (SQLCHAR*)utf8.c_str(), SQL_NTS);
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
        CDBException* e = new CDBException(rc);
        e->BuildErrorString(SQL_HANDLE_STMT, hstmt);
        SQLFreeHandle(SQL_HANDLE_STMT, hstmt);
        throw e;
    }
    // Drain every result so the driver finishes the statement before the handle goes.
    while (SQLMoreResults(hstmt) == SQL_SUCCESS) {
    }
    SQLFreeHandle(SQL_HANDLE_STMT, hstmt);
}

CString CDatabase::GetConnect() const { return CString("ODBC;") + m_pImpl->connect; }

char CDatabase::GetIdentifierQuoteChar() const {
    davrix::PhysicalConnection* conn = m_pImpl->conn.get();
    if (!conn) return '"';
    if (conn->quote == 0) {
        char buf[8] = {0};
        SQLSMALLINT len = 0;
        if (SQL_SUCCEEDED(SQLGetInfo(m_hdbc, SQL_IDENTIFIER_QUOTE_CHAR, buf, sizeof buf, &len)) && buf[0] != ' ' &&
            buf[0] != 0)
            conn->quote = buf[0];
        else
            conn->quote = '"';
        // SQLite reads a double-quoted name that matches no column as a string literal, so
        // a misspelt column would pass silently; brackets are always identifiers there.
        CString driver = GetDriverName();
        driver.MakeLower();
        if (driver.Find("sqlite") >= 0) conn->quote = '[';
    }
    return conn->quote;
}

CString CDatabase::GetDriverName() const {
    davrix::PhysicalConnection* conn = m_pImpl->conn.get();
    if (!conn) return CString();
    if (conn->driver.empty()) {
        char buf[256] = {0};
        SQLSMALLINT len = 0;
        if (SQL_SUCCEEDED(SQLGetInfo(m_hdbc, SQL_DRIVER_NAME, buf, sizeof buf, &len))) conn->driver = buf;
    }
    return CString(conn->driver.c_str());
}

SQLHSTMT CDatabase::TakeStatement(const std::string& sql) {
    if (!m_pImpl->conn) AfxThrowDBException("08003", "the connection is not open");
    return m_pImpl->conn->TakeStatement(sql);
}

void CDatabase::GiveStatement(SQLHSTMT hstmt, bool bKeep) {
    if (m_pImpl->conn) m_pImpl->conn->GiveStatement(hstmt, bKeep);
}

SQLHDBC CDatabase::WriteConnection() {
    if (!m_pImpl->conn) AfxThrowDBException("08003", "the connection is not open");
    bool pending = false;
    for (CRecordset* prs : m_pImpl->recordsets) pending = pending || prs->HasPendingResult();
    if (!pending) return m_pImpl->conn->Handle();
    if (!m_pImpl->writer) m_pImpl->writer = davrix::ConnectionCache::Instance().Take(m_pImpl->key);
    if (!m_pImpl->writer) m_pImpl->writer = Connect(m_pImpl->key, m_dwLoginTimeout);
    return m_pImpl->writer->Handle();
}

SQLHSTMT CDatabase::TakeWriteStatement(const std::string& sql, SQLHDBC* phdbc) {
    SQLHDBC hdbc = WriteConnection();
    davrix::PhysicalConnection* target =
        m_pImpl->writer && m_pImpl->writer->Handle() == hdbc ? m_pImpl->writer.get() : m_pImpl->conn.get();
    SQLHSTMT h = target->TakeStatement(sql);
    if (phdbc) *phdbc = hdbc;
    return h;
}

void CDatabase::GiveWriteStatement(SQLHSTMT hstmt, bool bKeep) {
    if (m_pImpl->writer && m_pImpl->writer->Owns(hstmt))
        m_pImpl->writer->GiveStatement(hstmt, bKeep);
    else if (m_pImpl->conn)
        m_pImpl->conn->GiveStatement(hstmt, bKeep);
}

void CDatabase::AddRecordset(CRecordset* prs) {
    if (std::find(m_pImpl->recordsets.begin(), m_pImpl->recordsets.end(), prs) == m_pImpl->recordsets.end())
        m_pImpl->recordsets.push_back(prs);
}

void CDatabase::RemoveRecordset(CRecordset* prs) {
    auto& v = m_pImpl->recordsets;
    v.erase(std::remove(v.begin(), v.end(), prs), v.end());
}
