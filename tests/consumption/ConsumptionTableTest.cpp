#include <fstream>
#include <string>
#include <vector>

#include "ConsumptionFixture.h"
#include "consumption/ConsumptionTable.h"
#include "text/Regional.h"

namespace stripstock {

void PrintTo(const ConsumptionRow& r, std::ostream* os) {
    *os << "{" << r.label << " | " << r.used << " | " << r.stock << " | " << r.lastPrescription
        << "}";
}

namespace test {
namespace {

using Rows = std::vector<ConsumptionRow>;

using ConsumptionTableTest = ConsumptionFixture;

TEST_F(ConsumptionTableTest, noLedgerShowsTotalAsNotAvailableAndAllReadingsUnassigned) {
    AddReadings(12, Day(2024, 2, 1), 8);

    const ConsumptionTable table = FillConsumptionList(ctx, stripList);

    EXPECT_EQ(table.owner, "Erika Mustermann");
    EXPECT_FALSE(table.startingDate.has_value());
    EXPECT_EQ(table.rows, (Rows{{"Insgesamt", "8", "n/a", ""}, {"Nicht zugeordnet", "8", "", ""}}));
}

TEST_F(ConsumptionTableTest, rowsFollowTheStockRules) {
    const auto a = AddStrip("Alpha", "|12|");
    AddStrip("Beta", "|7|");    // readings, nothing received: "-"
    AddStrip("Gamma", "|30|");  // nothing at all: left out
    const auto d = AddStrip("Delta", "");
    AddLedger(Day(2024, 1, 2), a, 100);
    AddLedger(Day(2024, 3, 5), d, 5);
    AddReadings(12, Day(2024, 2, 1), 10);
    AddReadings(7, Day(2024, 2, 1), 5);
    AddReadings(99, Day(2024, 2, 1), 3);

    const ConsumptionTable table = FillConsumptionList(ctx, stripList);

    const std::string jan2 = FormatShortDate(Day(2024, 1, 2));
    const std::string mar5 = FormatShortDate(Day(2024, 3, 5));
    EXPECT_EQ(table.startingDate, jan2);
    EXPECT_EQ(table.rows, (Rows{{"Insgesamt", "18", "87", mar5},
                                {"davon", "", "", ""},
                                {"Alpha", "10", "max.90", jan2},
                                {"Beta", "5", "-", ""},
                                {"Delta", "0", "5", mar5},
                                {"Nicht zugeordnet", "3", "", ""}}));
}

TEST_F(ConsumptionTableTest, stripEqualToTotalStockShowsMaxForm) {
    const auto a = AddStrip("Alpha", "|12|");
    AddLedger(Day(2024, 1, 2), a, 25);

    const ConsumptionTable table = FillConsumptionList(ctx, stripList);

    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_EQ(table.rows[2].stock, "max.25");
}

TEST_F(ConsumptionTableTest, totalBelowOneNeverGivesMaxForm) {
    const auto a = AddStrip("Alpha", "|12|");
    AddLedger(Day(2024, 1, 2), a, 10);
    AddReadings(12, Day(2024, 2, 1), 5);
    AddReadings(99, Day(2024, 2, 1), 20);

    const ConsumptionTable table = FillConsumptionList(ctx, stripList);

    EXPECT_EQ(table.rows, (Rows{{"Insgesamt", "25", "n/a", FormatShortDate(Day(2024, 1, 2))},
                                {"davon", "", "", ""},
                                {"Alpha", "5", "5", FormatShortDate(Day(2024, 1, 2))},
                                {"Nicht zugeordnet", "20", "", ""}}));
}

TEST_F(ConsumptionTableTest, sharedMeterLeavesNoNegativeRemainderRow) {
    AddStrip("A", "|12|");
    AddStrip("B", "|12||7|");
    AddReadings(12, Day(2024, 2, 1), 10);
    AddReadings(7, Day(2024, 2, 1), 2);

    const ConsumptionTable table = FillConsumptionList(ctx, stripList);

    EXPECT_EQ(table.rows, (Rows{{"Insgesamt", "12", "n/a", ""},
                                {"davon", "", "", ""},
                                {"A", "10", "-", ""},
                                {"B", "12", "-", ""}}));
}

TEST_F(ConsumptionTableTest, noStripRowShownMeansNoOfWhichRow) {
    AddStrip("Gamma", "|30|");

    const ConsumptionTable table = FillConsumptionList(ctx, stripList);

    EXPECT_EQ(table.rows, (Rows{{"Insgesamt", "0", "n/a", ""}}));
}

TEST_F(ConsumptionTableTest, startDateIsKeptAcrossFills) {
    AddLedger(Day(2024, 3, 1), 1, 10);
    FillConsumptionList(ctx, stripList);
    AddLedger(Day(2024, 1, 1), 1, 10);

    const ConsumptionTable table = FillConsumptionList(ctx, stripList);

    EXPECT_EQ(table.startingDate, FormatShortDate(Day(2024, 3, 1)));
    EXPECT_EQ(table.rows.front().stock, "10");
}

TEST_F(ConsumptionTableTest, unreadableDiaryShowsBlankOwnerAndZeroUse) {
    const auto a = AddStrip("Alpha", "|12|");
    AddLedger(Day(2024, 1, 2), a, 30);
    std::ofstream(ctx.DiaryDbPath, std::ios::trunc) << "no database";

    const ConsumptionTable table = FillConsumptionList(ctx, stripList);

    const std::string jan2 = FormatShortDate(Day(2024, 1, 2));
    EXPECT_EQ(table.owner, " ");
    EXPECT_EQ(table.rows, (Rows{{"Insgesamt", "0", "30", jan2},
                                {"davon", "", "", ""},
                                {"Alpha", "0", "max.30", jan2}}));
}

TEST_F(ConsumptionTableTest, stripIdsBeyondSixteenBitsAreLeftOut) {
    stripList = {{"Huge", 40000}};

    const ConsumptionTable table = FillConsumptionList(ctx, stripList);

    EXPECT_EQ(table.rows.size(), 1u);
}

}  // namespace
}  // namespace test
}  // namespace stripstock
