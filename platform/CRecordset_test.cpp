// The record set over both real databases: select, navigation, writes addressed by key,
// null and dirty handling, text crossing, visibility of writes and failures.
#include "testsupport/ItemTable.h"

#include <davrixfw/CDBException.h>
#include <davrixfw/OdbcConfig.h>

#include <chrono>
#include <cstdlib>

using namespace davrix::test;

namespace {

class RecordsetTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        DAVRIX_REQUIRE_BACKEND(GetParam());
        raw.reset(new RawConnection(GetParam()));
        table = UniqueName("T_ITEM");
        CreateItemTable(*raw, GetParam(), table);
    }
    CItemSet* NewSet(CDatabase* db = nullptr) { return new CItemSet(db, table, Dsn(GetParam())); }
    std::string Q(const std::string& sql) { return sql; }
    std::unique_ptr<RawConnection> raw;
    std::string table;
};

// Runs fn and returns the CDBException it raised (null when none); the caller deletes it.
template <class F>
CDBException* Raises(F fn) {
    try {
        fn();
    } catch (CDBException* e) {
        return e;
    }
    return nullptr;
}

TEST_P(RecordsetTest, SelectsWithFilterAndSort) {
    InsertItems(*raw, table, {{"b", 2}, {"a", 1}, {"c", 3}, {"d", 4}});
    std::unique_ptr<CItemSet> rs(NewSet());
    rs->m_strFilter = "[QTY] >= 2";
    rs->m_strSort = "[NAME] DESC";
    ASSERT_TRUE(rs->Open());
    std::vector<std::string> names;
    for (; !rs->IsEOF(); rs->MoveNext()) names.push_back((const char*)rs->m_NAME);
    EXPECT_EQ(names, (std::vector<std::string>{"d", "c", "b"}));
    EXPECT_EQ(rs->GetRecordCount(), 3);
}

TEST_P(RecordsetTest, NavigatesBothWaysAndCountsRecordsSeen) {
    InsertItems(*raw, table, {{"a", 1}, {"b", 2}, {"c", 3}});
    std::unique_ptr<CItemSet> rs(NewSet());
    rs->m_strSort = "[QTY]";
    ASSERT_TRUE(rs->Open());
    EXPECT_FALSE(rs->IsBOF());
    EXPECT_EQ(rs->GetRecordCount(), 1) << "only the first row has been seen";
    EXPECT_EQ(rs->m_QTY, 1);
    rs->MoveNext();
    EXPECT_EQ(rs->m_QTY, 2);
    rs->MovePrev();
    EXPECT_EQ(rs->m_QTY, 1);
    rs->MovePrev();
    EXPECT_TRUE(rs->IsBOF());
    EXPECT_FALSE(rs->IsEOF());
    rs->MoveLast();
    EXPECT_EQ(rs->m_QTY, 3);
    EXPECT_EQ(rs->GetRecordCount(), 3);
    rs->MoveNext();
    EXPECT_TRUE(rs->IsEOF());
    CDBException* e = Raises([&] { rs->MoveNext(); });
    ASSERT_NE(e, nullptr) << "moving past the end must raise";
    e->Delete();
    rs->MoveFirst();
    EXPECT_EQ(rs->m_QTY, 1);
    rs->Move(2);
    EXPECT_EQ(rs->m_QTY, 3);
    EXPECT_EQ(rs->m_PRICE, 3.5);
}

TEST_P(RecordsetTest, EmptyResultStandsAtBothEnds) {
    std::unique_ptr<CItemSet> rs(NewSet());
    ASSERT_TRUE(rs->Open());
    EXPECT_TRUE(rs->IsBOF());
    EXPECT_TRUE(rs->IsEOF());
    EXPECT_EQ(rs->GetRecordCount(), 0);
}

TEST_P(RecordsetTest, InsertNamesDirtyFieldsOnlyAndLetsTheDatabaseNumberTheKey) {
    InsertItems(*raw, table, {{"first", 1}});
    std::unique_ptr<CItemSet> rs(NewSet());
    ASSERT_TRUE(rs->Open());
    rs->AddNew();
    rs->m_ID = 777;  // the key: marked clean, so the database chooses it
    rs->m_NAME = "";
    rs->m_QTY = 5;
    rs->SetFieldNull(&rs->m_NAME, TRUE);
    rs->SetFieldDirty(&rs->m_ID, FALSE);
    EXPECT_TRUE(rs->Update());
    EXPECT_EQ(rs->m_nEditMode, CRecordset::noMode);
    EXPECT_EQ(rs->m_QTY, 1) << "after an insert the set stands on its row again";
    EXPECT_EQ(raw->Scalar("SELECT count(*) FROM \"" + table + "\" WHERE \"ID\" = 777"), 0);
    EXPECT_EQ(raw->Text("SELECT \"NAME\" FROM \"" + table + "\" WHERE \"QTY\" = 5"), "<NULL>");
    EXPECT_EQ(raw->Text("SELECT \"PRICE\" FROM \"" + table + "\" WHERE \"QTY\" = 5"), "<NULL>")
        << "a field never set nor marked dirty is not named in the insert";
}

TEST_P(RecordsetTest, UpdateWritesDirtyFieldsOfExactlyOneRow) {
    InsertItems(*raw, table, {{"same", 1}, {"same", 2}, {"same", 3}});
    std::unique_ptr<CItemSet> rs(NewSet());
    rs->m_strFilter = "[QTY] = 2";
    ASSERT_TRUE(rs->Open());
    rs->Edit();
    rs->m_NAME = "changed";
    EXPECT_TRUE(rs->Update());
    EXPECT_EQ(raw->Column("SELECT \"NAME\" FROM \"" + table + "\" ORDER BY \"QTY\""),
              (std::vector<std::string>{"same", "changed", "same"}));
    EXPECT_EQ(raw->Text("SELECT \"PRICE\" FROM \"" + table + "\" WHERE \"QTY\" = 2"), "2.5");

    rs->Edit();
    EXPECT_FALSE(rs->Update()) << "nothing dirty: nothing written";
}

TEST_P(RecordsetTest, EmptyTextMarkedNullIsStoredAsNull) {
    InsertItems(*raw, table, {{"x", 1}});
    std::unique_ptr<CItemSet> rs(NewSet());
    ASSERT_TRUE(rs->Open());
    rs->Edit();
    rs->m_NAME.Empty();
    rs->SetFieldNull(&rs->m_NAME, TRUE);
    EXPECT_TRUE(rs->IsFieldNull(&rs->m_NAME));
    EXPECT_TRUE(rs->Update());
    EXPECT_EQ(raw->Text("SELECT \"NAME\" FROM \"" + table + "\""), "<NULL>");
    rs->Requery();
    EXPECT_TRUE(rs->IsFieldNull(&rs->m_NAME));
    EXPECT_FALSE(rs->IsFieldNull(&rs->m_QTY));
}

TEST_P(RecordsetTest, DeleteRemovesExactlyTheCurrentRow) {
    InsertItems(*raw, table, {{"a", 1}, {"a", 2}, {"a", 3}});
    std::unique_ptr<CItemSet> rs(NewSet());
    rs->m_strFilter = "[NAME] = 'a'";
    rs->m_strSort = "[QTY]";
    ASSERT_TRUE(rs->Open());
    rs->MoveNext();
    rs->Delete();
    EXPECT_TRUE(rs->IsDeleted());
    EXPECT_EQ(raw->Column("SELECT \"QTY\" FROM \"" + table + "\" ORDER BY \"QTY\""),
              (std::vector<std::string>{"1", "3"}));
    CDBException* e = Raises([&] { rs->Delete(); });
    ASSERT_NE(e, nullptr) << "a deleted row cannot be deleted again";
    e->Delete();
}

TEST_P(RecordsetTest, UpdateOfARowDeletedMeanwhileRaises) {
    InsertItems(*raw, table, {{"a", 1}});
    std::unique_ptr<CItemSet> rs(NewSet());
    ASSERT_TRUE(rs->Open());
    raw->Exec("DELETE FROM \"" + table + "\"");
    rs->Edit();
    rs->m_QTY = 9;
    CDBException* e = Raises([&] { rs->Update(); });
    ASSERT_NE(e, nullptr) << "a change that touches no row is not a success";
    e->Delete();
}

TEST_P(RecordsetTest, BracketsBecomeTheDriversQuoteButNotInsideLiterals) {
    InsertItems(*raw, table, {{"[x]", 1}, {"x", 2}});
    std::unique_ptr<CItemSet> rs(NewSet());
    rs->m_strFilter = "[NAME] = '[x]' AND [QTY] > 0";
    ASSERT_TRUE(rs->Open());
    EXPECT_EQ(rs->m_QTY, 1);
    EXPECT_EQ(rs->GetRecordCount(), 1);
    EXPECT_NE(std::string(rs->GetSQL()).find("'[x]'"), std::string::npos) << rs->GetSQL();
}

TEST_P(RecordsetTest, WrittenChangeIsCommittedWhileTheSetStillHasRowsToFetch) {
    std::vector<std::pair<std::string, int>> rows;
    for (int i = 0; i < 3000; ++i) rows.push_back({"r", i});
    raw->Exec("BEGIN");
    InsertItems(*raw, table, rows);
    raw->Exec("COMMIT");
    std::unique_ptr<CItemSet> rs(NewSet());
    ASSERT_TRUE(rs->Open());
    rs->AddNew();
    rs->m_NAME = "new";
    rs->m_QTY = -1;
    ASSERT_TRUE(rs->Update());
    RawConnection other(GetParam());
    EXPECT_EQ(other.Scalar("SELECT count(*) FROM \"" + table + "\" WHERE \"QTY\" = -1"), 1)
        << "another connection sees the insert at once";
    rs->Edit();
    rs->m_NAME = "edited";
    ASSERT_TRUE(rs->Update());
    EXPECT_EQ(other.Text("SELECT \"NAME\" FROM \"" + table + "\" WHERE \"QTY\" = 0"), "edited");
    int seen = 1;
    for (rs->MoveNext(); !rs->IsEOF(); rs->MoveNext()) ++seen;
    EXPECT_GE(seen, 3000) << "the open set still delivers its remaining rows";
}

TEST_P(RecordsetTest, TimestampAndDoubleRoundTrip) {
    std::unique_ptr<CItemSet> rs(NewSet());
    ASSERT_TRUE(rs->Open());
    rs->AddNew();
    rs->m_QTY = 1;
    rs->m_PRICE = -1.25;
    rs->m_STAMP = TIMESTAMP_STRUCT{9999, 12, 31, 0, 0, 0, 0};
    ASSERT_TRUE(rs->Update());
    rs->AddNew();
    rs->m_QTY = 2;
    rs->m_STAMP = TIMESTAMP_STRUCT{2024, 2, 29, 23, 59, 58, 123000000};
    ASSERT_TRUE(rs->Update());
    rs->m_strSort = "[QTY]";
    rs->Requery();
    EXPECT_EQ(rs->m_PRICE, -1.25);
    EXPECT_EQ(rs->m_STAMP.year, 9999);
    EXPECT_EQ(rs->m_STAMP.month, 12);
    EXPECT_EQ(rs->m_STAMP.day, 31);
    rs->MoveNext();
    EXPECT_EQ(rs->m_STAMP.year, 2024);
    EXPECT_EQ(rs->m_STAMP.second, 58);
    EXPECT_EQ(rs->m_STAMP.fraction, 123000000u) << "milliseconds survive";
}

// ---- text crossing ----

TEST_P(RecordsetTest, ChineseTextIsStoredAsRealCharactersAndReadBackInTheCodePage) {
    const std::string utf8 = "\xE6\x95\x85\xE9\x9A\x9C\xE5\xBD\x95\xE6\xB3\xA2";  // 故障录波
    std::unique_ptr<CItemSet> rs(NewSet());
    ASSERT_TRUE(rs->Open());
    rs->AddNew();
    rs->m_NAME = Utf8ToGbk(utf8).c_str();
    rs->m_QTY = 1;
    ASSERT_TRUE(rs->Update());
    EXPECT_EQ(raw->Text("SELECT \"NAME\" FROM \"" + table + "\""), utf8) << "the database holds UTF-8";

    // Another client reads the same characters, and writes some that the layer reads.
    auto client = [&](const std::string& sql, int* status) {
        std::string file = ConfigDir() + "/client.sql";
        WriteTextFile(file, sql + ";\n");
        if (GetParam() == Backend::SQLite) return RunCommand("sqlite3 '" + SQLiteFile() + "' < '" + file + "'", status);
        return RunCommand("psql -X -q -A -t -h '" + PgHost() + "' -p " + PgPort() + " -U " + PgUser() + " -d " +
                              PgDatabase() + " -f '" + file + "'",
                          status);
    };
    int status = -1;
    EXPECT_EQ(client("SELECT \"NAME\" FROM \"" + table + "\"", &status), utf8 + "\n");
    ASSERT_EQ(status, 0);
    const std::string other = "\xE5\x8F\x98\xE7\x94\xB5\xE7\xAB\x99";  // 变电站
    client("INSERT INTO \"" + table + "\" (\"NAME\", \"QTY\") VALUES ('" + other + "', 2)", &status);
    ASSERT_EQ(status, 0);
    rs->m_strFilter = "[QTY] = 2";
    rs->Requery();
    EXPECT_EQ(std::string((const char*)rs->m_NAME), Utf8ToGbk(other));
}

TEST_P(RecordsetTest, FetchedTextIsCutOnACharacterBoundary) {
    // Nine double-byte characters: 18 GBK bytes, stored in a 16-wide column by the test.
    const std::string utf8 = "\xE4\xB8\x80\xE4\xBA\x8C\xE4\xB8\x89\xE5\x9B\x9B\xE4\xBA\x94\xE5\x85\xAD\xE4\xB8\x83"
                             "\xE5\x85\xAB\xE4\xB9\x9D";  // 一二三四五六七八九
    raw->Exec("INSERT INTO \"" + table + "\" (\"NAME\", \"QTY\") VALUES ('" + utf8 + "', 1)");
    std::unique_ptr<CItemSet> rs(NewSet());
    rs->m_nNameWidth = 5;  // 2.5 characters: the half character must go
    ASSERT_TRUE(rs->Open());
    EXPECT_EQ(std::string((const char*)rs->m_NAME), Utf8ToGbk("\xE4\xB8\x80\xE4\xBA\x8C"));
}

TEST_P(RecordsetTest, StoredCharacterWithoutGbkFormReadsAsQuestionMark) {
    raw->Exec("INSERT INTO \"" + table + "\" (\"NAME\", \"QTY\") VALUES ('a\xF0\x9F\x98\x80" "b', 1)");  // emoji
    std::unique_ptr<CItemSet> rs(NewSet());
    ASSERT_TRUE(rs->Open());
    EXPECT_STREQ((const char*)rs->m_NAME, "a?b");
}

TEST_P(RecordsetTest, OverWideOrInvalidTextIsRefusedAndNothingStored) {
    struct Case {
        const char* what;
        std::string text;
        const char* state;
    } cases[] = {
        {"17 bytes into 16", std::string(17, 'x'), "22001"},
        {"half a double-byte character", std::string("ab\xB2"), "22018"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<CItemSet> rs(NewSet());
        ASSERT_TRUE(rs->Open());
        rs->AddNew();
        rs->m_NAME = c.text.c_str();
        CDBException* e = Raises([&] { rs->Update(); });
        ASSERT_NE(e, nullptr);
        EXPECT_STREQ((const char*)e->m_strSqlState, c.state);
        e->Delete();
        EXPECT_EQ(raw->Scalar("SELECT count(*) FROM \"" + table + "\""), 0);
    }
    std::unique_ptr<CItemSet> rs(NewSet());
    ASSERT_TRUE(rs->Open());
    rs->AddNew();
    rs->m_NAME = std::string(16, 'y').c_str();
    EXPECT_TRUE(rs->Update()) << "exactly the width is fine";
}

// ---- errors ----

TEST_P(RecordsetTest, SyntaxErrorCarriesTheDatabasesMessageAndClosesTheSet) {
    std::unique_ptr<CItemSet> rs(NewSet());
    rs->m_strFilter = "[QTY] = = 1";
    CDBException* e = Raises([&] { rs->Open(); });
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(rs->IsOpen());
    EXPECT_FALSE(e->m_strError.IsEmpty());
    EXPECT_NE(std::string(e->m_strError).find("syntax"), std::string::npos) << e->m_strError;
    if (GetParam() == Backend::PostgreSQL) {
        EXPECT_STREQ((const char*)e->m_strSqlState, "42601");
    }
    EXPECT_NE(std::string(e->m_strStateNativeOrigin).find("State:"), std::string::npos);
    e->Delete();
}

TEST_P(RecordsetTest, DatabaseCloseClosesItsRecordsets) {
    InsertItems(*raw, table, {{"a", 1}});
    CDatabase db;
    ASSERT_TRUE(db.OpenEx(("DSN=" + Dsn(GetParam())).c_str(), CDatabase::noOdbcDialog));
    std::unique_ptr<CItemSet> a(NewSet(&db)), b(NewSet(&db));
    ASSERT_TRUE(a->Open());
    ASSERT_TRUE(b->Open());
    db.Close();
    EXPECT_FALSE(a->IsOpen());
    EXPECT_FALSE(b->IsOpen());
    EXPECT_EQ(a->m_pDatabase, &db) << "an application's connection stays the application's";
}

INSTANTIATE_TEST_SUITE_P(Backends, RecordsetTest, ::testing::ValuesIn(AllBackends()), BackendParamName());

// ---- unreachable data sources ----

TEST(RecordsetUnreachable, UnknownDataSourceFailsAtOnceWithTheDriverManagersText) {
    CDatabase db;
    CDBException* e = Raises([&] { db.OpenEx("DSN=NO_SUCH_SOURCE", CDatabase::noOdbcDialog); });
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ((const char*)e->m_strSqlState, "IM002");
    e->Delete();
    EXPECT_FALSE(db.IsOpen());
}

TEST(RecordsetUnreachable, ServerThatDoesNotAnswerGivesAnErrorNotAHang) {
    // A port nothing listens on: refused at once. The login timeout bounds other cases.
    CDatabase db;
    auto start = std::chrono::steady_clock::now();
    CDBException* e = Raises([&] {
        db.OpenEx("Driver=PostgreSQL Unicode;Servername=127.0.0.1;Port=9;Database=x;Username=x", CDatabase::noOdbcDialog);
    });
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ((const char*)e->m_strSqlState, "08001");
    EXPECT_NE(std::string(e->m_strError).find("onnect"), std::string::npos) << e->m_strError;
    e->Delete();
    EXPECT_LT(seconds, 20.0);
}

TEST(RecordsetUnreachable, DeclinedConnectIsFalseWithoutException) {
    AfxInjectDeclinedConnect(0);
    CItemSet rs(nullptr, "T_NONE", Dsn(Backend::SQLite));
    EXPECT_FALSE(rs.Open());
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_EQ(rs.m_pDatabase, nullptr) << "a connection of the set's own is dropped again";
    AfxInjectDeclinedConnect(-1);
}

}  // namespace

namespace {

// An item set whose own destructor does not close: the base closes after the members are gone.
class CBareItemSet : public CRecordset {
public:
    CBareItemSet(const std::string& table, const std::string& dsn)
        : CRecordset(nullptr), m_table(table.c_str()), m_connect(("ODBC;DSN=" + dsn).c_str()) {}
    CString GetDefaultConnect() override { return m_connect; }
    CString GetDefaultSQL() override { return m_table; }
    void DoFieldExchange(CFieldExchange* pFX) override {
        pFX->SetFieldType(CFieldExchange::outputColumn);
        RFX_Long(pFX, "[ID]", m_ID);
        RFX_Text(pFX, "[NAME]", m_NAME);
    }
    LONG m_ID = 0;
    CString m_NAME;
    CString m_table, m_connect;
};

TEST(RecordsetLifetime, DestroyingASetWithAPendingEditTouchesNoMember) {
    RawConnection raw(Backend::SQLite);
    std::string table = UniqueName("T_LIFE");
    CreateItemTable(raw, Backend::SQLite, table);
    InsertItems(raw, table, {{"short", 1}});
    auto* rs = new CBareItemSet(table, Dsn(Backend::SQLite));
    ASSERT_TRUE(rs->Open());
    rs->Edit();
    rs->m_NAME = "a text long enough to live on the heap, not inside the string object";
    delete rs;  // AddressSanitizer reports a write into freed members if closing restores them
}

}  // namespace
