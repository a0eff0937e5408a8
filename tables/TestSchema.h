// Test support for the record-class tests (tables, views, product): the station schema,
// created fresh from schema/<backend>.sql, and the module's connection pointed at the
// backend's test data source. Header-only, included by *_test.cpp files only.
#ifndef DAVRIXDB_TABLES_TESTSCHEMA_H
#define DAVRIXDB_TABLES_TESTSCHEMA_H

#include <davrixdb/product/CDAVRIXRecordset.h>
#include <davrixdb/recordset/CDadRecordset.h>

#include "testsupport/TestOdbc.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace davrix {
namespace test {

// Owner (PostgreSQL role and schema) and password of the SQL Server login.
constexpr const char kServerOwner[] = "RUVUDED";
constexpr const char kServerPassword[] = "351946";

inline std::string SchemaFile(Backend b) {
    const char* dir = getenv("DAVRIX_SCHEMA_DIR");
    std::string base = dir && *dir ? dir : "schema";
    return base + (b == Backend::SQLite ? "/sqlite.sql" : "/postgresql.sql");
}

// Drops the module's views and tables, then runs the schema file. On PostgreSQL with an
// owner, the objects are made in the schema of that name, owned by the role of that name
// (both made here when missing; the role logs in with kServerPassword).
inline void LoadFreshSchema(Backend b, const std::string& pgOwner = std::string()) {
    std::string script = ReadTextFile(SchemaFile(b));
    ASSERT_FALSE(script.empty()) << "schema file missing: " << SchemaFile(b);
    RawConnection raw(b);
    if (b == Backend::SQLite) {
        for (const char* view : {"VIEW_FAULT", "VIEW_AUTOSEND", "VIEW_RUNLOG"})
            raw.Exec(std::string("DROP VIEW IF EXISTS ") + view);
        for (const char* table : {"TABLE_DEVINFO", "TABLE_UNTINFO", "TABLE_FAULT", "TABLE_RUNLOG", "TABLE_AUTOSEND"})
            raw.Exec(std::string("DROP TABLE IF EXISTS ") + table);
        raw.ExecScript(script);
        return;
    }
    // A record set still open somewhere would otherwise make the drops wait for ever.
    raw.Exec("SET lock_timeout = '20s'");
    if (pgOwner.empty()) {
        for (const char* name : {"VIEW_FAULT", "VIEW_AUTOSEND", "VIEW_RUNLOG"})
            raw.Exec(std::string("DROP VIEW IF EXISTS \"") + name + "\" CASCADE");
        for (const char* name : {"TABLE_DEVINFO", "TABLE_UNTINFO", "TABLE_FAULT", "TABLE_RUNLOG", "TABLE_AUTOSEND"})
            raw.Exec(std::string("DROP TABLE IF EXISTS \"") + name + "\" CASCADE");
        raw.ExecScript(script);
        return;
    }
    std::string role = "\"" + pgOwner + "\"";
    if (raw.Scalar("SELECT count(*) FROM pg_roles WHERE rolname = '" + pgOwner + "'") == 0) {
        // Another test program may create it at the same moment; either way it exists.
        raw.TryExec("CREATE ROLE " + role + " LOGIN PASSWORD '" + kServerPassword + "'");
    }
    raw.Exec("DROP SCHEMA IF EXISTS " + role + " CASCADE");
    raw.Exec("CREATE SCHEMA " + role + " AUTHORIZATION " + role);
    raw.Exec("SET ROLE " + role);
    raw.Exec("SET search_path TO " + role);
    raw.ExecScript(script);
    raw.Exec("RESET ROLE");
    raw.Exec("RESET search_path");
}

// Makes the module's record sets use the backend's test data source, without an owner.
inline void UseTestDataSource(Backend b) {
    CDadRecordset::SetConnectionParam(Dsn(b).c_str(), "", "");
}

// Bytes of the application's code page for UTF-8 text.
inline CString Gbk(const std::string& utf8) {
    std::string gbk = Utf8ToGbk(utf8);
    return CString(gbk.data(), (int)gbk.size());
}

inline TIMESTAMP_STRUCT Timestamp(int year, int month, int day, int hour, int minute, int second,
                                  unsigned fraction = 0) {
    TIMESTAMP_STRUCT ts{};
    ts.year = (SQLSMALLINT)year;
    ts.month = (SQLUSMALLINT)month;
    ts.day = (SQLUSMALLINT)day;
    ts.hour = (SQLUSMALLINT)hour;
    ts.minute = (SQLUSMALLINT)minute;
    ts.second = (SQLUSMALLINT)second;
    ts.fraction = fraction;
    return ts;
}

inline bool SameTimestamp(const TIMESTAMP_STRUCT& a, const TIMESTAMP_STRUCT& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second && a.fraction == b.fraction;
}

inline std::string Show(const TIMESTAMP_STRUCT& t) {
    char buf[64];
    snprintf(buf, sizeof buf, "%04d-%02u-%02u %02u:%02u:%02u.%09u", t.year, t.month, t.day, t.hour, t.minute,
             t.second, (unsigned)t.fraction);
    return buf;
}

// Raw SQL written the module's way ([COLUMN], bare TABLE_... and VIEW_... names) in the
// form the backend takes: PostgreSQL needs every one of them as a quoted identifier.
// String literals are left alone.
inline std::string ForBackend(Backend b, const std::string& sql) {
    if (b == Backend::SQLite) return sql;
    std::string out;
    size_t i = 0;
    while (i < sql.size()) {
        char c = sql[i];
        if (c == '\'') {
            size_t end = sql.find('\'', i + 1);
            while (end != std::string::npos && end + 1 < sql.size() && sql[end + 1] == '\'')
                end = sql.find('\'', end + 2);
            end = end == std::string::npos ? sql.size() : end + 1;
            out.append(sql, i, end - i);
            i = end;
        } else if (c == '[' || c == ']') {
            out += '"';
            ++i;
        } else if ((sql.compare(i, 6, "TABLE_") == 0 || sql.compare(i, 5, "VIEW_") == 0) &&
                   (i == 0 || !(isalnum((unsigned char)sql[i - 1]) || sql[i - 1] == '_' || sql[i - 1] == '"'))) {
            size_t end = i;
            while (end < sql.size() && (isalnum((unsigned char)sql[end]) || sql[end] == '_')) ++end;
            out += '"' + sql.substr(i, end - i) + '"';
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// The tests' own view of the database behind the module.
class Db {
public:
    explicit Db(Backend b) : m_backend(b), m_raw(b) {}
    void Exec(const std::string& sql) { m_raw.Exec(ForBackend(m_backend, sql)); }
    // First column of the first row as UTF-8 text, "<NULL>" for NULL, "<NO ROW>" for none.
    std::string Text(const std::string& sql) { return m_raw.Text(ForBackend(m_backend, sql)); }
    long long Scalar(const std::string& sql) { return m_raw.Scalar(ForBackend(m_backend, sql)); }
    long long Count(const std::string& table, const std::string& where = "1=1") {
        return Scalar("SELECT count(*) FROM " + table + " WHERE " + where);
    }

private:
    Backend m_backend;
    RawConnection m_raw;
};

// A fixture for tests that run once per backend on a fresh schema.
class SchemaTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        DAVRIX_REQUIRE_BACKEND(GetParam());
        LoadFreshSchema(GetParam());
        UseTestDataSource(GetParam());
    }
    Backend backend() const { return GetParam(); }
};

}  // namespace test
}  // namespace davrix

#endif
