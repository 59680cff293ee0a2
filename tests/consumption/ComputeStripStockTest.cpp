#include <fstream>
#include <string>

#include "ConsumptionFixture.h"
#include "consumption/ComputeStripStock.h"
#include "data/Session.h"

namespace stripstock::test {
namespace {

constexpr std::int16_t kAll = -1;

using ComputeStripStockTest = ConsumptionFixture;

TEST_F(ComputeStripStockTest, emptyLedgerCountsEveryReadingAgainstNothing) {
    AddReadings(12, Day(2020, 1, 1), 5);
    AddReadings(7, Day(2024, 6, 15), 3);

    const Figures total = Compute(kAll);

    EXPECT_EQ(total.used, 8);
    EXPECT_EQ(total.stock, -8);
    EXPECT_EQ(total.last, 0.0);
    EXPECT_EQ(ctx.CalcStartDate, 0.0);
}

TEST_F(ComputeStripStockTest, firstRunWithLedgerRowsFixesStartDateAndCountsFromThere) {
    AddStrip("A", "|12|");
    AddLedger(Day(2024, 3, 1), 1, 50);
    AddReadings(12, Day(2024, 2, 28), 4);  // before the period
    AddReadings(12, Day(2024, 3, 1), 2);
    AddReadings(12, Day(2024, 6, 15), 1);  // today counts

    const Figures total = Compute(kAll);

    EXPECT_EQ(ctx.CalcStartDate, Day(2024, 3, 1));
    EXPECT_EQ(total.used, 3);
    EXPECT_EQ(total.stock, 47);
    EXPECT_EQ(total.last, Day(2024, 3, 1));
}

TEST_F(ComputeStripStockTest, stripWithOnlyFaultyMeasurementsHasNoLatestPrescription) {
    const auto a = AddStrip("A", "|12|");
    AddLedger(Day(2024, 1, 10), 12, -3);
    AddReadings(12, Day(2024, 2, 1), 2);

    Compute(kAll);
    const Figures strip = Compute(a);

    EXPECT_EQ(strip.stock, -5);
    EXPECT_EQ(strip.used, 2);
    EXPECT_EQ(strip.last, 0.0);
}

TEST_F(ComputeStripStockTest, futurePrescriptionIsNotReceivedButIsTheLatest) {
    const auto a = AddStrip("A", "|12|");
    AddLedger(Day(2024, 1, 1), a, 20);
    AddLedger(Day(2024, 6, 25), a, 50);
    AddLedger(Day(2024, 6, 15, 12, 31), a, 7);  // one minute ahead of the clock

    const Figures total = Compute(kAll);
    const Figures strip = Compute(a);

    EXPECT_EQ(total.stock, 20);
    EXPECT_EQ(strip.stock, 20);
    EXPECT_EQ(total.last, Day(2024, 6, 25));
    EXPECT_EQ(strip.last, Day(2024, 6, 25));
}

TEST_F(ComputeStripStockTest, stripTypeZeroIsAStripIdNotAllStrips) {
    AddLedger(Day(2024, 1, 1), 0, 40);
    AddLedger(Day(2024, 2, 1), 3, 10);

    Compute(kAll);
    const Figures zero = Compute(0);

    EXPECT_EQ(zero.stock, 40);
    EXPECT_EQ(zero.last, Day(2024, 1, 1));
}

TEST_F(ComputeStripStockTest, earlierPrescriptionAddedLaterDoesNotMoveStartDate) {
    AddLedger(Day(2024, 3, 1), 1, 50);
    AddReadings(7, Day(2024, 2, 15), 4);
    Compute(kAll);
    ASSERT_EQ(ctx.CalcStartDate, Day(2024, 3, 1));

    AddLedger(Day(2024, 2, 1), 1, 30);
    const Figures total = Compute(kAll);

    EXPECT_EQ(ctx.CalcStartDate, Day(2024, 3, 1));
    EXPECT_EQ(total.stock, 50);  // the earlier prescription lies outside the period
    EXPECT_EQ(total.used, 0);
}

TEST_F(ComputeStripStockTest, netSumOfMinusOneIsAnOrdinaryFigure) {
    const auto a = AddStrip("A", "|12|");
    AddLedger(Day(2024, 1, 10), 12, -1);
    AddReadings(12, Day(2024, 2, 1), 4);

    const Figures total = Compute(kAll);
    const Figures strip = Compute(a);

    EXPECT_EQ(total.stock, -5);
    EXPECT_EQ(total.used, 4);
    EXPECT_EQ(strip.stock, -5);
    EXPECT_EQ(strip.used, 4);
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

    const Figures total = Compute(kAll);
    const Figures fa = Compute(a);
    const Figures fb = Compute(b);
    const Figures fc = Compute(c);

    EXPECT_EQ(total.stock, 50 + 25 + 10 - 2 - 1 - 4 - 11);
    EXPECT_EQ(fa.stock, 50 - 2 - 5);
    EXPECT_EQ(fa.used, 5);
    EXPECT_EQ(fb.stock, 25 - 1 - 1);
    EXPECT_EQ(fc.stock, 10);
    EXPECT_EQ(fc.used, 0);
    EXPECT_EQ(fc.last, Day(2024, 1, 1));
}

TEST_F(ComputeStripStockTest, faultyMeasurementWhoseCodeEqualsAnIdDoesNotCountForThatId) {
    AddLedger(Day(2024, 1, 1), 12, -3);

    Compute(kAll);
    const Figures strip12 = Compute(12);

    EXPECT_EQ(strip12.stock, 0);
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
    std::ofstream(ctx.DiaryDbPath, std::ios::trunc) << "no database";

    const Figures total = Compute(kAll);
    const Figures strip = Compute(a);

    EXPECT_EQ(total.used, 0);
    EXPECT_EQ(total.stock, 30);
    EXPECT_EQ(total.last, Day(2024, 1, 1));
    EXPECT_EQ(strip.used, 0);
    EXPECT_EQ(strip.stock, 30);
    EXPECT_EQ(strip.last, Day(2024, 1, 1));
}

TEST_F(ComputeStripStockTest, missingCompanionReceivesNothing) {
    AddReadings(12, Day(2024, 2, 1), 5);
    ctx.StripDbPath = Path("missing.vlt");

    const Figures total = Compute(kAll);

    EXPECT_EQ(total.stock, -5);
    EXPECT_EQ(total.used, 5);
    EXPECT_EQ(total.last, 0.0);
    EXPECT_EQ(ctx.CalcStartDate, 0.0);
    EXPECT_EQ(Compute(1).stock, 0);  // no meter list, so no readings either
}

TEST_F(ComputeStripStockTest, noEngineLeavesEveryFigureAtItsDefault) {
    AddLedger(Day(2024, 1, 1), 1, 30);
    AddReadings(12, Day(2024, 2, 1), 5);
    ctx.engines->Withdraw("DAO.DBEngine.35");
    ctx.engines->Withdraw("DAO.DBEngine.36");

    const Figures total = Compute(kAll);

    EXPECT_EQ(total.stock, 0);
    EXPECT_EQ(total.used, 0);
    EXPECT_EQ(ctx.CalcStartDate, 0.0);
}

TEST_F(ComputeStripStockTest, olderEngineMissingFallsBackToTheNewerOne) {
    AddLedger(Day(2024, 1, 1), 1, 30);
    ctx.engines->Withdraw("DAO.DBEngine.35");

    EXPECT_EQ(Compute(kAll).stock, 30);
}

struct DateTimeCase {
    CivilDateTime when;
    const char* literal;
};

class SqlDateTimeTest : public ::testing::TestWithParam<DateTimeCase> {};

TEST_P(SqlDateTimeTest, writesUsOrderWithMinutes) {
    EXPECT_EQ(SqlDateTime(ToOleDate(GetParam().when)), GetParam().literal);
}

INSTANTIATE_TEST_SUITE_P(
    Literals, SqlDateTimeTest,
    ::testing::Values(DateTimeCase{{2010, 3, 4, 0, 0, 0}, "#3/4/2010 00:00#"},
                      DateTimeCase{{2009, 12, 31, 23, 59, 59}, "#12/31/2009 23:59#"},
                      DateTimeCase{{2024, 6, 15, 7, 5, 0}, "#6/15/2024 07:05#"},
                      DateTimeCase{{1899, 12, 30, 0, 0, 0}, "#12/30/1899 00:00#"}));

struct MeterListCase {
    const char* list;
    bool valid;
};

class MeterListTest : public ::testing::TestWithParam<MeterListCase> {};

TEST_P(MeterListTest, onlyPlainCodeListsMayGoIntoSql) {
    EXPECT_EQ(IsMeterInList(GetParam().list), GetParam().valid) << GetParam().list;
}

INSTANTIATE_TEST_SUITE_P(Lists, MeterListTest,
                         ::testing::Values(MeterListCase{"(12,15)", true},
                                           MeterListCase{"(7)", true}, MeterListCase{"(**)", false},
                                           MeterListCase{"()", false}, MeterListCase{"(1,)", false},
                                           MeterListCase{"(,1)", false},
                                           MeterListCase{"(1,,2)", false},
                                           MeterListCase{"(1) or (1=1)", false},
                                           MeterListCase{"12", false}));

TEST_F(ComputeStripStockTest, meterListWithSqlInItCountsNothing) {
    const auto a = AddStrip("A", "|1) or (1=1|");
    AddReadings(12, Day(2024, 2, 1), 5);

    const Figures strip = Compute(a);

    EXPECT_EQ(strip.used, 0);
}

}  // namespace
}  // namespace stripstock::test
