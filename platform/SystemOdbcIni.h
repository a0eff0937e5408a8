// SystemOdbcIni: access to the system ODBC configuration through unixODBC's installer, for
// the registry and installer stand-ins. Internal to the stand-in.
//
// The installer's configuration mode is one setting for the whole process. An object of
// this class holds a process-wide lock and keeps the installer in system mode while it
// lives; its destructor puts the mode back to ODBC_BOTH_DSN, the mode the driver manager
// expects. So requests of this layer never see each other's mode. Create one object at a
// time per thread (the lock is not recursive).
#ifndef DAVRIXFW_SYSTEMODBCINI_H
#define DAVRIXFW_SYSTEMODBCINI_H

#include <mutex>
#include <string>
#include <vector>

namespace davrix {

class SystemOdbcIni {
public:
    static const char kSources[];  // "odbc.ini": the system data sources in system mode
    static const char kDrivers[];  // "odbcinst.ini": the registered drivers

    SystemOdbcIni();
    ~SystemOdbcIni();
    SystemOdbcIni(const SystemOdbcIni&) = delete;
    SystemOdbcIni& operator=(const SystemOdbcIni&) = delete;

    // Section names of the file, in file order (unixODBC leaves out "ODBC Data Sources").
    std::vector<std::string> Sections(const char* file) const;
    // The name as written in the file of the first section equal to name without regard
    // to case; false when there is none (or name is null or empty).
    bool FindSection(const char* file, const char* name, std::string* pRealName) const;
    // The value of key in section as the file holds it now (unixODBC keeps values it has
    // read for 20 seconds; this read passes that cache). False when the key is absent.
    bool Value(const char* file, const std::string& section, const char* key, std::string* pValue) const;

private:
    std::unique_lock<std::mutex> m_lock;
};

}  // namespace davrix

#endif
