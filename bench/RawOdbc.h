// The benchmarks' own ODBC access: the hand-written baselines and the data set-up go
// straight through the driver manager, never through the module or its stand-in.
// Every failure raises Failure with the driver's message: a benchmark that measured a
// failing call would report nonsense.
#ifndef DAVRIX_BENCH_RAWODBC_H
#define DAVRIX_BENCH_RAWODBC_H

#include <sql.h>
#include <sqlext.h>

#include <stdexcept>
#include <string>

namespace bench {

// A failed call: ends the case it happened in (reported as failed), or the program when
// it happened while preparing.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Die(const std::string& why);
// Dies with the handle's diagnostics unless rc succeeded (SQL_NO_DATA counts as success).
void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE h, const char* what);

class Connection {
public:
    explicit Connection(const std::string& connectString);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    SQLHDBC hdbc() const { return m_hdbc; }
    void Exec(const std::string& sql);
    // Statements separated by ';' at a line end (the schema files).
    void ExecScript(const std::string& script);
    long long Scalar(const std::string& sql);

private:
    SQLHDBC m_hdbc = SQL_NULL_HDBC;
};

// A statement prepared once and executed many times with the buffers bound to it.
class Statement {
public:
    Statement(Connection& db, const std::string& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    SQLHSTMT h() const { return m_h; }
    void ParamLong(SQLUSMALLINT n, SQLINTEGER* p);
    void ParamDouble(SQLUSMALLINT n, double* p);
    void ParamTimestamp(SQLUSMALLINT n, SQL_TIMESTAMP_STRUCT* p);
    // Text of *pLen bytes at p (the length is read at execute time).
    void ParamText(SQLUSMALLINT n, char* p, SQLLEN capacity, SQLLEN* pLen);
    void ColLong(SQLUSMALLINT n, SQLINTEGER* p, SQLLEN* pInd);
    void ColDouble(SQLUSMALLINT n, double* p, SQLLEN* pInd);
    void ColTimestamp(SQLUSMALLINT n, SQL_TIMESTAMP_STRUCT* p, SQLLEN* pInd);
    void ColText(SQLUSMALLINT n, char* p, SQLLEN capacity, SQLLEN* pInd);

    void Execute();
    bool Fetch();
    void CloseCursor();
    SQLLEN RowCount();

private:
    SQLHSTMT m_h = SQL_NULL_HSTMT;
};

std::string ReadTextFile(const std::string& path);
// UTF-8 text in the application's code page (GBK), as the module's callers hold it.
std::string Gbk(const std::string& utf8);

}  // namespace bench

#endif
