#include "ConsumptionFixture.h"
#include "consumption/ComputeStripStock.h"
#include "data/Session.h"

namespace stripstock::test {
namespace {

constexpr std::int16_t kAll = -1;

using ComputeStripStockTest = ConsumptionFixture;

TEST_F(ComputeStripStockTest, emptyLedgerOrMissingCompanionCountsEveryReadingAgainstNothing) {
    AddReadings(12, Day(2020, 1, 1), 5);
    AddReadings(7, Day(2024, 6, 15), 3);
    EXPECT_EQ(Compute(kAll), (Figures{-8, 8, 0.0}));
    EXPECT_EQ(ctx.CalcStartDate, 0.0);
    ctx.StripDbPath = Path("missing.vlt");
    EXPECT_EQ(Compute(kAll), (Figures{-8, 8, 0.0}));
    EXPECT_EQ(ctx.CalcStartDate, 0.0);
    EXPECT_EQ(Compute(1).stock, 0);  // no meter list, so no readings either
}

TEST_F(ComputeStripStockTest, firstRunWithLedgerRowsFixesStartDateAndCountsFromThere) {
    AddStrip("A", "|12|");
    AddLedger(Day(2024, 3, 1), 1, 50);
    AddReadings(12, Day(2024, 2, 28), 4);  // before the period
    AddReadings(12, Day(2024, 3, 1), 2);
    AddReadings(12, Day(2024, 6, 15), 1);  // today counts
    EXPECT_EQ(Compute(kAll), (Figures{47, 3, Day(2024, 3, 1)}));
    EXPECT_EQ(ctx.CalcStartDate, Day(2024, 3, 1));
    // An earlier prescription added later lies outside the period and does not move its start.
    AddLedger(Day(2024, 2, 1), 1, 30);
    EXPECT_EQ(Compute(kAll), (Figures{47, 3, Day(2024, 3, 1)}));
    EXPECT_EQ(ctx.CalcStartDate, Day(2024, 3, 1));
}

TEST_F(ComputeStripStockTest, stripWithOnlyFaultyMeasurementsHasNoLatestPrescription) {
    const auto a = AddStrip("A", "|12|");
    AddLedger(Day(2024, 1, 10), 12, -3);
    AddReadings(12, Day(2024, 2, 1), 2);
    Compute(kAll);
    EXPECT_EQ(Compute(a), (Figures{-5, 2, 0.0}));
}

TEST_F(ComputeStripStockTest, futurePrescriptionIsNotReceivedButIsTheLatest) {
    const auto a = AddStrip("A", "|12|");
    AddLedger(Day(2024, 1, 1), a, 20);
    AddLedger(Day(2024, 6, 25), a, 50);
    AddLedger(Day(2024, 6, 15, 12, 31), a, 7);  // one minute ahead of the clock
    EXPECT_EQ(Compute(kAll), (Figures{20, 0, Day(2024, 6, 25)}));
    EXPECT_EQ(Compute(a), (Figures{20, 0, Day(2024, 6, 25)}));
}

// Type 0 is a strip ID, not all strips; a faulty measurement's meter code that equals an ID
// does not count for that ID.
TEST_F(ComputeStripStockTest, typesAreStripIdsAndFaultyCodesAreNone) {
    AddLedger(Day(2024, 1, 1), 0, 40);
    AddLedger(Day(2024, 2, 1), 3, 10);
    AddLedger(Day(2024, 1, 1), 12, -3);
    Compute(kAll);
    EXPECT_EQ(Compute(0), (Figures{40, 0, Day(2024, 1, 1)}));
    EXPECT_EQ(Compute(12), (Figures{0, 0, 0.0}));
}

TEST_F(ComputeStripStockTest, netSumOfMinusOneIsAnOrdinaryFigure) {
    const auto a = AddStrip("A", "|12|");
    AddLedger(Day(2024, 1, 10), 12, -1);
    AddReadings(12, Day(2024, 2, 1), 4);
    EXPECT_EQ(Compute(kAll), (Figures{-5, 4, 0.0}));
    EXPECT_EQ(Compute(a), (Figures{-5, 4, 0.0}));
}

TEST_F(ComputeStripStockTest, faultyMeasurementsCountAgainstTheStripOfTheirMeter) {
    const auto a = AddStrip("A", "|12||15|");
    const auto b = AddStrip("B", "|7|");
    const auto c = AddStrip("C", "");  // no meters
    AddLedger(Day(2024, 1, 1), a, 50);
    AddLedger(Day(2024, 1, 1), b, 25);
    AddLedger(Day(2024, 1, 1), c, 10);
    AddLedger(Day(2024, 1, 2), 15, -2);
    AddLedger(Day(2024, 1, 2), 7, -1);
    AddLedger(Day(2024, 1, 2), a, -4);  // meter code 1: no strip has that meter
    AddReadings(12, Day(2024, 2, 1), 3);
    AddReadings(15, Day(2024, 2, 1), 2);
    AddReadings(7, Day(2024, 2, 1), 1);
    AddReadings(1, Day(2024, 2, 1), 5);
    EXPECT_EQ(Compute(kAll).stock, 50 + 25 + 10 - 2 - 1 - 4 - 11);
    EXPECT_EQ(Compute(a), (Figures{50 - 2 - 5, 5, Day(2024, 1, 1)}));
    EXPECT_EQ(Compute(b).stock, 25 - 1 - 1);
    EXPECT_EQ(Compute(c), (Figures{10, 0, Day(2024, 1, 1)}));
}

TEST_F(ComputeStripStockTest, stripsSharingAMeterBothCountItsReadings) {
    const auto a = AddStrip("A", "|12|");
    const auto b = AddStrip("B", "|12||7|");
    AddReadings(12, Day(2024, 2, 1), 10);
    AddReadings(7, Day(2024, 2, 1), 2);
    EXPECT_EQ(Compute(a).used, 10);
    EXPECT_EQ(Compute(b).used, 12);
    EXPECT_EQ(Compute(kAll).used, 12);
}

TEST_F(ComputeStripStockTest, unreadableDiaryCountsNoReadingsButKeepsTheLedger) {
    const auto a = AddStrip("A", "|12|");
    AddLedger(Day(2024, 1, 1), a, 30);
    AddReadings(12, Day(2024, 2, 1), 5);
    WriteBytes(diary, "no database");
    EXPECT_EQ(Compute(kAll), (Figures{30, 0, Day(2024, 1, 1)}));
    EXPECT_EQ(Compute(a), (Figures{30, 0, Day(2024, 1, 1)}));
}

TEST_F(ComputeStripStockTest, olderEngineMissingFallsBackAndNoEngineLeavesTheDefaults) {
    AddLedger(Day(2024, 1, 1), 1, 30);
    ctx.engines->Withdraw("DAO.DBEngine.35");
    EXPECT_EQ(Compute(kAll).stock, 30);
    AddReadings(12, Day(2024, 2, 1), 5);
    ctx.CalcStartDate = 0.0;
    ctx.engines->Withdraw("DAO.DBEngine.36");
    EXPECT_EQ(Compute(kAll), (Figures{0, 0, 0.0}));
    EXPECT_EQ(ctx.CalcStartDate, 0.0);
}

TEST(SqlDateTimeTest, writesUsOrderWithMinutes) {
    const struct {
        CivilDateTime when;
        const char* literal;
    } cases[] = {{{2010, 3, 4, 0, 0, 0}, "#3/4/2010 00:00#"},
                 {{2009, 12, 31, 23, 59, 59}, "#12/31/2009 23:59#"},
                 {{2024, 6, 15, 7, 5, 0}, "#6/15/2024 07:05#"},
                 {{1899, 12, 30, 0, 0, 0}, "#12/30/1899 00:00#"}};
    for (const auto& c : cases) EXPECT_EQ(SqlDateTime(ToOleDate(c.when)), c.literal);
}

TEST_F(ComputeStripStockTest, onlyPlainCodeListsMayGoIntoSql) {
    EXPECT_TRUE(IsMeterInList("(12,15)"));
    EXPECT_TRUE(IsMeterInList("(7)"));
    for (const char* list : {"(**)", "()", "(1,)", "(,1)", "(1,,2)", "(1) or (1=1)", "12"})
        EXPECT_FALSE(IsMeterInList(list)) << list;
    // A meter list with SQL in it counts nothing.
    const auto a = AddStrip("A", "|1) or (1=1|");
    AddReadings(12, Day(2024, 2, 1), 5);
    EXPECT_EQ(Compute(a).used, 0);
}

}  // namespace
}  // namespace stripstock::test
