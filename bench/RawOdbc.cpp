#include "RawOdbc.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iconv.h>
#include <sstream>

namespace bench {

namespace {

// An environment of the benchmarks' own, apart from the module's.
SQLHENV Env() {
    static SQLHENV env = [] {
        SQLHENV h = SQL_NULL_HENV;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h))) Die("no ODBC environment");
        SQLSetEnvAttr(h, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
        return h;
    }();
    return env;
}

std::string Diag(SQLSMALLINT type, SQLHANDLE h) {
    std::string all;
    SQLCHAR state[6], msg[1024];
    SQLINTEGER native;
    SQLSMALLINT len;
    for (SQLSMALLINT i = 1; SQL_SUCCEEDED(SQLGetDiagRec(type, h, i, state, &native, msg, sizeof msg, &len)); ++i) {
        if (!all.empty()) all += "; ";
        all += std::string((char*)state) + ": " + (char*)msg;
    }
    return all;
}

}  // namespace

void Die(const std::string& why) { throw Failure(why); }

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE h, const char* what) {
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) return;
    Die(std::string(what) + ": " + Diag(type, h));
}

Connection::Connection(const std::string& connectString) {
    Check(SQLAllocHandle(SQL_HANDLE_DBC, Env(), &m_hdbc), SQL_HANDLE_ENV, Env(), "allocate connection");
    SQLRETURN rc = SQLDriverConnect(m_hdbc, nullptr, (SQLCHAR*)connectString.c_str(), SQL_NTS, nullptr, 0, nullptr,
                                    SQL_DRIVER_NOPROMPT);
    Check(rc, SQL_HANDLE_DBC, m_hdbc, ("connect " + connectString).c_str());
}

Connection::~Connection() {
    SQLDisconnect(m_hdbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_hdbc);
}

void Connection::Exec(const std::string& sql) {
    SQLHSTMT h;
    Check(SQLAllocHandle(SQL_HANDLE_STMT, m_hdbc, &h), SQL_HANDLE_DBC, m_hdbc, "allocate statement");
    SQLRETURN rc = SQLExecDirect(h, (SQLCHAR*)sql.c_str(), SQL_NTS);
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) Die(sql.substr(0, 200) + ": " + Diag(SQL_HANDLE_STMT, h));
    // The SQLite driver fetching lazily runs a statement with a result (a PRAGMA) only as
    // far as it is fetched.
    SQLSMALLINT columns = 0;
    if (SQL_SUCCEEDED(SQLNumResultCols(h, &columns)) && columns > 0)
        while (SQL_SUCCEEDED(SQLFetch(h))) {
        }
    SQLFreeHandle(SQL_HANDLE_STMT, h);
}

void Connection::ExecScript(const std::string& script) {
    std::istringstream in(script);
    std::string line, statement;
    auto flush = [&] {
        if (statement.find_first_not_of(" \t\r\n") != std::string::npos) Exec(statement);
        statement.clear();
    };
    while (std::getline(in, line)) {
        std::string trimmed = line.substr(0, line.find_last_not_of(" \t\r") + 1);
        if (trimmed.compare(0, 2, "--") == 0) continue;
        statement += line + "\n";
        if (!trimmed.empty() && trimmed.back() == ';') flush();
    }
    flush();
}

long long Connection::Scalar(const std::string& sql) {
    SQLHSTMT h;
    Check(SQLAllocHandle(SQL_HANDLE_STMT, m_hdbc, &h), SQL_HANDLE_DBC, m_hdbc, "allocate statement");
    Check(SQLExecDirect(h, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_HANDLE_STMT, h, sql.c_str());
    SQLBIGINT v = 0;
    SQLLEN ind = 0;
    Check(SQLBindCol(h, 1, SQL_C_SBIGINT, &v, 0, &ind), SQL_HANDLE_STMT, h, "bind");
    if (SQLFetch(h) != SQL_SUCCESS) Die("no row: " + sql);
    SQLFreeHandle(SQL_HANDLE_STMT, h);
    return ind == SQL_NULL_DATA ? 0 : (long long)v;
}

Statement::Statement(Connection& db, const std::string& sql) {
    Check(SQLAllocHandle(SQL_HANDLE_STMT, db.hdbc(), &m_h), SQL_HANDLE_DBC, db.hdbc(), "allocate statement");
    Check(SQLPrepare(m_h, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_HANDLE_STMT, m_h, sql.c_str());
}

Statement::~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, m_h); }

void Statement::ParamLong(SQLUSMALLINT n, SQLINTEGER* p) {
    Check(SQLBindParameter(m_h, n, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, p, 0, nullptr), SQL_HANDLE_STMT,
          m_h, "bind parameter");
}
void Statement::ParamDouble(SQLUSMALLINT n, double* p) {
    Check(SQLBindParameter(m_h, n, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, p, 0, nullptr), SQL_HANDLE_STMT,
          m_h, "bind parameter");
}
void Statement::ParamTimestamp(SQLUSMALLINT n, SQL_TIMESTAMP_STRUCT* p) {
    Check(SQLBindParameter(m_h, n, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 23, 3, p, sizeof *p,
                           nullptr),
          SQL_HANDLE_STMT, m_h, "bind parameter");
}
void Statement::ParamText(SQLUSMALLINT n, char* p, SQLLEN capacity, SQLLEN* pLen) {
    Check(SQLBindParameter(m_h, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 255, 0, p, capacity, pLen),
          SQL_HANDLE_STMT, m_h, "bind parameter");
}
void Statement::ColLong(SQLUSMALLINT n, SQLINTEGER* p, SQLLEN* pInd) {
    Check(SQLBindCol(m_h, n, SQL_C_SLONG, p, 0, pInd), SQL_HANDLE_STMT, m_h, "bind column");
}
void Statement::ColDouble(SQLUSMALLINT n, double* p, SQLLEN* pInd) {
    Check(SQLBindCol(m_h, n, SQL_C_DOUBLE, p, 0, pInd), SQL_HANDLE_STMT, m_h, "bind column");
}
void Statement::ColTimestamp(SQLUSMALLINT n, SQL_TIMESTAMP_STRUCT* p, SQLLEN* pInd) {
    Check(SQLBindCol(m_h, n, SQL_C_TYPE_TIMESTAMP, p, sizeof *p, pInd), SQL_HANDLE_STMT, m_h, "bind column");
}
void Statement::ColText(SQLUSMALLINT n, char* p, SQLLEN capacity, SQLLEN* pInd) {
    Check(SQLBindCol(m_h, n, SQL_C_CHAR, p, capacity, pInd), SQL_HANDLE_STMT, m_h, "bind column");
}

void Statement::Execute() { Check(SQLExecute(m_h), SQL_HANDLE_STMT, m_h, "execute"); }

bool Statement::Fetch() {
    SQLRETURN rc = SQLFetch(m_h);
    if (rc == SQL_NO_DATA) return false;
    Check(rc, SQL_HANDLE_STMT, m_h, "fetch");
    return true;
}

void Statement::CloseCursor() { SQLFreeStmt(m_h, SQL_CLOSE); }

SQLLEN Statement::RowCount() {
    SQLLEN n = -1;
    SQLRowCount(m_h, &n);
    return n;
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) Die("cannot read " + path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string Gbk(const std::string& utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == (iconv_t)-1) Die("iconv has no GBK");
    std::string out(utf8.size() + 8, '\0');
    char* src = const_cast<char*>(utf8.data());
    size_t srcLeft = utf8.size();
    char* dst = &out[0];
    size_t dstLeft = out.size();
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == (size_t)-1) Die("text has no GBK form: " + utf8);
    out.resize(out.size() - dstLeft);
    iconv_close(cd);
    return out;
}

}  // namespace bench
