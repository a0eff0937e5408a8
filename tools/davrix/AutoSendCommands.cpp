// autosend list|add: entries written through CTblAutoSend, listed through CVwAutoSend.
#include "Commands.h"
#include "Listing.h"
#include "RecordAccess.h"
#include "RecordField.h"

#include <davrixdb/tables/CTblAutoSend.h>
#include <davrixdb/tables/CTblFault.h>
#include <davrixdb/views/CVwAutoSend.h>

#include <cstdio>

namespace davrix {
namespace tool {

namespace {

const std::vector<RecordField<CVwAutoSend>>& AutoSendListFields() {
    using T = CVwAutoSend;
    using F = RecordField<T>;
    static const std::vector<F> fields = {
        F::Long("SID", nullptr, nullptr, true, &T::m_SID),
        F::Long("FID", nullptr, nullptr, true, &T::m_FID),
        F::Computed("FTIME", true, false,
                    [](const T& r) {
                        std::string t = FormatTime(r.m_FTIME);
                        if (t.empty()) return t;
                        char ms[8];
                        snprintf(ms, sizeof ms, ".%03d", (int)r.m_FMS % 1000);
                        return t + ms;
                    }),
        F::Long("NID", nullptr, nullptr, true, &T::m_NID),
        F::Text("NNAME", nullptr, nullptr, true, &T::m_NNAME),
        F::Text("FFILE", nullptr, nullptr, true, &T::m_FFILE),
        F::Text("RADDR", nullptr, nullptr, true, &T::m_RADDR),
    };
    return fields;
}

}  // namespace

int RunAutoSendList(Invocation& inv) {
    CVwAutoSend view;
    view.m_strSort = "[SID]";
    TablePrinter table(inv.Terminal(), ListStyle(inv), FieldColumns(AutoSendListFields()));
    ForEachRow(view, "", [&] { table.AddRow(FieldCells(AutoSendListFields(), view)); });
    PrintTable(table);
    return 0;
}

int RunAutoSendAdd(Invocation& inv) {
    long fid = inv.Number(inv.operands[0], "FAULT_SID");
    CTblFault fault;
    if (!fault.GetRecord((LONG)fid)) throw ModuleError(fault, "fault " + std::to_string(fid));
    CTblAutoSend entry;
    entry.m_valFID = (LONG)fid;
    SaveRecord(entry, "cannot add the auto-send entry");
    inv.PrintLine("added auto-send entry for fault " + std::to_string(fid));
    return 0;
}

}  // namespace tool
}  // namespace davrix
