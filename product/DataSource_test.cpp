// The data-source functions: the exact attribute lists, and registration, lookup and
// removal carried out for real in the private ODBC configuration.
#include <davrixdb/product/DataSource.h>
#include <davrixfw/OdbcConfig.h>
#include <davrixfw/OdbcInstaller.h>
#include <davrixfw/Registry.h>

#include "product/DataSourceList.h"

#include "TestOdbc.h"

#include <odbcinst.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using davrix::OdbcConfig;
using namespace davrix::test;

namespace {

const char kAccessDriver[] = "Microsoft Access Driver (*.mdb)";


// ---- the lists, byte for byte ----

// Runs a builder on a buffer followed by guard bytes: nothing may land past the 512 bytes.
struct GuardedBuffer {
    davrix::dsn::Buffer buf;
    char guard[32];
};

template <typename Build>
std::string BuildGuarded(Build build, bool* pOk) {
    GuardedBuffer g;
    memset(&g, '#', sizeof g);
    size_t length = 0;
    *pOk = build(g.buf, &length);
    EXPECT_EQ(std::string(sizeof g.guard, '#'), std::string(g.guard, sizeof g.guard)) << "written past the buffer";
    if (!*pOk) return std::string();
    EXPECT_LE(length, sizeof g.buf);
    return std::string(g.buf, length);
}

#define BYTES(literal) std::string(literal, sizeof(literal) - 1)

TEST(DataSourceList, AccessListBytes) {
    struct Case {
        const char* name;
        const char* path;
        const char* description;
        std::string expected;
        const char* why;
    };
    const Case cases[] = {
        {"X", "/p.mdb", "D", BYTES("DSN=X\0 DESCRIPTION=D\0 DBQ=/p.mdb\0 FIL=MicrosoftAccess\0\0\0"), "plain"},
        {"X", "/p.mdb", "", BYTES("DSN=X\0 DESCRIPTION=\0 DBQ=/p.mdb\0 FIL=MicrosoftAccess\0\0\0"),
         "empty description: the entry stays, with an empty value"},
        {"X", "/p.mdb", "a?b c", BYTES("DSN=X\0 DESCRIPTION=a\0b c\0 DBQ=/p.mdb\0 FIL=MicrosoftAccess\0\0\0"),
         "a '?' splits the description; the rest comes before DBQ"},
        {"X", "/p.mdb", "??", BYTES("DSN=X\0 DESCRIPTION=\0\0\0 DBQ=/p.mdb\0 FIL=MicrosoftAccess\0\0\0"),
         "'?' only: the list ends early, as the installer reads it"},
        {nullptr, nullptr, nullptr, BYTES("DSN=\0 DESCRIPTION=\0 DBQ=\0 FIL=MicrosoftAccess\0\0\0"), "null texts"},
    };
    for (const Case& c : cases) {
        bool ok = false;
        std::string bytes = BuildGuarded(
            [&](davrix::dsn::Buffer& buf, size_t* len) {
                return davrix::dsn::BuildAccessDsnList(c.name, c.path, c.description, buf, len);
            },
            &ok);
        EXPECT_TRUE(ok) << c.why;
        EXPECT_EQ(c.expected, bytes) << c.why;
    }
}

TEST(DataSourceList, AccessListLimits) {
    struct Case {
        size_t name, description, path;
        bool ok;
    };
    // 47 fixed characters and the terminating zero leave 464 for the three texts.
    const Case cases[] = {
        {8, 200, 256, true}, {464, 0, 0, true}, {0, 0, 464, true}, {8, 201, 256, false},
        {465, 0, 0, false},  {0, 465, 0, false}, {300, 300, 300, false},
    };
    for (const Case& c : cases) {
        std::string name(c.name, 'n'), description(c.description, 'd'), path(c.path, 'p');
        bool ok = false;
        std::string bytes = BuildGuarded(
            [&](davrix::dsn::Buffer& buf, size_t* len) {
                return davrix::dsn::BuildAccessDsnList(name.c_str(), path.c_str(), description.c_str(), buf, len);
            },
            &ok);
        EXPECT_EQ(c.ok, ok) << c.name << "+" << c.description << "+" << c.path;
        if (ok) {
            EXPECT_EQ(47 + c.name + c.description + c.path + 1, bytes.size());
        }
    }
}

// A '?' in the name or path would register another name or another file and report success.
TEST(DataSourceList, AccessListRefusesAQuestionMarkInNameOrPath) {
    davrix::dsn::Buffer buf;
    size_t len = 0;
    EXPECT_FALSE(davrix::dsn::BuildAccessDsnList("A?B", "/p.mdb", "d", buf, &len));
    EXPECT_FALSE(davrix::dsn::BuildAccessDsnList("AB", "/data?/p.mdb", "d", buf, &len));
}

TEST(DataSourceList, RemoveListAndRegistryPath) {
    struct Case {
        size_t nameLength;
        bool removeOk;
        bool pathOk;
    };
    const Case cases[] = {{0, true, true}, {488, true, true}, {489, true, false}, {506, true, false}, {507, false, false}};
    for (const Case& c : cases) {
        std::string name(c.nameLength, 'n');
        bool ok = false;
        std::string bytes = BuildGuarded(
            [&](davrix::dsn::Buffer& buf, size_t* len) { return davrix::dsn::BuildRemoveList(name.c_str(), buf, len); },
            &ok);
        EXPECT_EQ(c.removeOk, ok) << c.nameLength;
        if (ok) {
            EXPECT_EQ("DSN=" + name + std::string(2, '\0'), bytes);
        }

        bytes = BuildGuarded(
            [&](davrix::dsn::Buffer& buf, size_t* len) {
                return davrix::dsn::BuildRegistryPath(name.c_str(), buf, len);
            },
            &ok);
        EXPECT_EQ(c.pathOk, ok) << c.nameLength;
        if (ok) {
            EXPECT_EQ("software\\odbc\\odbc.ini\\" + name + std::string(1, '\0'), bytes);
        }
    }
    bool ok = false;
    EXPECT_EQ(BYTES("DSN=\0\0"), BuildGuarded([](davrix::dsn::Buffer& buf,
                                                 size_t* len) { return davrix::dsn::BuildRemoveList(nullptr, buf, len); },
                                              &ok));
}

// ---- the functions, for real ----

// odbcinst -q -s in a child process with the same private folder and a home of its own.
std::vector<std::string> ListedByOdbcinst() {
    std::string home = ConfigDir() + "/odbcinst-home";
    mkdir(home.c_str(), 0755);
    int status = -1;
    std::string out = RunCommand("env -u ODBCINI HOME='" + home + "' ODBCSYSINI='" + ConfigDir() +
                                     "' odbcinst -q -s 2>&1",
                                 &status);
    EXPECT_EQ(0, status) << out;
    std::vector<std::string> names;
    size_t pos = 0;
    while ((pos = out.find('[', pos)) != std::string::npos) {
        size_t end = out.find(']', pos);
        if (end == std::string::npos) break;
        names.push_back(out.substr(pos + 1, end - pos - 1));
        pos = end + 1;
    }
    return names;
}

bool Listed(const std::string& name) {
    for (const std::string& n : ListedByOdbcinst())
        if (n == name) return true;
    return false;
}

// "Microsoft Access Driver (*.mdb)" is registered in the private odbcinst.ini for this
// suite, served by the SQLite driver library, and removed again afterwards.
class DataSourceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string library = OdbcConfig::DriverDir() + "/libsqlite3odbc.so";
        ASSERT_TRUE(SQLWritePrivateProfileString(kAccessDriver, "Driver", library.c_str(), "odbcinst.ini"));
    }
    static void TearDownTestSuite() { SQLWritePrivateProfileString(kAccessDriver, nullptr, nullptr, "odbcinst.ini"); }

    DataSourceTest() : m_config(ConfigDir()) {}
    void TearDown() override {
        AfxSetInstallerAvailable(TRUE);
        for (const std::string& name : m_names) m_config.RemoveDataSource(name);
    }
    std::string NewName() {
        m_names.push_back(UniqueName("AccessDsn"));
        return m_names.back();
    }
    std::string Value(const std::string& name, const std::string& key) const {
        return m_config.ReadValue("odbc.ini", name, key);
    }

    OdbcConfig m_config;
    std::vector<std::string> m_names;
};

TEST_F(DataSourceTest, CreateFindRemoveRoundTrip) {
    std::string name = NewName();
    std::string path = ConfigDir() + "/station.mdb";
    ASSERT_FALSE(Listed(name));
    EXPECT_EQ(0, geIsDSNExist(name.c_str()));

    EXPECT_NE(0, geCreateAccessDSN(name.c_str(), path.c_str(), "fault records"));
    EXPECT_TRUE(Listed(name)) << "unixODBC's own tool sees the registration";
    EXPECT_EQ(1, geIsDSNExist(name.c_str()));
    EXPECT_EQ(kAccessDriver, Value(name, "Driver"));
    EXPECT_EQ("fault records", Value(name, "DESCRIPTION"));
    EXPECT_EQ(path, Value(name, "DBQ"));
    EXPECT_EQ("MicrosoftAccess", Value(name, "FIL"));

    // The registry's "Driver" value is the library file that serves the data source.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, ("software\\odbc\\odbc.ini\\" + name).c_str(), 0, KEY_READ, &key));
    char buf[512];
    DWORD cb = sizeof buf;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Driver", nullptr, nullptr, reinterpret_cast<LPBYTE>(buf), &cb));
    EXPECT_EQ(OdbcConfig::DriverDir() + "/libsqlite3odbc.so", std::string(buf));
    RegCloseKey(key);

    EXPECT_NE(0, geDSNRemove(name.c_str(), kAccessDriver));
    EXPECT_FALSE(Listed(name));
    EXPECT_EQ(0, geIsDSNExist(name.c_str()));
    EXPECT_EQ(0, geDSNRemove(name.c_str(), kAccessDriver)) << "nothing left to remove";
}

TEST_F(DataSourceTest, ExistenceIgnoresLetterCase) {
    std::string name = NewName();
    ASSERT_NE(0, geCreateAccessDSN(name.c_str(), "/p.mdb", "d"));
    std::string upper = name, lower = name;
    for (char& c : upper) c = (char)toupper((unsigned char)c);
    for (char& c : lower) c = (char)tolower((unsigned char)c);
    EXPECT_EQ(1, geIsDSNExist(upper.c_str()));
    EXPECT_EQ(1, geIsDSNExist(lower.c_str()));
    EXPECT_EQ(1, geIsDSNExist(Dsn(Backend::SQLite).c_str())) << "any system data source counts";
    EXPECT_NE(0, geDSNRemove(lower.c_str(), kAccessDriver));
    EXPECT_EQ(0, geIsDSNExist(name.c_str()));
}

TEST_F(DataSourceTest, DescriptionTexts) {
    struct Case {
        std::string description;
        std::string stored;
        const char* why;
    };
    const Case cases[] = {
        {"", "", "empty: the entry is written with an empty value"},
        {"daily? weekly", "daily", "a '?' ends the description; the rest has no keyword and is dropped"},
        {"x?DBQ=/elsewhere.mdb", "x", "an entry smuggled in before DBQ is overridden by the real one"},
        {"x?DSN=Hijacked", "x", "an entry smuggled in cannot rename the data source"},
    };
    for (const Case& c : cases) {
        std::string name = NewName();
        ASSERT_NE(0, geCreateAccessDSN(name.c_str(), "/real.mdb", c.description.c_str())) << c.why;
        EXPECT_EQ(c.stored, Value(name, "DESCRIPTION")) << c.why;
        EXPECT_EQ("/real.mdb", Value(name, "DBQ")) << c.why;
        EXPECT_EQ(std::string::npos, ReadTextFile(ConfigDir() + "/odbc.ini").find("Hijacked")) << c.why;
    }
    // The empty description is there as a value of its own, not missing.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, ("software\\odbc\\odbc.ini\\" + m_names[0]).c_str(), 0,
                                           KEY_READ, &key));
    char buf[8];
    DWORD cb = sizeof buf;
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExA(key, "DESCRIPTION", nullptr, nullptr, reinterpret_cast<LPBYTE>(buf), &cb));
    EXPECT_EQ(1u, cb);
    RegCloseKey(key);
}

TEST_F(DataSourceTest, RefusedRequestsRegisterNothing) {
    std::string name = NewName();
    std::string before = ReadTextFile(ConfigDir() + "/odbc.ini");
    struct Case {
        std::string name, path, description;
        const char* why;
    };
    const Case cases[] = {
        {name, std::string(400, 'p'), std::string(64, 'd'), "texts longer than 464 together"},
        {name + "?x", "/p.mdb", "d", "'?' in the name"},
        {name, "/odd?/p.mdb", "d", "'?' in the path"},
        {std::string(33, 'n'), "/p.mdb", "d", "a name longer than ODBC allows"},
        {"", "/p.mdb", "d", "an empty name"},
        {name + "[1]", "/p.mdb", "d", "brackets in the name"},
        {name, "/p.mdb", "line\nDriver=/evil.so", "a line break in the description"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(0, geCreateAccessDSN(c.name.c_str(), c.path.c_str(), c.description.c_str())) << c.why;
        EXPECT_EQ(before, ReadTextFile(ConfigDir() + "/odbc.ini")) << c.why;
    }
    EXPECT_EQ(0, geCreateAccessDSN(nullptr, nullptr, nullptr)) << "null texts are empty: no name";
}

TEST_F(DataSourceTest, RemoveNeedsAKnownDriverAndAName) {
    std::string name = NewName();
    ASSERT_NE(0, geCreateAccessDSN(name.c_str(), "/p.mdb", "d"));
    EXPECT_EQ(0, geDSNRemove(name.c_str(), "No Such Driver"));
    EXPECT_EQ(0, geDSNRemove(name.c_str(), nullptr));
    EXPECT_EQ(0, geDSNRemove(nullptr, kAccessDriver));
    EXPECT_EQ(0, geDSNRemove(std::string(507, 'n').c_str(), kAccessDriver));
    EXPECT_EQ(1, geIsDSNExist(name.c_str()));
}

TEST_F(DataSourceTest, UnavailableInstallerGivesZero) {
    std::string name = NewName();
    ASSERT_NE(0, geCreateAccessDSN(name.c_str(), "/p.mdb", "d"));
    AfxSetInstallerAvailable(FALSE);
    EXPECT_EQ(0, geCreateAccessDSN((name + "b").c_str(), "/p.mdb", "d"));
    EXPECT_EQ(0, geDSNRemove(name.c_str(), kAccessDriver));
    AfxSetInstallerAvailable(TRUE);
    EXPECT_EQ(0, geIsDSNExist((name + "b").c_str()));
    EXPECT_EQ(1, geIsDSNExist(name.c_str()));
}

TEST(DataSourceExist, OddNames) {
    EXPECT_EQ(0, geIsDSNExist(nullptr));
    EXPECT_EQ(0, geIsDSNExist(""));
    EXPECT_EQ(0, geIsDSNExist(std::string(488, 'n').c_str()));
    EXPECT_EQ(0, geIsDSNExist(std::string(489, 'n').c_str()));
    EXPECT_EQ(0, geIsDSNExist(std::string(5000, 'n').c_str()));
    EXPECT_EQ(0, geIsDSNExist((Dsn(Backend::SQLite) + "\\Sub").c_str()));
}

// Without the Access driver registered, as on a plain Linux machine, nothing is created.
TEST(DataSourceNoAccessDriver, CreateGivesZero) {
    std::string name = UniqueName("NoDriverDsn");
    EXPECT_EQ(0, geCreateAccessDSN(name.c_str(), "/p.mdb", "d"));
    EXPECT_EQ(0, geIsDSNExist(name.c_str()));
}

// A data source in the user's file ($ODBCINI) does not count.
TEST(DataSourceExist, UserDataSourceDoesNotCount) {
    UserDataSource user(UniqueName("UserOnlyDsn"));
    ASSERT_TRUE(user.Seen()) << "unixODBC did not read the user file; the check below would prove nothing";
    EXPECT_EQ(0, geIsDSNExist(user.Name().c_str()));
}

}  // namespace
