// RecordField: the tool's statement of a record class's columns, once per class: the
// title in listings and in `show`, the option that sets it on add/set, and how its value
// is read from the bound members and written into the value mirror. Listings, `show`,
// option parsing and --help all follow from one table.
#ifndef DAVRIX_TOOL_RECORDFIELD_H
#define DAVRIX_TOOL_RECORDFIELD_H

#include "CommandInfo.h"
#include "FieldValue.h"
#include "TablePrinter.h"

#include <davrixfw/CString.h>
#include <davrixfw/CTime.h>

#include <functional>
#include <string>
#include <vector>

namespace davrix {
namespace tool {

template <class T>
struct RecordField {
    using Getter = std::function<std::string(const T&)>;  // bound members to GBK text
    // Into the value mirror; throws a usage ToolError naming `what` for a bad value.
    using Setter = std::function<void(T&, const std::string& gbkValue, const std::string& what)>;

    const char* title;      // the column's name: "NID", "NNAME"
    const char* option;     // option of add/set without dashes; nullptr when not settable
    const char* valueName;  // placeholder in --help
    const char* help;
    bool listed;  // a column of the listing
    bool alignRight;
    Getter get;
    Setter set;  // empty: read-only (views, keys)

    static RecordField Long(const char* title, const char* option, const char* help, bool listed, LONG T::*bound,
                            LONG T::*mirror = nullptr) {
        Getter get = [bound](const T& r) { return std::to_string(r.*bound); };
        Setter set;
        if (mirror)
            set = [mirror](T& r, const std::string& v, const std::string& what) { r.*mirror = ParseLong(v, what); };
        return RecordField{title, option, "N", help, listed, true, get, set};
    }
    static RecordField Text(const char* title, const char* option, const char* help, bool listed, CString T::*bound,
                            CString T::*mirror = nullptr, int maxBytes = 255) {
        Getter get = [bound](const T& r) { return std::string((r.*bound).GetString(), (r.*bound).GetLength()); };
        Setter set;
        if (mirror)
            set = [mirror, maxBytes](T& r, const std::string& v, const std::string& what) {
                CheckTextWidth(v, maxBytes, what);
                r.*mirror = CString(v.data(), (int)v.size());
            };
        return RecordField{title, option, "TEXT", help, listed, false, get, set};
    }
    static RecordField Double(const char* title, const char* option, const char* help, bool listed, double T::*bound,
                              double T::*mirror = nullptr) {
        Getter get = [bound](const T& r) { return FormatDouble(r.*bound); };
        Setter set;
        if (mirror)
            set = [mirror](T& r, const std::string& v, const std::string& what) { r.*mirror = ParseDouble(v, what); };
        return RecordField{title, option, "X", help, listed, true, get, set};
    }
    static RecordField Date(const char* title, const char* option, const char* help, bool listed,
                            TIMESTAMP_STRUCT T::*bound, TIMESTAMP_STRUCT T::*mirror = nullptr) {
        Getter get = [bound](const T& r) { return FormatTimestamp(r.*bound); };
        Setter set;
        if (mirror)
            set = [mirror](T& r, const std::string& v, const std::string& what) {
                r.*mirror = ParseTimestamp(v, what);
            };
        return RecordField{title, option, "TIME", help, listed, false, get, set};
    }
    // A column computed from several members.
    static RecordField Computed(const char* title, bool listed, bool alignRight, Getter get) {
        return RecordField{title, nullptr, nullptr, nullptr, listed, alignRight, std::move(get), Setter()};
    }
};

// The options that set a table's columns, for the command table.
template <class T>
std::vector<OptionInfo> FieldOptions(const std::vector<RecordField<T>>& fields) {
    std::vector<OptionInfo> options;
    for (const RecordField<T>& f : fields)
        if (f.option && f.set) options.push_back({f.option, f.valueName, f.help});
    return options;
}

// Printer columns of the listed fields (or of all of them).
template <class T>
std::vector<TablePrinter::Column> FieldColumns(const std::vector<RecordField<T>>& fields, bool listedOnly = true) {
    std::vector<TablePrinter::Column> columns;
    for (const RecordField<T>& f : fields)
        if (f.listed || !listedOnly) columns.push_back({f.title, f.alignRight});
    return columns;
}

template <class T>
std::vector<std::string> FieldCells(const std::vector<RecordField<T>>& fields, const T& record,
                                    bool listedOnly = true) {
    std::vector<std::string> cells;
    for (const RecordField<T>& f : fields)
        if (f.listed || !listedOnly) cells.push_back(f.get(record));
    return cells;
}

}  // namespace tool
}  // namespace davrix

#endif
