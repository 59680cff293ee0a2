// The one-pass refresh against the figures each definition gives when asked on its own, with
// plain SQL written here, and against the history's sums, on many random hosts.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "RandomHosts.h"
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

constexpr int kHosts = 200;

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
// of the current day, both ends included.
struct Expected {
    double start = 0.0;
    StockFigures total;
    std::vector<std::optional<StockFigures>> strips;
};

Expected Independently(const Host& h, double fixedStart) {
    Sql companion(h.ctx.StripDbPath);
    Sql diary(h.ctx.DiaryDbPath);
    Expected e;
    e.start = fixedStart != 0.0 ? fixedStart
                                : companion.Real("SELECT min(Date) FROM teststrips").value_or(0.0);
    const CivilDateTime s = FromOleDate(e.start);
    const CivilDateTime n = FromOleDate(h.now);
    const std::string fromMinute = Num(ToOleDate({s.year, s.month, s.day, s.hour, s.minute, 0}));
    const std::string toMinute = Num(ToOleDate({n.year, n.month, n.day, n.hour, n.minute, 0}));
    const std::string received = " AND Date BETWEEN " + fromMinute + " AND " + toMinute;
    const std::string counted =
        e.start == 0.0 ? std::string()
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
    return e;
}

TEST(ConsumptionEquivalenceTest, onePassEqualsEachDefinitionAskedOnItsOwnAndTheHistorysSums) {
    int stripsCompared = 0;
    std::size_t historiesCompared = 0;
    ForEachHost(kHosts, [&](Host& h, unsigned seed) {
        const double fixedStart = h.ctx.CalcStartDate;
        const Expected expected = Independently(h, fixedStart);
        const ConsumptionFigures got = ComputeConsumption(h.ctx, h.stripList);
        EXPECT_EQ(got.diaryFailure, "");
        EXPECT_EQ(h.ctx.CalcStartDate, expected.start);
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
    });
    // The hosts must reach the cases that matter.
    EXPECT_GT(stripsCompared, 3 * kHosts / 2);
    EXPECT_GT(historiesCompared, std::size_t{kHosts});
}

}  // namespace
}  // namespace test
}  // namespace stripstock
