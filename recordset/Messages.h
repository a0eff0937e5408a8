// The module's own messages, in the application's code page (GBK). The UTF-8 text of each
// stands beside it.
#ifndef DAVRIXDB_RECORDSET_MESSAGES_H
#define DAVRIXDB_RECORDSET_MESSAGES_H

namespace davrix {
namespace msg {

// "查询数据库失败：\n"
constexpr const char kQueryFailed[] = "\xB2\xE9\xD1\xAF\xCA\xFD\xBE\xDD\xBF\xE2\xCA\xA7\xB0\xDC\xA3\xBA\n";
// "更新数据库失败：\n"
constexpr const char kUpdateFailed[] = "\xB8\xFC\xD0\xC2\xCA\xFD\xBE\xDD\xBF\xE2\xCA\xA7\xB0\xDC\xA3\xBA\n";
// "查询数据库失败：没有指定的记录。"
constexpr const char kNoRecord[] =
    "\xB2\xE9\xD1\xAF\xCA\xFD\xBE\xDD\xBF\xE2\xCA\xA7\xB0\xDC\xA3\xBA"
    "\xC3\xBB\xD3\xD0\xD6\xB8\xB6\xA8\xB5\xC4\xBC\xC7\xC2\xBC\xA1\xA3";
// "更新数据库失败"
constexpr const char kNothingWritten[] = "\xB8\xFC\xD0\xC2\xCA\xFD\xBE\xDD\xBF\xE2\xCA\xA7\xB0\xDC";

}  // namespace msg
}  // namespace davrix

#endif
