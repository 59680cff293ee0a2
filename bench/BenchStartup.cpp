// The start-up to filled views and the refresh after a new prescription on the heavy host;
// their floor, one plain scan of its readings, runs in BenchRefresh.cpp.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "BenchHost.h"
#include "app/MainViews.h"
#include "app/Startup.h"
#include "prescriptions/NewPrescription.h"
#include "prescriptions/PrescriptionTree.h"

namespace stripstock::bench {
namespace {

namespace fs = std::filesystem;

// The first start writes the program's own keys; later starts, as measured, only read.
const BenchHost& StartedHost() {
    BenchHost& h = HeavyHost(kHeavyReadings);
    static const bool started = [&h] {
        Context ctx = StartupContext(h);
        RunStartup(ctx, "");
        fs::last_write_time(h.dir / "registry.reg",
                            fs::file_time_type::clock::now() - std::chrono::hours(1));
        return true;
    }();
    (void)started;
    return h;
}

// What the window does before it shows: a fresh context, the whole start-up (registry, meter
// list, host settings, companion, strip list, prescription tree and list, consumption table).
void BM_Startup(benchmark::State& state) {
    const BenchHost& h = StartedHost();
    for (auto _ : state) {
        Context ctx = StartupContext(h);
        StartupResult result = RunStartup(ctx, "");
        if (result.refused || result.consumption.rows.empty()) {
            state.SkipWithError("start-up refused or consumption table empty");
            break;
        }
        benchmark::DoNotOptimize(result);
    }
}

// "OK" in the new prescription dialog, then every view rebuilt as the window does.
void BM_PrescriptionRefresh(benchmark::State& state) {
    const BenchHost& h = StartedHost();
    Context ctx = StartupContext(h);
    const StartupResult start = RunStartup(ctx, "");
    const NewPrescriptionForm form = LoadNewPrescription(ctx);
    for (auto _ : state) {
        const EntryOutcome outcome = ConfirmNewPrescription(ctx, form, "50", "1.6.2024", 0);
        if (!outcome.closed) {
            state.SkipWithError("prescription not stored");
            break;
        }
        MainViews views = RebuildMainViews(ctx, kAllNodeKey);
        benchmark::DoNotOptimize(views);
    }
}

BENCHMARK(BM_Startup)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrescriptionRefresh)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace stripstock::bench
