#include <davrixdb/tables/CTblDevInfo.h>

#include "tables/TestSchema.h"

#include <string>

using namespace davrix::test;

namespace {

using DeviceTable = SchemaTest;

void FillDevice(CTblDevInfo& d, const char* tag) {
    d.m_valNMODEL = 8;
    d.m_valNNAME = Gbk(std::string("录波器") + tag);
    d.m_valIP_ADDR = "192.168.10.21";
    d.m_valND_ADDR = 21;
    d.m_valLPATH = "D:\\records\\21";
    d.m_valCOMTYPE = 1;
    d.m_valRADDR = "10.1.1.1:5000";
    d.m_valRADDREX = "10.1.1.2:5000";
    d.m_valFLAG = 3;
    d.m_valCENTER = Gbk("省调");
    d.m_valOFFICE = Gbk("地调");
    d.m_valSTATION = Gbk("西山站");
    d.m_valVMODEL = "WGL-9000";
}

TEST_P(DeviceTable, SaveInsertsWithADatabaseKeyThenUpdatesByKey) {
    Db db(backend());
    CTblDevInfo dev;
    FillDevice(dev, "A");
    dev.m_valNID = 0;
    ASSERT_EQ(dev.Save(), 1) << dev.GetError().GetString();
    EXPECT_STREQ(dev.m_strFilter, "[NID]=0");
    EXPECT_EQ(dev.m_valNID, 0);  // the new key is not read back
    ASSERT_EQ(db.Count("TABLE_DEVINFO"), 1);
    LONG key = (LONG)db.Scalar("SELECT [NID] FROM TABLE_DEVINFO");
    EXPECT_GT(key, 0);

    CTblDevInfo edit;
    edit.m_strFilter.Format("[NID]=%ld", (long)key);
    ASSERT_EQ(edit.GetData(1), 1) << edit.GetError().GetString();
    EXPECT_EQ(edit.m_valNID, key);
    EXPECT_STREQ(edit.m_valNNAME, Gbk("录波器A"));
    EXPECT_STREQ(edit.m_valLPATH, "D:\\records\\21");
    EXPECT_STREQ(edit.m_valSTATION, Gbk("西山站"));
    EXPECT_STREQ(edit.m_valVMODEL, "WGL-9000");
    EXPECT_EQ(edit.m_valND_ADDR, 21);

    FillDevice(edit, "B");
    edit.m_valIP_ADDR = "";  // stored as NULL
    edit.m_valFLAG = 0;
    ASSERT_EQ(edit.Save(), 1) << edit.GetError().GetString();
    EXPECT_STREQ(edit.m_strFilter, ("[NID]=" + std::to_string(key)).c_str());
    EXPECT_EQ(db.Count("TABLE_DEVINFO"), 1);
    EXPECT_EQ(db.Scalar("SELECT [NID] FROM TABLE_DEVINFO"), key);
    EXPECT_EQ(db.Text("SELECT [NNAME] FROM TABLE_DEVINFO"), "录波器B");
    EXPECT_EQ(db.Text("SELECT [IP_ADDR] FROM TABLE_DEVINFO"), "<NULL>");
    EXPECT_EQ(db.Text("SELECT [FLAG] FROM TABLE_DEVINFO"), "0");
}

// A key that is set but matches no row still inserts, and the database numbers the row.
TEST_P(DeviceTable, UnknownKeyInsertsANewRow) {
    Db db(backend());
    CTblDevInfo dev;
    FillDevice(dev, "C");
    dev.m_valNID = 17;
    ASSERT_EQ(dev.Save(), 1) << dev.GetError().GetString();
    EXPECT_STREQ(dev.m_strFilter, "[NID]=17");
    EXPECT_EQ(db.Count("TABLE_DEVINFO"), 1);
    EXPECT_NE(db.Scalar("SELECT [NID] FROM TABLE_DEVINFO"), 17);
}

TEST_P(DeviceTable, ToValThenAvilidDataLeavesTheBoundMembersAlone) {
    CTblDevInfo dev;
    FillDevice(dev, "D");
    ASSERT_EQ(dev.Save(), 1) << dev.GetError().GetString();
    CTblDevInfo reader;
    ASSERT_EQ(reader.GetData(0), 1) << reader.GetError().GetString();
    CString name = reader.m_NNAME;
    LONG key = reader.m_NID;
    reader.ToVal();
    reader.AvilidData();
    EXPECT_STREQ(reader.m_NNAME, name);
    EXPECT_EQ(reader.m_NID, key);
    EXPECT_STREQ(reader.m_valNNAME, name);
}

TEST_P(DeviceTable, UnreachableDataSourceMakesSaveFailWithoutWriting) {
    CDadRecordset::SetConnectionParam("NO_SUCH_SOURCE", "", "");
    CTblDevInfo dev;
    FillDevice(dev, "E");
    EXPECT_EQ(dev.AddOREdit(), 0);
    EXPECT_EQ(dev.Save(), 0);
    EXPECT_EQ(std::string(dev.GetError()), Utf8ToGbk("查询数据库失败：\n"));
    UseTestDataSource(backend());
    EXPECT_EQ(Db(backend()).Count("TABLE_DEVINFO"), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, DeviceTable, ::testing::ValuesIn(AllBackends()), BackendParamName());

}  // namespace
