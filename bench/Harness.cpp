#include "Harness.h"

#include "RawOdbc.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace bench {

namespace {

bool g_quick = false;
int g_profileOps = 0;
const double kRunBudget = 1.0;  // seconds per timed run of one side, at most about

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double TimeRun(const Side& s, int ops) {
    if (s.prepare) s.prepare();
    auto t0 = std::chrono::steady_clock::now();
    s.run(ops);
    auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(t1 - t0).count() / ops;
}

std::string Figure(const Result& r, double secondsPerOp) {
    char buf[64];
    if (r.metric == Metric::Throughput)
        snprintf(buf, sizeof buf, "%.0f MiB/s", r.bytesPerOp / secondsPerOp / (1024.0 * 1024.0));
    else if (secondsPerOp < 1e-3)
        snprintf(buf, sizeof buf, "%.1f µs", secondsPerOp * 1e6);
    else if (secondsPerOp < 1.0)
        snprintf(buf, sizeof buf, "%.2f ms", secondsPerOp * 1e3);
    else
        snprintf(buf, sizeof buf, "%.3f s", secondsPerOp);
    return buf;
}

std::string FirstLineWith(const char* path, const char* key) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, strlen(key), key) == 0) {
            size_t colon = line.find(':');
            std::string v = colon == std::string::npos ? line : line.substr(colon + 1);
            v.erase(0, v.find_first_not_of(" \t"));
            return v;
        }
    return "?";
}

}  // namespace

void SetQuick(bool quick) { g_quick = quick; }
void SetProfileOps(int ops) { g_profileOps = ops; }

namespace {

Result MeasureOrThrow(const Case& c) {
    int runs = g_quick || g_profileOps ? 1 : c.runs;
    int ops = g_profileOps ? g_profileOps : g_quick ? std::max(1, c.ops / 20) : c.ops;
    fprintf(stderr, "  %-10s %s ...", c.database.c_str(), c.name.c_str());
    fflush(stderr);
    if (g_profileOps) {
        // Steady state only: first connections and converters stay out of the profile.
        TimeRun(c.a, 1);
        TimeRun(c.b, 1);
    } else if (!g_quick) {
        // One untimed operation of each side (first connections, caches, page cache) also
        // tells how slow a side is: fewer operations per run keep a slow case within
        // budget without fewer runs.
        double slowest = std::max(TimeRun(c.a, 1), TimeRun(c.b, 1));
        ops = std::max(1, std::min(ops, (int)(kRunBudget / slowest)));
        int warm = std::max(1, ops / 10);
        TimeRun(c.a, warm);
        TimeRun(c.b, warm);
    }
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        // Alternate the order so that drift in the machine's state favours neither side.
        if (i % 2 == 0) {
            a.push_back(TimeRun(c.a, ops));
            b.push_back(TimeRun(c.b, ops));
        } else {
            b.push_back(TimeRun(c.b, ops));
            a.push_back(TimeRun(c.a, ops));
        }
    }
    if (c.check) c.check();
    Result r;
    r.database = c.database;
    r.name = c.name;
    r.labelA = c.a.label;
    r.labelB = c.b.label;
    r.metric = c.metric;
    r.target = c.target;
    r.runs = runs;
    r.ops = ops;
    r.bytesPerOp = c.bytesPerOp;
    r.medianA = Median(a);
    r.medianB = Median(b);
    for (size_t i = 0; i < a.size(); ++i) {
        double paired = c.metric == Metric::Time ? a[i] / b[i] : b[i] / a[i];
        r.lowRatio = i == 0 ? paired : std::min(r.lowRatio, paired);
        r.highRatio = i == 0 ? paired : std::max(r.highRatio, paired);
    }
    fprintf(stderr, " %s / %s = %.2f (runs %.2f..%.2f)\n", Figure(r, r.medianA).c_str(), Figure(r, r.medianB).c_str(),
            r.Ratio(), r.lowRatio, r.highRatio);
    return r;
}

}  // namespace

Result Measure(const Case& c) {
    try {
        return MeasureOrThrow(c);
    } catch (const Failure& f) {
        fprintf(stderr, " FAILED: %s\n", f.what());
        Result r;
        r.database = c.database;
        r.name = c.name;
        r.labelA = c.a.label;
        r.labelB = c.b.label;
        r.metric = c.metric;
        r.target = c.target;
        r.bytesPerOp = c.bytesPerOp;
        r.failure = f.what();
        for (char& ch : r.failure)
            if (ch == '\t' || ch == '\n' || ch == '|') ch = ' ';
        return r;
    }
}

void Append(const std::string& path, const Result& r) {
    FILE* f = fopen(path.c_str(), "a");
    if (!f) Die("cannot write " + path);
    fprintf(f, "%s\t%s\t%s\t%s\t%d\t%.17g\t%d\t%d\t%.17g\t%.17g\t%.17g\t%.17g\t%.17g\t%s\n", r.database.c_str(),
            r.name.c_str(), r.labelA.c_str(), r.labelB.c_str(), (int)r.metric, r.target, r.runs, r.ops, r.medianA,
            r.medianB, r.bytesPerOp, r.lowRatio, r.highRatio, r.failure.c_str());
    fclose(f);
}

std::vector<Result> Load(const std::string& path) {
    std::vector<Result> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        std::string part;
        while (std::getline(fields, part, '\t')) f.push_back(part);
        if (f.size() < 13) continue;
        Result r;
        r.database = f[0];
        r.name = f[1];
        r.labelA = f[2];
        r.labelB = f[3];
        r.metric = (Metric)std::stoi(f[4]);
        r.target = std::stod(f[5]);
        r.runs = std::stoi(f[6]);
        r.ops = std::stoi(f[7]);
        r.medianA = std::stod(f[8]);
        r.medianB = std::stod(f[9]);
        r.bytesPerOp = std::stod(f[10]);
        r.lowRatio = std::stod(f[11]);
        r.highRatio = std::stod(f[12]);
        if (f.size() > 13) r.failure = f[13];
        out.push_back(r);
    }
    return out;
}

void PrintReport(const std::vector<Result>& results, FILE* out) {
    double load[3] = {0, 0, 0};
    if (FILE* f = fopen("/proc/loadavg", "r")) {
        if (fscanf(f, "%lf %lf %lf", &load[0], &load[1], &load[2]) != 3) load[0] = load[1] = load[2] = 0;
        fclose(f);
    }
    std::string memTotal = FirstLineWith("/proc/meminfo", "MemTotal");
    long kb = atol(memTotal.c_str());
    fprintf(out, "Machine: %ld cores (nproc), %s, %.1f GiB RAM; load average at the end %.2f %.2f %.2f\n\n",
            sysconf(_SC_NPROCESSORS_ONLN), FirstLineWith("/proc/cpuinfo", "model name").c_str(),
            kb / (1024.0 * 1024.0), load[0], load[1], load[2]);
    fprintf(out, "A is the module's operation, B the reference; ratio = A/B of the median time per operation, "
                 "or of the median throughput (MiB/s). Spread: the lowest and highest ratio of one run of A to the run "
                 "of B beside it.\n\n");
    fprintf(out, "| Database | Benchmark | A | B | A | B | Ratio | Spread | Target | Met | Runs x ops |\n");
    fprintf(out, "|---|---|---|---|---:|---:|---:|---|---|---|---|\n");
    for (const Result& r : results) {
        char target[32] = "-";
        if (r.target > 0) snprintf(target, sizeof target, "%s %.1f", r.metric == Metric::Time ? "<=" : ">=", r.target);
        if (!r.failure.empty()) {
            fprintf(out, "| %s | %s | %s | %s | failed | | | | %s | **failed**: %s | |\n", r.database.c_str(),
                    r.name.c_str(), r.labelA.c_str(), r.labelB.c_str(), target, r.failure.c_str());
            continue;
        }
        const char* met = r.target > 0 ? (r.Met() ? "yes" : "**no**") : "";
        fprintf(out, "| %s | %s | %s | %s | %s | %s | %.2f | %.2f-%.2f | %s | %s | %d x %d |\n", r.database.c_str(),
                r.name.c_str(), r.labelA.c_str(), r.labelB.c_str(), Figure(r, r.medianA).c_str(),
                Figure(r, r.medianB).c_str(), r.Ratio(), r.lowRatio, r.highRatio, target, met, r.runs, r.ops);
    }
}

}  // namespace bench
