// Output shapes shared by the record commands: a listing (aligned, or CSV with --csv) and
// one record shown as "COLUMN  value" lines.
#ifndef DAVRIX_TOOL_LISTING_H
#define DAVRIX_TOOL_LISTING_H

#include "CommandInfo.h"
#include "Invocation.h"
#include "RecordField.h"
#include "TablePrinter.h"

#include <string>
#include <utility>
#include <vector>

namespace davrix {
namespace tool {

extern const OptionInfo kCsvOption;

TablePrinter::Style ListStyle(const Invocation& inv);
void PrintTable(const TablePrinter& table);

// Title and value (GBK) pairs, titles aligned.
void PrintRecord(const Invocation& inv, const std::vector<std::pair<std::string, std::string>>& lines);

template <class T>
std::vector<std::pair<std::string, std::string>> RecordLines(const std::vector<RecordField<T>>& fields,
                                                             const T& record) {
    std::vector<std::pair<std::string, std::string>> lines;
    for (const RecordField<T>& f : fields) lines.emplace_back(f.title, f.get(record));
    return lines;
}

// Sets every column whose option was given, from the option's value.
template <class T>
int ApplyOptions(const Invocation& inv, const std::vector<RecordField<T>>& fields, T& record) {
    int applied = 0;
    for (const RecordField<T>& f : fields) {
        if (!f.option || !f.set || !inv.Has(f.option)) continue;
        std::string what = std::string("--") + f.option;
        f.set(record, inv.Gbk(inv.Value(f.option), what), what);
        ++applied;
    }
    return applied;
}

}  // namespace tool
}  // namespace davrix

#endif
