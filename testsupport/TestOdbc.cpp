#include "TestOdbc.h"

#include <davrixfw/CDatabase.h>
#include <davrixfw/OdbcConfig.h>
#include <odbcinst.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iconv.h>
#include <sstream>
#include <stdexcept>

namespace davrix {
namespace test {


namespace {

std::string Env(const char* name, const char* fallback = "") {
    const char* v = getenv(name);
    return v && *v ? v : fallback;
}

// The layer's own environment: with unixODBC's pooling on, a second environment in the
// process can be handed a pooled connection whose driver environment belongs to the first.
SQLHENV RawEnv() { return CDatabase::GetEnvironment(); }

std::string Diag(SQLSMALLINT type, SQLHANDLE h) {
    std::string all;
    SQLCHAR state[6], msg[1024];
    SQLINTEGER native;
    SQLSMALLINT len;
    for (SQLSMALLINT i = 1; SQL_SUCCEEDED(SQLGetDiagRec(type, h, i, state, &native, msg, sizeof msg, &len)); ++i) {
        if (!all.empty()) all += "\n";
        all += std::string((char*)state) + ": " + (char*)msg;
    }
    return all;
}

std::string ProgramName() { return Env("DAVRIX_TEST_PROGRAM", "davrix"); }

}  // namespace

const char* BackendName(Backend b) { return b == Backend::SQLite ? "SQLite" : "PostgreSQL"; }
std::string Dsn(Backend b) { return b == Backend::SQLite ? "SQLITE_TEST" : "PG_TEST"; }
bool Available(Backend b) {
    if (b == Backend::SQLite) return true;
    return !PgHost().empty();
}
std::vector<Backend> AllBackends() { return {Backend::SQLite, Backend::PostgreSQL}; }
std::string ConfigDir() { return Env("ODBCSYSINI"); }
std::string SQLiteFile() { return ConfigDir() + "/test.db"; }
std::string PgHost() { return Env("DAVRIX_PG_HOST"); }
std::string PgPort() { return Env("DAVRIX_PG_PORT", "5432"); }
std::string PgUser() { return Env("DAVRIX_PG_USER", "postgres"); }
std::string PgDatabase() {
    std::string name = "davrix_" + ProgramName();
    for (char& c : name)
        if (!isalnum((unsigned char)c)) c = '_';
    return name;
}

std::string UniqueName(const std::string& prefix) {
    static std::atomic<int> counter{0};
    return prefix + "_" + std::to_string(++counter);
}

RawConnection::RawConnection(Backend b) : RawConnection("DSN=" + Dsn(b)) {}

RawConnection::RawConnection(const std::string& connectionString) {
    SQLAllocHandle(SQL_HANDLE_DBC, RawEnv(), &m_hdbc);
    SQLSetConnectAttr(m_hdbc, SQL_ATTR_LOGIN_TIMEOUT, (SQLPOINTER)10, 0);
    SQLRETURN rc = SQLDriverConnect(m_hdbc, nullptr, (SQLCHAR*)connectionString.c_str(), SQL_NTS, nullptr, 0,
                                    nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        std::string why = Diag(SQL_HANDLE_DBC, m_hdbc);
        SQLFreeHandle(SQL_HANDLE_DBC, m_hdbc);
        m_hdbc = SQL_NULL_HDBC;
        throw std::runtime_error("raw connect '" + connectionString + "' failed: " + why);
    }
}

RawConnection::~RawConnection() {
    if (m_hdbc) {
        SQLDisconnect(m_hdbc);
        SQLFreeHandle(SQL_HANDLE_DBC, m_hdbc);
    }
}

bool RawConnection::TryExec(const std::string& sql, std::string* pError) {
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_STMT, m_hdbc, &st);
    SQLRETURN rc = SQLExecDirect(st, (SQLCHAR*)sql.c_str(), SQL_NTS);
    bool ok = SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA;
    if (!ok && pError) *pError = Diag(SQL_HANDLE_STMT, st);
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    return ok;
}

void RawConnection::Exec(const std::string& sql) {
    std::string err;
    if (!TryExec(sql, &err)) ADD_FAILURE() << "raw SQL failed: " << sql << "\n" << err;
}

void RawConnection::ExecScript(const std::string& script) {
    std::string stmt;
    std::istringstream in(script);
    std::string line;
    while (std::getline(in, line)) {
        std::string trimmed = line;
        while (!trimmed.empty() && isspace((unsigned char)trimmed.back())) trimmed.pop_back();
        if (trimmed.rfind("--", 0) == 0 && stmt.empty()) continue;
        stmt += line + "\n";
        if (!trimmed.empty() && trimmed.back() == ';') {
            Exec(stmt);
            stmt.clear();
        }
    }
    bool blank = true;
    for (char c : stmt)
        if (!isspace((unsigned char)c)) blank = false;
    if (!blank) Exec(stmt);
}

std::vector<std::string> RawConnection::Column(const std::string& sql) {
    std::vector<std::string> out;
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_STMT, m_hdbc, &st);
    SQLRETURN rc = SQLExecDirect(st, (SQLCHAR*)sql.c_str(), SQL_NTS);
    if (!SQL_SUCCEEDED(rc)) {
        ADD_FAILURE() << "raw query failed: " << sql << "\n" << Diag(SQL_HANDLE_STMT, st);
    } else {
        while (SQL_SUCCEEDED(SQLFetch(st))) {
            char buf[4096];
            SQLLEN ind = 0;
            SQLGetData(st, 1, SQL_C_CHAR, buf, sizeof buf, &ind);
            out.push_back(ind == SQL_NULL_DATA ? "<NULL>" : std::string(buf));
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    return out;
}

std::string RawConnection::Text(const std::string& sql) {
    std::vector<std::string> col = Column(sql);
    return col.empty() ? std::string("<NO ROW>") : col.front();
}

long long RawConnection::Scalar(const std::string& sql) {
    std::string t = Text(sql);
    return strtoll(t.c_str(), nullptr, 10);
}

UserDataSource::UserDataSource(const std::string& name)
    : m_name(name), m_file(ConfigDir() + "/user-" + name + ".ini") {
    WriteTextFile(m_file, "[" + name + "]\nDriver=" + OdbcConfig::kSQLiteDriver + "\nDatabase=/u.db\n");
    const char* old = getenv("ODBCINI");
    m_hadOld = old != nullptr;
    m_saved = old ? old : "";
    setenv("ODBCINI", m_file.c_str(), 1);
}

UserDataSource::~UserDataSource() {
    if (m_hadOld)
        setenv("ODBCINI", m_saved.c_str(), 1);
    else
        unsetenv("ODBCINI");
    remove(m_file.c_str());
}

bool UserDataSource::Seen() const {
    char buf[256] = "";
    SQLSetConfigMode(ODBC_USER_DSN);
    SQLGetPrivateProfileString(m_name.c_str(), "Database", "", buf, sizeof buf, "odbc.ini");
    SQLSetConfigMode(ODBC_BOTH_DSN);
    return std::string(buf) == "/u.db";
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

static std::string Convert(const char* to, const char* from, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) throw std::runtime_error("iconv_open failed");
    std::string out(in.size() * 4 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = &out[0];
    size_t dstLeft = out.size();
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == (size_t)-1) throw std::runtime_error(std::string("iconv failed: ") + strerror(errno));
    out.resize(out.size() - dstLeft);
    return out;
}

std::string Utf8ToGbk(const std::string& utf8) { return Convert("GBK", "UTF-8", utf8); }
std::string GbkToUtf8(const std::string& gbk) { return Convert("UTF-8", "GBK", gbk); }

std::string RunCommand(const std::string& command, int* pStatus) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) {
        if (pStatus) *pStatus = -1;
        return out;
    }
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int st = pclose(p);
    if (pStatus) *pStatus = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return out;
}

}  // namespace test
}  // namespace davrix
