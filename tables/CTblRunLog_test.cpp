#include <davrixdb/tables/CTblRunLog.h>

#include "tables/TestSchema.h"

#include <string>

using namespace davrix::test;

namespace {

using RunLogTable = SchemaTest;

TEST_P(RunLogTable, StoresEmptyDescriptionAsNullAndUnsetTimeAsTheInitialDate) {
    CTblRunLog log;
    log.m_valNID = 6;
    log.m_valFLAG = 2;
    ASSERT_EQ(log.Save(), 1) << log.GetError().GetString();

    Db db(backend());
    EXPECT_EQ(db.Text("SELECT [DESCR] FROM TABLE_RUNLOG"), "<NULL>");
    EXPECT_EQ(db.Text("SELECT [STIME] FROM TABLE_RUNLOG").substr(0, 19), "9999-12-31 00:00:00");
    EXPECT_EQ(db.Text("SELECT [FLAG] FROM TABLE_RUNLOG"), "2");
}

TEST_P(RunLogTable, RoundTripOfAnEntry) {
    CTblRunLog log;
    log.m_valNID = 6;
    log.m_valFLAG = 1;
    log.m_valDESCR = Gbk("装置复归");
    log.m_valSTIME = Timestamp(2024, 2, 29, 23, 59, 58, 999000000);
    ASSERT_EQ(log.Save(), 1) << log.GetError().GetString();

    CTblRunLog reader;
    ASSERT_EQ(reader.GetData(1), 1) << reader.GetError().GetString();
    EXPECT_GT(reader.m_valSID, 0);
    EXPECT_EQ(reader.m_valNID, 6);
    EXPECT_EQ(reader.m_valFLAG, 1);
    EXPECT_STREQ(reader.m_valDESCR, Gbk("装置复归"));
    EXPECT_TRUE(SameTimestamp(reader.m_valSTIME, Timestamp(2024, 2, 29, 23, 59, 58, 999000000)))
        << Show(reader.m_valSTIME);
}

TEST(RunLogRecord, FreshRecordHoldsTheInitialDate) {
    CDadRecordset::SetConnectionParam("X", "", "");
    CTblRunLog log;
    EXPECT_TRUE(SameTimestamp(log.m_STIME, Timestamp(9999, 12, 31, 0, 0, 0)));
    EXPECT_TRUE(SameTimestamp(log.m_valSTIME, Timestamp(9999, 12, 31, 0, 0, 0)));
    EXPECT_TRUE(SameTimestamp(g_tsInitDate, Timestamp(9999, 12, 31, 0, 0, 0)));
    EXPECT_EQ(log.m_nFields, 5u);
}

INSTANTIATE_TEST_SUITE_P(Backends, RunLogTable, ::testing::ValuesIn(AllBackends()), BackendParamName());

}  // namespace
