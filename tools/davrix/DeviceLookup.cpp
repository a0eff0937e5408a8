#include "DeviceLookup.h"

#include "RecordAccess.h"

#include <davrixdb/tables/CTblDevInfo.h>

namespace davrix {
namespace tool {

LONG FindDeviceByName(const std::string& gbkName) {
    CTblDevInfo dev;
    dev.m_strSort = "[NID]";
    return LoadRecord(dev, TextFilter("[NNAME]", gbkName)) ? dev.m_NID : 0;
}

LONG FindOrAddDevice(const std::string& gbkName, const std::string& gbkStation, bool* pAdded) {
    if (pAdded) *pAdded = false;
    LONG nid = FindDeviceByName(gbkName);
    if (nid != 0) return nid;
    CTblDevInfo dev;
    dev.m_valNID = 0;
    dev.m_valNNAME = CString(gbkName.data(), (int)gbkName.size());
    dev.m_valSTATION = CString(gbkStation.data(), (int)gbkStation.size());
    SaveRecord(dev, "cannot register device '" + gbkName + "'");
    nid = FindDeviceByName(gbkName);
    if (nid == 0) throw ToolError("device '" + gbkName + "' was registered but cannot be found again");
    if (pAdded) *pAdded = true;
    return nid;
}

void RequireDevice(LONG nid) {
    CTblDevInfo dev;
    if (!LoadRecord(dev, NumberFilter("[NID]", nid))) throw ModuleError(dev, "device " + std::to_string(nid));
}

}  // namespace tool
}  // namespace davrix
