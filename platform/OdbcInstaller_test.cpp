// The installer stand-in, carried out for real on the private system odbc.ini.
#include <davrixfw/OdbcConfig.h>
#include <davrixfw/OdbcInstaller.h>

#include "TestOdbc.h"

#include <odbcinst.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using davrix::OdbcConfig;
using namespace davrix::test;

namespace {


// keyword=value entries, each ended by a zero byte, and the empty entry that ends the list.
std::string List(const std::vector<std::string>& entries) {
    std::string list;
    for (const std::string& e : entries) {
        list += e;
        list += '\0';
    }
    list += '\0';
    return list;
}

class OdbcInstaller : public ::testing::Test {
protected:
    OdbcInstaller() : m_config(ConfigDir()) {}
    void TearDown() override {
        AfxSetInstallerAvailable(TRUE);
        for (const std::string& name : m_names) m_config.RemoveDataSource(name);
    }

    std::string NewName() {
        m_names.push_back(UniqueName("InstDsn"));
        return m_names.back();
    }
    std::string Value(const std::string& name, const std::string& key) const {
        return m_config.ReadValue("odbc.ini", name, key);
    }
    std::string SourcesText() const { return ReadTextFile(ConfigDir() + "/odbc.ini"); }

    static BOOL Add(const char* driver, const std::string& list) {
        return AfxConfigDataSource(nullptr, ODBC_ADD_SYS_DSN, driver, list.c_str());
    }
    static BOOL Remove(const char* driver, const std::string& list) {
        return AfxConfigDataSource(nullptr, ODBC_REMOVE_SYS_DSN, driver, list.c_str());
    }

    OdbcConfig m_config;
    std::vector<std::string> m_names;
};

TEST_F(OdbcInstaller, AddRegistersAUsableDataSource) {
    std::string name = NewName();
    std::string db = ConfigDir() + "/installer.db";
    ASSERT_TRUE(Add("sqlite3", List({"DSN=" + name, " DESCRIPTION=made by the installer", " Database=" + db,
                                     " Timeout=5000"})));
    EXPECT_EQ(OdbcConfig::kSQLiteDriver, Value(name, "Driver")) << "the registered spelling of the driver";
    EXPECT_EQ("made by the installer", Value(name, "DESCRIPTION")) << "keywords lose their leading blanks";
    EXPECT_EQ(db, Value(name, "Database"));
    UWORD mode = 99;
    SQLGetConfigMode(&mode);
    EXPECT_EQ(ODBC_BOTH_DSN, mode);

    RawConnection connection("DSN=" + name);
    EXPECT_EQ(1, connection.Scalar("SELECT 1"));
}

TEST_F(OdbcInstaller, AddReplacesTheWholeSection) {
    std::string name = NewName();
    ASSERT_TRUE(Add(OdbcConfig::kSQLiteDriver, List({"DSN=" + name, "Old=1", "Kept=a"})));
    ASSERT_TRUE(Add(OdbcConfig::kSQLiteDriver, List({"DSN=" + name, "Kept=b"})));
    EXPECT_EQ("", Value(name, "Old"));
    EXPECT_EQ("b", Value(name, "Kept"));
}

TEST_F(OdbcInstaller, HowEntriesAreRead) {
    std::string name = NewName();
    ASSERT_TRUE(Add(OdbcConfig::kSQLiteDriver,
                    List({"dsn=" + name, "  no keyword here", "=no keyword", " DRIVER=/evil/lib.so",
                          " DSN=SomeOtherName", " Twice=first", "Twice=last", "Spaced  =yes", "Equals=a=b"})));
    EXPECT_EQ(OdbcConfig::kSQLiteDriver, Value(name, "Driver")) << "the request's driver, not an entry's";
    EXPECT_FALSE(m_config.HasDataSource("SomeOtherName")) << "the first DSN entry names the data source";
    EXPECT_EQ("", Value(name, "DSN"));
    EXPECT_EQ("last", Value(name, "Twice"));
    EXPECT_EQ("yes", Value(name, "Spaced"));
    EXPECT_EQ("a=b", Value(name, "Equals"));
    std::string section = SourcesText();
    EXPECT_EQ(std::string::npos, section.find("no keyword"));
}

TEST_F(OdbcInstaller, RefusedRequestsWriteNothing) {
    std::string name = NewName();
    const std::string dsn = "DSN=" + name;
    struct Case {
        WORD request;
        const char* driver;
        std::string list;
        bool nullList;
        const char* why;
    };
    const Case cases[] = {
        {ODBC_ADD_SYS_DSN, "No Such Driver", List({dsn}), false, "unregistered driver"},
        {ODBC_ADD_SYS_DSN, "", List({dsn}), false, "empty driver"},
        {ODBC_ADD_SYS_DSN, nullptr, List({dsn}), false, "null driver"},
        {ODBC_ADD_SYS_DSN, "ODBC", List({dsn}), false, "the driver manager's own section"},
        {ODBC_ADD_SYS_DSN, OdbcConfig::kSQLiteDriver, "", true, "null list"},
        {ODBC_ADD_SYS_DSN, OdbcConfig::kSQLiteDriver, List({}), false, "empty list"},
        {ODBC_ADD_SYS_DSN, OdbcConfig::kSQLiteDriver, List({"Database=/x.db"}), false, "no DSN"},
        {ODBC_ADD_SYS_DSN, OdbcConfig::kSQLiteDriver, List({"DSN="}), false, "empty DSN"},
        {ODBC_ADD_SYS_DSN, OdbcConfig::kSQLiteDriver, List({"DSN=a[b"}), false, "'[' in the name"},
        {ODBC_ADD_SYS_DSN, OdbcConfig::kSQLiteDriver, List({"DSN=a]b"}), false, "']' in the name"},
        {ODBC_ADD_SYS_DSN, OdbcConfig::kSQLiteDriver, List({"DSN=a;b"}), false, "';' in the name"},
        {ODBC_ADD_SYS_DSN, OdbcConfig::kSQLiteDriver, List({"DSN=" + std::string(33, 'n')}), false, "name too long"},
        {ODBC_ADD_SYS_DSN, OdbcConfig::kSQLiteDriver, List({"DSN=ODBC Data Sources"}), false, "the index section"},
        {ODBC_ADD_SYS_DSN, OdbcConfig::kSQLiteDriver, List({dsn, "Description=a\nDriver=/evil.so"}), false,
         "a line break in a value"},
        {ODBC_ADD_SYS_DSN, OdbcConfig::kSQLiteDriver, List({dsn, "Desc\rription=a"}), false,
         "a line break in a keyword"},
        {ODBC_ADD_SYS_DSN, OdbcConfig::kSQLiteDriver, List({dsn, "[Other]=x"}), false, "a keyword like a section"},
        {ODBC_ADD_SYS_DSN, OdbcConfig::kSQLiteDriver, List({dsn, "#note=x"}), false, "a keyword like a comment"},
        {ODBC_ADD_DSN, OdbcConfig::kSQLiteDriver, List({dsn}), false, "a user data source"},
        {ODBC_CONFIG_SYS_DSN, OdbcConfig::kSQLiteDriver, List({dsn}), false, "configure"},
        {ODBC_REMOVE_DSN, OdbcConfig::kSQLiteDriver, List({dsn}), false, "remove a user data source"},
        {7, OdbcConfig::kSQLiteDriver, List({dsn}), false, "remove the default data source"},
    };
    std::string before = SourcesText();
    for (const Case& c : cases) {
        EXPECT_FALSE(AfxConfigDataSource(nullptr, c.request, c.driver, c.nullList ? nullptr : c.list.c_str()))
            << c.why;
        EXPECT_EQ(before, SourcesText()) << c.why;
    }
}

TEST_F(OdbcInstaller, RemoveOnlyWhatExists) {
    std::string name = NewName();
    ASSERT_TRUE(Add(OdbcConfig::kSQLiteDriver, List({"DSN=" + name})));
    EXPECT_FALSE(Remove("No Such Driver", List({"DSN=" + name}))) << "the driver must be registered";
    EXPECT_TRUE(m_config.HasDataSource(name));

    std::string lower = name;
    for (char& c : lower) c = (char)tolower((unsigned char)c);
    EXPECT_TRUE(Remove(OdbcConfig::kPostgresDriver, List({"DSN=" + lower, "Ignored=1"})))
        << "any registered driver; the name in any letter case";
    EXPECT_FALSE(m_config.HasDataSource(name));
    EXPECT_FALSE(Remove(OdbcConfig::kSQLiteDriver, List({"DSN=" + name}))) << "nothing left to remove";
    EXPECT_FALSE(Remove(OdbcConfig::kSQLiteDriver, List({"Database=x"}))) << "no DSN";
}

TEST_F(OdbcInstaller, UnavailableInstallerDoesNothing) {
    std::string name = NewName();
    ASSERT_TRUE(Add(OdbcConfig::kSQLiteDriver, List({"DSN=" + name})));
    std::string before = SourcesText();
    AfxSetInstallerAvailable(FALSE);
    EXPECT_FALSE(Add(OdbcConfig::kSQLiteDriver, List({"DSN=" + name + "x"})));
    EXPECT_FALSE(Remove(OdbcConfig::kSQLiteDriver, List({"DSN=" + name})));
    EXPECT_EQ(before, SourcesText());
    AfxSetInstallerAvailable(TRUE);
    EXPECT_TRUE(Remove(OdbcConfig::kSQLiteDriver, List({"DSN=" + name})));
}

// unixODBC refuses system-mode writes while odbc.ini is missing; the installer creates it.
TEST_F(OdbcInstaller, CreatesAMissingSourcesFile) {
    std::string path = ConfigDir() + "/odbc.ini";
    std::string original = ReadTextFile(path);
    ASSERT_EQ(0, remove(path.c_str()));
    std::string name = NewName();
    EXPECT_TRUE(Add(OdbcConfig::kSQLiteDriver, List({"DSN=" + name, "Database=/x.db"})));
    EXPECT_EQ("/x.db", Value(name, "Database"));
    WriteTextFile(path, original);
}

}  // namespace
