#include <davrixdb/product/CDAVRIXRecordset.h>
#include <davrixdb/tables/CTblFault.h>
#include <davrixdb/views/CVwFault.h>

#include <davrixfw/OdbcConfig.h>

#include "tables/TestSchema.h"

#include <odbcinst.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace davrix::test;

namespace {

const std::string kUserFolder = "/user";

// Data sources registered for this program's user live in a private file, so that the
// test never touches the real user's ~/.odbc.ini. unixODBC reads ODBCINI when it looks
// for the user file, so it is set before main.
const bool g_userIniSet = [] {
    const char* sys = getenv("ODBCSYSINI");
    if (sys && *sys && !getenv("ODBCINI")) setenv("ODBCINI", (std::string(sys) + kUserFolder + "/odbc.ini").c_str(), 1);
    return true;
}();

// A value of WORD that detection never gives, to see whether it was left alone.
const WORD kUntouched = 77;

std::string SourcesFile() { return ConfigDir() + "/odbc.ini"; }

// The "DAVRIX" section as the case wants it: absent, without Driver, or with a Driver text.
enum class Registration { Absent, NoDriverValue, Driver, UserOnly };

void Register(Registration how, const std::string& driver = std::string()) {
    davrix::OdbcConfig system(ConfigDir());
    davrix::OdbcConfig user(ConfigDir() + kUserFolder);
    ASSERT_TRUE(system.RemoveDataSource("DAVRIX"));
    if (how == Registration::UserOnly) {
        ASSERT_TRUE(user.WriteDataSource("DAVRIX", driver, {}));
        return;
    }
    user.RemoveDataSource("DAVRIX");
    if (how == Registration::Absent) return;
    // Written by hand: an empty or missing Driver is what the writer refuses to produce.
    std::string text = ReadTextFile(SourcesFile());
    text += how == Registration::Driver ? "\n[DAVRIX]\nDriver=" + driver + "\nDescription=case\n"
                                        : std::string("\n[DAVRIX]\nDescription=no driver\n");
    WriteTextFile(SourcesFile(), text);
}

// Forget any earlier detection or connection parameters.
void ResetConnection(WORD drv) {
    CDadRecordset::m_szConnection.Empty();
    CDadRecordset::m_szDSN.Empty();
    CDadRecordset::m_szUID.Empty();
    CDadRecordset::m_szPWD.Empty();
    CDAVRIXRecordset::m_wDrv = drv;
}

class ProductRecordset : public ::testing::Test {
protected:
    void TearDown() override {
        Register(Registration::Absent);
        ResetConnection(0);
    }
};

struct DetectionCase {
    const char* label;
    Registration how;
    const char* driver;
    WORD expectDrv;  // kUntouched: left as it was
    bool serverLogin;
};

const DetectionCase kDetectionCases[] = {
    {"SqlServerUpperCase", Registration::Driver, "C:\\WINDOWS\\system32\\SQLSRV32.dll", 1, true},
    {"NativeClient10", Registration::Driver, "C:\\Windows\\system32\\sqlncli10.dll", 1, true},
    {"AccessJet", Registration::Driver, "C:\\WINDOWS\\System32\\odbcjt32.dll", 2, false},
    {"NativeClient11", Registration::Driver, "C:\\Windows\\system32\\sqlncli11.dll", 0, false},
    {"OtherLibraryPath", Registration::Driver, "/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so", 0, false},
    {"RegisteredDriverName", Registration::Driver, "SQLite3", 0, false},
    {"SqlServerAtStart", Registration::Driver, "\\sqlsrv32.dll", 0, false},
    {"SqlServerAtStartThenJet", Registration::Driver, "\\sqlsrv32.dll\\odbcjt32.dll", 2, false},
    {"BothSqlServerFirst", Registration::Driver, "C:\\odbcjt32.dll\\..\\sqlsrv32.dll", 1, true},
    {"NameWithoutBackslash", Registration::Driver, "C:sqlsrv32.dll", 0, false},
    {"EmptyDriver", Registration::Driver, "", kUntouched, false},
    {"NoDriverValue", Registration::NoDriverValue, "", kUntouched, false},
    {"NoDataSource", Registration::Absent, "", kUntouched, false},
    {"UserDataSourceOnly", Registration::UserOnly, "C:\\WINDOWS\\system32\\SQLSRV32.dll", kUntouched, false},
};

TEST_F(ProductRecordset, DetectsTheDriverKindFromTheSystemDataSource) {
    for (const DetectionCase& c : kDetectionCases) {
        SCOPED_TRACE(c.label);
        Register(c.how, c.driver);
        ResetConnection(kUntouched);

        CDAVRIXRecordset rs;

        EXPECT_EQ(CDAVRIXRecordset::m_wDrv, c.expectDrv);
        EXPECT_EQ(CDAVRIXRecordset::GetDrv(), c.expectDrv);
        EXPECT_STREQ(CDadRecordset::m_szDSN, "DAVRIX");
        EXPECT_STREQ(CDadRecordset::m_szUID, c.serverLogin ? "RUVUDED" : "");
        EXPECT_STREQ(CDadRecordset::m_szPWD, c.serverLogin ? "351946" : "");
        EXPECT_STREQ(CDadRecordset::m_szConnection,
                     c.serverLogin ? "ODBC;DSN=DAVRIX;UID=RUVUDED;PWD=351946" : "ODBC;DSN=DAVRIX");
    }
}

// Proves the user-only case above sees a registration that exists for the user.
TEST_F(ProductRecordset, UserRegistrationIsVisibleToTheUserButNotToDetection) {
    Register(Registration::UserOnly, "C:\\WINDOWS\\system32\\SQLSRV32.dll");
    char buf[256] = "";
    SQLSetConfigMode(ODBC_USER_DSN);
    SQLGetPrivateProfileString("DAVRIX", "Driver", "", buf, sizeof buf, "odbc.ini");
    SQLSetConfigMode(ODBC_BOTH_DSN);
    EXPECT_STREQ(buf, "C:\\WINDOWS\\system32\\SQLSRV32.dll");

    ResetConnection(kUntouched);
    CDAVRIXRecordset rs;
    EXPECT_EQ(CDAVRIXRecordset::GetDrv(), kUntouched);
    EXPECT_STREQ(CDadRecordset::m_szConnection, "ODBC;DSN=DAVRIX");
}

TEST_F(ProductRecordset, ParametersSetBeforehandSuppressDetection) {
    Register(Registration::Driver, "C:\\WINDOWS\\system32\\SQLSRV32.dll");
    ResetConnection(0);
    CDadRecordset::SetConnectionParam("MYDSN", "", "");

    CDAVRIXRecordset rs;

    EXPECT_EQ(CDAVRIXRecordset::GetDrv(), 0);
    EXPECT_STREQ(CDadRecordset::m_szConnection, "ODBC;DSN=MYDSN");
    EXPECT_STREQ(CDadRecordset::m_szUID, "");
}

TEST_F(ProductRecordset, DetectsOnlyOnceWhileTheConnectionStringIsSet) {
    Register(Registration::Driver, "C:\\WINDOWS\\system32\\SQLSRV32.dll");
    ResetConnection(0);
    { CDAVRIXRecordset first; }
    ASSERT_EQ(CDAVRIXRecordset::GetDrv(), 1);

    Register(Registration::Driver, "C:\\WINDOWS\\System32\\odbcjt32.dll");
    { CDAVRIXRecordset second; }
    EXPECT_EQ(CDAVRIXRecordset::GetDrv(), 1);
    EXPECT_STREQ(CDadRecordset::m_szUID, "RUVUDED");

    // Emptying the connection string makes the next construction look again.
    CDadRecordset::m_szConnection.Empty();
    { CDAVRIXRecordset third; }
    EXPECT_EQ(CDAVRIXRecordset::GetDrv(), 2);
    EXPECT_STREQ(CDadRecordset::m_szConnection, "ODBC;DSN=DAVRIX");

    // A registration that has gone keeps the kind of the earlier detection.
    Register(Registration::Absent);
    CDadRecordset::m_szConnection.Empty();
    { CDAVRIXRecordset fourth; }
    EXPECT_EQ(CDAVRIXRecordset::GetDrv(), 2);
}

TEST_F(ProductRecordset, RunTimeClass) {
    ResetConnection(0);
    CDadRecordset::SetConnectionParam("X", "", "");
    CDAVRIXRecordset rs;
    EXPECT_STREQ(rs.GetRuntimeClass()->m_lpszClassName, "CDAVRIXRecordset");
    EXPECT_EQ(rs.GetRuntimeClass()->m_pBaseClass, RUNTIME_CLASS(CDadRecordset));
    EXPECT_TRUE(rs.IsKindOf(RUNTIME_CLASS(CRecordset)));
}

TEST_F(ProductRecordset, DefaultSqlIsOwnerQualifiedAndUpperCase) {
    struct Case {
        const char* uid;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"", "table_fault", "TABLE_FAULT"},
        {"abc", "TABLE_FAULT", "[ABC].[TABLE_FAULT]"},
        {"RUVUDED", "view_fault", "[RUVUDED].[VIEW_FAULT]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDadRecordset::SetConnectionParam("X", c.uid, "");
        CDAVRIXRecordset rs;
        rs.SetDefaultSQL(c.name);
        EXPECT_STREQ(rs.GetDefaultSQL(), c.expected);
    }
}

TEST_F(ProductRecordset, TableNamesFollowTheDetectedDriver) {
    Register(Registration::Driver, "C:\\WINDOWS\\system32\\SQLSRV32.dll");
    ResetConnection(0);
    CTblFault server;
    EXPECT_STREQ(server.GetDefaultSQL(), "[RUVUDED].[TABLE_FAULT]");

    Register(Registration::Driver, "C:\\WINDOWS\\System32\\odbcjt32.dll");
    ResetConnection(0);
    CTblFault access;
    EXPECT_STREQ(access.GetDefaultSQL(), "TABLE_FAULT");
}

// The SQL Server route end to end, with PostgreSQL standing in for the server: the data
// source's driver is a link to the PostgreSQL driver whose file name ends in
// "\sqlsrv32.dll", so detection takes it for SQL Server, logs in as the product's owner
// and reaches the tables in the owner's schema.
TEST_F(ProductRecordset, SqlServerLoginReachesTheOwnersSchema) {
    DAVRIX_REQUIRE_BACKEND(Backend::PostgreSQL);
    std::string target = davrix::OdbcConfig::DriverDir() + "/psqlodbcw.so";
    ASSERT_EQ(access(target.c_str(), R_OK), 0) << target;
    std::string link = ConfigDir() + "/odbc\\sqlsrv32.dll";
    unlink(link.c_str());
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0) << strerror(errno);

    LoadFreshSchema(Backend::PostgreSQL);             // the default schema, which must stay empty
    LoadFreshSchema(Backend::PostgreSQL, kServerOwner);
    davrix::OdbcConfig system(ConfigDir());
    ASSERT_TRUE(system.WriteDataSource(
        "DAVRIX", link,
        {{"Servername", PgHost()}, {"Port", PgPort()}, {"Database", PgDatabase()}, {"UseDeclareFetch", "1"}}));
    ResetConnection(0);

    {
        CTblFault fault;
        EXPECT_EQ(CDAVRIXRecordset::GetDrv(), 1);
        EXPECT_STREQ(CDadRecordset::m_szConnection, "ODBC;DSN=DAVRIX;UID=RUVUDED;PWD=351946");
        EXPECT_STREQ(fault.GetDefaultSQL(), "[RUVUDED].[TABLE_FAULT]");

        fault.m_valFFILE = "server.cfg";
        fault.m_valNID = 5;
        ASSERT_EQ(fault.Save(), 1) << fault.GetError().GetString();
        fault.m_valFAN = 9;
        ASSERT_EQ(fault.Save(), 1) << fault.GetError().GetString();
        LONG key = fault.m_valSID;
        EXPECT_GT(key, 0);

        ASSERT_EQ(fault.GetRecord(key), 1) << fault.GetError().GetString();
        EXPECT_STREQ(fault.m_valFFILE, "server.cfg");
        EXPECT_EQ(fault.m_valFAN, 9);
        char user[64] = "";
        SQLSMALLINT len = 0;
        ASSERT_NE(fault.m_pDatabase, nullptr);
        SQLGetInfo(fault.m_pDatabase->m_hdbc, SQL_USER_NAME, user, sizeof user, &len);
        EXPECT_STREQ(user, "RUVUDED");
    }
    {
        CVwFault view;
        EXPECT_STREQ(view.GetDefaultSQL(), "[RUVUDED].[VIEW_FAULT]");
        ASSERT_EQ(view.GetData(1), 1) << view.GetError().GetString();
        EXPECT_STREQ(view.m_FFILE, "server.cfg");
    }

    RawConnection raw(Backend::PostgreSQL);
    EXPECT_EQ(raw.Scalar("SELECT count(*) FROM \"RUVUDED\".\"TABLE_FAULT\" WHERE \"FFILE\" = 'server.cfg'"), 1);
    EXPECT_EQ(raw.Scalar("SELECT count(*) FROM \"TABLE_FAULT\""), 0);
    unlink(link.c_str());
}

}  // namespace
