#include <davrixdb/tables/CTblAutoSend.h>
#include <davrixdb/tables/CTblFault.h>
#include <davrixdb/views/CVwAutoSend.h>

#include "tables/TestSchema.h"

#include <string>

using namespace davrix::test;

namespace {

TEST(AutoSendViewRecord, FreshRecordLeavesTheTimeAsCTimeMadeIt) {
    CDadRecordset::SetConnectionParam("X", "", "");
    CVwAutoSend view;
    EXPECT_EQ(view.m_FTIME, CTime());
    EXPECT_EQ(view.m_FPOS, 0.0);
    EXPECT_EQ(view.m_COMTYPE, 0);
}

using AutoSendView = SchemaTest;

// The fault time arrives as a time value; a fault time beyond what 32 bits of seconds
// hold (the never-set date among them) arrives as the invalid time.
TEST_P(AutoSendView, ListsEntriesWithTheirFaultTimeAsATimeValue) {
    struct Case {
        const char* file;
        TIMESTAMP_STRUCT time;
        CTime expected;
    };
    const Case cases[] = {
        {"summer.cfg", Timestamp(2023, 7, 14, 9, 26, 53), CTime(2023, 7, 14, 9, 26, 53)},
        {"winter.cfg", Timestamp(2001, 1, 2, 3, 4, 5), CTime(2001, 1, 2, 3, 4, 5)},
        {"unset.cfg", Timestamp(9999, 12, 31, 0, 0, 0), CTime(-1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        CTblFault fault;
        fault.m_valFFILE = c.file;
        fault.m_valFTIME = c.time;
        fault.m_valFPOS = 1.25;
        ASSERT_EQ(fault.Save(), 1) << fault.GetError().GetString();
        ASSERT_EQ(fault.Query((std::string("[FFILE]='") + c.file + "'").c_str()), 1);
        CTblAutoSend send;
        send.m_valFID = fault.m_SID;
        ASSERT_EQ(send.Save(), 1) << send.GetError().GetString();

        CVwAutoSend view;
        ASSERT_EQ(view.Query((std::string("[FFILE]='") + c.file + "'").c_str()), 1) << view.GetError().GetString();
        EXPECT_EQ(view.m_FID, fault.m_SID);
        EXPECT_EQ(view.m_FPOS, 1.25);
        EXPECT_EQ(view.m_FTIME.GetTime(), c.expected.GetTime());
    }
}

// An entry whose fault is gone is still listed, with the fault's columns empty.
TEST_P(AutoSendView, EntryWithoutItsFaultIsListed) {
    CTblAutoSend send;
    send.m_valFID = 4711;
    ASSERT_EQ(send.Save(), 1) << send.GetError().GetString();
    CVwAutoSend view;
    ASSERT_EQ(view.GetData(1), 1) << view.GetError().GetString();
    EXPECT_EQ(view.m_FID, 4711);
    EXPECT_EQ(view.m_NID, 0);
    EXPECT_TRUE(view.m_FFILE.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Backends, AutoSendView, ::testing::ValuesIn(AllBackends()), BackendParamName());

}  // namespace
