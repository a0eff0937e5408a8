// What the benchmark program's parts share: the databases it prepares and the cases it runs.
#ifndef DAVRIX_BENCH_BENCH_H
#define DAVRIX_BENCH_BENCH_H

#include "Harness.h"

#include <string>
#include <vector>

namespace bench {

// Sizes of the prepared data.
constexpr int kDevices = 32;
constexpr int kFaults = 100000;
constexpr int kRunLogRows = 1000000;
constexpr size_t kFileBytes = 256u << 20;
constexpr size_t kFilePiece = 8192;  // the module's piece size, used by the raw loops too

// One database kind: a data source holding the big tables and one holding the same schema
// with no faults and no run log (devices only).
struct Backend {
    std::string name;        // "SQLite" or "PostgreSQL"
    std::string dsn;
    std::string emptyDsn;
    bool postgres;
};

Backend SQLiteBackend();
Backend PostgresBackend();

struct PgServer {
    std::string host, port, user;
};

// Writes the drivers and data sources into $ODBCSYSINI with OdbcConfig, then creates the
// databases, loads the schema and fills the tables. pg.host empty: SQLite only.
void Setup(const std::string& workDir, const PgServer& pg);

std::vector<Case> DatabaseCases(const Backend& b);
std::vector<Case> FileCases(const std::string& workDir);

}  // namespace bench

#endif
