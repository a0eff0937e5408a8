// fault list|show|remove: listings through CVwFaultEx, single records through CTblFault.
#include "Commands.h"
#include "Listing.h"
#include "RecordAccess.h"
#include "RecordField.h"

#include <davrixdb/tables/CTblDevInfo.h>
#include <davrixdb/tables/CTblFault.h>
#include <davrixdb/views/CVwFaultEx.h>

namespace davrix {
namespace tool {

namespace {

const std::vector<RecordField<CVwFaultEx>>& FaultListFields() {
    using T = CVwFaultEx;
    using F = RecordField<T>;
    static const std::vector<F> fields = {
        F::Long("SID", nullptr, nullptr, true, &T::m_SID),
        F::Computed("FTIME", true, false, [](const T& r) { return FormatTimestampMs(r.m_FTIME, r.m_FMS); }),
        F::Long("NID", nullptr, nullptr, true, &T::m_NID),
        F::Text("NNAME", nullptr, nullptr, true, &T::m_NNAME),
        F::Text("FDESCR", nullptr, nullptr, true, &T::m_FDESCR),
        F::Text("FAREA", nullptr, nullptr, true, &T::m_FAREA),
        F::Text("FFILE", nullptr, nullptr, true, &T::m_FFILE),
        F::Long("FSIZE", nullptr, nullptr, true, &T::m_FSIZE),
    };
    return fields;
}

const std::vector<RecordField<CTblFault>>& FaultFields() {
    using T = CTblFault;
    using F = RecordField<T>;
    static const std::vector<F> fields = {
        F::Long("SID", nullptr, nullptr, true, &T::m_SID),
        F::Long("NID", nullptr, nullptr, true, &T::m_NID),
        F::Long("FAN", nullptr, nullptr, true, &T::m_FAN),
        F::Date("FTIME", nullptr, nullptr, true, &T::m_FTIME),
        F::Long("FMS", nullptr, nullptr, true, &T::m_FMS),
        F::Long("FTYPE", nullptr, nullptr, true, &T::m_FTYPE),
        F::Long("FJMP", nullptr, nullptr, true, &T::m_FJMP),
        F::Double("FPOS", nullptr, nullptr, true, &T::m_FPOS),
        F::Text("FFILE", nullptr, nullptr, true, &T::m_FFILE),
        F::Long("FCODE", nullptr, nullptr, true, &T::m_FCODE),
        F::Long("FSIZE", nullptr, nullptr, true, &T::m_FSIZE),
        F::Text("FDESCR", nullptr, nullptr, true, &T::m_FDESCR),
        F::Text("FAREA", nullptr, nullptr, true, &T::m_FAREA),
        F::Double("FREALPOS", nullptr, nullptr, true, &T::m_FREALPOS),
        F::Long("FAVFLAG", nullptr, nullptr, true, &T::m_FAVFLAG),
        F::Text("SUMMARY", nullptr, nullptr, true, &T::m_SUMMARY),
    };
    return fields;
}

void LoadFault(CTblFault& fault, long sid) {
    if (!fault.GetRecord((LONG)sid)) throw ModuleError(fault, "fault " + std::to_string(sid));
}

}  // namespace

int RunFaultList(Invocation& inv) {
    CVwFaultEx view;
    view.m_strSort = "[FTIME],[FMS],[SID]";
    std::string filter;
    if (inv.Has("device")) filter = NumberFilter("[NID]", inv.Number(inv.Value("device"), "--device"));
    TablePrinter table(inv.Terminal(), ListStyle(inv), FieldColumns(FaultListFields()));
    ForEachRow(view, filter, [&] { table.AddRow(FieldCells(FaultListFields(), view)); });
    PrintTable(table);
    return 0;
}

int RunFaultShow(Invocation& inv) {
    long sid = inv.Number(inv.operands[0], "SID");
    CTblFault fault;
    LoadFault(fault, sid);
    auto lines = RecordLines(FaultFields(), fault);
    CTblDevInfo dev;
    std::string device;
    if (LoadRecord(dev, NumberFilter("[NID]", fault.m_NID))) device = std::string(dev.m_NNAME, dev.m_NNAME.GetLength());
    lines.insert(lines.begin() + 2, {"NNAME", device});
    PrintRecord(inv, lines);
    return 0;
}

int RunFaultRemove(Invocation& inv) {
    long sid = inv.Number(inv.operands[0], "SID");
    CTblFault fault;
    LoadFault(fault, sid);
    RemoveAll(fault, NumberFilter("[SID]", sid));
    inv.PrintLine("removed fault " + std::to_string(sid));
    return 0;
}

}  // namespace tool
}  // namespace davrix
