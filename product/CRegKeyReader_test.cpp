// CRegKeyReader over the registry stand-in: data sources in the private system odbc.ini.
#include "product/CRegKeyReader.h"

#include <davrixfw/OdbcConfig.h>

#include "TestOdbc.h"

#include <string>
#include <vector>

using davrix::OdbcConfig;
using namespace davrix::test;

namespace {

const std::string kPrefix = "software\\odbc\\odbc.ini\\";

class RegKeyReader : public ::testing::Test {
protected:
    RegKeyReader() : m_config(ConfigDir()) {}
    ~RegKeyReader() override {
        for (const std::string& name : m_names) m_config.RemoveDataSource(name);
    }
    // A data source with the given attributes; its registry path.
    std::string AddSource(const OdbcConfig::Attributes& attributes) {
        m_names.push_back(UniqueName("ReaderDsn"));
        std::string err;
        EXPECT_TRUE(m_config.WriteDataSource(m_names.back(), "/opt/odbc/libtest.so", attributes, &err)) << err;
        return kPrefix + m_names.back();
    }

    OdbcConfig m_config;
    std::vector<std::string> m_names;
};

TEST_F(RegKeyReader, OpenAndClose) {
    std::string path = AddSource({});
    CRegKeyReader reader;
    EXPECT_EQ(nullptr, reader.m_hKey);
    EXPECT_EQ(ERROR_SUCCESS, reader.Close()) << "nothing to close";

    EXPECT_EQ(1, reader.Open(HKEY_LOCAL_MACHINE, path.c_str()));
    HKEY first = reader.m_hKey;
    EXPECT_NE(nullptr, first);
    EXPECT_EQ(1, reader.Open(HKEY_LOCAL_MACHINE, CString(path.c_str())));
    // The heap may hand the new key the old key's address; only a different handle shows it.
    if (reader.m_hKey != first) {
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(first)) << "a second Open closes the first key";
    }

    EXPECT_EQ(0, reader.Open(HKEY_LOCAL_MACHINE, (kPrefix + "NoSuchDataSource").c_str()));
    EXPECT_EQ(nullptr, reader.m_hKey);
    EXPECT_EQ(0, reader.Open(HKEY_CURRENT_USER, path.c_str()));
    EXPECT_EQ(0, reader.Open(HKEY_LOCAL_MACHINE, static_cast<LPCSTR>(nullptr)));

    EXPECT_EQ(1, reader.Open(HKEY_LOCAL_MACHINE, path.c_str()));
    EXPECT_EQ(ERROR_SUCCESS, reader.Close());
    EXPECT_EQ(nullptr, reader.m_hKey);
}

TEST_F(RegKeyReader, DestructionClosesTheKey) {
    std::string path = AddSource({});
    HKEY key = nullptr;
    {
        CRegKeyReader reader;
        ASSERT_EQ(1, reader.Open(HKEY_LOCAL_MACHINE, path.c_str()));
        key = reader.m_hKey;
    }
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
}

// The value's data must fit 512 bytes with its terminating zero: 511 characters at most.
TEST_F(RegKeyReader, QueryStringGivesTheTextOrTheDefault) {
    const std::string v511(511, 'a');
    const std::string v512(512, 'b');
    std::string path = AddSource({{"Plain", "C:\\WINDOWS\\system32\\SQLSRV32.dll"},
                                  {"Empty", ""},
                                  {"Fits", v511},
                                  {"TooLong", v512},
                                  {"MuchTooLong", std::string(900, 'c')}});
    struct Case {
        std::string path;
        const char* value;
        std::string expected;
        bool keyOpen;
    };
    const Case cases[] = {
        {path, "Plain", "C:\\WINDOWS\\system32\\SQLSRV32.dll", true},
        {path, "Driver", "/opt/odbc/libtest.so", true},
        {path, "Fits", v511, true},
        {path, "TooLong", "<default>", true},
        {path, "MuchTooLong", "<default>", true},
        {path, "Empty", "<default>", true},
        {path, "Missing", "<default>", true},
        {kPrefix + "NoSuchDataSource", "Driver", "<default>", false},
        {"software\\other\\" + m_names.back(), "Driver", "<default>", false},
    };
    for (const Case& c : cases) {
        CRegKeyReader reader;
        CString text = reader.QueryString(HKEY_LOCAL_MACHINE, c.path.c_str(), c.value, CString("<default>"));
        EXPECT_EQ(c.expected, std::string(text.GetString(), text.GetLength())) << c.value;
        EXPECT_EQ(c.keyOpen, reader.m_hKey != nullptr) << c.value << ": the key stays open once it opened";
    }
}

TEST_F(RegKeyReader, EmptyDefaultForAMissingValue) {
    std::string path = AddSource({});
    CRegKeyReader reader;
    CString text = reader.QueryString(HKEY_LOCAL_MACHINE, path.c_str(), "Missing", CString());
    EXPECT_TRUE(text.IsEmpty());
}

}  // namespace
