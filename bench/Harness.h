// A plain timing harness: each case times the module's operation (side A) and a reference
// doing the same logical work (side B) in the same process, alternating which goes first,
// and reports the medians and their ratio. Results go to a tab-separated file so that
// several runs (one process per database) end in one table.
#ifndef DAVRIX_BENCH_HARNESS_H
#define DAVRIX_BENCH_HARNESS_H

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace bench {

enum class Metric {
    Time,        // seconds per operation; ratio = A / B, target is a maximum
    Throughput,  // bytes per second; ratio = A / B, target is a minimum
};

struct Side {
    std::string label;
    std::function<void(int ops)> run;       // timed
    std::function<void()> prepare;          // untimed, before every timed run (may be empty)
};

struct Case {
    std::string database;  // "SQLite", "PostgreSQL", "file"
    std::string name;
    Metric metric;
    double target;         // 0: reported only
    int runs;              // timed runs per side (the median is taken)
    int ops;               // operations per timed run
    double bytesPerOp;     // Throughput only
    Side a, b;
    std::function<void()> check;  // after the timed runs: did both sides do the work?
};

struct Result {
    std::string database, name, labelA, labelB;
    Metric metric = Metric::Time;
    double target = 0;
    int runs = 0, ops = 0;
    double medianA = 0, medianB = 0;  // seconds per operation
    double lowRatio = 0, highRatio = 0;  // the ratio of each run's A to the B next to it: the spread
    double bytesPerOp = 0;
    std::string failure;  // why the case could not be measured; empty when it was
    double Ratio() const { return metric == Metric::Time ? medianA / medianB : medianB / medianA; }
    bool Met() const {
        if (!failure.empty()) return false;
        return metric == Metric::Time ? Ratio() <= target : Ratio() >= target;
    }
};

// Scales the repetitions down (profiling runs): ops and runs are divided, never below 1.
void SetQuick(bool quick);
// Profiling runs (callgrind): one untimed operation of each side, then one run of ops.
void SetProfileOps(int ops);
Result Measure(const Case& c);
void Append(const std::string& path, const Result& r);
std::vector<Result> Load(const std::string& path);
// Markdown table of the results, with the machine it ran on.
void PrintReport(const std::vector<Result>& results, FILE* out);

}  // namespace bench

#endif
