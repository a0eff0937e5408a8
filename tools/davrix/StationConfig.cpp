#include "StationConfig.h"

#include "GbkText.h"
#include "StationFolder.h"
#include "ToolError.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace davrix {
namespace tool {

namespace {

const char* const kFiles[] = {"odbcinst.ini", "odbc.ini"};

// The whole file, or false when it cannot be read (a missing file included).
bool ReadFile(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    *text = s.str();
    return !in.bad();
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return (bool)out;
}

void Write(const OdbcConfig& config, const StationConfig::Backend& backend) {
    std::string error;
    if (!config.WriteDrivers(&error) ||
        !config.WriteDataSource(StationFolder::kDataSource, backend.driver, backend.attributes, &error))
        throw ToolError("cannot write the ODBC configuration: " + DisplayGbk(error));
}

// A scratch folder that goes away with the object.
class ScratchFolder {
public:
    ScratchFolder() {
        const char* tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/davrix-init.XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!mkdtemp(buf.data())) throw ToolError("cannot make a scratch folder in " + DisplayGbk(pattern));
        m_path = buf.data();
    }
    ~ScratchFolder() {
        for (const char* f : kFiles) unlink((m_path + "/" + f).c_str());
        rmdir(m_path.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace

StationConfig::Backend StationConfig::SQLite(const std::string& databaseFile) {
    Backend b;
    std::string file = StationFolder::Absolute(databaseFile);
    b.driver = OdbcConfig::kSQLiteDriver;
    b.attributes = OdbcConfig::SQLiteAttributes(file);
    b.description = "SQLite " + file;
    return b;
}

StationConfig::Backend StationConfig::Postgres(const std::string& connection) {
    static const char* const kKeys[] = {"Servername", "Port", "Database", "Username", "Password"};
    std::string values[5];
    bool given[5] = {};
    size_t start = 0;
    while (start <= connection.size()) {
        size_t end = connection.find(';', start);
        if (end == std::string::npos) end = connection.size();
        std::string part = connection.substr(start, end - start);
        start = end + 1;
        if (part.find_first_not_of(" \t") == std::string::npos) continue;
        size_t eq = part.find('=');
        std::string key = eq == std::string::npos ? part : part.substr(0, eq);
        key.erase(0, key.find_first_not_of(" \t"));
        key.erase(key.find_last_not_of(" \t") + 1);
        int index = -1;
        for (int i = 0; i < 5; ++i)
            if (strcasecmp(key.c_str(), kKeys[i]) == 0) index = i;
        if (eq == std::string::npos || index < 0)
            throw ToolError::Usage("--postgres: '" + DisplayGbk(part) +
                                   "' is not one of Servername=, Port=, Database=, Username=, Password=");
        values[index] = part.substr(eq + 1);
        given[index] = true;
    }
    if (values[0].empty() || values[2].empty() || values[3].empty())
        throw ToolError::Usage("--postgres needs Servername=, Database= and Username= (Port= and Password= optional)");
    if (!given[1] || values[1].empty()) values[1] = "5432";
    if (values[1].find_first_not_of("0123456789") != std::string::npos)
        throw ToolError::Usage("--postgres: Port=" + DisplayGbk(values[1]) + " is not a number");
    Backend b;
    b.postgres = true;
    b.driver = OdbcConfig::kPostgresDriver;
    b.attributes = OdbcConfig::PostgresAttributes(values[0], values[1], values[2], values[3], values[4]);
    b.description = "PostgreSQL database " + values[2] + " on " + values[0] + ":" + values[1];
    return b;
}

bool StationConfig::Apply(const std::string& dir, const Backend& backend) {
    // Build what would be written beside copies of the present files, then compare.
    ScratchFolder scratch;
    std::string present[2];
    bool exists[2];
    for (int i = 0; i < 2; ++i) {
        exists[i] = ReadFile(dir + "/" + kFiles[i], &present[i]);
        if (exists[i] && !WriteFile(scratch.Path() + "/" + kFiles[i], present[i]))
            throw ToolError("cannot write to the scratch folder " + DisplayGbk(scratch.Path()));
    }
    Write(OdbcConfig(scratch.Path()), backend);
    bool same = true;
    for (int i = 0; i < 2; ++i) {
        std::string wanted;
        ReadFile(scratch.Path() + "/" + kFiles[i], &wanted);
        if (!exists[i] || wanted != present[i]) same = false;
    }
    if (same) return false;
    Write(OdbcConfig(dir), backend);
    return true;
}

}  // namespace tool
}  // namespace davrix
