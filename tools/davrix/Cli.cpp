#include "Cli.h"

#include "GbkText.h"

#include "Invocation.h"
#include "StationFolder.h"
#include "ToolError.h"

#include <davrixfw/CException.h>
#include <davrixfw/OdbcConfig.h>

#include <cstdio>
#include <cstring>

namespace davrix {
namespace tool {

namespace {

const OptionInfo kGlobalOptions[] = {
    {"dir", "DIR",
     "station configuration folder (default: $ODBCSYSINI when set, else $XDG_DATA_HOME/davrix or "
     "~/.local/share/davrix)"},
    {"help", "", "show this help"},
};

std::string Pad(const std::string& s, size_t width) {
    return s.size() >= width ? s + "  " : s + std::string(width - s.size(), ' ');
}

std::string OptionLine(const OptionInfo& o) {
    std::string left = "  --" + o.name + (o.value.empty() ? "" : " " + o.value);
    return Pad(left, 26) + o.help + "\n";
}

// The first word of a command, or "" for a single-word command.
std::string GroupOf(const std::string& words) {
    size_t blank = words.find(' ');
    return blank == std::string::npos ? std::string() : words.substr(0, blank);
}

bool StartsWith(const std::string& s, const char* prefix) { return s.compare(0, strlen(prefix), prefix) == 0; }

void PrintOut(const TerminalText& terminal, const std::string& gbk) {
    std::string text = terminal.FromGbk(gbk);
    fwrite(text.data(), 1, text.size(), stdout);
}

// A message as one line: line breaks and tabs of driver texts become a blank.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        bool breakOrTab = c == '\n' || c == '\r' || c == '\t';
        if (!breakOrTab)
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

}  // namespace

const CommandInfo* Cli::Find(const std::string& words) const {
    for (const CommandInfo& c : m_commands)
        if (c.words == words) return &c;
    return nullptr;
}

bool Cli::IsGroup(const std::string& words) const {
    for (const CommandInfo& c : m_commands)
        if (GroupOf(c.words) == words) return true;
    return false;
}

std::string Cli::CommandHelp(const CommandInfo& c) const {
    std::string text = "usage: davrix [--dir DIR] " + c.words;
    if (!c.operands.empty()) text += " " + c.operands;
    text += " [options]\n\n" + c.summary + "\n";
    if (!c.details.empty()) text += "\n" + c.details + (c.details.back() == '\n' ? "" : "\n");
    text += "\noptions:\n";
    for (const OptionInfo& o : c.options) text += OptionLine(o);
    for (const OptionInfo& o : kGlobalOptions) text += OptionLine(o);
    return text;
}

std::string Cli::GroupHelp(const std::string& group) const {
    std::string text;
    if (group.empty()) {
        text =
            "usage: davrix [--dir DIR] COMMAND [operands] [options]\n\n"
            "The station tool: sets up the station database, imports fault records (COMTRADE) and\n"
            "reads and edits devices, faults, units, run logs and auto-send entries.\n\ncommands:\n";
    } else {
        text = "usage: davrix [--dir DIR] " + group + " COMMAND [operands] [options]\n\ncommands:\n";
    }
    for (const CommandInfo& c : m_commands) {
        if (!group.empty() && GroupOf(c.words) != group) continue;
        text += Pad("  " + c.words + (c.operands.empty() ? "" : " " + c.operands), 40) + c.summary + "\n";
    }
    text += "\n'davrix " + (group.empty() ? std::string("COMMAND") : group + " COMMAND") +
            " --help' describes a command and its options.\n";
    return text;
}

void Cli::Prepare(Invocation& inv) const {
    const CommandInfo& c = inv.Command();
    if (c.needs == CommandInfo::Needs::Nothing || c.needs == CommandInfo::Needs::Init) return;
    inv.dir = StationFolder::ForCommand(inv.dir, inv.dirGiven);
    if (!StationFolder::IsFolder(inv.dir))
        throw ToolError("no station folder " + DisplayGbk(inv.dir) + " (run 'davrix init' first, or give --dir)");
    if (c.needs == CommandInfo::Needs::Database && !OdbcConfig(inv.dir).HasDataSource(StationFolder::kDataSource))
        throw ToolError(DisplayGbk(inv.dir) + "/odbc.ini has no data source " + StationFolder::kDataSource +
                        " (run 'davrix init' first, or give --dir)");
    StationFolder::Activate(inv.dir);
}

int Cli::Dispatch(const std::vector<std::string>& args) {
    std::string dir;
    bool dirGiven = false, help = false;
    std::string words;
    const CommandInfo* command = nullptr;
    size_t i = 0;

    // Global options and the command's words.
    auto takeGlobal = [&](const std::string& t) {
        if (t == "--help" || t == "-h") {
            help = true;
        } else if (t == "--dir" || StartsWith(t, "--dir=")) {
            if (t == "--dir") {
                if (i + 1 >= args.size()) throw ToolError::Usage("--dir needs a value");
                dir = args[++i];
            } else {
                dir = t.substr(6);
            }
            if (dir.empty()) throw ToolError::Usage("--dir needs a value");
            dirGiven = true;
        } else {
            return false;
        }
        return true;
    };
    for (; i < args.size() && !command; ++i) {
        const std::string& t = args[i];
        if (StartsWith(t, "-")) {
            if (!takeGlobal(t))
                throw ToolError::Usage("unknown option " + DisplayGbk(t) +
                                       (words.empty() ? "" : " for '" + words + "'") + " (see 'davrix " +
                                       (words.empty() ? "" : words + " ") + "--help')");
            continue;
        }
        std::string next = words.empty() ? t : words + " " + t;
        if ((command = Find(next)) == nullptr && !IsGroup(next)) {
            if (words.empty()) throw ToolError::Usage("unknown command '" + DisplayGbk(t) + "' (see 'davrix --help')");
            throw ToolError::Usage("unknown command '" + DisplayGbk(next) + "' (see 'davrix " + words + " --help')");
        }
        words = next;
    }
    if (!command) {
        PrintOut(m_terminal, GroupHelp(words));
        if (help) return 0;
        throw ToolError::Usage(words.empty() ? "no command given" : "'" + words + "' needs a command");
    }

    Invocation inv(*command, m_terminal);
    bool optionsEnded = false;
    for (; i < args.size(); ++i) {
        const std::string& t = args[i];
        if (optionsEnded || t == "-" || !StartsWith(t, "-")) {
            inv.operands.push_back(t);
            continue;
        }
        if (t == "--") {
            optionsEnded = true;
            continue;
        }
        if (takeGlobal(t)) continue;
        std::string name = StartsWith(t, "--") ? t.substr(2) : std::string();
        std::string value;
        bool inlineValue = false;
        size_t eq = name.find('=');
        if (eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            inlineValue = true;
        }
        const OptionInfo* option = nullptr;
        for (const OptionInfo& o : command->options)
            if (!name.empty() && o.name == name) option = &o;
        if (!option)
            throw ToolError::Usage("unknown option " + DisplayGbk(t) + " for '" + command->words + "' (see 'davrix " +
                                   command->words + " --help')");
        if (option->value.empty()) {
            if (inlineValue) throw ToolError::Usage("--" + name + " takes no value");
        } else if (!inlineValue) {
            if (i + 1 >= args.size()) throw ToolError::Usage("--" + name + " needs a value (" + option->value + ")");
            value = args[++i];
        }
        inv.options.emplace_back(name, value);
    }
    if (help) {
        PrintOut(m_terminal, CommandHelp(*command));
        return 0;
    }
    int count = (int)inv.operands.size();
    if (count < command->minOperands || count > command->maxOperands) {
        std::string usage = "davrix " + command->words + (command->operands.empty() ? "" : " " + command->operands);
        throw ToolError::Usage((count < command->minOperands ? "missing operand" : "too many operands") +
                               std::string(": usage: ") + usage + " (see 'davrix " + command->words + " --help')");
    }
    inv.dir = dir;
    inv.dirGiven = dirGiven;
    Prepare(inv);
    return command->run(inv);
}

int Cli::Run(const std::vector<std::string>& args) {
    std::string message;
    int status = ToolError::kFailed;
    try {
        int result = Dispatch(args);
        fflush(stdout);
        return result;
    } catch (const ToolError& e) {
        message = e.what();
        status = e.ExitStatus();
    } catch (CException* e) {
        char buf[1024] = "";
        e->GetErrorMessage(buf, sizeof buf);
        e->Delete();
        message = std::string("database: ") + buf;
    } catch (const std::exception& e) {
        message = e.what();
    }
    fflush(stdout);
    std::string text = m_terminal.FromGbk("davrix: " + OneLine(message) + "\n");
    fwrite(text.data(), 1, text.size(), stderr);
    return status;
}

}  // namespace tool
}  // namespace davrix
