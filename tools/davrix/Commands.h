// The tool's commands, one function per command, grouped in files by what they work on;
// CommandTable.cpp lists them with their words, operands and options.
#ifndef DAVRIX_TOOL_COMMANDS_H
#define DAVRIX_TOOL_COMMANDS_H

#include "CommandInfo.h"
#include "Invocation.h"

#include <vector>

namespace davrix {
namespace tool {

const std::vector<CommandInfo>& AllCommands();

int RunInit(Invocation& inv);
int RunImport(Invocation& inv);

int RunDeviceList(Invocation& inv);
int RunDeviceShow(Invocation& inv);
int RunDeviceAdd(Invocation& inv);
int RunDeviceSet(Invocation& inv);
int RunDeviceRemove(Invocation& inv);
std::vector<OptionInfo> DeviceOptions();

int RunFaultList(Invocation& inv);
int RunFaultShow(Invocation& inv);
int RunFaultRemove(Invocation& inv);

int RunUnitList(Invocation& inv);
int RunUnitAdd(Invocation& inv);
int RunUnitSet(Invocation& inv);
int RunUnitRemove(Invocation& inv);
std::vector<OptionInfo> UnitOptions();

int RunRunLogList(Invocation& inv);
int RunRunLogAdd(Invocation& inv);
std::vector<OptionInfo> RunLogOptions();

int RunAutoSendList(Invocation& inv);
int RunAutoSendAdd(Invocation& inv);

int RunPasswordScramble(Invocation& inv);
int RunPasswordUnscramble(Invocation& inv);

int RunDsnExists(Invocation& inv);
int RunDsnCreateAccess(Invocation& inv);
int RunDsnRemove(Invocation& inv);

}  // namespace tool
}  // namespace davrix

#endif
