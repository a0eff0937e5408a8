#include "RecordAccess.h"

namespace davrix {
namespace tool {

namespace {

// Driver messages come one per line; an error of the tool is one line.
std::string OneLine(const CString& text) {
    std::string line;
    for (int i = 0; i < text.GetLength(); ++i) {
        char c = text[i];
        if (c == '\n' || c == '\r') {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

}  // namespace

ToolError ModuleError(CDadRecordset& record, const std::string& context) {
    std::string text = OneLine(record.GetError());
    if (text.empty()) text = "the database module reported a failure without a reason";
    return ToolError(context.empty() ? text : context + ": " + text);
}

std::string TextFilter(const char* column, const std::string& gbk) {
    std::string body;
    for (char c : gbk) {
        body += c;
        if (c == '\'') body += '\'';  // a GBK trail byte is never a quote
    }
    return std::string(column) + "='" + body + "'";
}

std::string NumberFilter(const char* column, long value) { return std::string(column) + "=" + std::to_string(value); }

void ForEachRow(CDadRecordset& record, const std::string& filter, const std::function<void()>& onRow) {
    if (!record.Query(filter.c_str())) {
        if (!record.IsOpen()) throw ModuleError(record, "");
        return;  // ran, found nothing
    }
    while (!record.IsEOF()) {
        onRow();
        record.MoveNext();
    }
}

bool LoadRecord(CDadRecordset& record, const std::string& filter) {
    record.m_strFilter = filter.c_str();
    if (record.GetData(1)) return true;
    if (!record.IsOpen()) throw ModuleError(record, "");
    return false;
}

int RemoveAll(CDadRecordset& record, const std::string& filter) {
    int removed = 0;
    for (;;) {
        record.m_strFilter = filter.c_str();
        if (!record.Remove()) {
            if (!record.IsOpen()) throw ModuleError(record, "");
            return removed;  // nothing (more) to remove
        }
        ++removed;
    }
}

void SaveRecord(CDadRecordset& record, const std::string& context) {
    if (!record.Save()) throw ModuleError(record, context);
}

}  // namespace tool
}  // namespace davrix
