// davrix_bench: benchmarks of the module against hand-written ODBC, run by scripts/run-bench.sh.
//   davrix_bench setup --work DIR [--pg-host H --pg-port P --pg-user U]
//   davrix_bench run --database sqlite|postgresql|file --work DIR --out FILE [--only TEXT] [--quick | --ops N]
// --quick scales every case down; --ops N runs N operations once after one untimed
// operation (for valgrind --tool=callgrind).
//   davrix_bench report FILE
// One process per database kind: the module keeps process-wide connection parameters and
// unixODBC its pool, so each kind starts clean.
#include "Bench.h"
#include "RawOdbc.h"

#include <davrixdb/recordset/CDadRecordset.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

int Usage() {
    fprintf(stderr,
            "usage: davrix_bench setup --work DIR [--pg-host H --pg-port P --pg-user U]\n"
            "       davrix_bench run --database sqlite|postgresql|file --work DIR --out FILE [--only TEXT] [--quick | --ops N]\n"
            "       davrix_bench report FILE\n");
    return 2;
}

int DatabaseOrder(const std::string& name) { return name == "SQLite" ? 0 : name == "PostgreSQL" ? 1 : 2; }

}  // namespace

static int Main(int argc, char** argv) {
    if (argc < 2) return Usage();
    std::string command = argv[1];
    std::map<std::string, std::string> opt;
    bool quick = false;
    std::vector<std::string> positional;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--quick")
            quick = true;
        else if (a.compare(0, 2, "--") == 0 && i + 1 < argc)
            opt[a.substr(2)] = argv[++i];
        else
            positional.push_back(a);
    }

    if (command == "setup") {
        if (!opt.count("work")) return Usage();
        bench::Setup(opt["work"], {opt["pg-host"], opt.count("pg-port") ? opt["pg-port"] : "5432",
                                   opt.count("pg-user") ? opt["pg-user"] : "postgres"});
        return 0;
    }
    if (command == "run") {
        if (!opt.count("database") || !opt.count("work") || !opt.count("out")) return Usage();
        bench::SetQuick(quick);
        if (opt.count("ops")) bench::SetProfileOps(std::max(1, atoi(opt["ops"].c_str())));
        std::string db = opt["database"];
        std::vector<bench::Case> cases;
        if (db == "file") {
            cases = bench::FileCases(opt["work"]);
        } else if (db == "sqlite" || db == "postgresql") {
            bench::Backend b = db == "sqlite" ? bench::SQLiteBackend() : bench::PostgresBackend();
            CDadRecordset::SetConnectionParam(b.dsn.c_str(), "", "");
            cases = bench::DatabaseCases(b);
        } else {
            return Usage();
        }
        for (const bench::Case& c : cases) {
            if (opt.count("only") && c.name.find(opt["only"]) == std::string::npos) continue;
            bench::Append(opt["out"], bench::Measure(c));
        }
        return 0;
    }
    if (command == "report") {
        if (positional.size() != 1) return Usage();
        std::vector<bench::Result> results = bench::Load(positional[0]);
        std::stable_sort(results.begin(), results.end(), [](const bench::Result& x, const bench::Result& y) {
            int ox = DatabaseOrder(x.database), oy = DatabaseOrder(y.database);
            return ox != oy ? ox < oy : strcmp(x.name.c_str(), y.name.c_str()) < 0;
        });
        bench::PrintReport(results, stdout);
        return 0;
    }
    return Usage();
}

int main(int argc, char** argv) {
    try {
        return Main(argc, argv);
    } catch (const bench::Failure& f) {
        fprintf(stderr, "davrix_bench: %s\n", f.what());
        return 1;
    }
}
