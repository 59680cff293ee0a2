// The one-pass refresh against the figures each definition gives when asked on its own, with
// plain SQL written here, and against the history's sums, on many random hosts.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ConsumptionFixture.h"
#include "consumption/ComputeConsumption.h"
#include "consumption/ComputeStripStock.h"
#include "consumption/ConsumptionTable.h"
#include "consumption/Forecast.h"

namespace stripstock {

void PrintTo(const StockFigures& f, std::ostream* os) {
    *os << "{received " << f.received << ", used " << f.used << ", last " << f.lastPrescription
        << "}";
}

namespace test {
namespace {

std::string Num(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

struct Host {
    Context ctx;
    double now = 0.0;
    std::vector<ListEntry> stripList;
    std::map<std::int32_t, std::string> appliesTo;  // by definition ID
};

// A host drawn from seed: meters shared between definitions, definitions without meters or
// with codes no reading has, prescriptions and faulty measurements (some on the first and
// last day of the period, at the current minute or just after it, some in the future),
// readings with a Null meter, with a time part or without a date. The empty databases are
// copied from the template's.
Host MakeHost(const TestHost& templates, unsigned seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    Host h;
    h.ctx.engines = std::make_shared<dao::EngineFactory>();
    h.ctx.DbPassword = hostsim::kDemoPassword;
    h.ctx.DiaryDbPath = templates.Path("h" + std::to_string(seed) + ".vld");
    h.ctx.StripDbPath = templates.Path("h" + std::to_string(seed) + ".vlt");
    const double today = ToOleDate({2024, pick(1, 12), pick(1, 28), 0, 0, 0});
    h.now = today + (pick(0, 86399) / 86400.0);
    h.ctx.clock = [now = h.now] { return now; };
    const CivilDateTime nowCivil = FromOleDate(h.now);
    const double nowMinute =
        ToOleDate({nowCivil.year, nowCivil.month, nowCivil.day, nowCivil.hour, nowCivil.minute, 0});
    std::filesystem::copy_file(templates.diary, h.ctx.DiaryDbPath);
    std::filesystem::copy_file(templates.ctx.StripDbPath, h.ctx.StripDbPath);
    const std::vector<int> meters = {3, 7, 12, 15, 22};
    const int definitions = pick(0, 7);
    Sql companion(h.ctx.StripDbPath);
    companion.Exec("PRAGMA synchronous = OFF; BEGIN");
    for (int s = 0; s < definitions; ++s) {
        std::string appliesTo;  // kind 0: no meters
        const int kind = pick(0, 5);
        if (kind == 1)
            appliesTo = "|999|";  // a code no reading carries
        else if (kind == 2)
            appliesTo = "|" + std::to_string(meters[pick(0, 4)]) + "||x|";  // not a list
        else if (kind > 2)
            for (int k = pick(1, 3); k > 0; --k)
                appliesTo += "|" + std::to_string(meters[pick(0, 4)]) + "|";
        h.appliesTo[s + 1] = appliesTo;
        companion.Exec("INSERT INTO strips (ID, Desc, AppliesTo) VALUES (" + std::to_string(s + 1) +
                       ", 'S" + std::to_string(s) + "', '" + appliesTo + "')");
    }
    // Some hosts have no ledger at all.
    const int ledgerRows = pick(0, 4) == 0 ? 0 : pick(1, 30);
    const double first = today - pick(20, 400);
    double earliest = 1e9;
    for (int i = 0; i < ledgerRows; ++i) {
        double date = first + pick(0, static_cast<int>(today - first));
        const int kind = pick(0, 7);
        if (kind == 0)
            date = nowMinute;  // the end of the received period, included
        else if (kind == 1)
            date = nowMinute + 30.0 / 86400.0;  // later in the current minute
        else if (kind == 2)
            date = today + pick(1, 40);  // the future
        else if (kind == 3)
            date = first + pick(0, 86399) / 86400.0;  // the first day, with a time
        earliest = std::min(earliest, date);
        const bool faulty = pick(0, 3) == 0;
        const int type = faulty ? meters[pick(0, 4)] : pick(0, definitions + 1);
        const int amount = faulty ? -pick(1, 5) : 50 * pick(0, 3);
        companion.Exec("INSERT INTO teststrips (Date, Type, Amount) VALUES (" + Num(date) + ", " +
                       std::to_string(type) + ", " + std::to_string(amount) + ")");
    }
    companion.Exec("COMMIT");
    Sql diary(h.ctx.DiaryDbPath);
    diary.Exec("PRAGMA synchronous = OFF; BEGIN");
    const double readingsFrom = first - pick(0, 60);
    for (int i = pick(0, 300); i > 0; --i) {
        double day = readingsFrom + pick(0, static_cast<int>(today - readingsFrom) + 3);
        std::string method = std::to_string(meters[pick(0, 4)]);
        const int kind = pick(0, 9);
        // No meter, or a value that is no meter code: a fraction, a text.
        const char* const odd[] = {"NULL", "NULL", "3.5", "'x'", "7.0"};
        if (kind == 0)
            method = odd[pick(0, 4)];
        else if (kind == 1)
            day += pick(1, 86399) / 86400.0;  // a time part the host does not write
        else if (kind == 2)
            day = ledgerRows > 0 ? std::floor(earliest) : today;  // the boundary days
        else if (kind == 3)
            day = today;
        const std::string vdate = pick(0, 40) == 0 ? "NULL" : Num(day);
        diary.Exec("INSERT INTO GLUCOSE (vdate, vtime, value, method) VALUES (" + vdate +
                   ", 0.5, 100, " + method + ")");
    }
    diary.Exec("COMMIT");
    h.stripList = LoadStripList(h.ctx, h.ctx.StripDbPath);
    // Entries the table may hold without a definition behind them.
    if (pick(0, 2) == 0) h.stripList.push_back({"Unbekannt", definitions + 5});
    if (pick(0, 4) == 0) h.stripList.push_back({"Null", 0});
    // A later refresh: the start was fixed by an earlier one.
    if (ledgerRows > 0 && pick(0, 3) == 0) h.ctx.CalcStartDate = std::floor(earliest) + pick(0, 10);
    return h;
}

constexpr unsigned kHosts = 200;

// The meter codes of an AppliesTo text written as "|a||b|" as an SQL list "(a,b)"; empty when
// there is none or a part is no number.
std::string InList(std::string appliesTo) {
    if (appliesTo.empty() || appliesTo.find_first_not_of("0123456789|") != std::string::npos)
        return {};
    for (std::size_t at; (at = appliesTo.find("||")) != std::string::npos;)
        appliesTo.replace(at, 2, ",");
    return "(" + appliesTo.substr(1, appliesTo.size() - 2) + ")";
}

// Each definition asked on its own, as the rules say: the period starts at the earliest ledger
// date (unless already fixed), received counts to the current minute, readings to the start
// of the current day, both ends included. Gives the start and the figures.
std::pair<double, ConsumptionFigures> Independently(const Host& h, double fixedStart) {
    Sql companion(h.ctx.StripDbPath);
    Sql diary(h.ctx.DiaryDbPath);
    ConsumptionFigures e;
    const double start = fixedStart != 0.0
                             ? fixedStart
                             : companion.Real("SELECT min(Date) FROM teststrips").value_or(0.0);
    const CivilDateTime s = FromOleDate(start);
    const CivilDateTime n = FromOleDate(h.now);
    const std::string fromMinute = Num(ToOleDate({s.year, s.month, s.day, s.hour, s.minute, 0}));
    const std::string toMinute = Num(ToOleDate({n.year, n.month, n.day, n.hour, n.minute, 0}));
    const std::string received = " AND Date BETWEEN " + fromMinute + " AND " + toMinute;
    const std::string counted =
        start == 0.0 ? std::string()
                     : " AND vdate BETWEEN " + Num(ToOleDate({s.year, s.month, s.day, 0, 0, 0})) +
                           " AND " + Num(ToOleDate({n.year, n.month, n.day, 0, 0, 0}));
    e.total.received =
        companion.Whole("SELECT sum(Amount) FROM teststrips WHERE 1" + received).value_or(0);
    e.total.used = static_cast<std::int32_t>(
        *diary.Whole("SELECT count(vdate) FROM GLUCOSE WHERE 1" + counted));
    e.total.lastPrescription =
        companion.Real("SELECT max(Date) FROM teststrips WHERE Amount > 0").value_or(0.0);
    for (const ListEntry& entry : h.stripList) {
        const std::string id = std::to_string(entry.itemData);
        StockFigures f;
        f.received = companion
                         .Whole("SELECT sum(Amount) FROM teststrips WHERE Type = " + id +
                                " AND Amount > 0" + received)
                         .value_or(0);
        f.lastPrescription =
            companion.Real("SELECT max(Date) FROM teststrips WHERE Amount > 0 AND Type = " + id)
                .value_or(0.0);
        const auto definition = h.appliesTo.find(entry.itemData);
        const std::string in = InList(definition == h.appliesTo.end() ? "" : definition->second);
        if (!in.empty()) {
            f.received +=
                companion
                    .Whole("SELECT sum(Amount) FROM teststrips WHERE Amount < 0 AND Type IN " + in +
                           received)
                    .value_or(0);
            f.used = static_cast<std::int32_t>(
                *diary.Whole("SELECT count(vdate) FROM GLUCOSE WHERE method IN " + in + counted));
        }
        e.strips.emplace_back(f);
    }
    return {start, e};
}

TEST(ConsumptionEquivalenceTest, onePassEqualsEachDefinitionAskedOnItsOwnAndTheHistorysSums) {
    unsigned stripsCompared = 0;
    std::size_t historiesCompared = 0;
    // Empty databases made once through the engine and copied for every host: a host is then
    // built without a single sync to disk.
    TestHost templates;
    templates.OpenDiary();
    templates.CreateCompanion();
    for (unsigned seed = 1; seed <= kHosts && !HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Host h = MakeHost(templates, seed);
        const double fixedStart = h.ctx.CalcStartDate;
        const auto [start, expected] = Independently(h, fixedStart);
        const ConsumptionFigures got = ComputeConsumption(h.ctx, h.stripList);
        EXPECT_EQ(got.diaryFailure, "");
        EXPECT_EQ(h.ctx.CalcStartDate, start);
        EXPECT_EQ(got.total, expected.total);
        EXPECT_EQ(got.strips, expected.strips);
        EXPECT_EQ(got.owner.DisplayName(), "Erika Mustermann");
        // The per-strip path of the same refresh gives the same figures.
        Context perStrip = h.ctx;
        perStrip.CalcStartDate = fixedStart;
        std::int16_t all = -1;
        StockFigures total;
        ComputeStripStock(perStrip, all, perStrip.CalcStartDate, total.lastPrescription,
                          total.used);
        EXPECT_EQ(total.used, got.total.used);
        EXPECT_EQ(total.lastPrescription, got.total.lastPrescription);
        for (std::size_t i = 0; i < h.stripList.size(); ++i) {
            auto type = static_cast<std::int16_t>(h.stripList[i].itemData);
            StockFigures one;
            const std::int32_t stock = ComputeStripStock(perStrip, type, perStrip.CalcStartDate,
                                                         one.lastPrescription, one.used);
            ASSERT_TRUE(got.strips[i].has_value());
            EXPECT_EQ(one.used, got.strips[i]->used);
            EXPECT_EQ(one.lastPrescription, got.strips[i]->lastPrescription);
            EXPECT_EQ(stock, got.strips[i]->Stock());
            ++stripsCompared;
        }
        // The history's sums and last stocks, and the forecast's stocks, are the table's.
        const HistoryStep step = seed % 2 != 0 ? HistoryStep::Month : HistoryStep::Quarter;
        const StockOutlook outlook = ComputeStockOutlook(h.ctx, h.stripList, {}, step);
        auto expectAgrees = [&](const StripHistory& history, const StockFigures& figure) {
            ASSERT_FALSE(history.rows.empty());
            std::int64_t received = 0, used = 0;
            for (const HistoryRow& row : history.rows) {
                received += row.received - row.faulty;
                used += row.readings;
            }
            EXPECT_EQ(received, figure.received);
            EXPECT_EQ(used, figure.used);
            EXPECT_EQ(history.rows.back().stockAtEnd, figure.Stock());
            EXPECT_EQ(history.curve.back().stock, figure.Stock());
            EXPECT_EQ(history.rows.back().last, std::floor(h.now));
        };
        expectAgrees(outlook.history.total, got.total);
        EXPECT_EQ(outlook.forecast.total.stock, got.total.Stock());
        std::size_t k = 0;
        for (std::size_t i = 0; i < got.strips.size(); ++i) {
            if (!got.strips[i]) continue;
            ASSERT_LT(k, outlook.history.strips.size());
            expectAgrees(outlook.history.strips[k], *got.strips[i]);
            EXPECT_EQ(outlook.forecast.strips[k].stock, got.strips[i]->Stock());
            ++k;
        }
        historiesCompared += k;
        EXPECT_EQ(outlook.consumption.rows.size(),
                  ConsumptionTableOf(h.ctx.CalcStartDate, h.stripList, got).rows.size());
        std::filesystem::remove(h.ctx.DiaryDbPath);
        std::filesystem::remove(h.ctx.StripDbPath);
    }
    // The hosts must reach the cases that matter.
    EXPECT_GT(stripsCompared, 3 * kHosts / 2);
    EXPECT_GT(historiesCompared, kHosts);
}

}  // namespace
}  // namespace test
}  // namespace stripstock
