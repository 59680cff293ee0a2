#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ConsumptionFixture.h"
#include "consumption/ComputeConsumption.h"
#include "consumption/ReportTable.h"

namespace stripstock::test {
namespace {

using ::testing::ElementsAre;
using ::testing::Field;

TEST(ReportPeriodTest, defaultIsTheFourCompleteQuartersBeforeTodayChosenOnesAreWhole) {
    EXPECT_EQ(DefaultReportPeriod(Day(2024, 6, 15, 12, 30)),
              (ReportPeriod{Day(2023, 4, 1), Day(2024, 3, 31)}));
    // On a quarter's first day that quarter has not been completed yet.
    EXPECT_EQ(DefaultReportPeriod(Day(2024, 1, 1)),
              (ReportPeriod{Day(2023, 1, 1), Day(2023, 12, 31)}));
    EXPECT_EQ(DefaultReportPeriod(Day(2024, 12, 31)),
              (ReportPeriod{Day(2023, 10, 1), Day(2024, 9, 30)}));
    // Chosen periods are widened to whole quarters ending today at the latest.
    const double today = Day(2024, 6, 15);
    EXPECT_EQ(WholeQuarters({Day(2023, 2, 14), Day(2023, 8, 1)}, today),
              (ReportPeriod{Day(2023, 1, 1), Day(2023, 9, 30)}));
    // Typed the wrong way round, and reaching past today.
    EXPECT_EQ(WholeQuarters({Day(2025, 1, 1), Day(2024, 4, 2)}, today),
              (ReportPeriod{Day(2024, 4, 1), today}));
    EXPECT_EQ(PeriodText({Day(2023, 1, 1), Day(2023, 12, 31)}), "01.01.2023 – 31.12.2023");
}

auto Line(const std::string& strip, std::int64_t received, std::int64_t used, std::int64_t faulty,
          std::int64_t stock) {
    return ReportLine{strip, {received, used, faulty, stock}};
}

using ReportTableTest = ConsumptionFixture;

// Today is 15.06.2024. Strip A fits meter 12, B meter 7, C has no figures at all; the ledger
// starts on 10.01.2023.
TEST_F(ReportTableTest, quartersOfAPeriodWithTheirFiguresTotalsAndStocks) {
    const auto a = AddStrip("A", "|12|");
    const auto b = AddStrip("B", "|7|");
    AddStrip("C ohne Zahlen", "|3|");
    AddLedger(Day(2023, 1, 10), a, 100);
    AddLedger(Day(2023, 5, 5), b, 50);
    AddLedger(Day(2023, 8, 20, 9, 15), 12, -3);
    AddLedger(Day(2023, 11, 15), a, 200);
    AddReadings(12, Day(2023, 2, 1), 10);
    AddReadings(7, Day(2023, 6, 1), 5);
    AddReadings(12, Day(2024, 4, 1), 20);
    // The ledger rows as the report takes them: faulty measurements counted negative.
    const std::vector<ReportEntry> ledger{{Day(2023, 1, 10), 100, "A"},
                                          {Day(2023, 5, 5), 50, "B"},
                                          {Day(2023, 8, 20, 9, 15), -3, "Meter 12"},
                                          {Day(2023, 11, 15), 200, "A"}};
    const ReportTable table = ComputeReportTable(ctx, stripList, DefaultReportPeriod(now), ledger);
    EXPECT_EQ(table.owner, "Erika Mustermann");
    EXPECT_EQ(table.madeOn, Day(2024, 6, 15));
    EXPECT_EQ(table.period, (ReportPeriod{Day(2023, 4, 1), Day(2024, 3, 31)}));
    EXPECT_THAT(table.quarters, ElementsAre(Field(&ReportQuarter::title, "2. Quartal 2023"),
                                            Field(&ReportQuarter::title, "3. Quartal 2023"),
                                            Field(&ReportQuarter::title, "4. Quartal 2023"),
                                            Field(&ReportQuarter::title, "1. Quartal 2024")));
    // The stock carries over from the quarter before the period; C never shows.
    EXPECT_THAT(table.quarters[0].lines,
                ElementsAre(Line("A", 0, 0, 0, 90), Line("B", 50, 5, 0, 45)));
    EXPECT_EQ(table.quarters[0].total, Line("Gesamt", 50, 5, 0, 135));
    EXPECT_THAT(table.quarters[1].lines,
                ElementsAre(Line("A", 0, 0, 3, 87), Line("B", 0, 0, 0, 45)));
    EXPECT_THAT(table.quarters[2].lines,
                ElementsAre(Line("A", 200, 0, 0, 287), Line("B", 0, 0, 0, 45)));
    EXPECT_EQ(table.quarters[3].first, Day(2024, 1, 1));
    EXPECT_EQ(table.quarters[3].last, Day(2024, 3, 31));
    EXPECT_THAT(table.totals, ElementsAre(Line("A", 200, 0, 3, 287), Line("B", 50, 5, 0, 45)));
    EXPECT_EQ(table.total, Line("Gesamt", 250, 5, 3, 332));
    EXPECT_THAT(table.prescriptions, ElementsAre(ReportEntry{Day(2023, 5, 5), 50, "B"},
                                                 ReportEntry{Day(2023, 11, 15), 200, "A"}));
    EXPECT_THAT(table.faulty, ElementsAre(ReportEntry{Day(2023, 8, 20, 9, 15), 3, "Meter 12"}));
    // The chart begins with the stock on the period's first day and stays inside the period.
    ASSERT_FALSE(table.curve.empty());
    EXPECT_EQ(table.curve.front().date, Day(2023, 4, 1));
    EXPECT_EQ(table.curve.front().stock, 90);
    EXPECT_LT(table.curve.back().date, Day(2024, 4, 1));
    // A period to today ends with the consumption table's stock.
    const ReportTable toToday =
        ComputeReportTable(ctx, stripList, {Day(2024, 2, 1), Day(2024, 6, 30)}, ledger);
    EXPECT_EQ(toToday.period, (ReportPeriod{Day(2024, 1, 1), Day(2024, 6, 15)}));
    ASSERT_EQ(toToday.quarters.size(), 2u);
    EXPECT_EQ(toToday.quarters[1].last, Day(2024, 6, 15));
    const ConsumptionFigures figures = ComputeConsumption(ctx, stripList);
    EXPECT_EQ(toToday.total.figures.stockAtEnd, figures.total.Stock());
    ASSERT_EQ(toToday.totals.size(), 2u);
    EXPECT_EQ(toToday.totals[0].figures.stockAtEnd, figures.strips[0]->Stock());
    EXPECT_EQ(toToday.totals[1].figures.stockAtEnd, figures.strips[1]->Stock());
    EXPECT_TRUE(toToday.prescriptions.empty());
    EXPECT_TRUE(toToday.faulty.empty());
    // A period before the ledger has no quarters but its owner.
    const ReportTable before =
        ComputeReportTable(ctx, stripList, {Day(2020, 1, 1), Day(2020, 12, 31)}, ledger);
    EXPECT_TRUE(before.quarters.empty());
    EXPECT_TRUE(before.totals.empty());
    EXPECT_EQ(before.total, Line("Gesamt", 0, 0, 0, 0));
    EXPECT_EQ(before.owner, "Erika Mustermann");
}

}  // namespace
}  // namespace stripstock::test
