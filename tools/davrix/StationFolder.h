// StationFolder: where the station's ODBC configuration lives, and pointing unixODBC at it.
// unixODBC reads ODBCSYSINI once per process, so Activate must run before any ODBC call.
#ifndef DAVRIX_TOOL_STATIONFOLDER_H
#define DAVRIX_TOOL_STATIONFOLDER_H

#include <string>

namespace davrix {
namespace tool {

class StationFolder {
public:
    static const char kDataSource[];  // "DAVRIX"

    // $XDG_DATA_HOME/davrix, else ~/.local/share/davrix.
    static std::string DefaultDir();
    // The path made absolute against the current folder (no symbolic links resolved).
    static std::string Absolute(const std::string& path);
    // The folder a command works on: --dir when given, else $ODBCSYSINI when set, else
    // the default folder.
    static std::string ForCommand(const std::string& dirOption, bool dirGiven);
    // Sets ODBCSYSINI to the folder.
    static void Activate(const std::string& dir);
    static bool IsFolder(const std::string& dir);
};

}  // namespace tool
}  // namespace davrix

#endif
