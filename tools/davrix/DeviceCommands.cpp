// device list|show|add|set|remove, through CTblDevInfo.
#include "Commands.h"
#include "DeviceLookup.h"
#include "Listing.h"
#include "RecordAccess.h"
#include "RecordField.h"

#include <davrixdb/tables/CTblDevInfo.h>
#include <davrixdb/tables/CTblFault.h>
#include <davrixdb/tables/CTblUntInfo.h>

namespace davrix {
namespace tool {

namespace {

using T = CTblDevInfo;
using F = RecordField<T>;

const std::vector<F>& DeviceFields() {
    static const std::vector<F> fields = {
        F::Long("NID", nullptr, nullptr, true, &T::m_NID),
        F::Text("NNAME", "name", "device name, unique (the recording device id of its records)", true, &T::m_NNAME,
                &T::m_valNNAME),
        F::Long("NMODEL", "model", "model number", true, &T::m_NMODEL, &T::m_valNMODEL),
        F::Text("IP_ADDR", "ip", "IP address", true, &T::m_IP_ADDR, &T::m_valIP_ADDR),
        F::Long("ND_ADDR", "addr", "device address", false, &T::m_ND_ADDR, &T::m_valND_ADDR),
        F::Text("LPATH", "path", "local folder of its records", false, &T::m_LPATH, &T::m_valLPATH),
        F::Long("COMTYPE", "comtype", "communication type", false, &T::m_COMTYPE, &T::m_valCOMTYPE),
        F::Text("RADDR", "raddr", "remote address", false, &T::m_RADDR, &T::m_valRADDR),
        F::Text("RADDREX", "raddrex", "further remote address", false, &T::m_RADDREX, &T::m_valRADDREX),
        F::Long("FLAG", "flag", "flags", false, &T::m_FLAG, &T::m_valFLAG),
        F::Text("CENTER", "center", "dispatch centre", false, &T::m_CENTER, &T::m_valCENTER),
        F::Text("OFFICE", "office", "office", true, &T::m_OFFICE, &T::m_valOFFICE),
        F::Text("STATION", "station", "station", true, &T::m_STATION, &T::m_valSTATION),
        F::Text("VMODEL", "vmodel", "model name", false, &T::m_VMODEL, &T::m_valVMODEL, 64),
    };
    return fields;
}

long DeviceKey(const Invocation& inv) { return inv.Number(inv.operands[0], "NID"); }

// Loads the device or fails with the module's text.
void LoadDevice(CTblDevInfo& dev, long nid) {
    if (!LoadRecord(dev, NumberFilter("[NID]", nid))) throw ModuleError(dev, "device " + std::to_string(nid));
}

// A device name must be set and must not be taken by another device: imports find
// devices by name.
void CheckName(const std::string& gbk, long ownNid) {
    if (gbk.empty()) throw ToolError::Usage("--name: a device needs a name");
    LONG other = FindDeviceByName(gbk);
    if (other != 0 && other != ownNid)
        throw ToolError("a device named '" + gbk + "' exists already (NID " + std::to_string(other) + ")");
}

}  // namespace

std::vector<OptionInfo> DeviceOptions() { return FieldOptions(DeviceFields()); }

int RunDeviceList(Invocation& inv) {
    CTblDevInfo dev;
    dev.m_strSort = "[NID]";
    TablePrinter table(inv.Terminal(), ListStyle(inv), FieldColumns(DeviceFields()));
    ForEachRow(dev, "", [&] { table.AddRow(FieldCells(DeviceFields(), dev)); });
    PrintTable(table);
    return 0;
}

int RunDeviceShow(Invocation& inv) {
    CTblDevInfo dev;
    LoadDevice(dev, DeviceKey(inv));
    PrintRecord(inv, RecordLines(DeviceFields(), dev));
    return 0;
}

int RunDeviceAdd(Invocation& inv) {
    if (!inv.Has("name")) throw ToolError::Usage("device add needs --name");
    std::string name = inv.Gbk(inv.Value("name"), "--name");
    CheckName(name, 0);
    CTblDevInfo dev;
    ApplyOptions(inv, DeviceFields(), dev);
    dev.m_valNID = 0;  // no device has key 0: Save inserts and the database numbers the row
    SaveRecord(dev, "cannot add device '" + name + "'");
    LONG nid = FindDeviceByName(name);
    inv.PrintLine("added device " + std::to_string(nid) + " '" + name + "'");
    return 0;
}

int RunDeviceSet(Invocation& inv) {
    long nid = DeviceKey(inv);
    CTblDevInfo dev;
    LoadDevice(dev, nid);
    if (inv.Has("name")) CheckName(inv.Gbk(inv.Value("name"), "--name"), nid);
    if (ApplyOptions(inv, DeviceFields(), dev) == 0) throw ToolError::Usage("nothing to change: give an option to set");
    SaveRecord(dev, "cannot change device " + std::to_string(nid));
    inv.PrintLine("changed device " + std::to_string(nid));
    return 0;
}

int RunDeviceRemove(Invocation& inv) {
    long nid = DeviceKey(inv);
    CTblDevInfo dev;
    LoadDevice(dev, nid);
    if (!inv.Has("force")) {
        CTblFault fault;
        if (LoadRecord(fault, NumberFilter("[NID]", nid)))
            throw ToolError("device " + std::to_string(nid) +
                            " has fault records; remove them first, or use --force to leave them without a device");
        CTblUntInfo unit;
        if (LoadRecord(unit, NumberFilter("[DID]", nid)))
            throw ToolError("device " + std::to_string(nid) +
                            " has units; remove them first, or use --force to leave them without a device");
    }
    RemoveAll(dev, NumberFilter("[NID]", nid));
    inv.PrintLine("removed device " + std::to_string(nid));
    return 0;
}

}  // namespace tool
}  // namespace davrix
