#include <davrixfw/OdbcConfig.h>

#include "IniFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace davrix {

const char* const OdbcConfig::kSQLiteDriver = "SQLite3";
const char* const OdbcConfig::kPostgresDriver = "PostgreSQL Unicode";
const char* const OdbcConfig::kPostgresAnsiDriver = "PostgreSQL ANSI";

namespace {

const char kDriversFile[] = "odbcinst.ini";
const char kSourcesFile[] = "odbc.ini";
const char kSQLiteLibrary[] = "libsqlite3odbc.so";
const char kPostgresLibrary[] = "psqlodbcw.so";
const char kPostgresAnsiLibrary[] = "psqlodbca.so";

const char* const kDriverDirs[] = {
    "/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc", "/usr/lib64/odbc",
    "/usr/lib/odbc",                  "/usr/local/lib/odbc",
};

// A driver section of odbcinst.ini: its registered name, its library, and the keys after Driver.
struct DriverEntry {
    const char* name;
    const char* library;
    bool setupIsDriver;  // SQLite's library is its own setup library
};

const DriverEntry kDrivers[] = {
    {OdbcConfig::kSQLiteDriver, kSQLiteLibrary, true},
    {OdbcConfig::kPostgresDriver, kPostgresLibrary, false},
    {OdbcConfig::kPostgresAnsiDriver, kPostgresAnsiLibrary, false},
};

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::string Env(const char* name) {
    const char* v = getenv(name);
    return v && *v ? std::string(v) : std::string();
}

bool Fail(std::string* pError, const std::string& why) {
    if (pError) *pError = why;
    return false;
}

// mkdir -p; false with a reason when a component cannot be made or is no folder.
bool MakeDirs(const std::string& dir, std::string* pError) {
    if (dir.empty()) return Fail(pError, "no configuration folder given");
    for (size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos < dir.size() && dir[pos] != '/') continue;
        std::string part = dir.substr(0, pos);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return Fail(pError, "cannot create folder " + part + ": " + strerror(errno));
    }
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return Fail(pError, dir + " is not a folder");
    return true;
}

}  // namespace

std::string OdbcConfig::DriverDir() {
    std::string fromEnv = Env("DAVRIX_ODBC_DRIVER_DIR");
    if (!fromEnv.empty()) return fromEnv;
    for (const char* dir : kDriverDirs) {
        std::string d(dir);
        if (Exists(d + "/" + kSQLiteLibrary) || Exists(d + "/" + kPostgresLibrary)) return d;
    }
    return std::string();
}

std::string OdbcConfig::SystemDir() {
    std::string fromEnv = Env("ODBCSYSINI");
    return fromEnv.empty() ? std::string("/etc") : fromEnv;
}

// Registers only the drivers whose libraries exist; other sections of odbcinst.ini stay.
bool OdbcConfig::WriteDrivers(std::string* pError) const {
    if (!MakeDirs(m_dir, pError)) return false;
    std::string driverDir = DriverDir();
    if (driverDir.empty()) return Fail(pError, "no ODBC driver folder found (set DAVRIX_ODBC_DRIVER_DIR)");

    IniFile ini;
    std::string path = m_dir + "/" + kDriversFile;
    if (!ini.Load(path, pError)) return false;
    ini.Set("ODBC", "Pooling", "Yes");
    int registered = 0;
    for (const DriverEntry& d : kDrivers) {
        std::string library = driverDir + "/" + d.library;
        if (!Exists(library)) continue;
        IniFile::Entries entries;
        entries.emplace_back("Driver", library);
        if (d.setupIsDriver) {
            entries.emplace_back("Setup", library);
        } else {
            entries.emplace_back("CommLog", "0");
            entries.emplace_back("Debug", "0");
        }
        entries.emplace_back("CPTimeout", "300");
        ini.ReplaceSection(d.name, entries);
        ++registered;
    }
    if (registered == 0)
        return Fail(pError, "no ODBC driver library (" + std::string(kSQLiteLibrary) + ", " + kPostgresLibrary + ", " +
                                kPostgresAnsiLibrary + ") in " + driverDir);
    if (!ini.Save(path, pError)) return false;

    // unixODBC refuses to write system data sources into a missing odbc.ini.
    std::string sources = m_dir + "/" + kSourcesFile;
    if (!Exists(sources) && !IniFile().Save(sources, pError)) return false;
    return true;
}

bool OdbcConfig::WriteDataSource(const std::string& name, const std::string& driver, const Attributes& attributes,
                                 std::string* pError) const {
    if (!IniFile::IsSafeName(name)) return Fail(pError, "invalid data source name '" + name + "'");
    if (!IniFile::IsSafeValue(driver) || driver.empty()) return Fail(pError, "invalid driver name '" + driver + "'");
    IniFile::Entries entries;
    entries.emplace_back("Driver", driver);
    for (const auto& a : attributes) {
        if (!IniFile::IsSafeKey(a.first) || !IniFile::IsSafeValue(a.second))
            return Fail(pError, "invalid attribute '" + a.first + "' of data source " + name);
        if (strcasecmp(a.first.c_str(), "Driver") == 0) continue;  // Driver comes from the argument
        entries.push_back(a);
    }
    if (!MakeDirs(m_dir, pError)) return false;
    IniFile ini;
    std::string path = m_dir + "/" + kSourcesFile;
    if (!ini.Load(path, pError)) return false;
    ini.ReplaceSection(name, entries);
    return ini.Save(path, pError);
}

// Removing a data source that is not there succeeds: afterwards it is absent either way.
bool OdbcConfig::RemoveDataSource(const std::string& name, std::string* pError) const {
    IniFile ini;
    std::string path = m_dir + "/" + kSourcesFile;
    if (!ini.Load(path, pError)) return false;
    if (!ini.RemoveSection(name)) return true;
    return ini.Save(path, pError);
}

std::string OdbcConfig::ReadValue(const std::string& file, const std::string& section, const std::string& key) const {
    IniFile ini;
    std::string path = (!file.empty() && file[0] == '/') ? file : m_dir + "/" + file;
    if (!ini.Load(path)) return std::string();
    return ini.Get(section, key);
}

bool OdbcConfig::HasDataSource(const std::string& name) const {
    IniFile ini;
    return ini.Load(m_dir + "/" + kSourcesFile) && ini.HasSection(name);
}

OdbcConfig::Attributes OdbcConfig::SQLiteAttributes(const std::string& databaseFile) {
    return {
        {"Database", databaseFile}, {"StepAPI", "1"},       {"JournalMode", "WAL"}, {"Timeout", "10000"},
        {"SyncPragma", "NORMAL"},   {"LongNames", "0"},     {"NoTXN", "0"},
    };
}

OdbcConfig::Attributes OdbcConfig::PostgresAttributes(const std::string& server, const std::string& port,
                                                      const std::string& database, const std::string& user,
                                                      const std::string& password) {
    Attributes a = {{"Servername", server}, {"Port", port}, {"Database", database}, {"Username", user}};
    if (!password.empty()) a.emplace_back("Password", password);
    a.emplace_back("UseDeclareFetch", "1");
    // Rows per round trip: small enough that opening a large table stays cheap, large
    // enough that reading it through costs few round trips.
    a.emplace_back("Fetch", "256");
    a.emplace_back("UseServerSidePrepare", "1");
    a.emplace_back("BoolsAsChar", "0");
    // A statement waiting for a lock gives up as SQLite's busy timeout does, instead of
    // hanging; set once per connection rather than per statement (which costs round trips).
    a.emplace_back("ConnSettings", "SET lock_timeout = 10000");
    return a;
}

}  // namespace davrix
