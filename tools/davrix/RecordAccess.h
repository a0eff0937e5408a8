// How the commands use the module's record classes: reading every row a filter selects,
// loading one record, removing, and turning a 0 result into a ToolError with the module's
// text. Nothing here writes SQL beyond the filters the classes take.
#ifndef DAVRIX_TOOL_RECORDACCESS_H
#define DAVRIX_TOOL_RECORDACCESS_H

#include "ToolError.h"

#include <davrixdb/recordset/CDadRecordset.h>

#include <functional>
#include <string>

namespace davrix {
namespace tool {

// The module's error text of the record set, with `context` before it.
ToolError ModuleError(CDadRecordset& record, const std::string& context);

// A filter comparing a column with text: "[COLUMN]='text'" with quotes doubled.
std::string TextFilter(const char* column, const std::string& gbk);
std::string NumberFilter(const char* column, long value);

// Runs Query(filter) and calls onRow for every row, with the bound members filled. An empty
// result is no error; a query that cannot run throws.
void ForEachRow(CDadRecordset& record, const std::string& filter, const std::function<void()>& onRow);

// Loads the first row the filter selects into the bound members and the mirror. False
// when there is none; throws when the query cannot run.
bool LoadRecord(CDadRecordset& record, const std::string& filter);

// Removes every row the filter selects, one Remove at a time; returns how many.
int RemoveAll(CDadRecordset& record, const std::string& filter);

// Saves the mirror; throws with the module's text when the module reports 0.
void SaveRecord(CDadRecordset& record, const std::string& context);

}  // namespace tool
}  // namespace davrix

#endif
