// How long one fill of the consumption table takes on a large diary, set against the same
// queries sent straight to SQLite and against one plain scan of the readings.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "BenchHost.h"
#include "consumption/ComputeStripStock.h"
#include "consumption/ConsumptionTable.h"
#include "host/Context.h"
#include "strips/Catalogue.h"
#include "text/OleDate.h"

namespace {

using namespace stripstock;

using bench::BenchHost;
using bench::kLedgerRows;
using bench::kStrips;
constexpr int kReadings = bench::kHeavyReadings;

BenchHost& TheHost() { return bench::HeavyHost(kReadings); }

// ---- (2) the same queries, straight through SQLite -------------------------------------

class Db {
  public:
    explicit Db(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            throw std::runtime_error("cannot open " + path);
        }
    }
    ~Db() { sqlite3_close(m_db); }
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;
    sqlite3* get() const { return m_db; }

  private:
    sqlite3* m_db = nullptr;
};

class Stmt {
  public:
    Stmt(const Db& db, const std::string& sql) {
        if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &m_stmt, nullptr) != SQLITE_OK) {
            throw std::runtime_error(std::string(sqlite3_errmsg(db.get())) + ": " + sql);
        }
    }
    ~Stmt() { sqlite3_finalize(m_stmt); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    // Whole numbers bind as integers (IDs, meter codes), dates as REAL, the way they are stored.
    struct Param {
        Param(int v) : isInt(true), i(v) {}
        Param(double v) : d(v) {}
        bool isInt = false;
        std::int64_t i = 0;
        double d = 0.0;
    };
    // Binds the parameters in order, runs the statement and leaves it on its first row.
    Stmt& Run(std::initializer_list<Param> params) {
        sqlite3_reset(m_stmt);
        int n = 1;
        for (const Param& p : params) {
            if (p.isInt) {
                sqlite3_bind_int64(m_stmt, n++, p.i);
            } else {
                sqlite3_bind_double(m_stmt, n++, p.d);
            }
        }
        m_row = sqlite3_step(m_stmt) == SQLITE_ROW;
        return *this;
    }
    bool Null(int col) const { return !m_row || sqlite3_column_type(m_stmt, col) == SQLITE_NULL; }
    double Real(int col) const { return Null(col) ? 0.0 : sqlite3_column_double(m_stmt, col); }
    std::int64_t Int(int col) const { return Null(col) ? 0 : sqlite3_column_int64(m_stmt, col); }
    std::string Text(int col) const {
        const auto* t = m_row ? sqlite3_column_text(m_stmt, col) : nullptr;
        return t ? reinterpret_cast<const char*>(t) : "";
    }

  private:
    sqlite3_stmt* m_stmt = nullptr;
    bool m_row = false;
};

std::vector<int> ParseAppliesTo(const std::string& text) {
    std::vector<int> codes;
    std::size_t pos = 0;
    while ((pos = text.find('|', pos)) != std::string::npos) {
        const std::size_t end = text.find('|', pos + 1);
        if (end == std::string::npos) break;
        if (end > pos + 1) codes.push_back(std::stoi(text.substr(pos + 1, end - pos - 1)));
        pos = end + 1;
    }
    return codes;
}

// Stock, used and latest prescription: the total first, then each strip definition.
struct Figures {
    std::int64_t stock = 0;
    std::int64_t used = 0;
    double last = 0.0;
    bool operator==(const Figures&) const = default;
};

// "(3,15)"; empty for no codes.
std::string InList(const std::vector<int>& codes) {
    std::string text;
    for (int c : codes) {
        text += text.empty() ? '(' : ',';
        text += std::to_string(c);
    }
    return text.empty() ? text : text + ")";
}

struct DirectFigures {
    std::string owner;
    std::vector<Figures> figures;
};

// Total plus every strip definition, the same question each time as the engine gets it:
// meter list, date range, received (prescriptions, then faulty measurements), readings, latest
// prescription.
DirectFigures DirectFill(const BenchHost& h, double& startDate) {
    DirectFigures out;
    const double now = h.now;
    const double today = OleDateOnly(now);
    const double nowMinute = std::floor(now * 1440.0 + 1e-7) / 1440.0;
    {
        Db companion(h.ctx.StripDbPath);
        Db diary(h.ctx.DiaryDbPath);
        Stmt range(companion, "SELECT min(Date), max(Date) FROM teststrips");
        Stmt sumAll(companion, "SELECT sum(Amount) FROM teststrips WHERE Date BETWEEN ?1 AND ?2");
        Stmt countAll(diary, "SELECT count(vdate) FROM GLUCOSE WHERE vdate BETWEEN ?1 AND ?2");
        Stmt lastAll(companion, "SELECT max(Date) FROM teststrips WHERE Amount > 0");
        Stmt owner(diary, "SELECT firstname, name FROM patdat");

        range.Run({});
        if (startDate == 0.0) startDate = range.Real(0);
        const std::int64_t received = sumAll.Run({startDate, nowMinute}).Int(0);
        const std::int64_t used = countAll.Run({startDate, today}).Int(0);
        out.figures.push_back({received - used, used, lastAll.Run({}).Real(0)});
        owner.Run({});
        out.owner = owner.Text(0) + " " + owner.Text(1);

        Stmt meters(companion, "SELECT AppliesTo FROM strips WHERE ID = ?1");
        Stmt stripReceived(companion,
                           "SELECT sum(Amount) FROM teststrips WHERE Type = ?1 AND Amount > 0 "
                           "AND Date BETWEEN ?2 AND ?3");
        Stmt stripLast(companion,
                       "SELECT max(Date) FROM teststrips WHERE Amount > 0 AND Type = ?1");
        for (const ListEntry& entry : h.stripList) {
            const int id = entry.itemData;
            const std::string in = InList(ParseAppliesTo(meters.Run({id}).Text(0)));
            if (in.empty()) continue;
            // The meter list is part of the text, as the engine gets it; dates stay bound.
            Stmt(companion,
                 "SELECT min(Date), max(Date) FROM teststrips WHERE (Type = ?1 AND Amount > 0) "
                 "OR (Amount < 0 AND Type IN " +
                     in + ")")
                .Run({id});
            Stmt faulty(companion,
                        "SELECT sum(Amount) FROM teststrips WHERE Amount < 0 AND Type IN " + in +
                            " AND Date BETWEEN ?1 AND ?2");
            Stmt count(diary, "SELECT count(vdate) FROM GLUCOSE WHERE method IN " + in +
                                  " AND vdate BETWEEN ?1 AND ?2");
            const std::int64_t r = stripReceived.Run({id, startDate, nowMinute}).Int(0) +
                                   faulty.Run({startDate, nowMinute}).Int(0);
            const std::int64_t u = count.Run({startDate, today}).Int(0);
            out.figures.push_back({r - u, u, stripLast.Run({id}).Real(0)});
        }
    }
    return out;
}

// Both ways must give the same figures, or the timings compare different work.
bool SameFigures() {
    BenchHost& h = TheHost();
    Context ctx = h.ctx;
    ctx.CalcStartDate = 0.0;
    std::vector<Figures> engine;
    for (std::int16_t type = -1; type <= kStrips; ++type) {
        if (type == 0) continue;
        std::int16_t t = type;
        double last = 0.0;
        std::int32_t used = 0;
        const std::int32_t stock = ComputeStripStock(ctx, t, ctx.CalcStartDate, last, used);
        engine.push_back({stock, used, last});
    }
    double startDate = 0.0;
    const DirectFigures direct = DirectFill(h, startDate);
    const ConsumptionTable table = FillConsumptionList(ctx, h.stripList);
    if (engine != direct.figures || startDate != ctx.CalcStartDate || table.owner != direct.owner) {
        std::fprintf(stderr, "engine and direct figures differ\n");
        for (std::size_t i = 0; i < engine.size() && i < direct.figures.size(); ++i) {
            std::fprintf(stderr, "%2zu: %lld/%lld/%.0f vs %lld/%lld/%.0f\n", i,
                         static_cast<long long>(engine[i].stock),
                         static_cast<long long>(engine[i].used), engine[i].last,
                         static_cast<long long>(direct.figures[i].stock),
                         static_cast<long long>(direct.figures[i].used), direct.figures[i].last);
        }
        return false;
    }
    std::printf("Engine and direct queries agree (total stock %lld, used %lld, %zu table rows)\n",
                static_cast<long long>(engine.front().stock),
                static_cast<long long>(engine.front().used), table.rows.size());
    return true;
}

// ---- benchmarks -------------------------------------------------------------------------

void BM_FillConsumptionList(benchmark::State& state) {
    BenchHost& h = TheHost();
    FillConsumptionList(h.ctx,
                        h.stripList);  // fixes the start date, as the first fill at start-up does
    for (auto _ : state) {
        ConsumptionTable table = FillConsumptionList(h.ctx, h.stripList);
        benchmark::DoNotOptimize(table);
    }
}

void BM_DirectSqlite(benchmark::State& state) {
    BenchHost& h = TheHost();
    double startDate = 0.0;
    DirectFill(h, startDate);
    for (auto _ : state) {
        DirectFigures f = DirectFill(h, startDate);
        benchmark::DoNotOptimize(f);
    }
}

void BM_GlucoseScan(benchmark::State& state) {
    BenchHost& h = TheHost();
    for (auto _ : state) {
        Db diary(h.ctx.DiaryDbPath);
        double sum = 0.0;
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(diary.get(), "SELECT vdate, method FROM GLUCOSE", -1, &s, nullptr);
        std::int64_t rows = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            sum += sqlite3_column_double(s, 0) + sqlite3_column_int(s, 1);
            ++rows;
        }
        sqlite3_finalize(s);
        if (rows != kReadings) state.SkipWithError("unexpected number of readings");
        benchmark::DoNotOptimize(sum);
    }
}

BENCHMARK(BM_FillConsumptionList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GlucoseScan)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!SameFigures()) return 1;
    bench::SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto [fill, fillCpu] = reporter.Ms("BM_FillConsumptionList");
    const auto [direct, directCpu] = reporter.Ms("BM_DirectSqlite");
    const auto [scan, scanCpu] = reporter.Ms("BM_GlucoseScan");
    std::printf("\nSummary (%d readings, %d strip definitions, %d ledger rows)\n", kReadings,
                kStrips, kLedgerRows);
    std::printf("                                               wall ms    CPU ms\n");
    std::printf("  (1) FillConsumptionList through the engine: %9.3f %9.3f\n", fill, fillCpu);
    std::printf("  (2) same queries straight to SQLite:        %9.3f %9.3f\n", direct, directCpu);
    std::printf("  (3) one scan of GLUCOSE (vdate, method):    %9.3f %9.3f\n", scan, scanCpu);
    if (directCpu > 0 && scanCpu > 0) {
        std::printf("  CPU ratios: (1)/(2) = %.2f   (1)/(3) = %.2f   (2)/(3) = %.2f\n",
                    fillCpu / directCpu, fillCpu / scanCpu, directCpu / scanCpu);
        std::printf("  wall ratios: (1)/(2) = %.2f   (1)/(3) = %.2f   (2)/(3) = %.2f\n",
                    fill / direct, fill / scan, direct / scan);
    }
    bench::RemoveHosts();
    return 0;
}
