// What holds for every record class alike: identity, table or view name, and agreement
// between the columns a class binds and the schema shipped for each backend.
#include <davrixdb/tables/CTblAutoSend.h>
#include <davrixdb/tables/CTblDevInfo.h>
#include <davrixdb/tables/CTblFault.h>
#include <davrixdb/tables/CTblRunLog.h>
#include <davrixdb/tables/CTblUntInfo.h>
#include <davrixdb/views/CVwAutoSend.h>
#include <davrixdb/views/CVwFault.h>
#include <davrixdb/views/CVwFaultEx.h>
#include <davrixdb/views/CVwRunLog.h>

#include "tables/TestSchema.h"

#include <functional>
#include <memory>
#include <string>

using namespace davrix::test;

namespace {

using Make = std::function<std::unique_ptr<CDAVRIXRecordset>()>;

template <class Record>
Make Maker() {
    return [] { return std::unique_ptr<CDAVRIXRecordset>(new Record); };
}

struct RecordClass {
    const char* className;
    const char* objectName;
    UINT fields;
    Make make;
};

const RecordClass kRecordClasses[] = {
    {"CTblDevInfo", "TABLE_DEVINFO", 14, Maker<CTblDevInfo>()},
    {"CTblFault", "TABLE_FAULT", 16, Maker<CTblFault>()},
    {"CTblUntInfo", "TABLE_UNTINFO", 3, Maker<CTblUntInfo>()},
    {"CTblRunLog", "TABLE_RUNLOG", 5, Maker<CTblRunLog>()},
    {"CTblAutoSend", "TABLE_AUTOSEND", 2, Maker<CTblAutoSend>()},
    {"CVwFault", "VIEW_FAULT", 18, Maker<CVwFault>()},
    {"CVwFaultEx", "VIEW_FAULT", 20, Maker<CVwFaultEx>()},
    {"CVwAutoSend", "VIEW_AUTOSEND", 18, Maker<CVwAutoSend>()},
    {"CVwRunLog", "VIEW_RUNLOG", 7, Maker<CVwRunLog>()},
};

TEST(RecordClasses, IdentityFieldCountAndOwnerQualifiedName) {
    for (const RecordClass& c : kRecordClasses) {
        SCOPED_TRACE(c.className);
        CDadRecordset::SetConnectionParam("X", "", "");
        std::unique_ptr<CDAVRIXRecordset> plain = c.make();
        EXPECT_STREQ(plain->GetRuntimeClass()->m_lpszClassName, c.className);
        EXPECT_EQ(plain->GetRuntimeClass()->m_pBaseClass, RUNTIME_CLASS(CDAVRIXRecordset));
        EXPECT_EQ(plain->m_nFields, c.fields);
        EXPECT_STREQ(plain->GetDefaultSQL(), c.objectName);

        CDadRecordset::SetConnectionParam("X", "owner", "pw");
        std::unique_ptr<CDAVRIXRecordset> owned = c.make();
        EXPECT_EQ(std::string(owned->GetDefaultSQL()), std::string("[OWNER].[") + c.objectName + "]");
    }
}

using SchemaAgreement = SchemaTest;

// Each class opens on the shipped schema: every bound column exists under its name.
TEST_P(SchemaAgreement, EveryRecordClassOpensOnTheSchema) {
    for (const RecordClass& c : kRecordClasses) {
        SCOPED_TRACE(c.className);
        std::unique_ptr<CDAVRIXRecordset> rs = c.make();
        EXPECT_EQ(rs->QueryData(1, 0), 1) << rs->GetError().GetString();
        EXPECT_TRUE(rs->IsEOF());
    }
}

// The schema file may be run again on a database that has the schema: rows are kept.
TEST_P(SchemaAgreement, SchemaFileRunsAgainKeepingTheRows) {
    CTblFault fault;
    fault.m_valFFILE = "kept.cfg";
    ASSERT_EQ(fault.Save(), 1) << fault.GetError().GetString();

    RawConnection raw(backend());
    raw.ExecScript(ReadTextFile(SchemaFile(backend())));

    Db db(backend());
    EXPECT_EQ(db.Count("TABLE_FAULT", "[FFILE] = 'kept.cfg'"), 1);
    EXPECT_EQ(db.Count("VIEW_FAULT", "[FFILE] = 'kept.cfg'"), 1);
}

// Views store nothing: Save gives 0 and no reason.
TEST_P(SchemaAgreement, ViewsRefuseToSaveWithoutAMessage) {
    for (const RecordClass& c : kRecordClasses) {
        if (std::string(c.className).rfind("CVw", 0) != 0) continue;
        SCOPED_TRACE(c.className);
        std::unique_ptr<CDAVRIXRecordset> rs = c.make();
        EXPECT_EQ(rs->Save(), 0);
        EXPECT_STREQ(rs->GetError(), "");
    }
}

// A text as wide as its binding admits is stored whole; one byte more is refused with the
// update-failure message and nothing is written.
struct TextColumn {
    const char* className;
    const char* table;
    const char* column;
    int width;
    Make make;
    std::function<CString&(CDAVRIXRecordset&)> mirror;
};

template <class Record>
std::function<CString&(CDAVRIXRecordset&)> Mirror(CString Record::*member) {
    return [member](CDAVRIXRecordset& rs) -> CString& { return static_cast<Record&>(rs).*member; };
}

const TextColumn kTextColumns[] = {
    {"CTblDevInfo", "TABLE_DEVINFO", "[NNAME]", 255, Maker<CTblDevInfo>(), Mirror(&CTblDevInfo::m_valNNAME)},
    {"CTblDevInfo", "TABLE_DEVINFO", "[IP_ADDR]", 255, Maker<CTblDevInfo>(), Mirror(&CTblDevInfo::m_valIP_ADDR)},
    {"CTblDevInfo", "TABLE_DEVINFO", "[LPATH]", 255, Maker<CTblDevInfo>(), Mirror(&CTblDevInfo::m_valLPATH)},
    {"CTblDevInfo", "TABLE_DEVINFO", "[RADDR]", 255, Maker<CTblDevInfo>(), Mirror(&CTblDevInfo::m_valRADDR)},
    {"CTblDevInfo", "TABLE_DEVINFO", "[RADDREX]", 255, Maker<CTblDevInfo>(), Mirror(&CTblDevInfo::m_valRADDREX)},
    {"CTblDevInfo", "TABLE_DEVINFO", "[CENTER]", 255, Maker<CTblDevInfo>(), Mirror(&CTblDevInfo::m_valCENTER)},
    {"CTblDevInfo", "TABLE_DEVINFO", "[OFFICE]", 255, Maker<CTblDevInfo>(), Mirror(&CTblDevInfo::m_valOFFICE)},
    {"CTblDevInfo", "TABLE_DEVINFO", "[STATION]", 255, Maker<CTblDevInfo>(), Mirror(&CTblDevInfo::m_valSTATION)},
    {"CTblDevInfo", "TABLE_DEVINFO", "[VMODEL]", 64, Maker<CTblDevInfo>(), Mirror(&CTblDevInfo::m_valVMODEL)},
    {"CTblFault", "TABLE_FAULT", "[FFILE]", 255, Maker<CTblFault>(), Mirror(&CTblFault::m_valFFILE)},
    {"CTblFault", "TABLE_FAULT", "[FDESCR]", 255, Maker<CTblFault>(), Mirror(&CTblFault::m_valFDESCR)},
    {"CTblFault", "TABLE_FAULT", "[FAREA]", 64, Maker<CTblFault>(), Mirror(&CTblFault::m_valFAREA)},
    {"CTblFault", "TABLE_FAULT", "[SUMMARY]", 255, Maker<CTblFault>(), Mirror(&CTblFault::m_valSUMMARY)},
    {"CTblUntInfo", "TABLE_UNTINFO", "[SNAME]", 255, Maker<CTblUntInfo>(), Mirror(&CTblUntInfo::m_valSNAME)},
    {"CTblRunLog", "TABLE_RUNLOG", "[DESCR]", 255, Maker<CTblRunLog>(), Mirror(&CTblRunLog::m_valDESCR)},
};

TEST_P(SchemaAgreement, TextsUpToTheirWidthAreStoredWiderOnesRefused) {
    Db db(backend());
    const std::string updateFailed = Utf8ToGbk("更新数据库失败：\n");
    for (const TextColumn& c : kTextColumns) {
        SCOPED_TRACE(std::string(c.className) + " " + c.column);
        // Ends in a double-byte character, so the width is reached exactly by whole characters.
        std::string fits = std::string((size_t)c.width - 2, 'w') + "宽";
        std::string wider = "w" + fits;
        long long before = db.Count(c.table);

        std::unique_ptr<CDAVRIXRecordset> refused = c.make();
        c.mirror(*refused) = Gbk(wider);
        EXPECT_EQ(refused->Save(), 0);
        std::string error = refused->GetError().GetString();
        EXPECT_EQ(error.substr(0, updateFailed.size()), updateFailed);
        EXPECT_GT(error.size(), updateFailed.size());
        EXPECT_EQ(db.Count(c.table), before);

        std::unique_ptr<CDAVRIXRecordset> stored = c.make();
        c.mirror(*stored) = Gbk(fits);
        ASSERT_EQ(stored->Save(), 1) << stored->GetError().GetString();
        EXPECT_EQ(db.Count(c.table, std::string(c.column) + " = '" + fits + "'"), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, SchemaAgreement, ::testing::ValuesIn(AllBackends()), BackendParamName());

}  // namespace
