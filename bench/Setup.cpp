// The benchmark's private ODBC configuration and databases. The data sources carry the
// settings OdbcConfig writes for the product, so the figures are those of the product's
// configuration. Big tables are filled by one set-based statement each (one transaction).
#include "Bench.h"
#include "RawOdbc.h"

#include <davrixfw/OdbcConfig.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#ifndef DAVRIX_SCHEMA_DIR
#define DAVRIX_SCHEMA_DIR "schema"
#endif

namespace bench {

namespace {

const char kPgDatabase[] = "davrix_bench";
const char kPgEmptyDatabase[] = "davrix_bench_empty";

std::string SchemaDir() {
    const char* dir = getenv("DAVRIX_SCHEMA_DIR");
    return dir && *dir ? dir : DAVRIX_SCHEMA_DIR;
}

std::string N(long n) { return std::to_string(n); }

// Set-based fills, one statement per table; texts in UTF-8 as the databases hold them.
// The series is "x" in both dialects.
struct Dialect {
    std::string series;      // FROM clause producing x = 1..n (with %N% for n)
    std::string prefix;      // WITH clause SQLite needs before its SELECT
    std::string fileName;    // F0000001.cfg
    std::string faultTime;   // distinct times with milliseconds
    std::string runTime;
};

Dialect SQLiteDialect() {
    return {"FROM c", "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < %N%) ",
            "printf('F%07d.cfg', x)", "strftime('%Y-%m-%d %H:%M:%S', 1704067200 + x, 'unixepoch') || '.250'",
            "strftime('%Y-%m-%d %H:%M:%S', 1704067200 + x, 'unixepoch') || '.500'"};
}

Dialect PostgresDialect() {
    return {"FROM generate_series(1, %N%) AS s(x)", "", "'F' || lpad(x::text, 7, '0') || '.cfg'",
            "timestamp '2024-01-01 00:00:00.250' + x * interval '1 second'",
            "timestamp '2024-01-01 00:00:00.500' + x * interval '1 second'"};
}

std::string WithCount(std::string text, long n) {
    for (size_t p; (p = text.find("%N%")) != std::string::npos;) text.replace(p, 3, N(n));
    return text;
}

std::string InsertSelect(const Dialect& d, long n, const std::string& table, const std::string& columns,
                         const std::string& values) {
    // The WITH goes after the column list: the SQLite driver takes a statement that starts
    // with WITH for a query and, fetching lazily, would never run it.
    return "INSERT INTO \"" + table + "\" (" + columns + ") " + WithCount(d.prefix, n) + "SELECT " + values + " " +
           WithCount(d.series, n);
}

// Quoted column list: "A","B".
std::string Cols(std::initializer_list<const char*> names) {
    std::string out;
    for (const char* n : names) out += std::string(out.empty() ? "" : ",") + "\"" + n + "\"";
    return out;
}

std::string Text(bool postgres, const std::string& expr) { return "(" + expr + ")" + (postgres ? "::text" : ""); }

void LoadSchema(Connection& db, bool postgres) {
    db.ExecScript(ReadTextFile(SchemaDir() + (postgres ? "/postgresql.sql" : "/sqlite.sql")));
}

void FillDevices(Connection& db, const Dialect& d, bool pg) {
    db.Exec(InsertSelect(d, kDevices, "TABLE_DEVINFO",
                         Cols({"NMODEL", "NNAME", "IP_ADDR", "ND_ADDR", "LPATH", "COMTYPE", "RADDR", "RADDREX", "FLAG",
                               "CENTER", "OFFICE", "STATION", "VMODEL"}),
                         "x % 4, '录波器' || " + Text(pg, "x") + ", '10.0.0.' || " + Text(pg, "x") +
                             ", x, '/data/rec' || " + Text(pg, "x") + ", 1, 'r' || " + Text(pg, "x") +
                             ", 'rx', 0, '调度中心', '继电保护处', '变电站' || " + Text(pg, "x") + ", 'M1'"));
}

void FillFaults(Connection& db, const Dialect& d, bool pg) {
    db.Exec(InsertSelect(
        d, kFaults, "TABLE_FAULT",
        Cols({"NID", "FAN", "FTIME", "FMS", "FTYPE", "FJMP", "FPOS", "FFILE", "FCODE", "FSIZE", "FDESCR", "FAREA",
              "FREALPOS", "FAVFLAG", "SUMMARY"}),
        "1 + x % " + N(kDevices) + ", x % 8, " + d.faultTime + ", x % 1000, x % 5, x % 3, x * 0.5, " + d.fileName +
            ", x % 100, 1000 + x, '线路A相接地故障', '区域' || " + Text(pg, "x % 4") + ", x * 0.25, x % 2, '录波完成'"));
}

void FillRunLog(Connection& db, const Dialect& d, bool pg) {
    db.Exec(InsertSelect(d, kRunLogRows, "TABLE_RUNLOG", Cols({"NID", "FLAG", "DESCR", "STIME"}),
                         "1 + x % " + N(kDevices) + ", x % 3, '装置启动 ' || " + Text(pg, "x") + ", " + d.runTime));
}

void Fill(const std::string& dsn, bool pg, bool big) {
    auto t0 = std::chrono::steady_clock::now();
    Connection db("DSN=" + dsn);
    LoadSchema(db, pg);
    Dialect d = pg ? PostgresDialect() : SQLiteDialect();
    FillDevices(db, d, pg);
    if (big) {
        FillFaults(db, d, pg);
        FillRunLog(db, d, pg);
    }
    // Background work of the fill (vacuum, checkpoint, a long WAL) is done before timing starts.
    db.Exec(pg ? "VACUUM ANALYZE" : "ANALYZE");
    db.Exec(pg ? "CHECKPOINT" : "PRAGMA wal_checkpoint(TRUNCATE)");
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    fprintf(stderr, "  %s filled in %.1f s\n", dsn.c_str(), s);
}

void RemoveDatabaseFile(const std::string& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) unlink((path + suffix).c_str());
}

}  // namespace

Backend SQLiteBackend() { return {"SQLite", "BENCH_SQLITE", "BENCH_SQLITE_EMPTY", false}; }
Backend PostgresBackend() { return {"PostgreSQL", "BENCH_PG", "BENCH_PG_EMPTY", true}; }

void Setup(const std::string& workDir, const PgServer& pg) {
    const char* sysIni = getenv("ODBCSYSINI");
    if (!sysIni || !*sysIni) Die("set ODBCSYSINI to a private folder: the benchmark writes its data sources there");
    davrix::OdbcConfig config(sysIni);
    std::string error;
    if (!config.WriteDrivers(&error)) Die(error);

    Backend lite = SQLiteBackend();
    const std::string liteFile = workDir + "/station.db", liteEmpty = workDir + "/empty.db";
    RemoveDatabaseFile(liteFile);
    RemoveDatabaseFile(liteEmpty);
    if (!config.WriteDataSource(lite.dsn, davrix::OdbcConfig::kSQLiteDriver,
                                davrix::OdbcConfig::SQLiteAttributes(liteFile), &error) ||
        !config.WriteDataSource(lite.emptyDsn, davrix::OdbcConfig::kSQLiteDriver,
                                davrix::OdbcConfig::SQLiteAttributes(liteEmpty), &error))
        Die(error);

    Backend post = PostgresBackend();
    if (!pg.host.empty()) {
        for (const char* db : {kPgDatabase, kPgEmptyDatabase}) {
            const std::string& dsn = db == kPgDatabase ? post.dsn : post.emptyDsn;
            if (!config.WriteDataSource(dsn, davrix::OdbcConfig::kPostgresDriver,
                                        davrix::OdbcConfig::PostgresAttributes(pg.host, pg.port, db, pg.user), &error))
                Die(error);
        }
    }

    // Only now the first ODBC call: unixODBC reads the folder once per process.
    Fill(lite.dsn, false, true);
    Fill(lite.emptyDsn, false, false);
    if (!pg.host.empty()) {
        {
            Connection admin(std::string("Driver=") + davrix::OdbcConfig::kPostgresDriver + ";Servername=" + pg.host +
                             ";Port=" + pg.port + ";Database=postgres;Username=" + pg.user);
            for (const char* db : {kPgDatabase, kPgEmptyDatabase}) {
                admin.Exec(std::string("DROP DATABASE IF EXISTS ") + db + " WITH (FORCE)");
                admin.Exec(std::string("CREATE DATABASE ") + db);
            }
        }
        Fill(post.dsn, true, true);
        Fill(post.emptyDsn, true, false);
    }
}

}  // namespace bench
