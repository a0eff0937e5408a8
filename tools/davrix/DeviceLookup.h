// Finding and registering devices by name, as imports and the device commands need.
#ifndef DAVRIX_TOOL_DEVICELOOKUP_H
#define DAVRIX_TOOL_DEVICELOOKUP_H

#include <davrixfw/WinTypes.h>

#include <string>

namespace davrix {
namespace tool {

// The key of the device with that name (the lowest when several share it), 0 when none.
// Throws ToolError when the query cannot run.
LONG FindDeviceByName(const std::string& gbkName);

// The key of the device with that name, registered (with its station) when there is none.
LONG FindOrAddDevice(const std::string& gbkName, const std::string& gbkStation, bool* pAdded = nullptr);

// Fails with the module's text when no device has the key.
void RequireDevice(LONG nid);

}  // namespace tool
}  // namespace davrix

#endif
