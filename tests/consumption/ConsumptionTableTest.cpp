#include <filesystem>
#include <functional>
#include <optional>
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
    // A prescription dated before the start, added later, leaves the start and the stock.
    AddLedger(Day(2023, 12, 1), a, 10);
    const ConsumptionTable again = FillConsumptionList(ctx, stripList);
    EXPECT_EQ(again.startingDate, jan2);
    EXPECT_EQ(again.rows.front().stock, "87");
}

TEST_F(ConsumptionTableTest, totalBelowOneNeverGivesMaxForm) {
    const auto a = AddStrip("Alpha", "|12|");
    AddLedger(Day(2024, 1, 2), a, 10);
    AddReadings(12, Day(2024, 2, 1), 5);
    AddReadings(99, Day(2024, 2, 1), 20);
    EXPECT_EQ(FillConsumptionList(ctx, stripList).rows,
              (Rows{{"Insgesamt", "25", "n/a", FormatShortDate(Day(2024, 1, 2))},
                    {"davon", "", "", ""},
                    {"Alpha", "5", "5", FormatShortDate(Day(2024, 1, 2))},
                    {"Nicht zugeordnet", "20", "", ""}}));
}

TEST_F(ConsumptionTableTest, sharedMeterLeavesNoNegativeRemainderRow) {
    AddStrip("A", "|12|");
    AddStrip("B", "|12||7|");
    AddReadings(12, Day(2024, 2, 1), 10);
    AddReadings(7, Day(2024, 2, 1), 2);
    EXPECT_EQ(FillConsumptionList(ctx, stripList).rows, (Rows{{"Insgesamt", "12", "n/a", ""},
                                                              {"davon", "", "", ""},
                                                              {"A", "10", "-", ""},
                                                              {"B", "12", "-", ""}}));
}

TEST_F(ConsumptionTableTest, noStripRowShownMeansNoOfWhichRowAStripEqualToTheTotalShowsMax) {
    AddStrip("Gamma", "|30|");
    EXPECT_EQ(FillConsumptionList(ctx, stripList).rows, (Rows{{"Insgesamt", "0", "n/a", ""}}));
    AddLedger(Day(2024, 1, 2), AddStrip("Alpha", "|12|"), 25);
    const ConsumptionTable table = FillConsumptionList(ctx, stripList);
    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_EQ(table.rows[2].stock, "max.25");
}

TEST_F(ConsumptionTableTest, unreadableDiaryLeavesDiaryFiguresEmptyAndSaysWhy) {
    const auto a = AddStrip("Alpha", "|12|");
    AddStrip("Beta", "|7|");  // nothing in the ledger: nothing to show without the diary
    AddLedger(Day(2024, 1, 2), a, 30);
    AddReadings(12, Day(2024, 2, 1), 5);
    const std::string intact = Path("intact.vld");
    std::filesystem::copy_file(diary, intact);
    const std::string jan2 = FormatShortDate(Day(2024, 1, 2));
    // How the diary is made unreadable, and the reason the table then gives.
    const struct {
        std::function<void(std::optional<Sql>& holder)> spoil;
        const char* reason;
    } causes[] = {{[&](auto&) { WriteBytes(diary, "no database"); }, "beschädigt"},
                  {[&](auto&) { WriteBytes(diary, ""); }, "leer"},
                  {[&](auto&) { dao::SetDatabasePassword(diary, "anders"); }, "Kennwort"},
                  {[&](auto& holder) {
                       holder.emplace(diary);
                       holder->Exec("BEGIN EXCLUSIVE");
                   },
                   "gesperrt"},
                  {[&](auto&) {
                       std::filesystem::remove(diary);
                       std::filesystem::create_directory(diary);
                   },
                   "geöffnet"},
                  {[&](auto&) { Sql(diary).Exec("DROP TABLE GLUCOSE"); }, "GLUCOSE"}};
    for (const auto& cause : causes) {
        SCOPED_TRACE(cause.reason);
        std::filesystem::remove_all(diary);
        std::filesystem::copy_file(intact, diary);
        std::optional<Sql> holder;
        cause.spoil(holder);
        const ConsumptionTable table = FillConsumptionList(ctx, stripList);
        EXPECT_EQ(
            table.rows,
            (Rows{{"Insgesamt", "", "", jan2}, {"davon", "", "", ""}, {"Alpha", "", "", jan2}}));
        EXPECT_EQ(table.diaryFailure.rfind("Das Tagebuch konnte nicht gelesen werden: ", 0), 0u)
            << table.diaryFailure;
        EXPECT_NE(table.diaryFailure.find(cause.reason), std::string::npos) << table.diaryFailure;
        EXPECT_EQ(table.diaryFailure.find('\n'), std::string::npos);
    }
}

// Sums beyond 32 bits (rows the entry dialogs could not write, but a foreign tool can) are
// figures: the net stock is shown when it fits, "n/a" when it does not.
TEST_F(ConsumptionTableTest, receivedBeyondThirtyTwoBitsIsSummedInSixtyFourBits) {
    const auto a = AddStrip("Alpha", "|12|");
    const auto b = AddStrip("Beta", "|7|");
    const std::string day = std::to_string(Day(2024, 1, 2));
    Sql(ctx.StripDbPath)
        .Exec("INSERT INTO teststrips (Date, Type, Amount) VALUES (" + day + ", " +
              std::to_string(a) + ", 3000000000), (" + day + ", 12, -2999999900), (" + day + ", " +
              std::to_string(b) + ", 2500000000)");
    AddReadings(12, Day(2024, 2, 1), 5);
    AddReadings(7, Day(2024, 2, 1), 1);
    const ConsumptionTable table = FillConsumptionList(ctx, stripList);
    const std::string jan2 = FormatShortDate(Day(2024, 1, 2));
    EXPECT_EQ(table.rows, (Rows{{"Insgesamt", "6", "n/a", jan2},
                                {"davon", "", "", ""},
                                {"Alpha", "5", "95", jan2},
                                {"Beta", "1", "n/a", jan2}}));
    EXPECT_EQ(table.diaryFailure, "");
}

TEST_F(ConsumptionTableTest, stripIdsBeyondSixteenBitsAreLeftOut) {
    // The ends of the Type field still name strip types.
    AddLedger(Day(2024, 1, 2), 32767, 50);
    AddLedger(Day(2024, 1, 2), -32768, 20);
    stripList = {{"Huge", 40000}, {"Highest", 32767}, {"Lowest", -32768}, {"Below", -32769}};
    const std::string jan2 = FormatShortDate(Day(2024, 1, 2));
    // A negative ID stands for all strips, as for the total.
    EXPECT_EQ(FillConsumptionList(ctx, stripList).rows, (Rows{{"Insgesamt", "0", "70", jan2},
                                                              {"davon", "", "", ""},
                                                              {"Highest", "0", "50", jan2},
                                                              {"Lowest", "0", "max.70", jan2}}));
}

}  // namespace
}  // namespace test
}  // namespace stripstock
