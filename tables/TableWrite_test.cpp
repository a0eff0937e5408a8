// The insert-only Save that the run-log and auto-send tables share, run through both.
#include <davrixdb/tables/CTblAutoSend.h>
#include <davrixdb/tables/CTblRunLog.h>

#include "tables/TestSchema.h"

#include <string>

using namespace davrix::test;

namespace {

using InsertOnly = SchemaTest;

// marker is a mirror member whose column (markerColumn) tells the rows apart.
template <class Record>
void SaveAlwaysInserts(Backend b, const char* table, LONG Record::*marker, const char* markerColumn) {
    Db db(b);
    const std::string column = markerColumn;
    {
        Record first;
        first.*marker = 1;
        ASSERT_EQ(first.Save(), 1) << first.GetError().GetString();
    }
    LONG existing = (LONG)db.Scalar(std::string("SELECT [SID] FROM ") + table);

    Record rec;
    rec.m_valSID = existing;  // an existing key does not make it an update
    rec.*marker = 2;
    ASSERT_EQ(rec.Save(), 1) << rec.GetError().GetString();
    EXPECT_TRUE(rec.IsOpen());
    EXPECT_EQ(db.Count(table), 2);
    EXPECT_EQ(db.Count(table, "[SID] = " + std::to_string(existing) + " AND " + column + " = 1"), 1);

    // The set stays open and is not queried again: a filter that could not run is never used.
    rec.m_strFilter = "[NO_SUCH_COLUMN] = 1";
    rec.*marker = 3;
    ASSERT_EQ(rec.Save(), 1) << rec.GetError().GetString();
    EXPECT_STREQ(rec.m_strFilter, "[NO_SUCH_COLUMN] = 1");
    EXPECT_EQ(db.Count(table), 3);
    EXPECT_EQ(db.Count(table, column + " = 3"), 1);

    // An open set keeps the filter it was opened with.
    Record filtered;
    ASSERT_EQ(filtered.Query("[SID] = 1"), 1) << filtered.GetError().GetString();
    filtered.*marker = 4;
    ASSERT_EQ(filtered.Save(), 1) << filtered.GetError().GetString();
    EXPECT_STREQ(filtered.m_strFilter, "[SID] = 1");
    EXPECT_EQ(db.Count(table, column + " = 4"), 1);
    EXPECT_NE(db.Scalar("SELECT [SID] FROM " + std::string(table) + " WHERE " + column + " = 4"), 1);

    // A closed set whose data source cannot be reached writes nothing.
    CDadRecordset::SetConnectionParam("NO_SUCH_SOURCE", "", "");
    Record unreachable;
    unreachable.*marker = 5;
    EXPECT_EQ(unreachable.Save(), 0);
    UseTestDataSource(b);
    EXPECT_EQ(db.Count(table, column + " = 5"), 0);
}

TEST_P(InsertOnly, RunLogSaveAlwaysInserts) {
    SaveAlwaysInserts<CTblRunLog>(backend(), "TABLE_RUNLOG", &CTblRunLog::m_valNID, "[NID]");
}

TEST_P(InsertOnly, AutoSendSaveAlwaysInserts) {
    SaveAlwaysInserts<CTblAutoSend>(backend(), "TABLE_AUTOSEND", &CTblAutoSend::m_valFID, "[FID]");
}

INSTANTIATE_TEST_SUITE_P(Backends, InsertOnly, ::testing::ValuesIn(AllBackends()), BackendParamName());

}  // namespace
