// unit list|add|set|remove, through CTblUntInfo.
#include "Commands.h"
#include "DeviceLookup.h"
#include "Listing.h"
#include "RecordAccess.h"
#include "RecordField.h"

#include <davrixdb/tables/CTblUntInfo.h>

namespace davrix {
namespace tool {

namespace {

using T = CTblUntInfo;
using F = RecordField<T>;

const std::vector<F>& UnitFields() {
    static const std::vector<F> fields = {
        F::Long("SID", nullptr, nullptr, true, &T::m_SID),
        F::Long("DID", "device", "the unit's device (NID)", true, &T::m_DID, &T::m_valDID),
        F::Text("SNAME", "name", "unit name", true, &T::m_SNAME, &T::m_valSNAME),
    };
    return fields;
}

void LoadUnit(CTblUntInfo& unit, long sid) {
    if (!LoadRecord(unit, NumberFilter("[SID]", sid))) throw ModuleError(unit, "unit " + std::to_string(sid));
}

}  // namespace

std::vector<OptionInfo> UnitOptions() { return FieldOptions(UnitFields()); }

int RunUnitList(Invocation& inv) {
    CTblUntInfo unit;
    unit.m_strSort = "[SID]";
    std::string filter;
    if (inv.Has("device")) filter = NumberFilter("[DID]", inv.Number(inv.Value("device"), "--device"));
    TablePrinter table(inv.Terminal(), ListStyle(inv), FieldColumns(UnitFields()));
    ForEachRow(unit, filter, [&] { table.AddRow(FieldCells(UnitFields(), unit)); });
    PrintTable(table);
    return 0;
}

int RunUnitAdd(Invocation& inv) {
    if (!inv.Has("device") || !inv.Has("name")) throw ToolError::Usage("unit add needs --device and --name");
    CTblUntInfo unit;
    ApplyOptions(inv, UnitFields(), unit);
    RequireDevice(unit.m_valDID);
    std::string name(unit.m_valSNAME, unit.m_valSNAME.GetLength());
    unit.m_valSID = 0;  // Save inserts; the database numbers the row
    SaveRecord(unit, "cannot add unit '" + name + "'");

    // The newest unit of that device and name is the one just added.
    CTblUntInfo added;
    added.m_strSort = "[SID] DESC";
    std::string filter = NumberFilter("[DID]", unit.m_valDID) + " AND " + TextFilter("[SNAME]", name);
    if (!LoadRecord(added, filter)) throw ToolError("unit '" + name + "' was added but cannot be found again");
    inv.PrintLine("added unit " + std::to_string(added.m_SID) + " '" + name + "'");
    return 0;
}

int RunUnitSet(Invocation& inv) {
    long sid = inv.Number(inv.operands[0], "SID");
    CTblUntInfo unit;
    LoadUnit(unit, sid);
    if (ApplyOptions(inv, UnitFields(), unit) == 0) throw ToolError::Usage("nothing to change: give an option to set");
    if (inv.Has("device")) RequireDevice(unit.m_valDID);
    SaveRecord(unit, "cannot change unit " + std::to_string(sid));
    inv.PrintLine("changed unit " + std::to_string(sid));
    return 0;
}

int RunUnitRemove(Invocation& inv) {
    long sid = inv.Number(inv.operands[0], "SID");
    CTblUntInfo unit;
    LoadUnit(unit, sid);
    RemoveAll(unit, NumberFilter("[SID]", sid));
    inv.PrintLine("removed unit " + std::to_string(sid));
    return 0;
}

}  // namespace tool
}  // namespace davrix
