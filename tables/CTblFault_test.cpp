#include <davrixdb/tables/CTblDevInfo.h>
#include <davrixdb/tables/CTblFault.h>
#include <davrixdb/views/CVwFault.h>
#include <davrixdb/views/CVwFaultEx.h>

#include "tables/TestSchema.h"

#include <string>

using namespace davrix::test;

namespace {

const std::string kNoRecord = "查询数据库失败：没有指定的记录。";
const std::string kUpdateFailed = "更新数据库失败：\n";

class FaultTable : public SchemaTest {
protected:
    // A device row through the device table; its key as the database numbered it.
    LONG AddDevice(const std::string& nameUtf8, LONG model) {
        CTblDevInfo dev;
        dev.m_valNMODEL = model;
        dev.m_valNNAME = Gbk(nameUtf8);
        dev.m_valOFFICE = Gbk("调度中心");
        dev.m_valSTATION = Gbk("东郊变电站");
        EXPECT_EQ(dev.Save(), 1) << dev.GetError().GetString();
        return (LONG)Db(backend()).Scalar("SELECT max([NID]) FROM TABLE_DEVINFO");
    }
    long long Count(const std::string& where = "1=1") { return Db(backend()).Count("TABLE_FAULT", where); }
    std::string Text(const std::string& sql) { return Db(backend()).Text(sql); }
};

void FillFault(CTblFault& f, LONG device) {
    f.m_valNID = device;
    f.m_valFAN = 3;
    f.m_valFTIME = Timestamp(2023, 7, 14, 9, 26, 53, 125000000);
    f.m_valFMS = 125;
    f.m_valFTYPE = 2;
    f.m_valFJMP = 1;
    f.m_valFPOS = 12.75;
    f.m_valFFILE = "REC_20230714_092653.cfg";
    f.m_valFCODE = 7;
    f.m_valFSIZE = 40960;
    f.m_valFDESCR = Gbk("A相接地故障");
    f.m_valFAREA = Gbk("一区");
    f.m_valFREALPOS = 3.5;
    f.m_valFAVFLAG = 1;
    f.m_valSUMMARY = Gbk("距离保护动作");
}

// The road of one write: insert, update of the same row, read back by key, listed by the
// fault views with the device's columns.
TEST_P(FaultTable, SaveInsertsThenUpdatesAndReadsBack) {
    LONG device = AddDevice("一号录波器", 4);

    CTblFault fault;
    FillFault(fault, device);
    fault.m_valSID = 12345;  // ignored on insert: the database numbers the row
    ASSERT_EQ(fault.Save(), 1) << fault.GetError().GetString();
    EXPECT_EQ(fault.m_valSID, 0);
    EXPECT_EQ(std::string(fault.GetError()), Utf8ToGbk(kNoRecord));
    ASSERT_EQ(Count(), 1);
    long long key = std::stoll(Text("SELECT [SID] FROM TABLE_FAULT"));
    EXPECT_NE(key, 12345);

    fault.m_valFAN = 4;
    fault.m_valFDESCR = "";  // stored as NULL
    ASSERT_EQ(fault.Save(), 1) << fault.GetError().GetString();
    EXPECT_EQ(fault.m_valSID, key);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Text("SELECT [SID] FROM TABLE_FAULT"), std::to_string(key));
    EXPECT_EQ(Text("SELECT [FAN] FROM TABLE_FAULT"), "4");
    EXPECT_EQ(Text("SELECT [FDESCR] FROM TABLE_FAULT"), "<NULL>");
    EXPECT_EQ(Text("SELECT [SUMMARY] FROM TABLE_FAULT"), "距离保护动作");

    CTblFault reader;
    ASSERT_EQ(reader.GetRecord((LONG)key), 1) << reader.GetError().GetString();
    EXPECT_STREQ(reader.m_strFilter, ("[SID]=" + std::to_string(key)).c_str());
    EXPECT_EQ(reader.m_valSID, key);
    EXPECT_EQ(reader.m_valNID, device);
    EXPECT_EQ(reader.m_valFAN, 4);
    EXPECT_TRUE(SameTimestamp(reader.m_valFTIME, Timestamp(2023, 7, 14, 9, 26, 53, 125000000)))
        << Show(reader.m_valFTIME);
    EXPECT_EQ(reader.m_valFMS, 125);
    EXPECT_EQ(reader.m_valFTYPE, 2);
    EXPECT_EQ(reader.m_valFJMP, 1);
    EXPECT_DOUBLE_EQ(reader.m_valFPOS, 12.75);
    EXPECT_STREQ(reader.m_valFFILE, "REC_20230714_092653.cfg");
    EXPECT_EQ(reader.m_valFCODE, 7);
    EXPECT_EQ(reader.m_valFSIZE, 40960);
    EXPECT_STREQ(reader.m_valFDESCR, "");
    EXPECT_STREQ(reader.m_valFAREA, Gbk("一区"));
    EXPECT_DOUBLE_EQ(reader.m_valFREALPOS, 3.5);
    EXPECT_EQ(reader.m_valFAVFLAG, 1);
    EXPECT_STREQ(reader.m_valSUMMARY, Gbk("距离保护动作"));

    CVwFault view;
    ASSERT_EQ(view.GetData(1), 1) << view.GetError().GetString();
    EXPECT_EQ(view.m_SID, key);
    EXPECT_EQ(view.m_NID, device);
    EXPECT_EQ(view.m_NMODEL, 4);
    EXPECT_STREQ(view.m_NNAME, Gbk("一号录波器"));
    EXPECT_STREQ(view.m_FFILE, "REC_20230714_092653.cfg");
    EXPECT_STREQ(view.m_FAREA, Gbk("一区"));
    EXPECT_TRUE(SameTimestamp(view.m_FTIME, Timestamp(2023, 7, 14, 9, 26, 53, 125000000))) << Show(view.m_FTIME);
    EXPECT_DOUBLE_EQ(view.m_FREALPOS, 3.5);

    CVwFaultEx viewEx;
    ASSERT_EQ(viewEx.GetData(1), 1) << viewEx.GetError().GetString();
    EXPECT_EQ(viewEx.m_SID, key);
    EXPECT_STREQ(viewEx.m_NNAME, Gbk("一号录波器"));
    EXPECT_STREQ(viewEx.m_OFFICE, Gbk("调度中心"));
    EXPECT_STREQ(viewEx.m_STATION, Gbk("东郊变电站"));
    EXPECT_STREQ(viewEx.m_SUMMARY, Gbk("距离保护动作"));
}

TEST_P(FaultTable, GetRecordOfAMissingKeyKeepsTheMirror) {
    CTblFault fault;
    fault.m_valFFILE = "kept.cfg";
    EXPECT_EQ(fault.GetRecord(999), 0);
    EXPECT_EQ(std::string(fault.GetError()), Utf8ToGbk(kNoRecord));
    EXPECT_STREQ(fault.m_valFFILE, "kept.cfg");
}

TEST_P(FaultTable, FreshRecordHoldsTheInitialValues) {
    CTblFault fault;
    for (const TIMESTAMP_STRUCT* ts : {&fault.m_FTIME, &fault.m_valFTIME})
        EXPECT_TRUE(SameTimestamp(*ts, Timestamp(9999, 12, 31, 0, 0, 0))) << Show(*ts);
    EXPECT_EQ(fault.m_FREALPOS, -1.0);
    EXPECT_EQ(fault.m_valFREALPOS, -1.0);
    EXPECT_EQ(fault.m_valFPOS, 0.0);
    EXPECT_EQ(fault.m_valSID, 0);
    EXPECT_TRUE(fault.m_valSUMMARY.IsEmpty());
    EXPECT_EQ(fault.m_nFields, 16u);
}

// Several rows with the same file name: the first of the result is the one updated.
TEST_P(FaultTable, DuplicateFileNameUpdatesTheFirstRow) {
    Db db(backend());
    db.Exec("INSERT INTO TABLE_FAULT ([FFILE], [FAN]) VALUES ('twice.cfg', 1)");
    db.Exec("INSERT INTO TABLE_FAULT ([FFILE], [FAN]) VALUES ('twice.cfg', 2)");

    CTblFault fault;
    fault.m_valFFILE = "twice.cfg";
    ASSERT_EQ(fault.Save(), 1) << fault.GetError().GetString();
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Count("[SID] = " + std::to_string(fault.m_valSID) + " AND [FAN] = 0"), 1);
}

// File names arrive from recorders over the network: a quote in a name must never widen
// the key filter to other rows, while plain names give exactly "[FFILE]='<name>'".
TEST_P(FaultTable, FileNamesWithQuotesTouchOnlyTheirOwnRow) {
    struct Case {
        const char* name;
        const char* filter;
    };
    const Case cases[] = {
        {"plain.cfg", "[FFILE]='plain.cfg'"},
        {"x' OR '1'='1", "[FFILE]='x'' OR ''1''=''1'"},
        {"it's.cfg", "[FFILE]='it''s.cfg'"},
        {"'", "[FFILE]=''''"},
        {"''", "[FFILE]=''''''"},
        {"[FFILE]'; DELETE FROM TABLE_FAULT; --", "[FFILE]='[FFILE]''; DELETE FROM TABLE_FAULT; --'"},
    };
    Db db(backend());
    db.Exec("INSERT INTO TABLE_FAULT ([FFILE], [FAN]) VALUES ('other-a.cfg', 1)");
    db.Exec("INSERT INTO TABLE_FAULT ([FFILE], [FAN]) VALUES ('other-b.cfg', 2)");

    long long rows = 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (LONG fan : {10, 11}) {  // insert, then update of that row
            CTblFault fault;
            fault.m_valFFILE = c.name;
            fault.m_valFAN = fan;
            ASSERT_EQ(fault.Save(), 1) << fault.GetError().GetString();
            EXPECT_STREQ(fault.m_strFilter, c.filter);
        }
        ++rows;
        EXPECT_EQ(Count(), rows);
        EXPECT_EQ(Count("[FAN] = 11"), 1);
        EXPECT_EQ(Count("[FFILE] = 'other-a.cfg' AND [FAN] = 1"), 1);
        EXPECT_EQ(Count("[FFILE] = 'other-b.cfg' AND [FAN] = 2"), 1);
        db.Exec("UPDATE TABLE_FAULT SET [FAN] = 0 WHERE [FAN] = 11");
        CTblFault reader;
        ASSERT_EQ(reader.Query(c.filter), 1);
        EXPECT_STREQ(reader.m_FFILE, c.name);
    }
}

// An empty file name is stored as NULL, so the key filter never finds it again: each
// Save adds a row, as the station has always done.
TEST_P(FaultTable, EmptyFileNameInsertsEveryTime) {
    CTblFault fault;
    ASSERT_EQ(fault.Save(), 1) << fault.GetError().GetString();
    ASSERT_EQ(fault.Save(), 1) << fault.GetError().GetString();
    EXPECT_EQ(Count("[FFILE] IS NULL"), 2);
}

TEST_P(FaultTable, TextWiderThanItsColumnIsRefusedAndNothingStored) {
    CTblFault fault;
    fault.m_valFFILE = "wide.cfg";
    fault.m_valFAREA = Gbk("区") + CString('x', 63);  // 65 bytes where 64 fit
    EXPECT_EQ(fault.Save(), 0);
    std::string error = fault.GetError().GetString();
    EXPECT_EQ(error.substr(0, Utf8ToGbk(kUpdateFailed).size()), Utf8ToGbk(kUpdateFailed));
    EXPECT_GT(error.size(), Utf8ToGbk(kUpdateFailed).size());
    EXPECT_FALSE(fault.IsOpen());
    EXPECT_EQ(Count(), 0);

    fault.m_valFAREA = Gbk("区") + CString('x', 62);  // exactly 64
    ASSERT_EQ(fault.Save(), 1) << fault.GetError().GetString();
    EXPECT_EQ(Text("SELECT [FAREA] FROM TABLE_FAULT"), "区" + std::string(62, 'x'));
}

TEST_P(FaultTable, UnreachableDataSourceSavesNothing) {
    CDadRecordset::SetConnectionParam("NO_SUCH_SOURCE", "", "");
    CTblFault fault;
    fault.m_valFFILE = "lost.cfg";
    EXPECT_EQ(fault.Save(), 0);
    EXPECT_EQ(std::string(fault.GetError()), Utf8ToGbk("查询数据库失败：\n"));
    UseTestDataSource(backend());
    EXPECT_EQ(Count(), 0);
}

// A record dropped while an edit is pending (AddOREdit without Save) must not write the
// row's old values back into members that are already gone.
TEST_P(FaultTable, DestroyingARecordWithAPendingEditIsSafe) {
    {
        CTblFault fault;
        FillFault(fault, 1);
        ASSERT_EQ(fault.Save(), 1) << fault.GetError().GetString();
    }
    for (int round = 0; round < 2; ++round) {
        CTblFault fault;
        fault.m_valFFILE = "REC_20230714_092653.cfg";
        ASSERT_EQ(fault.AddOREdit(), 1) << fault.GetError().GetString();
        ASSERT_EQ(fault.m_nEditMode, CRecordset::edit);
        fault.AvilidData();
        fault.m_FDESCR = Gbk("改动后的描述，足够长以便占用自己的存储空间");
    }
    EXPECT_EQ(Text("SELECT [FDESCR] FROM TABLE_FAULT"), "A相接地故障");
}

INSTANTIATE_TEST_SUITE_P(Backends, FaultTable, ::testing::ValuesIn(AllBackends()), BackendParamName());

}  // namespace
