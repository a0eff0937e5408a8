// Invocation: one parsed command line, handed to the command that runs it. Operands and
// option values stay as the terminal gave them; Gbk() converts them for the module.
#ifndef DAVRIX_TOOL_INVOCATION_H
#define DAVRIX_TOOL_INVOCATION_H

#include "TerminalText.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace davrix {
namespace tool {

struct CommandInfo;

class Invocation {
public:
    Invocation(const CommandInfo& command, const TerminalText& terminal) : m_command(command), m_terminal(terminal) {}

    const CommandInfo& Command() const { return m_command; }
    const TerminalText& Terminal() const { return m_terminal; }

    std::vector<std::string> operands;
    std::vector<std::pair<std::string, std::string>> options;  // name without dashes, value ("" for flags)
    std::string dir;                                           // the station folder, absolute
    bool dirGiven = false;

    bool Has(const std::string& name) const;
    // The last value given for the option, or fallback.
    std::string Value(const std::string& name, const std::string& fallback = std::string()) const;
    // Terminal text to GBK; a usage error naming `what` when it cannot be converted.
    std::string Gbk(const std::string& text, const std::string& what) const;
    // A whole number option or operand; a usage error otherwise.
    long Number(const std::string& text, const std::string& what) const;

    // GBK text to standard output in the terminal's encoding.
    void Print(const std::string& gbk) const;
    void PrintLine(const std::string& gbk) const { Print(gbk + "\n"); }
    // GBK text to standard error in the terminal's encoding.
    void Note(const std::string& gbk) const;

private:
    const CommandInfo& m_command;
    const TerminalText& m_terminal;
};

}  // namespace tool
}  // namespace davrix

#endif
