// init: the station folder's ODBC configuration and the schema of its database.
#include "Commands.h"
#include "GbkText.h"
#include "RecordAccess.h"
#include "SchemaScript.h"
#include "StationConfig.h"
#include "StationFolder.h"
#include "ToolError.h"

#include <davrixdb/tables/CTblAutoSend.h>
#include <davrixdb/tables/CTblDevInfo.h>
#include <davrixdb/tables/CTblFault.h>
#include <davrixdb/tables/CTblRunLog.h>
#include <davrixdb/tables/CTblUntInfo.h>
#include <davrixdb/views/CVwAutoSend.h>
#include <davrixdb/views/CVwFaultEx.h>
#include <davrixdb/views/CVwRunLog.h>
#include <davrixfw/CDatabase.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace davrix {
namespace tool {

namespace {

// True when a record set can be opened on its table or view, i.e. the object exists.
template <class R>
bool Opens() {
    R record;
    record.Query("1=0");
    return record.IsOpen() != 0;
}

bool SchemaPresent() {
    return Opens<CTblDevInfo>() && Opens<CTblFault>() && Opens<CTblUntInfo>() && Opens<CTblRunLog>() &&
           Opens<CTblAutoSend>() && Opens<CVwFaultEx>() && Opens<CVwAutoSend>() && Opens<CVwRunLog>();
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ToolError("cannot read " + DisplayGbk(path));
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string OneLine(const CString& text) {
    std::string line(text.GetString(), text.GetLength());
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    return line;
}

// A connection to the data source DAVRIX; fails at once, with the driver's reason, when
// the database cannot be reached.
std::unique_ptr<CDatabase> Connect() {
    std::unique_ptr<CDatabase> db(new CDatabase);
    std::string connect = std::string("DSN=") + StationFolder::kDataSource;
    try {
        if (db->OpenEx(connect.c_str(), CDatabase::noOdbcDialog)) return db;
    } catch (CDBException* e) {
        std::string text = OneLine(e->m_strError);
        e->Delete();
        throw ToolError(std::string("cannot connect to the data source ") + StationFolder::kDataSource + ": " + text);
    }
    throw ToolError(std::string("cannot connect to the data source ") + StationFolder::kDataSource);
}

void RunSchema(CDatabase& db, const std::string& path, const std::vector<SchemaScript::Statement>& statements) {
    for (const SchemaScript::Statement& s : statements) {
        try {
            db.ExecuteSQL(s.sql.c_str());
        } catch (CDBException* e) {
            std::string text = OneLine(e->m_strError);
            e->Delete();
            throw ToolError(DisplayGbk(path) + ":" + std::to_string(s.line) + ": " + text);
        }
    }
}

}  // namespace

int RunInit(Invocation& inv) {
    std::string dir = inv.dirGiven ? StationFolder::Absolute(inv.dir) : StationFolder::DefaultDir();
    if (inv.Has("sqlite") && inv.Has("postgres")) throw ToolError::Usage("give --sqlite or --postgres, not both");
    StationConfig::Backend backend = inv.Has("postgres")
                                         ? StationConfig::Postgres(inv.Value("postgres"))
                                         : StationConfig::SQLite(inv.Value("sqlite", dir + "/station.db"));
    std::string file = backend.postgres ? "postgresql.sql" : "sqlite.sql";
    std::string schemaPath = SchemaScript::Locate(inv.Value("schema-dir"), file) + "/" + file;
    std::vector<SchemaScript::Statement> statements = SchemaScript::Split(ReadAll(schemaPath));

    bool wrote = StationConfig::Apply(dir, backend);
    const char* env = getenv("ODBCSYSINI");
    if (env && *env && StationFolder::Absolute(env) != dir)
        inv.Note("davrix: note: ODBCSYSINI is set to " + DisplayGbk(env) +
                 "; other commands use that folder unless given --dir " + DisplayGbk(dir) + "\n");
    StationFolder::Activate(dir);

    std::unique_ptr<CDatabase> db = Connect();
    bool present = SchemaPresent();
    RunSchema(*db, schemaPath, statements);
    db->Close();
    if (!wrote && present) {
        inv.PrintLine("nothing changed: the configuration in " + DisplayGbk(dir) + " and the schema of " +
                      DisplayGbk(backend.description) + " are in place");
        return 0;
    }
    if (wrote)
        inv.PrintLine("wrote " + DisplayGbk(dir) + "/odbcinst.ini and odbc.ini: data source " +
                      StationFolder::kDataSource + " on " + DisplayGbk(backend.description));
    else
        inv.PrintLine("configuration in " + DisplayGbk(dir) + " unchanged");
    if (present)
        inv.PrintLine("schema already in place");
    else
        inv.PrintLine("created the schema (" + std::to_string(statements.size()) + " statements from " +
                      DisplayGbk(schemaPath) + ")");
    return 0;
}

}  // namespace tool
}  // namespace davrix
