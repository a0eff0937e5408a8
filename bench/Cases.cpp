// The benchmark cases, one table per database kind plus the file transfers. Each case
// pairs the module's operation with a hand-written reference doing the same logical work:
// same rows, same driver and data source, one persistent connection, prepared statements.
#include "Bench.h"
#include "RawOdbc.h"

#include <davrixdb/data/CData.h>
#include <davrixdb/recordset/CDadRecordset.h>
#include <davrixdb/tables/CTblFault.h>
#include <davrixdb/tables/CTblRunLog.h>
#include <davrixdb/views/CVwFaultEx.h>
#include <davrixfw/CDatabase.h>
#include <davrixfw/CRecordset.h>

#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace bench {

namespace {

// A text as the station holds it: UTF-8 in the database, GBK in the module's callers.
struct Text {
    std::string utf8, gbk;
};
Text MakeText(const char* utf8) { return {utf8, Gbk(utf8)}; }

const Text& FaultDescr() {
    static const Text t = MakeText("线路B相接地故障");
    return t;
}
const Text& FaultArea() {
    static const Text t = MakeText("区域9");
    return t;
}
const Text& FaultSummary() {
    static const Text t = MakeText("重合成功");
    return t;
}
const Text& RunLogDescr() {
    static const Text t = MakeText("定值修改");
    return t;
}

TIMESTAMP_STRUCT Stamp(int k) {
    TIMESTAMP_STRUCT ts{};
    ts.year = 2024;
    ts.month = 6;
    ts.day = 1;
    ts.hour = (SQLUSMALLINT)(k / 3600 % 24);
    ts.minute = (SQLUSMALLINT)(k / 60 % 60);
    ts.second = (SQLUSMALLINT)(k % 60);
    ts.fraction = 250000000;  // 250 ms: both databases keep milliseconds
    return ts;
}

// An existing fault's key, spread over the table.
int ExistingSid(int k) { return 1 + (int)((long long)k * 7919 % kFaults); }

// The k-th fault a side saves: an even k names an existing file, an odd k a new one.
struct FaultValues {
    int k;
    std::string ffile;  // ASCII
};

FaultValues NextFault(char side, int& counter) {
    int k = counter++;
    char name[64];
    // New names carry the process id: a rerun on the same database inserts again.
    if (k % 2 == 0)
        snprintf(name, sizeof name, "F%07d.cfg", ExistingSid(k));
    else
        snprintf(name, sizeof name, "N%c%d-%07d.cfg", side, (int)getpid(), k);
    return {k, name};
}

// Turns a stand-in exception into a failed case: a benchmark must not time failures.
template <class F>
void Guard(const char* what, F fn) {
    try {
        fn();
    } catch (CException* e) {
        char msg[512] = "";
        e->GetErrorMessage(msg, sizeof msg);
        e->Delete();
        Die(std::string(what) + ": " + msg);
    }
}

// ---- the module's side ----
// The operations of both sides are never inlined, so that profiles can name them.

[[gnu::noinline]] void ModuleSaveFault(const FaultValues& v) {
    CTblFault f;
    f.m_valNID = 1 + v.k % kDevices;
    f.m_valFAN = v.k % 8;
    f.m_valFTIME = Stamp(v.k);
    f.m_valFMS = v.k % 1000;
    f.m_valFTYPE = 2;
    f.m_valFJMP = 1;
    f.m_valFPOS = 12.5;
    f.m_valFFILE = v.ffile.c_str();
    f.m_valFCODE = 7;
    f.m_valFSIZE = 4096 + v.k;
    f.m_valFDESCR = FaultDescr().gbk.c_str();
    f.m_valFAREA = FaultArea().gbk.c_str();
    f.m_valFREALPOS = 12.25;
    f.m_valFAVFLAG = 1;
    f.m_valSUMMARY = FaultSummary().gbk.c_str();
    if (!f.Save()) Die("CTblFault::Save " + v.ffile + ": " + (LPCSTR)f.GetError());
}

[[gnu::noinline]] void ModuleGetRecord(int sid) {
    CTblFault f;
    if (!f.GetRecord(sid)) Die("CTblFault::GetRecord: " + std::string((LPCSTR)f.GetError()));
    if (f.m_valSID != sid) Die("CTblFault::GetRecord loaded another row");
}

[[gnu::noinline]] long ModuleReadView() {
    CVwFaultEx v;
    if (!v.QueryData(0, 0)) Die("CVwFaultEx::QueryData: " + std::string((LPCSTR)v.GetError()));
    long rows = 0;
    Guard("CVwFaultEx::MoveNext", [&] {
        while (!v.IsEOF()) {
            rows += v.m_SID > 0;
            v.MoveNext();
        }
    });
    return rows;
}

[[gnu::noinline]] void ModuleSaveRunLog(int k) {
    CTblRunLog r;
    r.m_valNID = 1 + k % kDevices;
    r.m_valFLAG = k % 3;
    r.m_valDESCR = RunLogDescr().gbk.c_str();
    r.m_valSTIME = Stamp(k);
    if (!r.Save()) Die("CTblRunLog::Save: " + std::string((LPCSTR)r.GetError()));
}

// The stand-in record set over the run-log table, without the module around it.
class RunLogSet : public CRecordset {
public:
    explicit RunLogSet(CDatabase* db) : CRecordset(db) { m_nFields = 5; }
    LONG m_SID = 0, m_NID = 0, m_FLAG = 0;
    CString m_DESCR;
    TIMESTAMP_STRUCT m_STIME{};
    CString GetDefaultSQL() override { return "[TABLE_RUNLOG]"; }
    void DoFieldExchange(CFieldExchange* pFX) override {
        pFX->SetFieldType(CFieldExchange::outputColumn);
        RFX_Long(pFX, "[SID]", m_SID);
        RFX_Long(pFX, "[NID]", m_NID);
        RFX_Long(pFX, "[FLAG]", m_FLAG);
        RFX_Text(pFX, "[DESCR]", m_DESCR);
        RFX_Date(pFX, "[STIME]", m_STIME);
    }
};

[[gnu::noinline]] void StandInAddRow(CDatabase& db, int k) {
    Guard("CRecordset open and add", [&] {
        RunLogSet rs(&db);
        rs.Open();
        rs.AddNew();
        rs.m_NID = 1 + k % kDevices;
        rs.m_FLAG = k % 3;
        rs.m_DESCR = RunLogDescr().gbk.c_str();
        rs.m_STIME = Stamp(k);
        if (!rs.Update()) Die("CRecordset::Update wrote nothing");
        rs.Close();
    });
}

// ---- the hand-written side ----

// The 15 written columns of a fault, in one order for both statements.
const char* const kFaultWritten[] = {"NID",  "FAN",   "FTIME",  "FMS",   "FTYPE",    "FJMP",    "FPOS",   "FFILE",
                                     "FCODE", "FSIZE", "FDESCR", "FAREA", "FREALPOS", "FAVFLAG", "SUMMARY"};

struct FaultBuffers {
    SQLINTEGER sid = 0, nid = 0, fan = 0, fms = 0, ftype = 0, fjmp = 0, fcode = 0, fsize = 0, favflag = 0;
    TIMESTAMP_STRUCT ftime{};
    double fpos = 0, frealpos = 0;
    char ffile[1024] = "", fdescr[1024] = "", farea[1024] = "", summary[1024] = "";
    SQLLEN ffileLen = 0, fdescrLen = 0, fareaLen = 0, summaryLen = 0;

    void SetText(char* dst, SQLLEN& len, const std::string& s) {
        memcpy(dst, s.data(), s.size());
        dst[s.size()] = '\0';
        len = (SQLLEN)s.size();
    }
    void Load(const FaultValues& v) {
        nid = 1 + v.k % kDevices;
        fan = v.k % 8;
        ftime = Stamp(v.k);
        fms = v.k % 1000;
        ftype = 2;
        fjmp = 1;
        fpos = 12.5;
        SetText(ffile, ffileLen, v.ffile);
        fcode = 7;
        fsize = 4096 + v.k;
        SetText(fdescr, fdescrLen, FaultDescr().utf8);
        SetText(farea, fareaLen, FaultArea().utf8);
        frealpos = 12.25;
        favflag = 1;
        SetText(summary, summaryLen, FaultSummary().utf8);
    }
    // Parameters first..first+14 in kFaultWritten order.
    void BindWritten(Statement& st, SQLUSMALLINT first) {
        SQLUSMALLINT n = first;
        st.ParamLong(n++, &nid);
        st.ParamLong(n++, &fan);
        st.ParamTimestamp(n++, &ftime);
        st.ParamLong(n++, &fms);
        st.ParamLong(n++, &ftype);
        st.ParamLong(n++, &fjmp);
        st.ParamDouble(n++, &fpos);
        st.ParamText(n++, ffile, sizeof ffile, &ffileLen);
        st.ParamLong(n++, &fcode);
        st.ParamLong(n++, &fsize);
        st.ParamText(n++, fdescr, sizeof fdescr, &fdescrLen);
        st.ParamText(n++, farea, sizeof farea, &fareaLen);
        st.ParamDouble(n++, &frealpos);
        st.ParamLong(n++, &favflag);
        st.ParamText(n++, summary, sizeof summary, &summaryLen);
    }
};

std::string FaultUpdateSql() {
    std::string sql = "UPDATE \"TABLE_FAULT\" SET ";
    for (const char* c : kFaultWritten) sql += std::string(sql.back() == ' ' ? "" : ",") + "\"" + c + "\"=?";
    return sql + " WHERE \"SID\"=?";
}

std::string FaultInsertSql() {
    std::string cols, marks;
    for (const char* c : kFaultWritten) {
        cols += std::string(cols.empty() ? "" : ",") + "\"" + c + "\"";
        marks += marks.empty() ? "?" : ",?";
    }
    return "INSERT INTO \"TABLE_FAULT\" (" + cols + ") VALUES (" + marks + ")";
}

// Insert-or-update by file name, the way one would write it by hand.
class RawFaultSave {
public:
    explicit RawFaultSave(Connection& db)
        : m_select(db, "SELECT \"SID\" FROM \"TABLE_FAULT\" WHERE \"FFILE\"=?"),
          m_update(db, FaultUpdateSql()),
          m_insert(db, FaultInsertSql()) {
        m_select.ParamText(1, m_b.ffile, sizeof m_b.ffile, &m_b.ffileLen);
        m_select.ColLong(1, &m_found, &m_foundInd);
        m_b.BindWritten(m_update, 1);
        m_update.ParamLong(16, &m_b.sid);
        m_b.BindWritten(m_insert, 1);
    }
    [[gnu::noinline]] void Save(const FaultValues& v) {
        m_b.Load(v);
        m_select.Execute();
        bool found = m_select.Fetch();
        m_select.CloseCursor();
        if (found) {
            m_b.sid = m_found;
            m_update.Execute();
        } else {
            m_insert.Execute();
        }
    }

private:
    FaultBuffers m_b;
    SQLINTEGER m_found = 0;
    SQLLEN m_foundInd = 0;
    Statement m_select, m_update, m_insert;
};

// The 16 columns of a fault by key.
class RawFaultGet {
public:
    explicit RawFaultGet(Connection& db)
        : m_select(db, "SELECT \"SID\",\"NID\",\"FAN\",\"FTIME\",\"FMS\",\"FTYPE\",\"FJMP\",\"FPOS\",\"FFILE\",\"FCODE\","
                       "\"FSIZE\",\"FDESCR\",\"FAREA\",\"FREALPOS\",\"FAVFLAG\",\"SUMMARY\" FROM \"TABLE_FAULT\" "
                       "WHERE \"SID\"=?") {
        m_select.ParamLong(1, &m_key);
        SQLUSMALLINT n = 1;
        m_select.ColLong(n++, &m_b.sid, &m_ind[0]);
        m_select.ColLong(n++, &m_b.nid, &m_ind[1]);
        m_select.ColLong(n++, &m_b.fan, &m_ind[2]);
        m_select.ColTimestamp(n++, &m_b.ftime, &m_ind[3]);
        m_select.ColLong(n++, &m_b.fms, &m_ind[4]);
        m_select.ColLong(n++, &m_b.ftype, &m_ind[5]);
        m_select.ColLong(n++, &m_b.fjmp, &m_ind[6]);
        m_select.ColDouble(n++, &m_b.fpos, &m_ind[7]);
        m_select.ColText(n++, m_b.ffile, sizeof m_b.ffile, &m_ind[8]);
        m_select.ColLong(n++, &m_b.fcode, &m_ind[9]);
        m_select.ColLong(n++, &m_b.fsize, &m_ind[10]);
        m_select.ColText(n++, m_b.fdescr, sizeof m_b.fdescr, &m_ind[11]);
        m_select.ColText(n++, m_b.farea, sizeof m_b.farea, &m_ind[12]);
        m_select.ColDouble(n++, &m_b.frealpos, &m_ind[13]);
        m_select.ColLong(n++, &m_b.favflag, &m_ind[14]);
        m_select.ColText(n++, m_b.summary, sizeof m_b.summary, &m_ind[15]);
    }
    [[gnu::noinline]] void Get(int sid) {
        m_key = sid;
        m_select.Execute();
        if (!m_select.Fetch()) Die("raw SELECT by key found no row");
        m_select.CloseCursor();
        if (m_b.sid != sid) Die("raw SELECT by key loaded another row");
    }

private:
    SQLINTEGER m_key = 0;
    FaultBuffers m_b;
    SQLLEN m_ind[16] = {};
    Statement m_select;
};

// The 20 columns of the fault view, fetched to the end into bound buffers.
class RawViewRead {
public:
    explicit RawViewRead(Connection& db)
        : m_select(db, "SELECT \"SID\",\"NID\",\"NMODEL\",\"NNAME\",\"FAN\",\"FTIME\",\"FMS\",\"FTYPE\",\"FJMP\",\"FPOS\","
                       "\"FAREA\",\"FFILE\",\"FCODE\",\"FSIZE\",\"FDESCR\",\"FREALPOS\",\"FAVFLAG\",\"SUMMARY\","
                       "\"OFFICE\",\"STATION\" FROM \"VIEW_FAULT\"") {
        SQLUSMALLINT n = 1;
        auto l = [&](SQLINTEGER* p) { m_select.ColLong(n, p, &m_ind[n - 1]), ++n; };
        auto d = [&](double* p) { m_select.ColDouble(n, p, &m_ind[n - 1]), ++n; };
        auto t = [&](char* p) { m_select.ColText(n, p, kText, &m_ind[n - 1]), ++n; };
        l(&m_l[0]);   // SID
        l(&m_l[1]);   // NID
        l(&m_l[2]);   // NMODEL
        t(m_t[0]);    // NNAME
        l(&m_l[3]);   // FAN
        m_select.ColTimestamp(n, &m_ts, &m_ind[n - 1]), ++n;
        l(&m_l[4]);   // FMS
        l(&m_l[5]);   // FTYPE
        l(&m_l[6]);   // FJMP
        d(&m_d[0]);   // FPOS
        t(m_t[1]);    // FAREA
        t(m_t[2]);    // FFILE
        l(&m_l[7]);   // FCODE
        l(&m_l[8]);   // FSIZE
        t(m_t[3]);    // FDESCR
        d(&m_d[1]);   // FREALPOS
        l(&m_l[9]);   // FAVFLAG
        t(m_t[4]);    // SUMMARY
        t(m_t[5]);    // OFFICE
        t(m_t[6]);    // STATION
    }
    [[gnu::noinline]] long Read() {
        m_select.Execute();
        long rows = 0;
        while (m_select.Fetch()) rows += m_l[0] > 0;
        m_select.CloseCursor();
        return rows;
    }

private:
    static constexpr SQLLEN kText = 1024;
    SQLINTEGER m_l[10] = {};
    double m_d[2] = {};
    TIMESTAMP_STRUCT m_ts{};
    char m_t[7][kText] = {};
    SQLLEN m_ind[20] = {};
    Statement m_select;
};

class RawRunLogInsert {
public:
    explicit RawRunLogInsert(Connection& db)
        : m_insert(db, "INSERT INTO \"TABLE_RUNLOG\" (\"NID\",\"FLAG\",\"DESCR\",\"STIME\") VALUES (?,?,?,?)") {
        m_insert.ParamLong(1, &m_nid);
        m_insert.ParamLong(2, &m_flag);
        m_insert.ParamText(3, m_descr, sizeof m_descr, &m_descrLen);
        m_insert.ParamTimestamp(4, &m_stime);
        const std::string& s = RunLogDescr().utf8;
        memcpy(m_descr, s.c_str(), s.size() + 1);
        m_descrLen = (SQLLEN)s.size();
    }
    [[gnu::noinline]] void Insert(int k) {
        m_nid = 1 + k % kDevices;
        m_flag = k % 3;
        m_stime = Stamp(k);
        m_insert.Execute();
    }

private:
    SQLINTEGER m_nid = 0, m_flag = 0;
    char m_descr[256] = "";
    SQLLEN m_descrLen = 0;
    TIMESTAMP_STRUCT m_stime{};
    Statement m_insert;
};

// ---- shared state of one database kind's cases ----

struct DbState {
    Backend b;
    std::unique_ptr<Connection> raw, rawEmpty;  // the baselines' persistent connections
    std::unique_ptr<RawFaultSave> faultSave;
    std::unique_ptr<RawFaultGet> faultGet;
    std::unique_ptr<RawViewRead> viewRead;
    std::unique_ptr<RawRunLogInsert> runLogInsert, runLogInsertEmpty;
    std::unique_ptr<CDatabase> standIn, standInEmpty;  // the stand-in's persistent connections
    int moduleSaves = 0, rawSaves = 0, moduleGets = 0, rawGets = 0, runLogK = 0;

    void UseModule(const std::string& dsn) { CDadRecordset::SetConnectionParam(dsn.c_str(), "", ""); }
    void EmptyRunLog() { rawEmpty->Exec("DELETE FROM \"TABLE_RUNLOG\""); }
};

long long NewFaultCount(Connection& db, char side) {
    return db.Scalar(std::string("SELECT COUNT(*) FROM \"TABLE_FAULT\" WHERE \"FFILE\" LIKE 'N") + side +
                     std::to_string((int)getpid()) + "-%'");
}

}  // namespace

std::vector<Case> DatabaseCases(const Backend& b) {
    auto s = std::make_shared<DbState>();
    s->b = b;
    s->raw.reset(new Connection("DSN=" + b.dsn));
    s->rawEmpty.reset(new Connection("DSN=" + b.emptyDsn));
    s->faultSave.reset(new RawFaultSave(*s->raw));
    s->faultGet.reset(new RawFaultGet(*s->raw));
    s->viewRead.reset(new RawViewRead(*s->raw));
    s->runLogInsert.reset(new RawRunLogInsert(*s->raw));
    s->runLogInsertEmpty.reset(new RawRunLogInsert(*s->rawEmpty));
    Guard("CDatabase::OpenEx", [&] {
        s->standIn.reset(new CDatabase);
        s->standIn->OpenEx(("DSN=" + b.dsn).c_str(), CDatabase::noOdbcDialog);
        s->standInEmpty.reset(new CDatabase);
        s->standInEmpty->OpenEx(("DSN=" + b.emptyDsn).c_str(), CDatabase::noOdbcDialog);
    });
    if (s->raw->Scalar("SELECT COUNT(*) FROM \"TABLE_RUNLOG\"") < kRunLogRows) Die("run `davrix_bench setup` first");
    // Tells the reference's statements from the module's in the server's log (profile.sh).
    if (b.postgres) fprintf(stderr, "  reference backend pid %lld\n", s->raw->Scalar("SELECT pg_backend_pid()"));

    const bool pg = b.postgres;
    auto onBig = [s] { s->UseModule(s->b.dsn); };
    auto onEmpty = [s] {
        s->UseModule(s->b.emptyDsn);
        s->EmptyRunLog();
    };
    auto rawEmptyPrepare = [s] { s->EmptyRunLog(); };
    auto moduleRunLog = [s](int ops) {
        for (int i = 0; i < ops; ++i) ModuleSaveRunLog(s->runLogK++);
    };
    auto standIn = [s](CDatabase& db) {
        return [s, &db](int ops) {
            for (int i = 0; i < ops; ++i) StandInAddRow(db, s->runLogK++);
        };
    };
    const std::string raw1 = "raw: one connection, prepared";
    // Timed runs per side; the medians of these are reported. A run holds many operations
    // so that periodic costs (SQLite's WAL checkpoints) fall into every run alike.
    const int kRuns = 11, kViewRuns = 7, kWriteOps = 300;

    std::vector<Case> cases;
    cases.push_back({b.name, "3. Read VIEW_FAULT, 100,000 rows: CVwFaultEx QueryData(0,0) + MoveNext to EOF",
                     Metric::Time, 1.3, kViewRuns, 1, 0,
                     {"module", [s](int ops) {
                          for (int i = 0; i < ops; ++i)
                              if (ModuleReadView() < kFaults) Die("CVwFaultEx read too few rows");
                      }, onBig},
                     {raw1 + " SELECT of the 20 columns, SQLBindCol, SQLFetch to the end", [s](int ops) {
                          for (int i = 0; i < ops; ++i)
                              if (s->viewRead->Read() < kFaults) Die("raw view read too few rows");
                      }, nullptr},
                     nullptr});
    cases.push_back({b.name, "2. CTblFault::GetRecord by key", Metric::Time, 2.0, kRuns, pg ? 500 : 2000, 0,
                     {"module, a new CTblFault per call", [s](int ops) {
                          for (int i = 0; i < ops; ++i) ModuleGetRecord(ExistingSid(s->moduleGets++));
                      }, onBig},
                     {raw1 + " SELECT of the 16 columns by SID", [s](int ops) {
                          for (int i = 0; i < ops; ++i) s->faultGet->Get(ExistingSid(s->rawGets++));
                      }, nullptr},
                     nullptr});
    cases.push_back({b.name, "1. CTblFault::Save, insert-or-update by FFILE, 100,000 faults, half new names",
                     Metric::Time, 2.0, kRuns, pg ? 300 : 1000, 0,
                     {"module, a new CTblFault per call", [s](int ops) {
                          for (int i = 0; i < ops; ++i) ModuleSaveFault(NextFault('M', s->moduleSaves));
                      }, onBig},
                     {raw1 + " SELECT SID by FFILE, then UPDATE or INSERT", [s](int ops) {
                          for (int i = 0; i < ops; ++i) s->faultSave->Save(NextFault('B', s->rawSaves));
                      }, nullptr},
                     [s] {
                         // Both sides inserted their odd-numbered names once each, and only those.
                         if (NewFaultCount(*s->raw, 'M') != s->moduleSaves / 2 ||
                             NewFaultCount(*s->raw, 'B') != s->rawSaves / 2)
                             Die("fault saves did not insert what they should");
                     }});
    cases.push_back({b.name, "4. CTblRunLog::Save, first Save of a new object: 1,000,000-row table vs empty",
                     Metric::Time, 2.0, kRuns, kWriteOps, 0, {"module on 1M rows", moduleRunLog, onBig},
                     {"module on an empty table", moduleRunLog, onEmpty}, nullptr});
    cases.push_back({b.name, "4b. CTblRunLog::Save (first of a new object) vs raw INSERT, 1,000,000 rows",
                     Metric::Time, 0, kRuns, kWriteOps, 0, {"module on 1M rows", moduleRunLog, onBig},
                     {raw1 + " INSERT on 1M rows", [s](int ops) {
                          for (int i = 0; i < ops; ++i) s->runLogInsert->Insert(s->runLogK++);
                      }, nullptr},
                     nullptr});
    cases.push_back({b.name, "4c. raw prepared INSERT into the run log: 1,000,000 rows vs empty", Metric::Time, 0, kRuns,
                     kWriteOps, 0,
                     {"raw INSERT on 1M rows", [s](int ops) {
                          for (int i = 0; i < ops; ++i) s->runLogInsert->Insert(s->runLogK++);
                      }, nullptr},
                     {"raw INSERT on an empty table", [s](int ops) {
                          for (int i = 0; i < ops; ++i) s->runLogInsertEmpty->Insert(s->runLogK++);
                      }, rawEmptyPrepare},
                     nullptr});
    cases.push_back({b.name, "6. Stand-in CRecordset over the run log: Open + AddNew + Update + Close, 1M vs empty",
                     Metric::Time, 2.0, kRuns, kWriteOps, 0, {"stand-in on 1M rows", standIn(*s->standIn), nullptr},
                     {"stand-in on an empty table", standIn(*s->standInEmpty), rawEmptyPrepare}, nullptr});
    cases.push_back({b.name, "6b. Stand-in CRecordset Open + AddNew + Update + Close vs raw INSERT, 1M rows",
                     Metric::Time, 0, kRuns, kWriteOps, 0, {"stand-in on 1M rows", standIn(*s->standIn), nullptr},
                     {raw1 + " INSERT on 1M rows", [s](int ops) {
                          for (int i = 0; i < ops; ++i) s->runLogInsert->Insert(s->runLogK++);
                      }, nullptr},
                     nullptr});
    return cases;
}

// ---- file transfers ----

namespace {

// A buffer of the file's size, touched once so that reusing it costs no page faults.
struct Buffer {
    std::unique_ptr<char[]> p;
    Buffer() : p(new char[kFileBytes]) { memset(p.get(), 1, kFileBytes); }
};

void RawReadInto(const std::string& path, char* dst) {
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) Die("cannot open " + path);
    for (size_t done = 0; done < kFileBytes;) {
        ssize_t got = read(fd, dst + done, kFilePiece);
        if (got <= 0) Die("short read of " + path);
        done += (size_t)got;
    }
    close(fd);
}

void RawWriteFrom(const std::string& path, const char* src) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) Die("cannot create " + path);
    for (size_t done = 0; done < kFileBytes;) {
        ssize_t put = write(fd, src + done, kFilePiece);
        if (put <= 0) Die("short write of " + path);
        done += (size_t)put;
    }
    if (close(fd) != 0) Die("close failed for " + path);
}

void ModuleRead(const std::string& path, CData& d) {
    if (!CDadRecordset::ReadFile(path.c_str(), &d) || d.Length() != kFileBytes) Die("CDadRecordset::ReadFile failed");
}

}  // namespace

std::vector<Case> FileCases(const std::string& workDir) {
    const std::string in = workDir + "/in.bin", outModule = workDir + "/out-module.bin",
                      outRaw = workDir + "/out-raw.bin";
    struct State {
        Buffer src, dst;
        CData reused, toWrite;
    };
    auto s = std::make_shared<State>();
    for (size_t i = 0; i < kFileBytes; i += 4096) s->src.p[i] = (char)(i >> 12);
    RawWriteFrom(in, s->src.p.get());
    if (!s->toWrite.Alloc((DWORD)kFileBytes)) Die("no memory for the write buffer");
    memcpy(s->toWrite.Data(), s->src.p.get(), kFileBytes);

    auto readNew = [in](int ops) {
        for (int i = 0; i < ops; ++i) {
            CData d;
            ModuleRead(in, d);
        }
    };
    auto rawReadNew = [in](int ops) {
        for (int i = 0; i < ops; ++i) {
            std::unique_ptr<char[]> p(new char[kFileBytes]);
            RawReadInto(in, p.get());
        }
    };
    auto memcpyRun = [s](int ops) {
        for (int i = 0; i < ops; ++i) memcpy(s->dst.p.get(), s->src.p.get(), kFileBytes);
    };
    auto unlinkModule = [outModule] { unlink(outModule.c_str()); };
    auto unlinkRaw = [outRaw] { unlink(outRaw.c_str()); };
    auto writeModule = [s, outModule](int ops) {
        for (int i = 0; i < ops; ++i)
            if (!CDadRecordset::WriteFile(outModule.c_str(), &s->toWrite)) Die("CDadRecordset::WriteFile failed");
    };
    const double bytes = (double)kFileBytes;
    const std::string file = "file";
    const std::string readName = "5. CDadRecordset::ReadFile, 256 MiB, page cache warm, into a new CData";

    std::vector<Case> cases;
    cases.push_back({file, readName, Metric::Throughput, 0.8, 7, 1, bytes, {"module", readNew, nullptr},
                     {"raw read() loop, 8192-byte pieces, into a new buffer", rawReadNew, nullptr}, nullptr});
    cases.push_back({file, readName, Metric::Throughput, 0, 7, 1, bytes, {"module", readNew, nullptr},
                     {"cat FILE > /dev/null", [in](int ops) {
                          std::string cmd = "cat '" + in + "' > /dev/null";
                          for (int i = 0; i < ops; ++i)
                              if (system(cmd.c_str()) != 0) Die("cat failed");
                      }, nullptr},
                     nullptr});
    cases.push_back({file, readName, Metric::Throughput, 0, 7, 1, bytes, {"module", readNew, nullptr},
                     {"memcpy of 256 MiB", memcpyRun, nullptr}, nullptr});
    cases.push_back({file, "5. CDadRecordset::ReadFile, 256 MiB, into a CData of that length (reused)",
                     Metric::Throughput, 0.8, 7, 1, bytes,
                     {"module", [s, in](int ops) {
                          for (int i = 0; i < ops; ++i) ModuleRead(in, s->reused);
                      }, nullptr},
                     {"raw read() loop, 8192-byte pieces, into a reused buffer", [s, in](int ops) {
                          for (int i = 0; i < ops; ++i) RawReadInto(in, s->dst.p.get());
                      }, nullptr},
                     nullptr});
    cases.push_back({file, "5. CDadRecordset::WriteFile, 256 MiB to a new file", Metric::Throughput, 0.8, 7, 1, bytes,
                     {"module", writeModule, unlinkModule},
                     {"raw write() loop, 8192-byte pieces", [s, outRaw](int ops) {
                          for (int i = 0; i < ops; ++i) RawWriteFrom(outRaw, s->src.p.get());
                      }, unlinkRaw},
                     nullptr});
    cases.push_back({file, "5. CDadRecordset::WriteFile, 256 MiB to a new file", Metric::Throughput, 0, 7, 1, bytes,
                     {"module", writeModule, unlinkModule}, {"memcpy of 256 MiB", memcpyRun, nullptr},
                     [outModule, outRaw] {
                         unlink(outModule.c_str());
                         unlink(outRaw.c_str());
                     }});
    return cases;
}

}  // namespace bench
