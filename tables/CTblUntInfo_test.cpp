#include <davrixdb/tables/CTblUntInfo.h>

#include "tables/TestSchema.h"

#include <string>

using namespace davrix::test;

namespace {

using UnitTable = SchemaTest;

TEST_P(UnitTable, SaveUpdatesAnExistingKeyAndInsertsOtherwise) {
    Db db(backend());
    CTblUntInfo unit;
    unit.m_valSID = 900;  // no such row: inserted under a key of the database's choosing
    unit.m_valDID = 4;
    unit.m_valSNAME = Gbk("第一单元");
    ASSERT_EQ(unit.Save(), 1) << unit.GetError().GetString();
    EXPECT_EQ(unit.m_valSID, 900);  // the mirror is left as it was
    ASSERT_EQ(db.Count("TABLE_UNTINFO"), 1);
    LONG key = (LONG)db.Scalar("SELECT [SID] FROM TABLE_UNTINFO");
    EXPECT_NE(key, 900);

    CTblUntInfo edit;
    edit.m_valSID = key;
    edit.m_valDID = 5;
    edit.m_valSNAME = "";
    ASSERT_EQ(edit.Save(), 1) << edit.GetError().GetString();
    EXPECT_EQ(db.Count("TABLE_UNTINFO"), 1);
    EXPECT_EQ(db.Scalar("SELECT [SID] FROM TABLE_UNTINFO"), key);
    EXPECT_EQ(db.Text("SELECT [DID] FROM TABLE_UNTINFO"), "5");
    EXPECT_EQ(db.Text("SELECT [SNAME] FROM TABLE_UNTINFO"), "<NULL>");
}

INSTANTIATE_TEST_SUITE_P(Backends, UnitTable, ::testing::ValuesIn(AllBackends()), BackendParamName());

}  // namespace
