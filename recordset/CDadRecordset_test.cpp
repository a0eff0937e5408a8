// The base record set: connection parameters, one-shot SQL, and the probe-then-open,
// query, save and remove protocol with its error texts, over both databases.
#include "testsupport/ItemTable.h"

#include <davrixdb/recordset/CDadRecordset.h>
#include <davrixfw/CDBException.h>

using namespace davrix::test;

namespace {

// Expected messages, derived from their UTF-8 text.
std::string QueryFailed() { return Utf8ToGbk("查询数据库失败：\n"); }
std::string UpdateFailed() { return Utf8ToGbk("更新数据库失败：\n"); }
std::string NoRecord() { return Utf8ToGbk("查询数据库失败：没有指定的记录。"); }
std::string NothingWritten() { return Utf8ToGbk("更新数据库失败"); }

// A record class over an item table in the manner of the product tables: bound members,
// a value mirror and an insert-or-update keyed by ID.
class CItemRecord : public CDadRecordset {
public:
    explicit CItemRecord(const std::string& table, CDatabase* db = nullptr) : CDadRecordset(db) {
        m_nFields = 3;
        SetDefaultSQL(table.c_str());
    }
    void DoFieldExchange(CFieldExchange* pFX) override {
        pFX->SetFieldType(CFieldExchange::outputColumn);
        RFX_Long(pFX, "[ID]", m_ID);
        RFX_Text(pFX, "[NAME]", m_NAME, 16);
        RFX_Long(pFX, "[QTY]", m_QTY);
    }
    void ToVal() override {
        m_valID = m_ID;
        m_valNAME = m_NAME;
        m_valQTY = m_QTY;
        ++toValCalls;
    }
    void AvilidData() override {
        m_ID = m_valID;
        m_NAME = m_valNAME;
        m_QTY = m_valQTY;
    }
    void SetAllFieldNull() override {
        if (m_nEditMode != edit) SetFieldNull(&m_ID);
        SetFieldNull(&m_NAME, m_NAME.IsEmpty());
        SetFieldDirty(nullptr, markDirty);
        SetFieldDirty(&m_ID, FALSE);
    }
    int AddOREdit() override {
        CString filter;
        filter.Format("[ID]=%ld", (long)m_valID);
        if (Query(filter))
            Edit();
        else if (IsOpen())
            AddNew();
        return IsOpen();
    }
    LONG m_ID = 0, m_QTY = 0, m_valID = 0, m_valQTY = 0;
    CString m_NAME, m_valNAME;
    int toValCalls = 0;
    BOOL markDirty = TRUE;
    using CRecordset::GetRecordCount;
};

// ---- connection parameters: no database needed ----

TEST(ConnectionParam, BuildsTheConnectionStringPieceByPiece) {
    struct Case {
        const char *dsn, *uid, *pwd, *connection;
    } cases[] = {
        {"DAVRIX", "sa", "pw", "ODBC;DSN=DAVRIX;UID=sa;PWD=pw"},
        {"", "sa", "pw", "ODBC"},
        {"DAVRIX", "", "pw", "ODBC;DSN=DAVRIX"},
        {"DAVRIX", "sa", "", "ODBC;DSN=DAVRIX;UID=sa;PWD="},
        {nullptr, nullptr, nullptr, "ODBC"},
        {"D", nullptr, "p", "ODBC;DSN=D"},
    };
    for (const Case& c : cases) {
        CDadRecordset::SetConnectionParam("OLD", "OLDUID", "OLDPWD");
        CDadRecordset::SetConnectionParam(c.dsn, c.uid, c.pwd);
        EXPECT_STREQ((const char*)CDadRecordset::GetConnectionParam(), c.connection);
        EXPECT_STREQ((const char*)CDadRecordset::m_szDSN, c.dsn ? c.dsn : "");
        EXPECT_STREQ((const char*)CDadRecordset::m_szUID, c.uid ? c.uid : "");
        EXPECT_STREQ((const char*)CDadRecordset::m_szPWD, c.pwd ? c.pwd : "");
    }
}

TEST(ConnectionParam, ObjectNameIsQualifiedByTheUserIdAsGiven) {
    CDadRecordset::SetConnectionParam("", "abc", "");
    EXPECT_STREQ((const char*)CDadRecordset::GetObjectName("TABLE_FAULT"), "[abc].[TABLE_FAULT]");
    CDadRecordset::SetConnectionParam("D", "", "");
    EXPECT_STREQ((const char*)CDadRecordset::GetObjectName("table_fault"), "table_fault");
}

TEST(ConnectionParam, DriverNameIsAskedOnceAndKept) {
    CDadRecordset::m_szDRV.Empty();
    EXPECT_STREQ((const char*)CDadRecordset::GetDriver(nullptr), "") << "a failed request caches nothing";
    CDatabase db;
    ASSERT_TRUE(db.OpenEx(("DSN=" + Dsn(Backend::SQLite)).c_str(), CDatabase::noOdbcDialog));
    EXPECT_STREQ((const char*)CDadRecordset::GetDriver(db.m_hdbc), "SQLITE3ODBC.SO");
    EXPECT_STREQ((const char*)CDadRecordset::GetDriver(nullptr), "SQLITE3ODBC.SO") << "the handle is not used again";
    CDadRecordset::m_szDRV.Empty();
}

TEST(ReadString, CopiesIntoTheExistingStorageOnly) {
    CDadRecordset rs;
    CString target;
    rs.ReadString("abcdef", target);
    EXPECT_TRUE(target.IsEmpty()) << "a fresh text has no storage";
    target.GetBuffer(64);
    target.ReleaseBuffer(0);
    std::string longer(100, 'x');
    rs.ReadString(longer.c_str(), target);
    EXPECT_EQ(target.GetLength(), 63);
    rs.ReadStringEx(target, "short");
    EXPECT_STREQ((const char*)target, "short");
}

TEST(Messages, AreReturnedAsGbkBytes) {
    CDadRecordset::SetConnectionParam("", "", "");
    CItemRecord rs("T_ANY");
    EXPECT_EQ(rs.QueryData(1, 1), 0);
    EXPECT_EQ(std::string((const char*)rs.GetError()), QueryFailed()) << "no data source: the prefix alone";
    EXPECT_FALSE(rs.IsOpen());
}

// ---- against both databases ----

class DadRecordsetTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        DAVRIX_REQUIRE_BACKEND(GetParam());
        raw.reset(new RawConnection(GetParam()));
        table = UniqueName("T_ITEM");
        CreateItemTable(*raw, GetParam(), table);
        CDadRecordset::SetConnectionParam(Dsn(GetParam()).c_str(), "", "");
    }
    std::string Count(const std::string& where = "1=1") {
        return raw->Text("SELECT count(*) FROM \"" + table + "\" WHERE " + where);
    }
    std::unique_ptr<RawConnection> raw;
    std::string table;
};

TEST_P(DadRecordsetTest, GetDataLoadsTheFirstRowIntoTheMirror) {
    InsertItems(*raw, table, {{"a", 1}, {"b", 2}});
    CItemRecord rs(table);
    rs.m_strFilter = "[QTY] = 2";
    ASSERT_EQ(rs.GetData(1), 1) << rs.GetError();
    EXPECT_STREQ((const char*)rs.m_valNAME, "b");
    EXPECT_TRUE(rs.GetError().IsEmpty());
}

TEST_P(DadRecordsetTest, QueryWithoutMatchLeavesTheSetOpenAndEmpty) {
    CItemRecord rs(table);
    EXPECT_EQ(rs.Query("[QTY] = 99"), 0);
    EXPECT_EQ(std::string((const char*)rs.GetError()), NoRecord());
    EXPECT_TRUE(rs.IsOpen());
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(rs.toValCalls, 0);
}

TEST_P(DadRecordsetTest, QueryDataWithoutMustExistAcceptsAnEmptyResult) {
    CItemRecord rs(table);
    rs.m_strFilter = "[QTY] = 99";
    EXPECT_EQ(rs.QueryData(1, 0), 1);
    EXPECT_EQ(rs.toValCalls, 0) << "no row, no ToVal";
}

TEST_P(DadRecordsetTest, BadFilterGivesPrefixAndTheDatabasesTextAndClosesTheSet) {
    CItemRecord rs(table);
    EXPECT_EQ(rs.Query("[QTY] = = 1"), 0);
    std::string error = (const char*)rs.GetError();
    ASSERT_GT(error.size(), QueryFailed().size());
    EXPECT_EQ(error.substr(0, QueryFailed().size()), QueryFailed());
    EXPECT_NE(error.find("syntax"), std::string::npos) << error;
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_EQ(rs.m_pDatabase, nullptr) << "its own connection is gone with it";
}

TEST_P(DadRecordsetTest, BadFilterOnASharedConnectionClosesThatConnectionAndItsSets) {
    CDatabase db;
    ASSERT_TRUE(db.OpenEx(("DSN=" + Dsn(GetParam())).c_str(), CDatabase::noOdbcDialog));
    CItemRecord other(table, &db), failing(table, &db);
    ASSERT_EQ(other.QueryData(0, 0), 1);
    EXPECT_EQ(failing.Query("[QTY] = = 1"), 0);
    EXPECT_FALSE(db.IsOpen());
    EXPECT_FALSE(other.IsOpen());
}

TEST_P(DadRecordsetTest, UnreachableDataSourceLeavesThePrefixAndTheSetAsItWas) {
    InsertItems(*raw, table, {{"a", 1}});
    CItemRecord rs(table);
    ASSERT_EQ(rs.GetData(1), 1);
    CDadRecordset::SetConnectionParam("NO_SUCH_SOURCE", "", "");
    EXPECT_EQ(rs.GetData(1), 0);
    EXPECT_EQ(std::string((const char*)rs.GetError()), QueryFailed());
    EXPECT_TRUE(rs.IsOpen()) << "the probe failed before anything was closed";
    rs.SetError("earlier");
    EXPECT_EQ(rs.Open(), 0);
    EXPECT_STREQ((const char*)rs.GetError(), "earlier") << "Open itself never touches the text on a failed probe";
}

TEST_P(DadRecordsetTest, DeclinedOpenWithoutExceptionGivesThePrefixAndAClosedSet) {
    CItemRecord rs(table);
    AfxInjectDeclinedConnect(1);  // the probe connects, the set's own connection is declined
    EXPECT_EQ(rs.QueryData(0, 0), 0);
    AfxInjectDeclinedConnect(-1);
    EXPECT_EQ(std::string((const char*)rs.GetError()), QueryFailed());
    EXPECT_FALSE(rs.IsOpen());
}

TEST_P(DadRecordsetTest, TwoGetDataCallsSeeARowWrittenBetweenThem) {
    CItemRecord rs(table);
    rs.m_strFilter = "[QTY] = 5";
    EXPECT_EQ(rs.GetData(1), 0);
    InsertItems(*raw, table, {{"late", 5}});
    EXPECT_EQ(rs.GetData(1), 1);
    EXPECT_STREQ((const char*)rs.m_valNAME, "late");
}

TEST_P(DadRecordsetTest, SaveInsertsThenUpdatesTheSameRow) {
    CItemRecord rs(table);
    rs.m_valID = 0;
    rs.m_valNAME = "";
    rs.m_valQTY = 7;
    ASSERT_EQ(rs.Save(), 1) << rs.GetError();
    EXPECT_EQ(std::string((const char*)rs.GetError()), NoRecord()) << "the key query's text stays after an insert";
    EXPECT_EQ(Count("\"QTY\" = 7 AND \"NAME\" IS NULL"), "1");
    LONG id = (LONG)raw->Scalar("SELECT \"ID\" FROM \"" + table + "\"");
    rs.m_valID = id;
    rs.m_valNAME = "named";
    ASSERT_EQ(rs.Save(), 1) << rs.GetError();
    EXPECT_TRUE(rs.GetError().IsEmpty());
    EXPECT_EQ(Count(), "1");
    EXPECT_EQ(raw->Text("SELECT \"NAME\" FROM \"" + table + "\""), "named");
}

TEST_P(DadRecordsetTest, UpdateThatWritesNothingKeepsTheSetOpen) {
    InsertItems(*raw, table, {{"a", 1}});
    CItemRecord rs(table);
    rs.m_valID = (LONG)raw->Scalar("SELECT \"ID\" FROM \"" + table + "\"");
    rs.m_valNAME = "a";
    rs.m_valQTY = 1;
    rs.markDirty = FALSE;  // nothing changed, nothing marked: nothing to write
    EXPECT_EQ(rs.Save(), 0);
    EXPECT_EQ(std::string((const char*)rs.GetError()), NothingWritten());
    EXPECT_TRUE(rs.IsOpen());
}

TEST_P(DadRecordsetTest, DatabaseErrorInUpdateGivesPrefixAndTextAndClosesTheSet) {
    CItemRecord rs(table);
    rs.m_valNAME = std::string(40, 'x').c_str();  // wider than the column
    EXPECT_EQ(rs.Save(), 0);
    std::string error = (const char*)rs.GetError();
    EXPECT_EQ(error.substr(0, UpdateFailed().size()), UpdateFailed());
    EXPECT_GT(error.size(), UpdateFailed().size());
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_EQ(Count(), "0");
}

TEST_P(DadRecordsetTest, SaveOnTheBaseClassWritesNothing) {
    CDadRecordset rs;
    EXPECT_EQ(rs.Save(), 0);
    EXPECT_TRUE(rs.GetError().IsEmpty());
}

TEST_P(DadRecordsetTest, RemoveDeletesExactlyTheFirstMatchingRow) {
    InsertItems(*raw, table, {{"dup", 1}, {"dup", 2}, {"dup", 3}, {"other", 4}});
    CItemRecord rs(table);
    rs.m_strFilter = "[NAME] = 'dup'";
    rs.m_strSort = "[QTY]";
    EXPECT_EQ(rs.Remove(), 1) << rs.GetError();
    EXPECT_EQ(raw->Column("SELECT \"QTY\" FROM \"" + table + "\" ORDER BY \"QTY\""),
              (std::vector<std::string>{"2", "3", "4"}));
    EXPECT_TRUE(rs.IsOpen());
    rs.m_strFilter = "[NAME] = 'none'";
    EXPECT_EQ(rs.Remove(), 0);
    EXPECT_EQ(std::string((const char*)rs.GetError()), NoRecord());
}

TEST_P(DadRecordsetTest, DatabaseErrorInDeleteGivesTheTextAloneAndClosesTheSet) {
    // A referencing row makes the database refuse the delete.
    std::string child = UniqueName("T_CHILD");
    raw->Exec("CREATE TABLE \"" + child + "\" (\"ITEM\" INTEGER REFERENCES \"" + table + "\" (\"ID\"))");
    if (GetParam() == Backend::SQLite) {
        CDadRecordset::SetConnectionParam((Dsn(GetParam()) + ";FKSupport=1").c_str(), "", "");
    }
    InsertItems(*raw, table, {{"a", 1}});
    raw->Exec("INSERT INTO \"" + child + "\" VALUES (" + std::to_string(raw->Scalar("SELECT \"ID\" FROM \"" + table + "\"")) + ")");
    CItemRecord rs(table);
    EXPECT_EQ(rs.Remove(), 0);
    std::string error = (const char*)rs.GetError();
    EXPECT_FALSE(error.empty());
    EXPECT_NE(error.substr(0, QueryFailed().size()), QueryFailed());
    EXPECT_NE(error.substr(0, UpdateFailed().size()), UpdateFailed());
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_EQ(Count(), "1");
}

TEST_P(DadRecordsetTest, ExecSqlRunsOnAConnectionOfItsOwn) {
    // The one-shot string always names UID and PWD, so the server's user must be given.
    CDadRecordset::SetConnectionParam(Dsn(GetParam()).c_str(), GetParam() == Backend::PostgreSQL ? PgUser().c_str() : "", "");
    EXPECT_EQ(CDadRecordset::ExecSQL(("INSERT INTO \"" + table + "\" (\"QTY\") VALUES (3)").c_str()), 1);
    EXPECT_EQ(Count("\"QTY\" = 3"), "1");
    EXPECT_EQ(CDadRecordset::ExecSQL(("SELECT * FROM \"" + table + "\"").c_str()), 1) << "rows are discarded";
    EXPECT_EQ(CDadRecordset::ExecSQL("SELEC nonsense"), 0);
    CDadRecordset::SetConnectionParam("", "", "");
    EXPECT_EQ(CDadRecordset::ExecSQL("SELECT 1"), 0) << "DSN=;UID=;PWD= reaches no data source";
    CDadRecordset::SetConnectionParam("NO_SUCH_SOURCE", "", "");
    EXPECT_EQ(CDadRecordset::ExecSQL("SELECT 1"), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, DadRecordsetTest, ::testing::ValuesIn(AllBackends()), BackendParamName());

}  // namespace
