// The registry stand-in over the private system odbc.ini of this test program.
#include <davrixfw/OdbcConfig.h>
#include <davrixfw/Registry.h>

#include "TestOdbc.h"

#include <odbcinst.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using davrix::OdbcConfig;
using namespace davrix::test;

namespace {

const std::string kPrefix = "software\\odbc\\odbc.ini\\";

// Data sources written straight into the private odbc.ini (as another program would) and
// removed again afterwards.
class RegistryTest : public ::testing::Test {
protected:
    RegistryTest() : m_config(ConfigDir()) {}
    ~RegistryTest() override {
        for (const std::string& name : m_written) m_config.RemoveDataSource(name);
    }

    std::string AddSource(const std::string& driver, const OdbcConfig::Attributes& attributes = {}) {
        std::string name = UniqueName("RegDsn");
        std::string err;
        EXPECT_TRUE(m_config.WriteDataSource(name, driver, attributes, &err)) << err;
        m_written.push_back(name);
        return name;
    }

    // The value as RegQueryValueExA gives it; ERROR_SUCCESS expected.
    static std::string Query(HKEY key, const char* valueName) {
        char buf[1024];
        DWORD cb = sizeof buf;
        DWORD type = REG_NONE;
        LSTATUS st = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(buf), &cb);
        EXPECT_EQ(ERROR_SUCCESS, st) << valueName;
        if (st != ERROR_SUCCESS) return "<error>";
        EXPECT_EQ((DWORD)REG_SZ, type);
        EXPECT_EQ(strlen(buf) + 1, cb) << "size counts the terminating zero";
        return std::string(buf);
    }

    // Opens kPrefix + name; the key is closed by the caller.
    static HKEY Open(const std::string& path) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key)) << path;
        return key;
    }

    std::string SQLiteLibrary() const {
        return m_config.ReadValue("odbcinst.ini", OdbcConfig::kSQLiteDriver, "Driver");
    }

    OdbcConfig m_config;
    std::vector<std::string> m_written;
};

std::string Lower(std::string s) {
    for (char& c : s) c = (char)tolower((unsigned char)c);
    return s;
}
std::string Upper(std::string s) {
    for (char& c : s) c = (char)toupper((unsigned char)c);
    return s;
}

TEST_F(RegistryTest, PathAndNameCompareWithoutLetterCase) {
    std::string name = AddSource(OdbcConfig::kSQLiteDriver, {{"Database", "/data/a.db"}});
    const std::vector<std::string> paths = {
        kPrefix + name,
        Upper(kPrefix) + Upper(name),
        Lower(kPrefix) + Lower(name),
        "Software\\ODBC\\ODBC.INI\\" + name,
    };
    for (const std::string& path : paths) {
        HKEY key = Open(path);
        ASSERT_NE(nullptr, key) << path;
        EXPECT_EQ("/data/a.db", Query(key, "Database")) << path;
        EXPECT_EQ("/data/a.db", Query(key, "DATABASE")) << "value names also ignore case";
        EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    }
}

TEST_F(RegistryTest, EverythingElseIsNotFound) {
    std::string name = AddSource(OdbcConfig::kSQLiteDriver);
    struct Case {
        HKEY root;
        std::string path;
        const char* why;
    };
    const Case cases[] = {
        {HKEY_CURRENT_USER, kPrefix + name, "another root"},
        {HKEY_LOCAL_MACHINE, "software\\odbc\\odbcinst.ini\\" + name, "another folder"},
        {HKEY_LOCAL_MACHINE, "software\\odbc\\odbc.ini", "the folder itself"},
        {HKEY_LOCAL_MACHINE, kPrefix, "an empty name"},
        {HKEY_LOCAL_MACHINE, kPrefix + name + "\\Sub", "a key below a data source"},
        {HKEY_LOCAL_MACHINE, kPrefix + name + "X", "a longer name"},
        {HKEY_LOCAL_MACHINE, kPrefix + "NoSuchDataSource", "an unknown name"},
        {HKEY_LOCAL_MACHINE, "x" + kPrefix + name, "a prefix before the path"},
        {HKEY_LOCAL_MACHINE, kPrefix + "ODBC Data Sources", "unixODBC's index section"},
    };
    for (const Case& c : cases) {
        HKEY key = reinterpret_cast<HKEY>(0x1234);
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(c.root, c.path.c_str(), 0, KEY_READ, &key)) << c.why;
        EXPECT_EQ(nullptr, key) << c.why;
    }
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kPrefix + name).c_str(), 0, KEY_READ, nullptr));
    // The stand-in is read-only: asking to write is refused even for a key that exists.
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kPrefix + name).c_str(), 0, 0x20006, &key));
    EXPECT_EQ(nullptr, key);
}

// The original platform's "Driver" value is the library file; unixODBC's may be a name.
TEST_F(RegistryTest, DriverValueIsTheLibraryFile) {
    std::string library = SQLiteLibrary();
    ASSERT_FALSE(library.empty());
    struct Case {
        std::string stored;
        std::string expected;
        const char* why;
    };
    const Case cases[] = {
        {OdbcConfig::kSQLiteDriver, library, "a registered name resolves"},
        {Lower(OdbcConfig::kSQLiteDriver), library, "in any letter case"},
        {"/opt/odbc/libother.so", "/opt/odbc/libother.so", "a path stays"},
        {"C:\\WINDOWS\\system32\\SQLSRV32.dll", "C:\\WINDOWS\\system32\\SQLSRV32.dll", "a Windows path stays"},
        {"NoSuchDriver", "NoSuchDriver", "an unregistered name stays"},
    };
    for (const Case& c : cases) {
        std::string name = AddSource(c.stored);
        HKEY key = Open(kPrefix + name);
        ASSERT_NE(nullptr, key);
        EXPECT_EQ(c.expected, Query(key, "Driver")) << c.why;
        EXPECT_EQ(c.expected, Query(key, "driver")) << c.why;
        RegCloseKey(key);
    }
}

TEST_F(RegistryTest, OtherValuesAsStoredMissingOnesNotFound) {
    std::string name = AddSource(OdbcConfig::kSQLiteDriver, {{"Database", "/x/y.db"}, {"Timeout", "10000"}});
    ASSERT_TRUE(m_config.WriteDataSource(name, OdbcConfig::kSQLiteDriver,
                                         {{"Database", "/x/y.db"}, {"Timeout", "10000"}, {"Empty", ""}}));
    HKEY key = Open(kPrefix + name);
    ASSERT_NE(nullptr, key);
    EXPECT_EQ("10000", Query(key, "Timeout"));

    // An empty value exists: one byte, the terminating zero.
    char buf[8] = "xxxxxxx";
    DWORD cb = sizeof buf;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Empty", nullptr, nullptr, reinterpret_cast<LPBYTE>(buf), &cb));
    EXPECT_EQ(1u, cb);
    EXPECT_EQ('\0', buf[0]);

    for (const char* missing : {"NoSuchValue", "", static_cast<const char*>(nullptr)}) {
        cb = sizeof buf;
        EXPECT_EQ(ERROR_FILE_NOT_FOUND,
                  RegQueryValueExA(key, missing, nullptr, nullptr, reinterpret_cast<LPBYTE>(buf), &cb));
    }
    DWORD reserved = 0;
    cb = sizeof buf;
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegQueryValueExA(key, "Timeout", &reserved, nullptr, reinterpret_cast<LPBYTE>(buf), &cb));
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegQueryValueExA(key, "Timeout", nullptr, nullptr, reinterpret_cast<LPBYTE>(buf), nullptr));
    RegCloseKey(key);
}

TEST_F(RegistryTest, SmallBufferGetsNothingAndTheNeededSize) {
    std::string value = "/a/rather/long/path/to/the/database/file.db";
    std::string name = AddSource(OdbcConfig::kSQLiteDriver, {{"Database", value}});
    HKEY key = Open(kPrefix + name);
    ASSERT_NE(nullptr, key);
    const DWORD needed = (DWORD)value.size() + 1;

    // Size only.
    DWORD cb = 0;
    DWORD type = REG_NONE;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Database", nullptr, &type, nullptr, &cb));
    EXPECT_EQ(needed, cb);
    EXPECT_EQ((DWORD)REG_SZ, type);

    for (DWORD size : {0u, 1u, needed - 1}) {
        std::vector<char> buf(needed + 16, '#');
        cb = size;
        EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(key, "Database", nullptr, nullptr,
                                                    reinterpret_cast<LPBYTE>(buf.data()), &cb))
            << size;
        EXPECT_EQ(needed, cb);
        EXPECT_EQ(std::string(buf.size(), '#'), std::string(buf.begin(), buf.end())) << "nothing written";
    }
    std::vector<char> buf(needed + 16, '#');
    cb = needed;
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExA(key, "Database", nullptr, nullptr, reinterpret_cast<LPBYTE>(buf.data()), &cb));
    EXPECT_EQ(needed, cb);
    EXPECT_EQ(value, std::string(buf.data()));
    EXPECT_EQ('#', buf[needed]) << "nothing past the text's zero";
    RegCloseKey(key);
}

// unixODBC keeps values it has read for 20 seconds; a registry read must not.
TEST_F(RegistryTest, ChangesShowAtOnce) {
    std::string name = AddSource("/first/lib.so");
    HKEY key = Open(kPrefix + name);
    ASSERT_NE(nullptr, key);
    EXPECT_EQ("/first/lib.so", Query(key, "Driver"));
    ASSERT_TRUE(m_config.WriteDataSource(name, "/second/lib.so", {}));
    EXPECT_EQ("/second/lib.so", Query(key, "Driver"));
    HKEY again = Open(kPrefix + name);
    EXPECT_EQ("/second/lib.so", Query(again, "Driver"));
    RegCloseKey(again);

    // A data source removed while its key is open has no values any more.
    ASSERT_TRUE(m_config.RemoveDataSource(name));
    char buf[64];
    DWORD cb = sizeof buf;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegQueryValueExA(key, "Driver", nullptr, nullptr, reinterpret_cast<LPBYTE>(buf), &cb));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    HKEY gone = reinterpret_cast<HKEY>(0x1);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kPrefix + name).c_str(), 0, KEY_READ, &gone));
}

TEST_F(RegistryTest, HandlesAreCheckedAndTheModeRestored) {
    std::string name = AddSource(OdbcConfig::kSQLiteDriver);
    HKEY key = Open(kPrefix + name);
    ASSERT_NE(nullptr, key);
    UWORD mode = 99;
    ASSERT_TRUE(SQLGetConfigMode(&mode));
    EXPECT_EQ(ODBC_BOTH_DSN, mode) << "the installer is back in both-mode after a read";

    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key)) << "closed twice";
    char buf[64];
    DWORD cb = sizeof buf;
    EXPECT_EQ(ERROR_INVALID_HANDLE,
              RegQueryValueExA(key, "Driver", nullptr, nullptr, reinterpret_cast<LPBYTE>(buf), &cb));
    int notAKey = 0;
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(reinterpret_cast<HKEY>(&notAKey)));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_LOCAL_MACHINE)) << "a root is never closed";
    cb = sizeof buf;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegQueryValueExA(HKEY_LOCAL_MACHINE, "Driver", nullptr, nullptr, reinterpret_cast<LPBYTE>(buf), &cb));
}

// unixODBC gives section lists in a buffer of the caller's size without saying when they
// did not fit; a data source listed late in a long odbc.ini must still be found.
TEST_F(RegistryTest, FindsTheLastOfManyDataSources) {
    std::string path = ConfigDir() + "/odbc.ini";
    std::string original = ReadTextFile(path);
    std::string text = original;
    const int kCount = 1500;  // about 40 KB of section names
    for (int i = 0; i < kCount; ++i)
        text += "\n[RegistryBulkDataSource_" + std::to_string(i) + "]\nDriver=/lib/bulk" + std::to_string(i) + ".so\n";
    WriteTextFile(path, text);
    std::string last = "RegistryBulkDataSource_" + std::to_string(kCount - 1);
    HKEY key = Open(kPrefix + last);
    if (key) {
        EXPECT_EQ("/lib/bulk" + std::to_string(kCount - 1) + ".so", Query(key, "Driver"));
        RegCloseKey(key);
    }
    WriteTextFile(path, original);
}

// A data source in the user's file ($ODBCINI) is invisible to the registry.
TEST_F(RegistryTest, UserDataSourceIsNotSeen) {
    UserDataSource user(UniqueName("UserOnlyDsn"));
    ASSERT_TRUE(user.Seen()) << "unixODBC did not read the user file; the check below would prove nothing";
    HKEY key = reinterpret_cast<HKEY>(0x1);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kPrefix + user.Name()).c_str(), 0, KEY_READ, &key));
    EXPECT_EQ(nullptr, key);
}

}  // namespace
