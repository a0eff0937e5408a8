// Test support: a private ODBC configuration per test program and raw ODBC access of the
// tests' own, to set up and inspect databases behind the layer under test.
//
// Each test program runs with ODBCSYSINI pointing at a folder of its own (CTest sets it).
// Before any test runs, that folder gets an odbcinst.ini (SQLite3 and PostgreSQL drivers,
// pooling on) and an odbc.ini with the data sources SQLITE_TEST (a database file in the
// folder) and, when DAVRIX_PG_HOST/DAVRIX_PG_PORT name a server, PG_TEST (a database
// named after the program, created when missing).
#ifndef DAVRIX_TESTSUPPORT_TESTODBC_H
#define DAVRIX_TESTSUPPORT_TESTODBC_H

#include <davrixfw/WinTypes.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace davrix {
namespace test {

enum class Backend { SQLite, PostgreSQL };

const char* BackendName(Backend b);
// Data-source name of the backend's test database.
std::string Dsn(Backend b);
// False for PostgreSQL when no server was given (and DAVRIX_REQUIRE_PG is not set).
bool Available(Backend b);
std::vector<Backend> AllBackends();
// The private configuration folder ($ODBCSYSINI).
std::string ConfigDir();
std::string SQLiteFile();
std::string PgHost();
std::string PgPort();
std::string PgDatabase();
std::string PgUser();
// "prefix" + "_" + a counter, unique within the process (table names and the like).
std::string UniqueName(const std::string& prefix);

// A connection of the test's own, straight through ODBC; every failure is a test failure.
class RawConnection {
public:
    explicit RawConnection(Backend b);
    explicit RawConnection(const std::string& connectionString);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    void Exec(const std::string& sql);
    // Runs the statement; false with the driver's message in *pError when it fails.
    bool TryExec(const std::string& sql, std::string* pError = nullptr);
    // Several statements separated by ';' at line ends (schema files).
    void ExecScript(const std::string& script);
    long long Scalar(const std::string& sql);
    // First column of the first row as text (UTF-8 as stored); "<NULL>" for NULL.
    std::string Text(const std::string& sql);
    std::vector<std::string> Column(const std::string& sql);
    SQLHDBC hdbc() const { return m_hdbc; }

private:
    SQLHDBC m_hdbc = SQL_NULL_HDBC;
};

// A data source registered for the user only, for as long as the object lives: ODBCINI
// points at a file in the private folder (this unixODBC reads ODBCINI on every use) and is
// restored afterwards. Seen() tells whether unixODBC reads the entry in user mode, so a
// check that it is invisible elsewhere cannot pass vacuously.
class UserDataSource {
public:
    explicit UserDataSource(const std::string& name);
    ~UserDataSource();
    UserDataSource(const UserDataSource&) = delete;
    UserDataSource& operator=(const UserDataSource&) = delete;
    bool Seen() const;
    const std::string& Name() const { return m_name; }

private:
    std::string m_name, m_file, m_saved;
    bool m_hadOld;
};

std::string ReadTextFile(const std::string& path);
void WriteTextFile(const std::string& path, const std::string& text);
// Converts between UTF-8 and the application's code page with iconv (independent of the library).
std::string Utf8ToGbk(const std::string& utf8);
std::string GbkToUtf8(const std::string& gbk);
// Runs a shell command; returns its standard output, exit status in *pStatus.
std::string RunCommand(const std::string& command, int* pStatus = nullptr);

// Pretty names for parameterised tests: SQLite / PostgreSQL.
struct BackendParamName {
    std::string operator()(const ::testing::TestParamInfo<Backend>& info) const { return BackendName(info.param); }
};

}  // namespace test
}  // namespace davrix

// Skips the current test when the backend has no server.
#define DAVRIX_REQUIRE_BACKEND(b)                                                   \
    do {                                                                             \
        if (!::davrix::test::Available(b)) GTEST_SKIP() << "no PostgreSQL server";   \
    } while (0)

#endif
