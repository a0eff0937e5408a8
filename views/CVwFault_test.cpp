#include <davrixdb/views/CVwFault.h>
#include <davrixdb/views/CVwFaultEx.h>

#include "tables/TestSchema.h"

#include <string>

using namespace davrix::test;

namespace {

TEST(FaultViews, FreshRecordsHoldTheInitialValues) {
    CDadRecordset::SetConnectionParam("X", "", "");
    CVwFault view;
    CVwFaultEx viewEx;
    EXPECT_TRUE(SameTimestamp(view.m_FTIME, Timestamp(9999, 12, 31, 0, 0, 0))) << Show(view.m_FTIME);
    EXPECT_TRUE(SameTimestamp(viewEx.m_FTIME, Timestamp(9999, 12, 31, 0, 0, 0))) << Show(viewEx.m_FTIME);
    EXPECT_EQ(view.m_FREALPOS, -1.0);
    EXPECT_EQ(viewEx.m_FREALPOS, -1.0);
    EXPECT_EQ(view.m_FPOS, 0.0);
    EXPECT_EQ(view.m_SID, 0);
    EXPECT_TRUE(viewEx.m_STATION.IsEmpty());
}

using FaultView = SchemaTest;

// A fault whose device is not registered is listed all the same, device columns empty.
TEST_P(FaultView, FaultWithoutDeviceIsListed) {
    Db db(backend());
    db.Exec("INSERT INTO TABLE_FAULT ([NID], [FFILE], [FREALPOS]) VALUES (42, 'orphan.cfg', 2.5)");
    CVwFaultEx view;
    ASSERT_EQ(view.GetData(1), 1) << view.GetError().GetString();
    EXPECT_EQ(view.m_NID, 42);
    EXPECT_STREQ(view.m_FFILE, "orphan.cfg");
    EXPECT_EQ(view.m_FREALPOS, 2.5);
    EXPECT_EQ(view.m_NMODEL, 0);
    EXPECT_TRUE(view.m_NNAME.IsEmpty());
    EXPECT_TRUE(view.m_OFFICE.IsEmpty());
}

// The extended class needs the office and station columns; the plain one does without.
TEST_P(FaultView, ExtendedViewNeedsOfficeAndStation) {
    Db db(backend());
    db.Exec("DROP VIEW VIEW_FAULT");
    db.Exec("CREATE VIEW VIEW_FAULT AS SELECT F.[SID], F.[NID], D.[NMODEL], D.[NNAME], F.[FAN], F.[FTIME], "
            "F.[FMS], F.[FTYPE], F.[FJMP], F.[FPOS], F.[FAREA], F.[FFILE], F.[FCODE], F.[FSIZE], F.[FDESCR], "
            "F.[FREALPOS], F.[FAVFLAG], F.[SUMMARY] FROM TABLE_FAULT F LEFT JOIN TABLE_DEVINFO D "
            "ON D.[NID] = F.[NID]");
    db.Exec("INSERT INTO TABLE_FAULT ([FFILE]) VALUES ('narrow.cfg')");

    CVwFault view;
    ASSERT_EQ(view.GetData(1), 1) << view.GetError().GetString();
    EXPECT_STREQ(view.m_FFILE, "narrow.cfg");

    CVwFaultEx viewEx;
    EXPECT_EQ(viewEx.GetData(1), 0);
    std::string prefix = Utf8ToGbk("查询数据库失败：\n");
    std::string error = viewEx.GetError().GetString();
    EXPECT_EQ(error.substr(0, prefix.size()), prefix);
    EXPECT_GT(error.size(), prefix.size());
    EXPECT_FALSE(viewEx.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Backends, FaultView, ::testing::ValuesIn(AllBackends()), BackendParamName());

}  // namespace
