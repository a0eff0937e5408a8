#include <davrixfw/CDBException.h>

#include "TestOdbc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace davrix::test;

namespace {

bool Contains(const CString& s, const char* part) { return s.Find(part) >= 0; }

// An environment and connection handle of the test's own, freed at the end.
class CDBExceptionOdbc : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env)));
        SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
        ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc)));
    }
    void TearDown() override {
        if (m_connected) SQLDisconnect(m_dbc);
        if (m_dbc) SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        if (m_env) SQLFreeHandle(SQL_HANDLE_ENV, m_env);
    }
    SQLRETURN Connect(const char* connectionString) {
        SQLRETURN rc = SQLDriverConnect(m_dbc, nullptr, (SQLCHAR*)connectionString, SQL_NTS, nullptr, 0, nullptr,
                                        SQL_DRIVER_NOPROMPT);
        m_connected = SQL_SUCCEEDED(rc);
        return rc;
    }
    // Runs sql on a fresh statement and returns the exception built from its failure.
    CDBException* Fail(const std::string& sql) {
        SQLHSTMT st = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &st);
        SQLRETURN rc = SQLExecDirect(st, (SQLCHAR*)sql.c_str(), SQL_NTS);
        EXPECT_FALSE(SQL_SUCCEEDED(rc)) << sql;
        CDBException* e = new CDBException(rc);
        e->BuildErrorString(SQL_HANDLE_STMT, st);
        SQLFreeHandle(SQL_HANDLE_STMT, st);
        return e;
    }

    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    bool m_connected = false;
};

TEST_F(CDBExceptionOdbc, DriverManagerErrorOfAMissingDataSource) {
    SQLRETURN rc = Connect("DSN=DAVRIX_NO_SUCH_DSN");
    ASSERT_EQ(SQL_ERROR, rc);
    try {
        AfxThrowDBException(rc, SQL_HANDLE_DBC, m_dbc);
    } catch (CException* ex) {
        ASSERT_TRUE(ex->IsKindOf(RUNTIME_CLASS(CDBException)));
        CDBException* e = static_cast<CDBException*>(ex);
        EXPECT_EQ(SQL_ERROR, e->m_nRetCode);
        EXPECT_EQ("IM002", e->m_strSqlState);
        EXPECT_TRUE(Contains(e->m_strError, "Data source name not found")) << e->m_strError.GetString();
        EXPECT_TRUE(Contains(e->m_strStateNativeOrigin, "State:IM002,Native:0,Origin:[unixODBC][Driver Manager]"))
            << e->m_strStateNativeOrigin.GetString();
        char buf[512];
        ASSERT_TRUE(e->GetErrorMessage(buf, sizeof buf));
        EXPECT_NE(nullptr, strstr(buf, "Data source name not found")) << buf;
        e->Delete();
    }
}

TEST_F(CDBExceptionOdbc, DriverMessageConvertedToTheCodePage) {
    ASSERT_TRUE(SQL_SUCCEEDED(Connect(("DSN=" + Dsn(Backend::SQLite)).c_str())));
    // "no such table: 记录表" comes back from SQLite in UTF-8 and is stored in GBK.
    CDBException* e = Fail("SELECT * FROM \xE8\xAE\xB0\xE5\xBD\x95\xE8\xA1\xA8");
    EXPECT_TRUE(Contains(e->m_strError, Utf8ToGbk("\xE8\xAE\xB0\xE5\xBD\x95\xE8\xA1\xA8").c_str()))
        << e->m_strError.GetString();
    EXPECT_FALSE(e->m_strSqlState.IsEmpty());
    EXPECT_TRUE(Contains(e->m_strStateNativeOrigin, ("State:" + std::string(e->m_strSqlState)).c_str()));
    e->Delete();

    // A character without a GBK form (an emoji) becomes '?'.
    e = Fail("SELECT * FROM t\xF0\x9F\x98\x80x");
    EXPECT_TRUE(Contains(e->m_strError, "t?x")) << e->m_strError.GetString();
    e->Delete();
}

TEST(CDBException, WithoutRecordsNamesTheReturnCode) {
    CDBException e(SQL_INVALID_HANDLE);
    e.BuildErrorString(SQL_HANDLE_STMT, SQL_NULL_HANDLE);
    EXPECT_TRUE(Contains(e.m_strError, "SQL_INVALID_HANDLE")) << e.m_strError.GetString();
    EXPECT_TRUE(e.m_strSqlState.IsEmpty());
    EXPECT_TRUE(e.m_strStateNativeOrigin.IsEmpty());
}

TEST(CDBException, ThrownByTheLayerItself) {
    // "查询数据库失败" in GBK.
    const char* msg = "\xB2\xE9\xD1\xAF\xCA\xFD\xBE\xDD\xBF\xE2\xCA\xA7\xB0\xDC";
    try {
        AfxThrowDBException("HY010", msg);
    } catch (CDBException* e) {
        EXPECT_EQ(SQL_ERROR, e->m_nRetCode);
        EXPECT_EQ("HY010", e->m_strSqlState);
        EXPECT_EQ(msg, e->m_strError);
        EXPECT_EQ("State:HY010,Native:0,Origin:[davrixfw]", e->m_strStateNativeOrigin);
        EXPECT_EQ(0, e->m_nNativeError);
        char buf[6];  // five bytes of room: two characters, not half of the third
        ASSERT_TRUE(e->GetErrorMessage(buf, sizeof buf));
        EXPECT_STREQ("\xB2\xE9\xD1\xAF", buf);
        e->Delete();
    }
    try {
        AfxThrowDBException(nullptr, nullptr);
    } catch (CDBException* e) {
        EXPECT_EQ("HY000", e->m_strSqlState);
        char buf[128];
        ASSERT_TRUE(e->GetErrorMessage(buf, sizeof buf));
        EXPECT_STRNE("", buf) << "an empty message still gives a readable text";
        e->Delete();
    }
}

}  // namespace
