#pragma once

// The heavy host every benchmark measures on, built by one piece of code: readings over 25
// years from 8 meters, 30 strip definitions with one to three meters each and 2,000 ledger
// rows (prescriptions and some faulty measurements), laid out as the program finds it.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/Context.h"
#include "text/ListEntry.h"

namespace stripstock::bench {

inline constexpr int kStrips = 30;
inline constexpr int kLedgerRows = 2000;
inline constexpr int kHeavyReadings = 100000;

struct BenchHost {
    std::filesystem::path dir;
    double now = 0.0;  // the fixed clock
    Context ctx;       // engines, password, clock and both database paths
    std::vector<ListEntry> stripList;
    std::vector<int> meters;  // the meter codes the readings carry
};

// One folder for every host of the run, removed by RemoveHosts (kept with
// STRIPSTOCK_BENCH_KEEP=1, then named on stdout as "Hosts kept in DIR").
std::filesystem::path BenchFolder();
void RemoveHosts();

// The host with this many readings in folder BenchFolder()/readings: diary heavy.vld,
// companion HEAVY.VLT and the store registry.reg naming the diary. Built once per run.
BenchHost& HeavyHost(int readings);

// The companion at ctx.StripDbPath: kStrips definitions with one to three of meters each and
// kLedgerRows rows dated from first to last. stripList is loaded from it.
void BuildCompanion(BenchHost& host, double first, double last);

// A context as a command gets it on the heavy host: the store's registry, the program folder
// holding the companion, the fixed clock. Nothing is read yet.
Context StartupContext(const BenchHost& host);

// Keeps wall and CPU milliseconds per iteration of each run (the medians when repetitions are
// asked for) for the summary table every benchmark prints at the end. A run is found by its
// full name ("BM_Refresh/100000") and, for runs without arguments, by its function's name.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations == 0) continue;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
            const std::pair<double, double> ms{run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            m_ms[run.run_name.str()] = ms;
            m_ms[run.run_name.function_name] = ms;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // Wall and CPU milliseconds; CPU is the steadier one on a shared machine.
    std::pair<double, double> Ms(const std::string& name) const {
        const auto it = m_ms.find(name);
        return it == m_ms.end() ? std::pair{0.0, 0.0} : it->second;
    }

  private:
    std::map<std::string, std::pair<double, double>> m_ms;
};

}  // namespace stripstock::bench
