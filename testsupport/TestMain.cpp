// Prepares the program's private ODBC configuration, then runs the tests.
#include "TestOdbc.h"

#include <davrixfw/OdbcConfig.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>
#include <cstdlib>
#include <stdexcept>

using namespace davrix::test;

namespace {

// The machine's own ODBC configuration must come out of the whole program as it went in.
class MachineConfigUntouched : public ::testing::Environment {
public:
    void SetUp() override {
        for (const std::string& path : Paths()) m_before.push_back(Snapshot(path));
    }
    void TearDown() override {
        std::vector<std::string> paths = Paths();
        for (size_t i = 0; i < paths.size(); ++i)
            EXPECT_EQ(m_before[i], Snapshot(paths[i])) << paths[i] << " changed while the tests ran";
    }

private:
    static std::vector<std::string> Paths() {
        const char* home = getenv("HOME");
        std::vector<std::string> paths = {"/etc/odbc.ini", "/etc/odbcinst.ini"};
        if (home && *home) paths.push_back(std::string(home) + "/.odbc.ini");
        return paths;
    }
    static std::string Snapshot(const std::string& path) {
        struct stat st;
        if (stat(path.c_str(), &st) != 0) return "<absent>";
        return std::to_string((long long)st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + "|" +
               ReadTextFile(path);
    }
    std::vector<std::string> m_before;
};


bool PrepareOdbc() {
    std::string dir = ConfigDir();
    if (dir.empty()) {
        fprintf(stderr, "ODBCSYSINI is not set: run the tests through ctest\n");
        return false;
    }
    davrix::OdbcConfig config(dir);
    std::string err;
    if (!config.WriteDrivers(&err)) {
        fprintf(stderr, "cannot write the ODBC configuration in %s: %s\n", dir.c_str(), err.c_str());
        return false;
    }
    remove(SQLiteFile().c_str());
    remove((SQLiteFile() + "-wal").c_str());
    remove((SQLiteFile() + "-shm").c_str());
    config.WriteDataSource(Dsn(Backend::SQLite), davrix::OdbcConfig::kSQLiteDriver,
                           davrix::OdbcConfig::SQLiteAttributes(SQLiteFile()));
    if (PgHost().empty()) {
        const char* require = getenv("DAVRIX_REQUIRE_PG");
        if (require && *require && *require != '0') {
            fprintf(stderr, "DAVRIX_REQUIRE_PG is set but DAVRIX_PG_HOST is not\n");
            return false;
        }
        fprintf(stderr, "note: DAVRIX_PG_HOST not set; PostgreSQL tests are skipped\n");
        return true;
    }
    config.WriteDataSource("PG_ADMIN", davrix::OdbcConfig::kPostgresDriver,
                           davrix::OdbcConfig::PostgresAttributes(PgHost(), PgPort(), "postgres", PgUser()));
    config.WriteDataSource(Dsn(Backend::PostgreSQL), davrix::OdbcConfig::kPostgresDriver,
                           davrix::OdbcConfig::PostgresAttributes(PgHost(), PgPort(), PgDatabase(), PgUser()));
    try {
        RawConnection admin("DSN=PG_ADMIN");
        std::string db = PgDatabase();
        // A fresh database per run: names the tests make are unique within one run only.
        admin.Exec("DROP DATABASE IF EXISTS " + db + " WITH (FORCE)");
        admin.Exec("CREATE DATABASE " + db + " ENCODING 'UTF8' TEMPLATE template0");
    } catch (const std::exception& e) {
        fprintf(stderr, "PostgreSQL is not reachable: %s\n", e.what());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!::testing::GTEST_FLAG(list_tests) && !PrepareOdbc()) return 1;
    ::testing::AddGlobalTestEnvironment(new MachineConfigUntouched);
    return RUN_ALL_TESTS();
}
