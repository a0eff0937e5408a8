// Cli: the tool's front: reads the command line against the command table, answers
// --help, prepares what the command needs (the station folder as ODBCSYSINI), runs it and
// turns every failure into one line on standard error and a non-zero exit status.
#ifndef DAVRIX_TOOL_CLI_H
#define DAVRIX_TOOL_CLI_H

#include "CommandInfo.h"
#include "TerminalText.h"

#include <string>
#include <vector>

namespace davrix {
namespace tool {

class Cli {
public:
    Cli(const std::vector<CommandInfo>& commands, const TerminalText& terminal)
        : m_commands(commands), m_terminal(terminal) {}

    // The exit status: 0 done, 1 failed, 2 wrong invocation.
    int Run(const std::vector<std::string>& args);

    // The --help text of a command, of a group of commands ("device"), or of the tool ("").
    std::string CommandHelp(const CommandInfo& command) const;
    std::string GroupHelp(const std::string& group) const;

private:
    int Dispatch(const std::vector<std::string>& args);
    const CommandInfo* Find(const std::string& words) const;
    bool IsGroup(const std::string& words) const;
    void Prepare(class Invocation& inv) const;

    const std::vector<CommandInfo>& m_commands;
    const TerminalText& m_terminal;
};

}  // namespace tool
}  // namespace davrix

#endif
