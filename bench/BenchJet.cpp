// A consumption refresh on the heavy Jet 3 diary (100,000 readings over 25 years), set against
// the floor of one plain libmdb scan of its GLUCOSE table in the same run.

// glib first: mdbtools.h includes it inside extern "C".
#include <glib.h>
#include <mdbtools.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "BenchHost.h"
#include "consumption/ConsumptionTable.h"
#include "data/Dao.h"
#include "host/Context.h"
#include "strips/Catalogue.h"
#include "text/OleDate.h"

namespace {

using namespace stripstock;
namespace fs = std::filesystem;

constexpr int kMeters[] = {73, 24, 25, 12, 13, 23, 33, 35};  // the diary's methods
constexpr int kReadings = 100000;

using bench::BenchHost;
using bench::kLedgerRows;
using bench::kStrips;

// The companion of the shared bench host on the diary's meters, ledger rows from 2001 on; the
// clock in January 2026, after the last reading.
BenchHost& TheHost() {
    static BenchHost* host = [] {
        auto* h = new BenchHost;
        h->dir = bench::BenchFolder() / "jet";
        fs::create_directories(h->dir);
        h->meters.assign(std::begin(kMeters), std::end(kMeters));
        h->now = ToOleDate({2026, 1, 15, 12, 30, 0});
        Context& ctx = h->ctx;
        ctx.engines = std::make_shared<dao::EngineFactory>();
        ctx.DbPassword = "quomba";
        ctx.clock = [now = h->now] { return now; };
        ctx.DiaryDbPath = (h->dir / "HEAVY.VLD").string();
        ctx.StripDbPath = (h->dir / "HEAVY.VLT").string();
        fs::copy_file(STRIPSTOCK_HEAVY_JET3, ctx.DiaryDbPath);
        bench::BuildCompanion(*h, ToOleDate({2001, 1, 1, 0, 0, 0}),
                              ToOleDate({2025, 12, 31, 0, 0, 0}));
        return h;
    }();
    return *host;
}

// The floor: libmdb opens the file, finds GLUCOSE and hands over every row; vdate and method
// are taken from the page as stored.
std::pair<long, double> LibmdbScan(const std::string& path) {
    MdbHandle* mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!mdb || !mdb_read_catalog(mdb, MDB_TABLE)) throw std::runtime_error("libmdb: " + path);
    char name[] = "GLUCOSE";
    MdbTableDef* t = mdb_read_table_by_name(mdb, name, MDB_TABLE);
    if (!t || !mdb_read_columns(t)) throw std::runtime_error("libmdb: no GLUCOSE");
    auto* vdate = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, 0));
    auto* method = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, 3));
    long rows = 0;
    double sum = 0.0;
    mdb_rewind_table(t);
    while (mdb_fetch_row(t)) {
        double d = 0.0;
        if (vdate->cur_value_len == 8) std::memcpy(&d, mdb->pg_buf + vdate->cur_value_start, 8);
        const int m =
            method->cur_value_len == 2 ? mdb_get_int16(mdb->pg_buf, method->cur_value_start) : 0;
        sum += d + m;
        ++rows;
    }
    mdb_free_tabledef(t);
    mdb_close(mdb);
    return {rows, sum};
}

long EngineCount(const Context& ctx, const std::string& sql) {
    auto db = ctx.engines->Create("DAO.DBEngine.36")
                  ->OpenDatabase(ctx.DiaryDbPath, false, true, "MS Access;pwd=quomba");
    auto rs = db->OpenRecordset(sql, dao::dbOpenDynaset);
    long n = 0;
    for (; !rs->Eof(); rs->MoveNext()) n += dao::ToLong(rs->GetField("inum"));
    db->Close();
    return n;
}

const char* const kGrouped =
    "SELECT method, count(vdate) as inum FROM GLUCOSE WHERE vdate between #1/1/2001# AND "
    "#1/15/2026# GROUP BY method";

// Both paths must see the same readings, or the timings compare different work.
bool SameReadings() {
    BenchHost& h = TheHost();
    const long scanned = LibmdbScan(h.ctx.DiaryDbPath).first;
    const long counted = EngineCount(h.ctx, "SELECT count(vdate) as inum FROM GLUCOSE");
    const long grouped = EngineCount(h.ctx, kGrouped);
    Context ctx = h.ctx;
    const ConsumptionTable table = FillConsumptionList(ctx, h.stripList);
    if (scanned != kReadings || counted != kReadings || grouped != kReadings ||
        table.owner != "Erika Müller" || table.rows.empty()) {
        std::fprintf(stderr, "readings differ: scan %ld, count %ld, grouped %ld, owner '%s'\n",
                     scanned, counted, grouped, table.owner.c_str());
        return false;
    }
    std::printf("libmdb and the engine agree: %ld readings, %zu table rows, owner %s\n", scanned,
                table.rows.size(), table.owner.c_str());
    return true;
}

void BM_JetFillConsumptionList(benchmark::State& state) {
    BenchHost& h = TheHost();
    // The first fill fixes the start date, as the one at start-up does.
    FillConsumptionList(h.ctx, h.stripList);
    for (auto _ : state) {
        ConsumptionTable table = FillConsumptionList(h.ctx, h.stripList);
        benchmark::DoNotOptimize(table);
    }
}

// One open of the diary, its readings loaded, one count over them.
void BM_JetOpenAndCount(benchmark::State& state) {
    BenchHost& h = TheHost();
    for (auto _ : state)
        benchmark::DoNotOptimize(EngineCount(h.ctx, "SELECT count(vdate) as inum FROM GLUCOSE"));
}

// The same open and load, then the grouped read that a one-pass refresh sends.
void BM_JetOpenAndGroupedRead(benchmark::State& state) {
    BenchHost& h = TheHost();
    for (auto _ : state) benchmark::DoNotOptimize(EngineCount(h.ctx, kGrouped));
}

void BM_LibmdbScan(benchmark::State& state) {
    BenchHost& h = TheHost();
    for (auto _ : state) {
        const auto [rows, sum] = LibmdbScan(h.ctx.DiaryDbPath);
        if (rows != kReadings) state.SkipWithError("unexpected number of readings");
        benchmark::DoNotOptimize(sum);
    }
}

BENCHMARK(BM_JetFillConsumptionList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JetOpenAndCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JetOpenAndGroupedRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibmdbScan)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!SameReadings()) return 1;
    bench::SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto [scan, scanCpu] = reporter.Ms("BM_LibmdbScan");
    std::printf("\nSummary (heavy-jet3.mdb: %d readings; %d strip definitions, %d ledger rows)\n",
                kReadings, kStrips, kLedgerRows);
    std::printf(
        "                                                wall ms    CPU ms   ratio (CPU)\n");
    for (const auto& [name, label] :
         {std::pair{"BM_JetFillConsumptionList", "(1) full consumption refresh"},
          std::pair{"BM_JetOpenAndCount", "(2) one open, load and count"},
          std::pair{"BM_JetOpenAndGroupedRead", "(3) one open, load and grouped read"},
          std::pair{"BM_LibmdbScan", "(0) floor: one libmdb scan of GLUCOSE"}}) {
        const auto [wall, cpu] = reporter.Ms(name);
        std::printf("  %-44s %9.3f %9.3f   %6.2f\n", label, wall, cpu,
                    scanCpu > 0 ? cpu / scanCpu : 0.0);
    }
    bench::RemoveHosts();
    return 0;
}
