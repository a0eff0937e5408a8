// Connections: what a reused connection carries, and what a finished query leaves behind.
#include "testsupport/ItemTable.h"

#include <davrixfw/CDatabase.h>

using namespace davrix::test;

namespace {

class DatabaseTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override { DAVRIX_REQUIRE_BACKEND(GetParam()); }
    std::string Connect() const { return "DSN=" + Dsn(GetParam()); }
};

TEST_P(DatabaseTest, AConnectionGoesBackAsItWasFound) {
    for (int round = 0; round < 3; ++round) {
        CDatabase db;
        ASSERT_TRUE(db.OpenEx(Connect().c_str()));
        SQLUINTEGER autocommit = 0;
        SQLGetConnectAttr(db.m_hdbc, SQL_ATTR_AUTOCOMMIT, &autocommit, 0, nullptr);
        EXPECT_EQ(autocommit, (SQLUINTEGER)SQL_AUTOCOMMIT_ON) << "round " << round;
        // What an application changes on the connection must not reach the next user.
        SQLSetConnectAttr(db.m_hdbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0);
        db.Close();
    }
}

TEST_P(DatabaseTest, AnApplicationTransactionLeftOpenIsNotLeftPending) {
    RawConnection raw(GetParam());
    std::string table = UniqueName("T_TXN");
    CreateItemTable(raw, GetParam(), table);
    {
        CDatabase db;
        ASSERT_TRUE(db.OpenEx(Connect().c_str()));
        SQLSetConnectAttr(db.m_hdbc, SQL_ATTR_AUTOCOMMIT, (SQLPOINTER)SQL_AUTOCOMMIT_OFF, 0);
        db.ExecuteSQL(("INSERT INTO \"" + table + "\" (\"QTY\") VALUES (1)").c_str());
    }
    // Switching autocommit back on ends the transaction, as ODBC defines it: nothing of it
    // stays open on a connection that another user takes next.
    EXPECT_EQ(raw.Scalar("SELECT count(*) FROM \"" + table + "\""), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, DatabaseTest, ::testing::ValuesIn(AllBackends()), BackendParamName());

// A query whose rows have all been read leaves no snapshot behind while its set stays
// open, so SQLite can checkpoint its write-ahead log instead of letting it grow.
TEST(DatabaseSQLite, AnOpenSetOnAFinishedResultDoesNotPinTheLog) {
    RawConnection raw(Backend::SQLite);
    std::string table = UniqueName("T_WAL");
    CreateItemTable(raw, Backend::SQLite, table);
    InsertItems(raw, table, {{"only", 1}});
    CItemSet rs(nullptr, table, Dsn(Backend::SQLite));
    ASSERT_TRUE(rs.Open());
    InsertItems(raw, table, {{"later", 2}, {"later", 3}});
    // busy, log frames, checkpointed frames: busy 0 and all frames copied when no reader
    // holds an old snapshot.
    std::vector<std::string> result = raw.Column("PRAGMA wal_checkpoint(TRUNCATE)");
    ASSERT_FALSE(result.empty());
    EXPECT_EQ(result[0], "0") << "the open set still holds a read snapshot";
    EXPECT_TRUE(rs.IsOpen());
    EXPECT_EQ(rs.m_QTY, 1);
}

}  // namespace

namespace {

// A set with rows still to fetch writes through its own connection on SQLite; when another
// connection has written since its query began, that snapshot cannot write, and the write
// must still land (through a second connection), at once and exactly once.
TEST(DatabaseSQLite, AWriteFromAnOldSnapshotStillLands) {
    RawConnection raw(Backend::SQLite);
    std::string table = UniqueName("T_SNAP");
    CreateItemTable(raw, Backend::SQLite, table);
    std::vector<std::pair<std::string, int>> rows;
    for (int i = 0; i < 50; ++i) rows.push_back({"r", i});
    InsertItems(raw, table, rows);
    CItemSet rs(nullptr, table, Dsn(Backend::SQLite));
    ASSERT_TRUE(rs.Open());
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "snapshot current" : "snapshot outdated by another writer");
        if (round == 1) InsertItems(raw, table, {{"other", 1000}});
        rs.AddNew();
        rs.m_NAME = "mine";
        rs.m_QTY = 500 + round;
        ASSERT_TRUE(rs.Update());
        EXPECT_EQ(raw.Scalar("SELECT count(*) FROM \"" + table + "\" WHERE \"QTY\" = " + std::to_string(500 + round)), 1);
    }
    int seen = 1;
    for (rs.MoveNext(); !rs.IsEOF(); rs.MoveNext()) ++seen;
    EXPECT_GE(seen, 50);
}

}  // namespace
