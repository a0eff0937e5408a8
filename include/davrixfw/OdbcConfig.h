// OdbcConfig: the one writer of ODBC configuration files (odbcinst.ini and the system
// odbc.ini) in a folder of the caller's choice. It edits the files directly, so it can
// prepare a folder before a process points ODBCSYSINI at it; sections it does not touch
// are kept as they are.
#ifndef DAVRIXFW_ODBCCONFIG_H
#define DAVRIXFW_ODBCCONFIG_H

#include <string>
#include <utility>
#include <vector>

namespace davrix {

class OdbcConfig {
public:
    typedef std::vector<std::pair<std::string, std::string>> Attributes;

    // Registered driver names written by WriteDrivers.
    static const char* const kSQLiteDriver;       // "SQLite3"
    static const char* const kPostgresDriver;     // "PostgreSQL Unicode"
    static const char* const kPostgresAnsiDriver; // "PostgreSQL ANSI"

    explicit OdbcConfig(std::string dir) : m_dir(std::move(dir)) {}
    const std::string& Dir() const { return m_dir; }

    // The folder of the installed driver libraries ($DAVRIX_ODBC_DRIVER_DIR, else the
    // distribution's folder); empty when none is found.
    static std::string DriverDir();
    // The folder that unixODBC reads system files from in this process ($ODBCSYSINI, else /etc).
    static std::string SystemDir();

    // Creates the folder, an odbcinst.ini registering the SQLite and PostgreSQL drivers
    // with connection pooling on, and an odbc.ini (empty when new). Returns false with a
    // reason in *pError when a file cannot be written or no driver library is found.
    bool WriteDrivers(std::string* pError = nullptr) const;
    // Replaces the section of the data source in odbc.ini with Driver=driver and the attributes.
    bool WriteDataSource(const std::string& name, const std::string& driver,
                         const Attributes& attributes, std::string* pError = nullptr) const;
    bool RemoveDataSource(const std::string& name, std::string* pError = nullptr) const;
    // The value of key in the section (exact names), or "" when absent.
    std::string ReadValue(const std::string& file, const std::string& section, const std::string& key) const;
    bool HasDataSource(const std::string& name) const;

    // Settings the project uses for its data sources: WAL journal, a 10 s busy timeout and
    // lazy fetching on SQLite; lazy fetching in blocks on PostgreSQL.
    static Attributes SQLiteAttributes(const std::string& databaseFile);
    static Attributes PostgresAttributes(const std::string& server, const std::string& port,
                                         const std::string& database, const std::string& user,
                                         const std::string& password = std::string());

private:
    std::string m_dir;
};

}  // namespace davrix

#endif
