// StationConfig: the ODBC configuration of a station folder: the drivers (odbcinst.ini) and
// the system data source DAVRIX (odbc.ini), written through davrix::OdbcConfig only when
// what would be written differs from what the folder holds.
#ifndef DAVRIX_TOOL_STATIONCONFIG_H
#define DAVRIX_TOOL_STATIONCONFIG_H

#include <davrixfw/OdbcConfig.h>

#include <string>

namespace davrix {
namespace tool {

class StationConfig {
public:
    struct Backend {
        bool postgres = false;
        std::string driver;                 // registered driver name
        OdbcConfig::Attributes attributes;  // of the data source
        std::string description;            // for messages: "SQLite /path/station.db"
    };

    // The embedded database in that file (made absolute).
    static Backend SQLite(const std::string& databaseFile);
    // "Servername=...;Port=...;Database=...;Username=...[;Password=...]" (keys in any letter
    // case; Port defaults to 5432). Throws a usage ToolError for anything else.
    static Backend Postgres(const std::string& connection);

    // Writes the configuration into dir unless the folder already holds exactly it.
    // True when something was written; throws ToolError when a file cannot be written.
    static bool Apply(const std::string& dir, const Backend& backend);
};

}  // namespace tool
}  // namespace davrix

#endif
