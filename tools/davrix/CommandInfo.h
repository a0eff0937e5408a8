// CommandInfo: one row of the tool's command table: the words that name the command, its
// operands and options (for parsing and --help), what it needs set up, and its function.
#ifndef DAVRIX_TOOL_COMMANDINFO_H
#define DAVRIX_TOOL_COMMANDINFO_H

#include <string>
#include <vector>

namespace davrix {
namespace tool {

class Invocation;

struct OptionInfo {
    std::string name;   // without the leading dashes
    std::string value;  // placeholder for --help; empty for a flag
    std::string help;
};

struct CommandInfo {
    // What must be in place before the command runs.
    enum class Needs {
        Nothing,   // no ODBC at all
        Init,      // init prepares the folder itself
        Folder,    // ODBCSYSINI set to an existing station folder
        Database,  // ... that holds the data source DAVRIX
    };

    std::string words;     // "device add"
    std::string operands;  // usage text of the operands: "NID", "DIR", ""
    int minOperands;
    int maxOperands;
    std::string summary;  // one line for the command list
    std::string details;  // more lines for --help, may be empty
    std::vector<OptionInfo> options;
    Needs needs;
    int (*run)(Invocation&);
};

}  // namespace tool
}  // namespace davrix

#endif
