// A full refresh of the consumption table, and of the table with the forecast and history,
// against one plain scan of the readings, on hosts of 10,000, 100,000 and 1,000,000 readings; the
// start-up and the refresh after a new prescription (BenchStartup.cpp) against the same scan of
// the heavy host; the meter list loaded from registry stores with 30, 300 and 3,000 import
// modules against one read of the store's bytes (and what `status` reads from a 50 MB store,
// BenchRegistryStore.cpp, against the same). Every figure is a ratio to its floor, measured
// in the same run.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchHost.h"
#include "consumption/ConsumptionTable.h"
#include "consumption/Forecast.h"
#include "host/Context.h"
#include "host/Registry.h"
#include "host/RegistryBackend.h"
#include "meters/MeterModules.h"
#include "strips/Catalogue.h"

namespace {

using namespace stripstock;
namespace fs = std::filesystem;

fs::path Folder() { return bench::BenchFolder(); }

// The floor: one plain count over every reading, on a fresh connection.
void BM_PlainScan(benchmark::State& state) {
    bench::BenchHost& h = bench::HeavyHost(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(h.ctx.DiaryDbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(vdate) FROM GLUCOSE", -1, &st, nullptr);
        sqlite3_step(st);
        benchmark::DoNotOptimize(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
}

void BM_Refresh(benchmark::State& state) {
    bench::BenchHost& h = bench::HeavyHost(static_cast<int>(state.range(0)));
    FillConsumptionList(h.ctx, h.stripList);  // fixes the start date, as start-up does
    for (auto _ : state) {
        ConsumptionTable table = FillConsumptionList(h.ctx, h.stripList);
        benchmark::DoNotOptimize(table);
    }
}

// What the window refreshes now: the table with the forecast and the monthly history.
void BM_Outlook(benchmark::State& state) {
    bench::BenchHost& h = bench::HeavyHost(static_cast<int>(state.range(0)));
    FillConsumptionList(h.ctx, h.stripList);
    for (auto _ : state) {
        StockOutlook outlook =
            ComputeStockOutlook(h.ctx, h.stripList, ForecastSettings{}, HistoryStep::Month);
        benchmark::DoNotOptimize(outlook);
    }
}

// A store with the host's diary and modules import modules, about 120 bytes each.
std::string StoreWith(int modules) {
    const fs::path path = Folder() / ("modules-" + std::to_string(modules) + ".reg");
    if (!fs::exists(path)) {
        std::ostringstream text;
        text << "Windows Registry Editor Version 5.00\r\n\r\n"
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarvenholme\\VELLIND4]\r\n"
                "\"DataBaseName\"=\"C:\\\\Daten\\\\heavy.vld\"\r\n\r\n";
        for (int m = 0; m < modules; ++m) {
            text << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarvenholme\\VELLIND4\\MODULES\\Modul" << m
                 << "]\r\n\"type\"=\"" << (m % 5 == 4 ? 1 : 0) << "\"\r\n\"parameter\"=\"x|y|z|"
                 << 1 + m % 60 << "\"\r\n\"desc\"=\"Messgerät " << m << "\"\r\n\r\n";
        }
        std::ofstream(path, std::ios::binary) << text.str();
        // As a store the host wrote some time ago: a file changed a moment ago is parsed anew.
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
    }
    return path.string();
}

void BM_ReadStore(benchmark::State& state) {
    const std::string path = StoreWith(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        benchmark::DoNotOptimize(text.str());
    }
}

// What strip-meters does: a fresh registry (as each command starts with), then the list.
void BM_MeterList(benchmark::State& state) {
    const int modules = static_cast<int>(state.range(0));
    const std::string path = StoreWith(modules);
    std::size_t listed = 0;
    for (auto _ : state) {
        Context ctx;
        ctx.HostRegKey = "SOFTWARE\\Tarvenholme\\VELLIND4";
        ctx.registry = std::make_shared<Registry>(MakeFileRegistryBackend(path));
        listed = LoadMeterList(ctx).size();
        benchmark::DoNotOptimize(listed);
    }
    if (listed != static_cast<std::size_t>(modules - modules / 5))
        state.SkipWithError("unexpected number of meters");
}

BENCHMARK(BM_PlainScan)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Refresh)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Outlook)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadStore)->Arg(30)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeterList)->Arg(30)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    bench::SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // Wall time is what the user waits for; CPU time is the steadier one on a shared machine.
    std::printf("\n%-34s %10s %10s %8s %10s\n", "figure", "ms (wall)", "floor ms", "ratio",
                "CPU ratio");
    auto row = [&](const std::string& what, const std::string& bench, const std::string& floor) {
        const auto [ms, msCpu] = reporter.Ms(bench);
        const auto [floorMs, floorCpu] = reporter.Ms(floor);
        if (ms <= 0 || floorMs <= 0) return;
        std::printf("%-34s %10.2f %10.2f %8.2f %10.2f\n", what.c_str(), ms, floorMs, ms / floorMs,
                    floorCpu > 0 ? msCpu / floorCpu : 0.0);
    };
    for (const char* n : {"10000", "100000", "1000000"})
        row(std::string("refresh, ") + n + " readings", std::string("BM_Refresh/") + n,
            std::string("BM_PlainScan/") + n);
    for (const char* n : {"10000", "100000", "1000000"})
        row(std::string("with forecast, ") + n + " readings", std::string("BM_Outlook/") + n,
            std::string("BM_PlainScan/") + n);
    for (const char* n : {"10000", "100000", "1000000"})
        row(std::string("forecast : refresh, ") + n, std::string("BM_Outlook/") + n,
            std::string("BM_Refresh/") + n);
    for (const char* n : {"30", "300", "3000"})
        row(std::string("meter list, ") + n + " modules", std::string("BM_MeterList/") + n,
            std::string("BM_ReadStore/") + n);
    row("start-up to filled views", "BM_Startup", "BM_PlainScan/100000");
    row("status read, 50 MB store", "BM_StatusRead", "BM_ReadBigStore");
    row("new prescription and refresh", "BM_PrescriptionRefresh", "BM_PlainScan/100000");
    bench::RemoveHosts();
    return 0;
}
