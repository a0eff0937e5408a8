#include <davrixdb/tables/CTblDevInfo.h>
#include <davrixdb/tables/CTblRunLog.h>
#include <davrixdb/views/CVwRunLog.h>

#include "tables/TestSchema.h"

#include <string>

using namespace davrix::test;

namespace {

using RunLogView = SchemaTest;

TEST_P(RunLogView, ListsEntriesWithTheirDeviceAndTimestamp) {
    CTblDevInfo dev;
    dev.m_valNMODEL = 12;
    dev.m_valNNAME = Gbk("二号录波器");
    dev.m_valFLAG = 9;  // the view's [FLAG] is the entry's, not the device's
    ASSERT_EQ(dev.Save(), 1) << dev.GetError().GetString();
    dev.m_strFilter.Empty();  // Save left the key filter of the insert, [NID]=0
    ASSERT_EQ(dev.GetData(1), 1);

    CTblRunLog log;
    log.m_valNID = dev.m_valNID;
    log.m_valFLAG = 3;
    log.m_valDESCR = Gbk("通信中断");
    log.m_valSTIME = Timestamp(2022, 12, 31, 23, 59, 59, 500000000);
    ASSERT_EQ(log.Save(), 1) << log.GetError().GetString();

    CVwRunLog view;
    EXPECT_TRUE(SameTimestamp(view.m_STIME, Timestamp(9999, 12, 31, 0, 0, 0))) << Show(view.m_STIME);
    ASSERT_EQ(view.GetData(1), 1) << view.GetError().GetString();
    EXPECT_GT(view.m_SID, 0);
    EXPECT_EQ(view.m_NID, dev.m_valNID);
    EXPECT_EQ(view.m_NMODEL, 12);
    EXPECT_STREQ(view.m_NNAME, Gbk("二号录波器"));
    EXPECT_EQ(view.m_FLAG, 3);
    EXPECT_STREQ(view.m_DESCR, Gbk("通信中断"));
    EXPECT_TRUE(SameTimestamp(view.m_STIME, Timestamp(2022, 12, 31, 23, 59, 59, 500000000))) << Show(view.m_STIME);
}

INSTANTIATE_TEST_SUITE_P(Backends, RunLogView, ::testing::ValuesIn(AllBackends()), BackendParamName());

}  // namespace
