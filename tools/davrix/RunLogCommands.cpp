// runlog list|add: entries written through CTblRunLog, listed through CVwRunLog.
#include "Commands.h"
#include "DeviceLookup.h"
#include "Listing.h"
#include "RecordAccess.h"
#include "RecordField.h"

#include <davrixdb/tables/CTblRunLog.h>
#include <davrixdb/views/CVwRunLog.h>

namespace davrix {
namespace tool {

namespace {

const std::vector<RecordField<CVwRunLog>>& RunLogListFields() {
    using T = CVwRunLog;
    using F = RecordField<T>;
    static const std::vector<F> fields = {
        F::Long("SID", nullptr, nullptr, true, &T::m_SID),   F::Date("STIME", nullptr, nullptr, true, &T::m_STIME),
        F::Long("NID", nullptr, nullptr, true, &T::m_NID),   F::Text("NNAME", nullptr, nullptr, true, &T::m_NNAME),
        F::Long("FLAG", nullptr, nullptr, true, &T::m_FLAG), F::Text("DESCR", nullptr, nullptr, true, &T::m_DESCR),
    };
    return fields;
}

const std::vector<RecordField<CTblRunLog>>& RunLogFields() {
    using T = CTblRunLog;
    using F = RecordField<T>;
    static const std::vector<F> fields = {
        F::Long("NID", "device", "the device the entry is about (NID; 0 for the station)", true, &T::m_NID,
                &T::m_valNID),
        F::Long("FLAG", "flag", "entry kind", true, &T::m_FLAG, &T::m_valFLAG),
        F::Text("DESCR", "text", "the entry's text", true, &T::m_DESCR, &T::m_valDESCR),
        F::Date("STIME", "time", "when it happened: YYYY-MM-DD hh:mm:ss[.fff] or now (default)", true, &T::m_STIME,
                &T::m_valSTIME),
    };
    return fields;
}

}  // namespace

std::vector<OptionInfo> RunLogOptions() { return FieldOptions(RunLogFields()); }

int RunRunLogList(Invocation& inv) {
    CVwRunLog view;
    view.m_strSort = "[STIME],[SID]";
    std::string filter;
    if (inv.Has("device")) filter = NumberFilter("[NID]", inv.Number(inv.Value("device"), "--device"));
    TablePrinter table(inv.Terminal(), ListStyle(inv), FieldColumns(RunLogListFields()));
    ForEachRow(view, filter, [&] { table.AddRow(FieldCells(RunLogListFields(), view)); });
    PrintTable(table);
    return 0;
}

int RunRunLogAdd(Invocation& inv) {
    if (!inv.Has("text")) throw ToolError::Usage("runlog add needs --text");
    CTblRunLog entry;
    entry.m_valSTIME = ParseTimestamp("now", "--time");
    ApplyOptions(inv, RunLogFields(), entry);
    if (entry.m_valNID != 0) RequireDevice(entry.m_valNID);
    SaveRecord(entry, "cannot add the run-log entry");
    inv.PrintLine("added run-log entry at " + FormatTimestamp(entry.m_valSTIME));
    return 0;
}

}  // namespace tool
}  // namespace davrix
