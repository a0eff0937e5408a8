// Field values between text and the module's types: strict parsing of option values and
// the one way the tool shows numbers and times. Failures throw a usage ToolError naming
// the option.
#ifndef DAVRIX_TOOL_FIELDVALUE_H
#define DAVRIX_TOOL_FIELDVALUE_H

#include <davrixfw/CTime.h>
#include <davrixfw/WinTypes.h>

#include <string>

namespace davrix {
namespace tool {

LONG ParseLong(const std::string& text, const std::string& what);
double ParseDouble(const std::string& text, const std::string& what);
// "YYYY-MM-DD", "YYYY-MM-DD hh:mm", "YYYY-MM-DD hh:mm:ss[.fff]" (a 'T' may stand for the
// blank), or "now" (local time, whole seconds).
TIMESTAMP_STRUCT ParseTimestamp(const std::string& text, const std::string& what);
// Refuses text longer than the column's width in GBK bytes.
void CheckTextWidth(const std::string& gbk, int maxBytes, const std::string& what);

std::string FormatDouble(double v);
// "YYYY-MM-DD hh:mm:ss", with ".fff" when the fraction is not zero.
std::string FormatTimestamp(const TIMESTAMP_STRUCT& ts);
// The same with milliseconds given apart (the fault tables keep them in a column of their own).
std::string FormatTimestampMs(const TIMESTAMP_STRUCT& ts, LONG milliseconds);
// Local time; "" for the invalid time.
std::string FormatTime(const CTime& t);

}  // namespace tool
}  // namespace davrix

#endif
