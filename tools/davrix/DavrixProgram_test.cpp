// The davrix program itself, run as a child process on a station folder of its own (with
// ODBCSYSINI removed from its environment), on SQLite and on PostgreSQL.
#include "Commands.h"

#include <davrixfw/OdbcConfig.h>

#include "TestOdbc.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace davrix::test;

namespace {

struct Result {
    int status = -1;
    std::string out, err;
    std::string All() const { return "status " + std::to_string(status) + "\nstdout:\n" + out + "stderr:\n" + err; }
};

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string ToolPath() {
    const char* tool = getenv("DAVRIX_TOOL");
    return tool ? tool : "";
}

std::string SourceDir() {
    const char* dir = getenv("DAVRIX_SOURCE_DIR");
    return dir ? dir : ".";
}

std::string SamplesDir() { return SourceDir() + "/samples"; }

// Runs the program with the arguments as they are, under a locale, with env settings before.
Result RunTool(const std::vector<std::string>& args, const std::string& locale = "C.UTF-8",
               const std::string& env = "-u ODBCSYSINI") {
    static int counter = 0;
    std::string errFile = ConfigDir() + "/stderr." + std::to_string(getpid()) + "." + std::to_string(++counter);
    std::string command = "env -u LANGUAGE " + env + " LC_ALL=" + locale + " " + Quote(ToolPath());
    for (const std::string& a : args) command += " " + Quote(a);
    command += " 2>" + Quote(errFile);
    Result r;
    r.out = RunCommand(command, &r.status);
    r.err = ReadTextFile(errFile);
    remove(errFile.c_str());
    return r;
}

std::string MakeTempDir(const std::string& prefix) {
    std::string pattern = ConfigDir() + "/" + prefix + ".XXXXXX";
    if (!mkdtemp(&pattern[0])) ADD_FAILURE() << "mkdtemp failed";
    return pattern;
}

long long FileSize(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (long long)st.st_size : -1;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// CSV rows of a listing without quoted commas (enough for the listings checked here).
std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : Lines(text)) {
        std::vector<std::string> cells;
        std::istringstream in(line);
        for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
        if (!line.empty() && line.back() == ',') cells.push_back("");
        rows.push_back(cells);
    }
    return rows;
}

size_t CountLines(const std::string& text) {
    size_t n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

// The number that follows `word ` in text ("added device 3 ..." -> 3), or -1.
long NumberAfter(const std::string& text, const std::string& word) {
    size_t pos = text.find(word + " ");
    return pos == std::string::npos ? -1 : atol(text.c_str() + pos + word.size() + 1);
}

// One station per test: a fresh folder, and on PostgreSQL a fresh database.
class Station : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        DAVRIX_REQUIRE_BACKEND(GetParam());
        ASSERT_FALSE(ToolPath().empty()) << "DAVRIX_TOOL is not set: run the tests through ctest";
        m_dir = MakeTempDir("station");
        if (GetParam() == Backend::PostgreSQL) {
            m_database = "davrix_tool_" + std::to_string(getpid()) + "_" + UniqueName("db").substr(3);
            RawConnection admin("DSN=PG_ADMIN");
            admin.Exec("CREATE DATABASE " + m_database + " ENCODING 'UTF8' TEMPLATE template0");
        }
    }
    void TearDown() override {
        if (!m_database.empty()) {
            RawConnection admin("DSN=PG_ADMIN");
            admin.Exec("DROP DATABASE IF EXISTS " + m_database + " WITH (FORCE)");
        }
        if (!m_dir.empty() && !HasFailure()) RunCommand("rm -rf " + Quote(m_dir));
    }

    std::vector<std::string> InitArgs() const {
        if (GetParam() == Backend::SQLite) return {"init"};
        return {"init", "--postgres",
                "Servername=" + PgHost() + ";Port=" + PgPort() + ";Database=" + m_database + ";Username=" + PgUser()};
    }
    Result Tool(std::vector<std::string> args, const std::string& locale = "C.UTF-8") {
        args.insert(args.begin(), {"--dir", m_dir});
        return RunTool(args, locale);
    }
    void Init() {
        Result r = Tool(InitArgs());
        ASSERT_EQ(0, r.status) << r.All();
    }
    // A copy of the samples folder to change.
    std::string CopySamples() {
        std::string copy = MakeTempDir("samples");
        RunCommand("cp -R " + Quote(SamplesDir()) + "/. " + Quote(copy));
        return copy;
    }

    std::string m_dir;
    std::string m_database;
};

TEST_P(Station, InitTwiceChangesNothing) {
    Result first = Tool(InitArgs());
    ASSERT_EQ(0, first.status) << first.All();
    EXPECT_NE(std::string::npos, first.out.find("wrote")) << first.All();
    EXPECT_NE(std::string::npos, first.out.find("created the schema")) << first.All();

    std::string drivers = ReadTextFile(m_dir + "/odbcinst.ini");
    std::string sources = ReadTextFile(m_dir + "/odbc.ini");
    EXPECT_NE(std::string::npos, drivers.find("Pooling=Yes"));
    EXPECT_NE(std::string::npos, drivers.find("[SQLite3]"));
    EXPECT_NE(std::string::npos, drivers.find("[PostgreSQL Unicode]"));
    EXPECT_NE(std::string::npos, sources.find("[DAVRIX]"));
    const char* const expected[] = {"Driver=SQLite3", "JournalMode=WAL", "Timeout=10000", "StepAPI=1"};
    if (GetParam() == Backend::SQLite) {
        for (const char* e : expected) EXPECT_NE(std::string::npos, sources.find(e)) << e << "\n" << sources;
        EXPECT_NE(std::string::npos, sources.find("Database=" + m_dir + "/station.db")) << sources;
    } else {
        for (std::string e : {std::string("Driver=PostgreSQL Unicode"), "Servername=" + PgHost(),
                              "Database=" + m_database, std::string("UseDeclareFetch=1")})
            EXPECT_NE(std::string::npos, sources.find(e)) << e << "\n" << sources;
    }
    struct stat before[2];
    stat((m_dir + "/odbcinst.ini").c_str(), &before[0]);
    stat((m_dir + "/odbc.ini").c_str(), &before[1]);

    Result second = Tool(InitArgs());
    ASSERT_EQ(0, second.status) << second.All();
    EXPECT_NE(std::string::npos, second.out.find("nothing changed")) << second.All();
    EXPECT_EQ(drivers, ReadTextFile(m_dir + "/odbcinst.ini"));
    EXPECT_EQ(sources, ReadTextFile(m_dir + "/odbc.ini"));
    struct stat after[2];
    stat((m_dir + "/odbcinst.ini").c_str(), &after[0]);
    stat((m_dir + "/odbc.ini").c_str(), &after[1]);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(before[i].st_mtim.tv_sec, after[i].st_mtim.tv_sec) << "a file was rewritten";
        EXPECT_EQ(before[i].st_mtim.tv_nsec, after[i].st_mtim.tv_nsec) << "a file was rewritten";
    }

    Result list = Tool({"fault", "list"});
    EXPECT_EQ(0, list.status) << list.All();
    EXPECT_EQ("SID  FTIME  NID  NNAME  FDESCR  FAREA  FFILE  FSIZE\n", list.out);
}

TEST_P(Station, ImportTwiceLeavesTheSameRows) {
    Init();
    Result first = Tool({"import", SamplesDir()});
    ASSERT_EQ(0, first.status) << first.All();
    EXPECT_NE(std::string::npos, first.out.find("stored 5, updated 0, unchanged 0, skipped 0; 3 new devices"))
        << first.All();
    EXPECT_EQ("", first.err) << "no progress bar when standard error is no terminal";
    Result listed = Tool({"fault", "list", "--csv"});
    ASSERT_EQ(0, listed.status) << listed.All();

    Result second = Tool({"import", SamplesDir()});
    ASSERT_EQ(0, second.status) << second.All();
    EXPECT_NE(std::string::npos, second.out.find("stored 0, updated 0, unchanged 5, skipped 0")) << second.All();
    Result again = Tool({"fault", "list", "--csv"});
    EXPECT_EQ(listed.out, again.out);

    auto rows = CsvRows(listed.out);
    ASSERT_EQ(6u, rows.size()) << listed.out;
    EXPECT_EQ((std::vector<std::string>{"SID", "FTIME", "NID", "NNAME", "FDESCR", "FAREA", "FFILE", "FSIZE"}), rows[0]);
    struct Expected {
        const char* time;
        const char* device;
        const char* station;
        const char* file;
    };
    const Expected expected[] = {
        {"2023-07-14 09:26:53.125", "FR-01", "东郊220kV变电站", "DJ220_FR01_20230714_092653.cfg"},
        {"2023-08-02 14:30:11.480", "FR-01", "东郊220kV变电站", "DJ220_FR01_20230802_143011.cfg"},
        {"2023-09-05 06:15:03.007", "FR-02", "西山110kV变电站", "XS110_FR02_20230905_061502.cfg"},
        {"2023-11-20 23:59:59.750", "REC-7", "North Bay 35kV", "north/NB35_REC7_20231120_235959.cfg"},
        {"2024-01-01 00:00:00.000", "REC-7", "North Bay 35kV", "north/NB35_REC7_20240101_000000.cfg"},
    };
    for (size_t i = 0; i < 5; ++i) {
        const auto& row = rows[i + 1];
        ASSERT_EQ(8u, row.size()) << listed.out;
        EXPECT_EQ(expected[i].time, row[1]);
        EXPECT_EQ(expected[i].device, row[3]);
        EXPECT_EQ(expected[i].station, row[4]);
        EXPECT_EQ(expected[i].file, row[6]);
        std::string dat = std::string(expected[i].file);
        dat.replace(dat.size() - 3, 3, "dat");
        EXPECT_EQ(std::to_string(FileSize(SamplesDir() + "/" + dat)), row[7]) << dat;
    }

    auto devices = CsvRows(Tool({"device", "list", "--csv"}).out);
    ASSERT_EQ(4u, devices.size()) << "one device per recording device id";
    EXPECT_EQ("FR-01", devices[1][1]);
    EXPECT_EQ("东郊220kV变电站", devices[1][5]) << "a new device takes the station of its first record";
}

TEST_P(Station, ChangedRecordIsUpdatedInPlace) {
    Init();
    std::string samples = CopySamples();
    ASSERT_EQ(0, Tool({"import", samples}).status);
    auto before = CsvRows(Tool({"fault", "list", "--csv"}).out);

    std::string dat = samples + "/north/NB35_REC7_20231120_235959.dat";
    std::ofstream(dat, std::ios::app) << "301,250000,0,0,0,0,1,1\r\n";
    Result r = Tool({"import", samples, "--area", "北区"});
    ASSERT_EQ(0, r.status) << r.All();
    EXPECT_NE(std::string::npos, r.out.find("stored 0, updated 5, unchanged 0")) << "the area is new for all\n"
                                                                                 << r.All();
    auto after = CsvRows(Tool({"fault", "list", "--csv"}).out);
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 1; i < after.size(); ++i) {
        EXPECT_EQ(before[i][0], after[i][0]) << "an update keeps the row's key";
        EXPECT_EQ("北区", after[i][5]);
    }
    EXPECT_EQ(std::to_string(FileSize(dat)), after[4][7]);
    RunCommand("rm -rf " + Quote(samples));
}

TEST_P(Station, MalformedRecordsAreReportedAndTheOthersStored) {
    Init();
    std::string dir = MakeTempDir("records");
    std::string good = ReadTextFile(SamplesDir() + "/DJ220_FR01_20230714_092653.cfg");
    std::string data = ReadTextFile(SamplesDir() + "/DJ220_FR01_20230714_092653.dat");
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    struct Case {
        std::string name;
        std::string header;
        bool withData;
        std::string report;  // "" when stored
    };
    const Case cases[] = {
        {"a_good.cfg", good, true, ""},
        {"b_bad_date.cfg", replaced("14/07/2023,09:26:53.125000", "32/07/2023,09:26:53.125000"), true,
         "b_bad_date.cfg:13: trigger time: no such date"},
        {"c_bad_counts.cfg", replaced("6,4A,2D", "6,4A,3D"), true, "c_bad_counts.cfg:2: channel counts do not add up"},
        {"d_no_data.cfg", good, false, "d_no_data.cfg:14: data file d_no_data.dat missing"},
        {"e_binary.cfg",
         std::string("\x7f"
                     "ELF\x02\x01\x01\0\0\0",
                     10) +
             good,
         true, "e_binary.cfg:1: binary data"},
        {"f_it's, \"quoted\".cfg", good, true, ""},
        {"sub/g_good.cfg", good, true, ""},
    };
    mkdir((dir + "/sub").c_str(), 0755);
    for (const Case& c : cases) {
        WriteTextFile(dir + "/" + c.name, c.header);
        if (c.withData) WriteTextFile(dir + "/" + c.name.substr(0, c.name.size() - 3) + "dat", data);
    }

    Result r = Tool({"import", dir});
    EXPECT_EQ(1, r.status) << r.All();
    EXPECT_NE(std::string::npos, r.out.find("stored 3, updated 0, unchanged 0, skipped 4")) << r.All();
    std::vector<std::string> errors = Lines(r.err);
    ASSERT_EQ(5u, errors.size()) << r.All();
    size_t next = 0;
    for (const Case& c : cases) {
        if (c.report.empty()) continue;
        EXPECT_EQ(0u, errors[next++].find(c.report)) << r.All();
    }
    EXPECT_EQ("davrix: 4 of 7 records skipped (reasons above)", errors[4]);

    Result list = Tool({"fault", "list", "--csv"});
    EXPECT_NE(std::string::npos, list.out.find(",a_good.cfg,")) << list.out;
    EXPECT_NE(std::string::npos, list.out.find(",\"f_it's, \"\"quoted\"\".cfg\",")) << list.out;
    EXPECT_NE(std::string::npos, list.out.find(",sub/g_good.cfg,")) << list.out;
    EXPECT_EQ(4u, CountLines(list.out));

    Result again = Tool({"import", dir});
    EXPECT_NE(std::string::npos, again.out.find("stored 0, updated 0, unchanged 3, skipped 4")) << again.All();
    RunCommand("rm -rf " + Quote(dir));
}

TEST_P(Station, DeviceAddShowSetRemove) {
    Init();
    Result added = Tool({"device", "add", "--name", "一号录波器", "--ip", "1.2.3.4", "--station", "东郊变电站",
                         "--model", "4", "--vmodel", "WGL-9000"});
    ASSERT_EQ(0, added.status) << added.All();
    long nid = NumberAfter(added.out, "added device");
    ASSERT_GT(nid, 0) << added.out;
    std::string key = std::to_string(nid);

    Result shown = Tool({"device", "show", key});
    ASSERT_EQ(0, shown.status) << shown.All();
    for (const char* line : {"NNAME    一号录波器", "IP_ADDR  1.2.3.4", "NMODEL   4", "STATION  东郊变电站",
                             "VMODEL   WGL-9000", "OFFICE\n"})
        EXPECT_NE(std::string::npos, shown.out.find(line)) << line << "\n" << shown.out;

    Result set = Tool({"device", "set", key, "--ip", "5.6.7.8", "--office", "调度中心"});
    ASSERT_EQ(0, set.status) << set.All();
    shown = Tool({"device", "show", key});
    EXPECT_NE(std::string::npos, shown.out.find("IP_ADDR  5.6.7.8")) << shown.out;
    EXPECT_NE(std::string::npos, shown.out.find("OFFICE   调度中心")) << shown.out;
    EXPECT_NE(std::string::npos, shown.out.find("STATION  东郊变电站")) << "other columns keep their values";

    Result twice = Tool({"device", "add", "--name", "一号录波器"});
    EXPECT_EQ(1, twice.status);
    EXPECT_EQ("davrix: a device named '一号录波器' exists already (NID " + key + ")\n", twice.err);

    // Quotes and commas in a name: the filters double the quotes, CSV quotes the field.
    const std::string odd = "O'Brien's, \"x\"";
    Result quoted = Tool({"device", "add", "--name", odd});
    ASSERT_EQ(0, quoted.status) << quoted.All();
    EXPECT_EQ(1, Tool({"device", "add", "--name", odd}).status) << "found again by its name";
    Result csv = Tool({"device", "list", "--csv"});
    EXPECT_NE(std::string::npos, csv.out.find(",\"O'Brien's, \"\"x\"\"\",")) << csv.out;

    Result removed = Tool({"device", "remove", key});
    ASSERT_EQ(0, removed.status) << removed.All();
    Result gone = Tool({"device", "show", key});
    EXPECT_EQ(1, gone.status);
    EXPECT_EQ("davrix: device " + key + ": 查询数据库失败：没有指定的记录。\n", gone.err)
        << "the module's own text, converted from GBK";
}

TEST_P(Station, DeviceWithRecordsIsKeptUnlessForced) {
    Init();
    ASSERT_EQ(0, Tool({"import", SamplesDir()}).status);
    auto devices = CsvRows(Tool({"device", "list", "--csv"}).out);
    std::string key = devices[1][0];
    Result refused = Tool({"device", "remove", key});
    EXPECT_EQ(1, refused.status);
    EXPECT_NE(std::string::npos, refused.err.find("has fault records")) << refused.All();
    EXPECT_EQ(0, Tool({"device", "remove", key, "--force"}).status);
    EXPECT_EQ(6u, CountLines(Tool({"fault", "list"}).out)) << "the records stay";
}

TEST_P(Station, FaultShowAndRemove) {
    Init();
    ASSERT_EQ(0, Tool({"import", SamplesDir()}).status);
    auto rows = CsvRows(Tool({"fault", "list", "--csv"}).out);
    std::string sid = rows[1][0];

    Result shown = Tool({"fault", "show", sid});
    ASSERT_EQ(0, shown.status) << shown.All();
    for (const char* line : {"FTIME     2023-07-14 09:26:53\n", "FMS       125\n", "NNAME     FR-01\n",
                             "FFILE     DJ220_FR01_20230714_092653.cfg\n", "FDESCR    东郊220kV变电站\n"})
        EXPECT_NE(std::string::npos, shown.out.find(line)) << line << shown.out;

    Result removed = Tool({"fault", "remove", sid});
    ASSERT_EQ(0, removed.status) << removed.All();
    EXPECT_EQ(5u, CountLines(Tool({"fault", "list", "--csv"}).out));
    Result gone = Tool({"fault", "show", sid});
    EXPECT_EQ(1, gone.status);
    EXPECT_EQ("davrix: fault " + sid + ": 查询数据库失败：没有指定的记录。\n", gone.err);
    EXPECT_EQ(1, Tool({"fault", "remove", sid}).status);
}

TEST_P(Station, RunLogAndAutoSend) {
    Init();
    ASSERT_EQ(0, Tool({"import", SamplesDir()}).status);
    auto devices = CsvRows(Tool({"device", "list", "--csv"}).out);
    std::string nid = devices[1][0];

    Result added = Tool({"runlog", "add", "--device", nid, "--text", "通道自检完成, \"正常\"", "--flag", "2", "--time",
                         "2024-03-01 08:00:00"});
    ASSERT_EQ(0, added.status) << added.All();
    ASSERT_EQ(0, Tool({"runlog", "add", "--text", "station started"}).status) << "the time defaults to now";
    Result log = Tool({"runlog", "list", "--csv"});
    ASSERT_EQ(0, log.status) << log.All();
    EXPECT_NE(std::string::npos,
              log.out.find(",2024-03-01 08:00:00," + nid + ",FR-01,2,\"通道自检完成, \"\"正常\"\"\"\n"))
        << log.out;
    EXPECT_NE(std::string::npos, log.out.find(",station started\n")) << log.out;
    EXPECT_EQ(1, Tool({"runlog", "add", "--device", "999999", "--text", "x"}).status) << "no such device";
    EXPECT_EQ(2, Tool({"runlog", "add", "--text", "x", "--time", "yesterday"}).status);

    auto faults = CsvRows(Tool({"fault", "list", "--csv"}).out);
    Result queued = Tool({"autosend", "add", faults[3][0]});
    ASSERT_EQ(0, queued.status) << queued.All();
    auto sent = CsvRows(Tool({"autosend", "list", "--csv"}).out);
    ASSERT_EQ(2u, sent.size());
    EXPECT_EQ(faults[3][0], sent[1][1]);
    EXPECT_EQ("2023-09-05 06:15:03.007", sent[1][2]);
    EXPECT_EQ("FR-02", sent[1][4]);
    EXPECT_EQ("XS110_FR02_20230905_061502.cfg", sent[1][5]);
    Result missing = Tool({"autosend", "add", "999999"});
    EXPECT_EQ(1, missing.status);
    EXPECT_NE(std::string::npos, missing.err.find("没有指定的记录")) << missing.All();
}

TEST_P(Station, Units) {
    Init();
    long nid = NumberAfter(Tool({"device", "add", "--name", "FR-01"}).out, "added device");
    ASSERT_GT(nid, 0);
    Result added = Tool({"unit", "add", "--device", std::to_string(nid), "--name", "A相开关"});
    ASSERT_EQ(0, added.status) << added.All();
    std::string sid = std::to_string(NumberAfter(added.out, "added unit"));
    EXPECT_EQ(0, Tool({"unit", "set", sid, "--name", "B相开关"}).status);
    Result list = Tool({"unit", "list", "--device", std::to_string(nid)});
    EXPECT_NE(std::string::npos, list.out.find("B相开关")) << list.out;
    EXPECT_EQ(1, Tool({"unit", "add", "--device", "999999", "--name", "x"}).status);
    EXPECT_EQ(0, Tool({"unit", "remove", sid}).status);
    EXPECT_EQ(1u, CountLines(Tool({"unit", "list"}).out));
}

TEST_P(Station, ListingsShowChineseByLocale) {
    Init();
    ASSERT_EQ(0, Tool({"device", "add", "--name", "一号录波器", "--ip", "1.2.3.4", "--station", "东郊变电站"}).status);
    ASSERT_EQ(0, Tool({"device", "add", "--name", "FR-9", "--model", "12"}).status);
    Result utf8 = Tool({"device", "list"}, "C.UTF-8");
    ASSERT_EQ(0, utf8.status) << utf8.All();
    EXPECT_EQ(
        "NID  NNAME       NMODEL  IP_ADDR  OFFICE  STATION\n"
        "  1  一号录波器       0  1.2.3.4          东郊变电站\n"
        "  2  FR-9            12\n",
        utf8.out);
    Result plain = Tool({"device", "list"}, "C");
    ASSERT_EQ(0, plain.status) << plain.All();
    EXPECT_EQ(
        "NID  NNAME  NMODEL  IP_ADDR  OFFICE  STATION\n"
        "  1  ?????       0  1.2.3.4          ?????\n"
        "  2  FR-9       12\n",
        plain.out);
}

INSTANTIATE_TEST_SUITE_P(Backends, Station, ::testing::ValuesIn(AllBackends()), BackendParamName());

// ---- without a database ----

TEST(DavrixProgram, PasswordRoundTrip) {
    const std::string passwords[] = {"secret", "", "密码123", std::string(63, 'x'), "with space"};
    for (const std::string& p : passwords) {
        Result scrambled = RunTool({"password", "scramble", p});
        ASSERT_EQ(0, scrambled.status) << p << scrambled.All();
        std::string hex = scrambled.out.substr(0, scrambled.out.size() - 1);
        EXPECT_EQ(std::string::npos, hex.find_first_not_of("0123456789abcdef")) << hex;
        EXPECT_NE(p, hex);
        Result plain = RunTool({"password", "unscramble", hex});
        ASSERT_EQ(0, plain.status) << plain.All();
        EXPECT_EQ(p + "\n", plain.out);
    }
    Result tooLong = RunTool({"password", "scramble", std::string(64, 'x')});
    EXPECT_EQ(1, tooLong.status);
    EXPECT_EQ(1u, CountLines(tooLong.err)) << tooLong.err;
    EXPECT_EQ(2, RunTool({"password", "unscramble", "xyz"}).status);
    EXPECT_EQ(2, RunTool({"password", "unscramble", "zz"}).status);
}

TEST(DavrixProgram, DataSourceFunctionsWorkOnTheStationFolder) {
    std::string dir = MakeTempDir("dsn");
    ASSERT_EQ(0, RunTool({"--dir", dir, "init"}).status);
    // The Access driver, served by the SQLite library, as on a station with that driver.
    std::ofstream(dir + "/odbcinst.ini", std::ios::app)
        << "\n[Microsoft Access Driver (*.mdb)]\nDriver=" << davrix::OdbcConfig::DriverDir() << "/libsqlite3odbc.so\n";

    const std::string name = "AccessStation";
    auto dsn = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--dir", dir, "dsn"});
        return RunTool(args);
    };
    EXPECT_EQ(0, dsn({"exists", "DAVRIX"}).status);
    Result absent = dsn({"exists", name});
    EXPECT_EQ(1, absent.status);
    EXPECT_EQ(1u, CountLines(absent.err)) << absent.err;

    Result created = dsn({"create-access", name, "/data/station.mdb", "--description", "fault records"});
    ASSERT_EQ(0, created.status) << created.All();
    EXPECT_EQ(0, dsn({"exists", name}).status);
    std::string sources = ReadTextFile(dir + "/odbc.ini");
    EXPECT_NE(std::string::npos, sources.find("[" + name + "]")) << sources;
    EXPECT_NE(std::string::npos, sources.find("DBQ=/data/station.mdb")) << sources;
    EXPECT_EQ(std::string::npos, ReadTextFile(ConfigDir() + "/odbc.ini").find(name))
        << "the test's own folder untouched";
    EXPECT_EQ(1, dsn({"create-access", "Bad?Name", "/p.mdb"}).status);

    EXPECT_EQ(1, dsn({"remove", name, "No Such Driver"}).status);
    Result removed = dsn({"remove", name, "Microsoft Access Driver (*.mdb)"});
    EXPECT_EQ(0, removed.status) << removed.All();
    EXPECT_EQ(1, dsn({"exists", name}).status);
    RunCommand("rm -rf " + Quote(dir));
}

TEST(DavrixProgram, FolderComesFromDirThenOdbcsysiniThenXdg) {
    std::string home = MakeTempDir("home");
    Result init = RunTool({"init"}, "C.UTF-8", "-u ODBCSYSINI XDG_DATA_HOME=" + Quote(home));
    ASSERT_EQ(0, init.status) << init.All();
    std::string folder = home + "/davrix";
    EXPECT_NE(std::string::npos, ReadTextFile(folder + "/odbc.ini").find("[DAVRIX]"));
    EXPECT_EQ(
        0,
        RunTool({"device", "add", "--name", "FR-X"}, "C.UTF-8", "-u ODBCSYSINI XDG_DATA_HOME=" + Quote(home)).status);
    Result viaEnv = RunTool({"device", "list", "--csv"}, "C.UTF-8", "ODBCSYSINI=" + Quote(folder));
    EXPECT_NE(std::string::npos, viaEnv.out.find("FR-X")) << viaEnv.All();
    Result viaDir = RunTool({"--dir", folder, "device", "list", "--csv"}, "C.UTF-8", "ODBCSYSINI=/nonexistent");
    EXPECT_NE(std::string::npos, viaDir.out.find("FR-X")) << "--dir wins\n" << viaDir.All();
    RunCommand("rm -rf " + Quote(home));
}

TEST(DavrixProgram, FailuresExitNonZeroWithOneLine) {
    std::string dir = MakeTempDir("errors");
    ASSERT_EQ(0, RunTool({"--dir", dir, "init"}).status);
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{}, 2, "no command given"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"device"}, 2, "'device' needs a command"},
        {{"device", "lisst"}, 2, "unknown command 'device lisst'"},
        {{"device", "list", "--bogus"}, 2, "unknown option --bogus for 'device list'"},
        {{"device", "show"}, 2, "missing operand"},
        {{"device", "show", "1", "2"}, 2, "too many operands"},
        {{"device", "show", "abc"}, 2, "'abc' is not a whole number"},
        {{"device", "show", "99999999999"}, 2, "not a whole number"},
        {{"device", "add", "--name"}, 2, "--name needs a value"},
        {{"device", "add", "--model", "7"}, 2, "needs --name"},
        {{"device", "add", "--name", "x", "--model", "seven"}, 2, "--model: 'seven' is not a whole number"},
        {{"device", "add", "--name", std::string(256, 'n')}, 2, "longer than the 255"},
        {{"device", "add", "--name", "\xF0\x9F\x98\x80"}, 2, "no GBK form"},
        {{"device", "set", "1"}, 1, "device 1:"},
        {{"import", dir + "/missing"}, 1, "cannot read folder"},
        {{"init", "--postgres", "Servername=x;Bogus=1"}, 2, "'Bogus=1' is not one of"},
        {{"init", "--sqlite", "a.db", "--postgres", "Servername=x"}, 2, "not both"},
        {{"--dir", dir + "/none", "device", "list"}, 1, "run 'davrix init' first"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        bool hasDir = false;
        for (const std::string& a : args) hasDir = hasDir || a == "--dir";
        if (!hasDir) args.insert(args.begin(), {"--dir", dir});
        Result r = RunTool(args);
        std::string what = args.size() > 2 ? args[2] : "";
        EXPECT_EQ(c.status, r.status) << what << r.All();
        EXPECT_EQ(1u, CountLines(r.err)) << what << r.All();
        EXPECT_EQ(0u, r.err.find("davrix: ")) << r.All();
        EXPECT_NE(std::string::npos, r.err.find(c.message)) << r.All();
    }
    RunCommand("rm -rf " + Quote(dir));
}

TEST(DavrixProgram, HelpOnEveryCommand) {
    Result top = RunTool({"--help"});
    ASSERT_EQ(0, top.status) << top.All();
    for (const davrix::tool::CommandInfo& c : davrix::tool::AllCommands()) {
        EXPECT_NE(std::string::npos, top.out.find("  " + c.words)) << c.words;
        std::vector<std::string> args;
        std::istringstream words(c.words);
        for (std::string w; words >> w;) args.push_back(w);
        args.push_back("--help");
        Result r = RunTool(args);
        EXPECT_EQ(0, r.status) << c.words << r.All();
        EXPECT_EQ(0u, r.out.find("usage: davrix [--dir DIR] " + c.words)) << r.out;
        for (const davrix::tool::OptionInfo& o : c.options)
            EXPECT_NE(std::string::npos, r.out.find("--" + o.name)) << c.words << " --" << o.name;
        EXPECT_NE(std::string::npos, r.out.find("--dir DIR")) << c.words;
        EXPECT_EQ("", r.err);
    }
    Result group = RunTool({"device", "--help"});
    EXPECT_EQ(0, group.status);
    EXPECT_NE(std::string::npos, group.out.find("device remove NID")) << group.out;
}

}  // namespace
