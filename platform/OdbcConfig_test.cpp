#include <davrixfw/OdbcConfig.h>

#include "TestOdbc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using davrix::OdbcConfig;
using namespace davrix::test;

namespace {

// A fresh folder per test; DAVRIX_ODBC_DRIVER_DIR is restored afterwards.
class OdbcConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string base = ConfigDir().empty() ? std::string("/tmp") : ConfigDir();
        std::string templ = base + "/odbccfgXXXXXX";
        ASSERT_NE(nullptr, mkdtemp(&templ[0]));
        m_dir = templ;
        const char* old = getenv("DAVRIX_ODBC_DRIVER_DIR");
        m_hadDriverDir = old != nullptr;
        if (old) m_oldDriverDir = old;
    }
    void TearDown() override {
        if (m_hadDriverDir)
            setenv("DAVRIX_ODBC_DRIVER_DIR", m_oldDriverDir.c_str(), 1);
        else
            unsetenv("DAVRIX_ODBC_DRIVER_DIR");
        RunCommand("rm -rf '" + m_dir + "'");
    }
    std::string File(const char* name) const { return m_dir + "/" + name; }
    // The names in the folder, to spot temporary files left behind.
    std::vector<std::string> Listing(const std::string& dir) const {
        std::vector<std::string> names;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* e = readdir(d))
                if (e->d_name[0] != '.') names.push_back(e->d_name);
            closedir(d);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // Runs odbcinst with its configuration in dir.
    std::string Odbcinst(const std::string& dir, const std::string& args, int* pStatus = nullptr) {
        return RunCommand("ODBCSYSINI='" + dir + "' odbcinst " + args + " 2>&1", pStatus);
    }

    std::string m_dir;
    bool m_hadDriverDir = false;
    std::string m_oldDriverDir;
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(OdbcConfigTest, WritesDriversIntoANewFolder) {
    if (OdbcConfig::DriverDir().empty()) GTEST_SKIP() << "no ODBC drivers installed";
    std::string dir = m_dir + "/a/b";  // the folder is made, parents too
    OdbcConfig config(dir);
    std::string err;
    ASSERT_TRUE(config.WriteDrivers(&err)) << err;
    std::string driverDir = OdbcConfig::DriverDir();
    EXPECT_EQ("Yes", config.ReadValue("odbcinst.ini", "ODBC", "Pooling"));
    EXPECT_EQ(driverDir + "/libsqlite3odbc.so", config.ReadValue("odbcinst.ini", "SQLite3", "Driver"));
    EXPECT_EQ(driverDir + "/libsqlite3odbc.so", config.ReadValue("odbcinst.ini", "SQLite3", "Setup"));
    EXPECT_EQ("300", config.ReadValue("odbcinst.ini", "SQLite3", "CPTimeout"));
    EXPECT_EQ(driverDir + "/psqlodbcw.so", config.ReadValue("odbcinst.ini", "PostgreSQL Unicode", "Driver"));
    EXPECT_EQ("0", config.ReadValue("odbcinst.ini", "PostgreSQL Unicode", "CommLog"));
    EXPECT_EQ(driverDir + "/psqlodbca.so", config.ReadValue("odbcinst.ini", "PostgreSQL ANSI", "Driver"));
    EXPECT_EQ("", ReadTextFile(dir + "/odbc.ini")) << "odbc.ini is created empty";
    struct stat st;
    EXPECT_EQ(0, stat((dir + "/odbc.ini").c_str(), &st));
    EXPECT_EQ((std::vector<std::string>{"odbc.ini", "odbcinst.ini"}), Listing(dir)) << "no temporary files are left";

    // unixODBC reads the drivers.
    int status = 0;
    std::string drivers = Odbcinst(dir, "-q -d", &status);
    EXPECT_EQ(0, status) << drivers;
    EXPECT_TRUE(Has(drivers, "[SQLite3]")) << drivers;
    EXPECT_TRUE(Has(drivers, "[PostgreSQL Unicode]")) << drivers;
}

TEST_F(OdbcConfigTest, RegistersOnlyDriversThatExist) {
    std::string fake = m_dir + "/drivers";
    mkdir(fake.c_str(), 0755);
    setenv("DAVRIX_ODBC_DRIVER_DIR", fake.c_str(), 1);
    EXPECT_EQ(fake, OdbcConfig::DriverDir());

    OdbcConfig config(m_dir + "/cfg");
    std::string err;
    EXPECT_FALSE(config.WriteDrivers(&err)) << "no driver library at all";
    EXPECT_TRUE(Has(err, "libsqlite3odbc.so")) << err;

    WriteTextFile(fake + "/libsqlite3odbc.so", "");
    ASSERT_TRUE(config.WriteDrivers(&err)) << err;
    EXPECT_EQ(fake + "/libsqlite3odbc.so", config.ReadValue("odbcinst.ini", "SQLite3", "Driver"));
    EXPECT_EQ("", config.ReadValue("odbcinst.ini", "PostgreSQL Unicode", "Driver"));
}

TEST_F(OdbcConfigTest, KeepsWhatItDoesNotTouch) {
    std::string fake = m_dir + "/drivers";
    mkdir(fake.c_str(), 0755);
    WriteTextFile(fake + "/psqlodbcw.so", "");
    setenv("DAVRIX_ODBC_DRIVER_DIR", fake.c_str(), 1);
    WriteTextFile(File("odbcinst.ini"),
                  "; site drivers\n"
                  "[ODBC]\n"
                  "Trace = No\n"
                  "pooling = No\n"
                  "\n"
                  "[Vendor X]\n"
                  "Driver = /opt/x/libx.so\n"
                  "; keep me\n"
                  "\n"
                  "[postgresql unicode]\n"
                  "Driver = /old/psqlodbcw.so\n"
                  "Stale = 1\n");
    WriteTextFile(File("odbc.ini"), "[Existing]\nDriver = Vendor X\n");
    OdbcConfig config(m_dir);
    std::string err;
    ASSERT_TRUE(config.WriteDrivers(&err)) << err;
    std::string ini = ReadTextFile(File("odbcinst.ini"));
    EXPECT_TRUE(Has(ini, "; site drivers\n[ODBC]\nTrace = No\nPooling=Yes\n")) << ini;
    EXPECT_TRUE(Has(ini, "[Vendor X]\nDriver = /opt/x/libx.so\n; keep me\n")) << ini;
    EXPECT_TRUE(Has(ini, "[PostgreSQL Unicode]\nDriver=" + fake + "/psqlodbcw.so\n")) << ini;
    EXPECT_FALSE(Has(ini, "Stale")) << "a driver section is replaced whole";
    EXPECT_FALSE(Has(ini, "[postgresql unicode]"));
    EXPECT_EQ("[Existing]\nDriver = Vendor X\n", ReadTextFile(File("odbc.ini"))) << "an existing odbc.ini is left alone";
}

TEST_F(OdbcConfigTest, DataSourcesAreReplacedWhole) {
    OdbcConfig config(m_dir);
    std::string err;
    WriteTextFile(File("odbc.ini"), "[Before]\nDriver=SQLite3\nDatabase=/b.db\n\n[MyDsn]\nDriver=Old\nOldKey=1\n\n[After]\nDriver=SQLite3\n");
    ASSERT_TRUE(config.WriteDataSource("MyDsn", OdbcConfig::kSQLiteDriver, OdbcConfig::SQLiteAttributes("/data/x.db"), &err)) << err;
    std::string ini = ReadTextFile(File("odbc.ini"));
    EXPECT_EQ("[Before]\nDriver=SQLite3\nDatabase=/b.db\n\n"
              "[MyDsn]\nDriver=SQLite3\nDatabase=/data/x.db\nStepAPI=1\nJournalMode=WAL\nTimeout=10000\n"
              "SyncPragma=NORMAL\nLongNames=0\nNoTXN=0\n\n"
              "[After]\nDriver=SQLite3\n",
              ini);
    EXPECT_TRUE(config.HasDataSource("MyDsn"));
    EXPECT_TRUE(config.HasDataSource("mydsn")) << "names are looked up without regard to case";
    EXPECT_EQ("", config.ReadValue("odbc.ini", "MyDsn", "OldKey"));

    ASSERT_TRUE(config.WriteDataSource("New", OdbcConfig::kPostgresDriver,
                                       OdbcConfig::PostgresAttributes("/tmp/pg", "5433", "db", "me", "secret"), &err));
    EXPECT_EQ("secret", config.ReadValue("odbc.ini", "New", "Password"));
    EXPECT_EQ("1", config.ReadValue("odbc.ini", "New", "UseDeclareFetch"));
    ASSERT_TRUE(config.WriteDataSource("New", OdbcConfig::kPostgresDriver,
                                       OdbcConfig::PostgresAttributes("/tmp/pg", "5433", "db", "me"), &err));
    EXPECT_EQ("", config.ReadValue("odbc.ini", "New", "Password")) << "no password line without a password";
    EXPECT_EQ("PostgreSQL Unicode", config.ReadValue("odbc.ini", "New", "Driver"));

    ASSERT_TRUE(config.RemoveDataSource("MyDsn", &err));
    EXPECT_FALSE(config.HasDataSource("MyDsn"));
    EXPECT_TRUE(config.HasDataSource("Before"));
    EXPECT_TRUE(config.HasDataSource("After"));
    EXPECT_TRUE(config.RemoveDataSource("MyDsn", &err)) << "removing an absent source succeeds";
    EXPECT_EQ((std::vector<std::string>{"odbc.ini"}), Listing(m_dir)) << "no temporary files are left";
}

TEST_F(OdbcConfigTest, DuplicateSectionsDoNotSurvive) {
    OdbcConfig config(m_dir);
    WriteTextFile(File("odbc.ini"), "[Dup]\nDatabase=/first.db\n[Other]\nA=1\n[DUP]\nDatabase=/second.db\nStale=1\n");
    ASSERT_TRUE(config.WriteDataSource("Dup", "SQLite3", {{"Database", "/new.db"}}));
    EXPECT_EQ("[Dup]\nDriver=SQLite3\nDatabase=/new.db\n\n[Other]\nA=1\n", ReadTextFile(File("odbc.ini")));
    WriteTextFile(File("odbc.ini"), "[X]\n[x]\n[Y]\n");
    ASSERT_TRUE(config.RemoveDataSource("X"));
    EXPECT_EQ("[Y]\n", ReadTextFile(File("odbc.ini")));
}

TEST_F(OdbcConfigTest, RefusesTextThatWouldBreakTheFile) {
    OdbcConfig config(m_dir);
    ASSERT_TRUE(config.WriteDataSource("Good", "SQLite3", {{"Database", "/x.db"}}));
    std::string before = ReadTextFile(File("odbc.ini"));
    struct Case {
        const char* what;
        std::string name;
        OdbcConfig::Attributes attributes;
    };
    const Case cases[] = {
        {"line break in a value", "Bad", {{"Database", "/x.db\n[Injected]\nDriver=evil"}}},
        {"bracket in the name", "Bad]x", {}},
        {"empty name", "", {}},
        {"blank around the name", " Bad", {}},
        {"'=' in a key", "Bad", {{"Data=base", "x"}}},
        {"empty key", "Bad", {{"", "x"}}},
    };
    for (const Case& c : cases) {
        std::string err;
        EXPECT_FALSE(config.WriteDataSource(c.name, "SQLite3", c.attributes, &err)) << c.what;
        EXPECT_FALSE(err.empty()) << c.what;
    }
    EXPECT_EQ(before, ReadTextFile(File("odbc.ini"))) << "a refused edit changes nothing";
}

TEST_F(OdbcConfigTest, KeepsTheModeOfAnExistingFile) {
    OdbcConfig config(m_dir);
    WriteTextFile(File("odbc.ini"), "");
    chmod(File("odbc.ini").c_str(), 0600);
    ASSERT_TRUE(config.WriteDataSource("S", "SQLite3", {{"Password", "x"}}));
    struct stat st;
    ASSERT_EQ(0, stat(File("odbc.ini").c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777u);
}

TEST_F(OdbcConfigTest, UnixOdbcReadsWhatWasWritten) {
    if (OdbcConfig::DriverDir().empty()) GTEST_SKIP() << "no ODBC drivers installed";
    OdbcConfig config(m_dir);
    std::string err;
    ASSERT_TRUE(config.WriteDrivers(&err)) << err;
    ASSERT_TRUE(config.WriteDataSource("DAVRIX_CFG_TEST", OdbcConfig::kSQLiteDriver,
                                       OdbcConfig::SQLiteAttributes(m_dir + "/x.db"), &err))
        << err;
    int status = 0;
    std::string sources = Odbcinst(m_dir, "-q -s", &status);
    EXPECT_EQ(0, status) << sources;
    EXPECT_TRUE(Has(sources, "[DAVRIX_CFG_TEST]")) << sources;
    std::string one = Odbcinst(m_dir, "-q -s -n DAVRIX_CFG_TEST", &status);
    EXPECT_TRUE(Has(one, "JournalMode=WAL")) << one;

    // unixODBC itself can add a system data source to the prepared folder.
    WriteTextFile(m_dir + "/template.ini", "[ADDED_BY_ODBCINST]\nDriver=SQLite3\nDatabase=/tmp/y.db\n");
    std::string out = Odbcinst(m_dir, "-i -s -l -f '" + m_dir + "/template.ini'", &status);
    EXPECT_EQ(0, status) << out;
    EXPECT_TRUE(config.HasDataSource("ADDED_BY_ODBCINST"));
    EXPECT_TRUE(config.HasDataSource("DAVRIX_CFG_TEST"));
}

TEST(OdbcConfig, ThisProgramConnectsThroughItsPreparedFolder) {
    // TestMain wrote this program's folder with OdbcConfig before any test ran.
    RawConnection c(Backend::SQLite);
    EXPECT_EQ(1, c.Scalar("SELECT 1"));
    EXPECT_EQ("wal", c.Text("PRAGMA journal_mode"));
}

TEST(OdbcConfig, Folders) {
    const char* sys = getenv("ODBCSYSINI");
    EXPECT_EQ(sys && *sys ? std::string(sys) : std::string("/etc"), OdbcConfig::SystemDir());
    OdbcConfig::Attributes pg = OdbcConfig::PostgresAttributes("h", "1", "d", "u");
    ASSERT_GE(pg.size(), 4u);
    EXPECT_EQ("Servername", pg[0].first);
    bool lazy = false;
    for (const auto& kv : pg) lazy = lazy || (kv.first == "UseDeclareFetch" && kv.second == "1");
    EXPECT_TRUE(lazy) << "large results are fetched in blocks, not read whole at open";
}

}  // namespace
