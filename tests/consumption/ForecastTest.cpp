#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "ConsumptionFixture.h"
#include "consumption/ComputeConsumption.h"
#include "consumption/Forecast.h"
#include "host/Registry.h"

namespace stripstock::test {
namespace {

using ::testing::ElementsAre;
using ::testing::Field;

TEST(ForecastRulesTest, runOutIsRoundedDownAndNeedsAKnownPositiveStockAndARateAndWarns) {
    const double today = Day(2024, 6, 15);
    EXPECT_EQ(RunOutDate(today, 10, 3.0).date, today + 3);  // 3.33 days
    EXPECT_EQ(RunOutDate(today, 10, 0.0), RunOut{});
    EXPECT_EQ(RunOutDate(today, std::nullopt, 2.0), RunOut{});
    EXPECT_EQ(RunOutDate(today, 0, 0.0), (RunOut{true, std::nullopt}));
    EXPECT_EQ(RunOutDate(today, -7, 1.0), (RunOut{true, std::nullopt}));
    // Lasting past the calendar's end is lasting, not a date.
    EXPECT_EQ(RunOutDate(today, std::numeric_limits<std::int32_t>::max(), 1.0 / 3650), RunOut{});
    EXPECT_EQ(RatePerDay(12, 0), 0.0);
    // The warning period includes its last day.
    EXPECT_TRUE(NeedsPrescription({false, today + 14}, today, 14));
    EXPECT_FALSE(NeedsPrescription({false, today + 15}, today, 14));
    EXPECT_TRUE(NeedsPrescription({true, std::nullopt}, today, 14));
    EXPECT_FALSE(NeedsPrescription({}, today, 14));
    // The warning line names the warning period in use.
    Forecast f;
    f.settings.warnDays = 30;
    EXPECT_EQ(WarningLine(f), "Alle Teststreifen reichen länger als 30 Tage.");
    f.settings.warnDays = 1;
    EXPECT_EQ(WarningLine(f), "Alle Teststreifen reichen länger als 1 Tag.");
}

using ForecastSettingsTest = HostFixture;

TEST_F(ForecastSettingsTest, unusableValuesKeepTheDefaultsAndValuesAreWrittenAsDecimalText) {
    auto Store = [&](const char* name, const char* value) {
        ASSERT_TRUE(registry->RegWriteString(kHkeyLocalMachine, ctx.AddonRegKey, name, value));
    };
    auto Stored = [&](const char* name) {
        std::string value = "<none>";
        registry->RegReadValue(kHkeyLocalMachine, ctx.AddonRegKey, name, value);
        return value;
    };
    EXPECT_EQ(ReadForecastSettings(ctx), (ForecastSettings{90, 14}));
    EXPECT_EQ(Stored("RateDays"), "<none>");
    for (const char* garbage : {"abc", "0", "-3", "3651", "12x", "1.5", "99999999999"}) {
        Store("RateDays", garbage);
        Store("WarnDays", garbage);
        EXPECT_EQ(ReadForecastSettings(ctx), (ForecastSettings{90, 14})) << garbage;
    }
    Store("RateDays", " 30 ");
    Store("WarnDays", "3650");
    EXPECT_EQ(ReadForecastSettings(ctx), (ForecastSettings{30, 3650}));
    ASSERT_TRUE(WriteForecastSettings(ctx, {45, 7}));
    EXPECT_EQ(Stored("RateDays"), "45");
    EXPECT_EQ(Stored("WarnDays"), "7");
    EXPECT_EQ(ReadForecastSettings(ctx), (ForecastSettings{45, 7}));
}

// A forecast row's figures; the run-out date, when given, is today + lasts days, and a negative
// lasts means used up.
auto RowIs(const std::string& name, std::optional<std::int32_t> stock, std::int64_t used,
           int windowDays, double perDay, std::optional<int> lasts, bool warn) {
    const RunOut runOut = !lasts       ? RunOut{}
                          : *lasts < 0 ? RunOut{true, std::nullopt}
                                       : RunOut{false, Day(2024, 6, 15) + *lasts};
    return AllOf(Field(&ForecastRow::name, name), Field(&ForecastRow::stock, stock),
                 Field(&ForecastRow::usedInWindow, used),
                 Field(&ForecastRow::windowDays, windowDays),
                 Field(&ForecastRow::perDay, ::testing::DoubleEq(perDay)),
                 Field(&ForecastRow::runOut, runOut), Field(&ForecastRow::warn, warn));
}

class ForecastTest : public ConsumptionFixture {
  protected:
    const double today = Day(2024, 6, 15);
    Forecast Compute(const ForecastSettings& settings = {}) {
        return ComputeForecast(ctx, stripList, settings);
    }
    // count readings of the meter on each of the days first..last.
    void ReadingsEachDay(int meter, double first, double last, int count) {
        for (double day = first; day <= last; ++day) AddReadings(meter, day, count);
    }
};

TEST_F(ForecastTest, aPeriodShorterThanTheWindowIsTheWindowAndTodayIsNotInIt) {
    const auto a = AddStrip("A", "|12|");
    AddLedger(Day(2024, 6, 5, 9, 0), a, 100);  // the period's start, ten days ago
    ReadingsEachDay(12, Day(2024, 6, 5), Day(2024, 6, 14), 2);
    AddLedger(Day(2024, 6, 10), 12, -4);  // faulty measurements are used strips
    AddReadings(12, today, 3);            // today's readings lower the stock only
    AddReadings(7, Day(2024, 6, 12), 6);  // another meter: the total's
    const Forecast f = Compute();
    // 73 / 2.4 = 30.4 days
    EXPECT_THAT(f.strips, ElementsAre(RowIs("A", 100 - 4 - 20 - 3, 24, 10, 2.4, 30, false)));
    EXPECT_EQ(f.total.id, -1);
    EXPECT_THAT(f.total, RowIs("Gesamt", 100 - 4 - 20 - 3 - 6, 30, 10, 3.0, 22, false));
    EXPECT_EQ(f.today, today);
    EXPECT_EQ(f.diaryFailure, "");
}

TEST_F(ForecastTest, theWindowIsTheLastRateDaysBeforeToday) {
    const auto a = AddStrip("A", "|12|");
    AddLedger(Day(2024, 1, 1), a, 500);
    AddReadings(12, Day(2024, 6, 7), 100);  // eight days ago: outside a window of 7
    ReadingsEachDay(12, Day(2024, 6, 8), Day(2024, 6, 14), 1);
    AddReadings(12, today, 100);
    EXPECT_THAT(Compute({7, 14}).strips, ElementsAre(RowIs("A", 500 - 207, 7, 7, 1.0, 293, false)));
}

TEST_F(ForecastTest, aPrescriptionTodayHasNoRateYetAndWarnsOfNothing) {
    const auto a = AddStrip("A", "|12|");
    AddLedger(Day(2024, 6, 15, 8, 0), a, 50);
    AddReadings(12, today, 4);
    const Forecast f = Compute();
    EXPECT_THAT(f.strips, ElementsAre(RowIs("A", 46, 0, 0, 0.0, std::nullopt, false)));
    EXPECT_EQ(WarningLine(f), "Alle Teststreifen reichen länger als 14 Tage.");
}

TEST_F(ForecastTest, usedUpAndTheBoundaryDayWarnInStripListOrder) {
    // Ten days of 2 readings a day for each meter: 2 strips a day.
    const auto usedUp = AddStrip("Leer", "|1|");
    const auto unused = AddStrip("Unbenutzt", "|2|");
    const auto boundary = AddStrip("Knapp", "|3|");
    const auto dayLater = AddStrip("Reicht", "|4|");
    AddLedger(Day(2024, 6, 5), usedUp, 10);
    AddLedger(Day(2024, 6, 5), unused, 100);
    AddLedger(Day(2024, 6, 5), boundary, 48);
    AddLedger(Day(2024, 6, 5), dayLater, 50);
    for (int meter : {1, 3, 4}) ReadingsEachDay(meter, Day(2024, 6, 5), Day(2024, 6, 14), 2);
    const Forecast f = Compute();
    EXPECT_THAT(f.strips, ElementsAre(RowIs("Leer", -10, 20, 10, 2.0, -1, true),
                                      RowIs("Unbenutzt", 100, 0, 10, 0.0, std::nullopt, false),
                                      RowIs("Knapp", 28, 20, 10, 2.0, 14, true),
                                      RowIs("Reicht", 30, 20, 10, 2.0, 15, false)));
    EXPECT_EQ(WarningLine(f), "Neue Verordnung nötig für: Leer, Knapp");
    // A shorter warning period: the boundary strip lasts long enough, the line says how long.
    const Forecast shorter = Compute({90, 13});
    EXPECT_FALSE(shorter.strips[2].warn);
    EXPECT_EQ(WarningLine(shorter), "Neue Verordnung nötig für: Leer");
}

TEST_F(ForecastTest, aDiaryThatCannotBeReadLeavesEveryStockUnknown) {
    const auto a = AddStrip("A", "|12|");
    AddLedger(Day(2024, 1, 1), a, 5);
    AddLedger(Day(2024, 6, 1), 12, -3);  // no rate from the ledger alone
    WriteBytes(diary, "kein Tagebuch");
    const Forecast f = Compute();
    EXPECT_THAT(f.diaryFailure, ::testing::StartsWith("Das Tagebuch konnte nicht gelesen werden"));
    EXPECT_EQ(f.total.stock, std::nullopt);
    EXPECT_THAT(f.strips, ElementsAre(RowIs("A", std::nullopt, 0, 90, 0.0, std::nullopt, false)));
    EXPECT_EQ(WarningLine(f), f.diaryFailure);
}

using HistoryTest = ForecastTest;

auto Row(const std::string& period, std::int64_t received, std::int64_t readings,
         std::int64_t faulty, std::int64_t stockAtEnd) {
    return ::testing::AllOf(
        Field(&HistoryRow::period, period), Field(&HistoryRow::received, received),
        Field(&HistoryRow::readings, readings), Field(&HistoryRow::faulty, faulty),
        Field(&HistoryRow::stockAtEnd, stockAtEnd));
}

TEST_F(HistoryTest, monthsAndQuartersFromThePeriodStartToToday) {
    const auto a = AddStrip("A", "|12|");
    const auto b = AddStrip("B", "|7|");
    AddLedger(Day(2024, 3, 20, 10, 0), a, 50);
    AddLedger(Day(2024, 5, 2), 12, -2);
    AddLedger(Day(2024, 5, 25), a, 50);
    AddLedger(Day(2024, 4, 1), b, 25);
    AddReadings(12, Day(2024, 3, 1), 9);  // before the period
    AddReadings(12, Day(2024, 3, 20), 1);
    AddReadings(12, Day(2024, 4, 10), 30);
    AddReadings(12, today, 5);
    AddReadings(7, Day(2024, 6, 1), 4);
    AddReadings(99, Day(2024, 6, 2), 1);  // no definition's meter: the total's
    const History months = ComputeHistory(ctx, stripList, HistoryStep::Month);
    ASSERT_EQ(months.strips.size(), 2u);
    EXPECT_THAT(months.strips[0].rows,
                ElementsAre(Row("2024-03", 50, 1, 0, 49), Row("2024-04", 0, 30, 0, 19),
                            Row("2024-05", 50, 0, 2, 67), Row("2024-06", 0, 5, 0, 62)));
    EXPECT_EQ(months.strips[0].rows.front().first, Day(2024, 3, 20));
    EXPECT_EQ(months.strips[0].rows.front().last, Day(2024, 3, 31));
    EXPECT_EQ(months.strips[0].rows.back().first, Day(2024, 6, 1));
    EXPECT_EQ(months.strips[0].rows.back().last, today);
    EXPECT_THAT(months.strips[1].rows.back(), Row("2024-06", 0, 4, 0, 21));
    EXPECT_THAT(months.total.rows.back(), Row("2024-06", 0, 10, 0, 50 + 50 + 25 - 2 - 36 - 4 - 1));
    const History quarters = ComputeHistory(ctx, stripList, HistoryStep::Quarter);
    EXPECT_THAT(quarters.strips[0].rows,
                ElementsAre(Row("2024-Q1", 50, 1, 0, 49), Row("2024-Q2", 50, 35, 2, 62)));
    // The last stock is the consumption table's.
    const ConsumptionFigures figures = ComputeConsumption(ctx, stripList);
    EXPECT_EQ(months.strips[0].rows.back().stockAtEnd, figures.strips[0]->Stock());
    EXPECT_EQ(months.strips[1].rows.back().stockAtEnd, figures.strips[1]->Stock());
    EXPECT_EQ(months.total.rows.back().stockAtEnd, figures.total.Stock());
}

TEST_F(HistoryTest, theCurveStepsAtEachLedgerDayAndMarksMonthEndsOnly) {
    const auto a = AddStrip("A", "|12|");
    AddLedger(Day(2024, 4, 20), a, 100);
    ReadingsEachDay(12, Day(2024, 4, 21), Day(2024, 5, 20), 1);  // thirty reading days
    AddLedger(Day(2024, 5, 10), a, 50);
    AddReadings(12, Day(2024, 5, 10), 2);  // used on the day of the step, before it
    const std::vector<StockPoint> curve =
        ComputeHistory(ctx, stripList, HistoryStep::Quarter).strips.at(0).curve;
    auto point = [](double date, std::int64_t stock) {
        return ::testing::AllOf(Field(&StockPoint::date, date), Field(&StockPoint::stock, stock));
    };
    EXPECT_THAT(curve, ElementsAre(point(Day(2024, 4, 20), 0), point(Day(2024, 4, 20), 100),
                                   point(Day(2024, 4, 30), 90), point(Day(2024, 5, 10), 78),
                                   point(Day(2024, 5, 10), 128), point(Day(2024, 5, 31), 118),
                                   point(today, 118)));
}

TEST_F(HistoryTest, undatedReadingsAndDamagedAmountsKeepTheConsumptionTablesSums) {
    AddStrip("A", "|12|");
    AddReadings(12, Day(2024, 5, 1), 3);
    // Without a ledger date the period has no start: count(vdate) counts every reading.
    Sql(diary).Exec(
        "INSERT INTO GLUCOSE (vdate, vtime, value, method) VALUES ('kein Datum', 0.5, 90, 12),"
        " (1e12, 0.5, 90, 12), (-1e9, 0.5, 90, 12)");
    const History undated = ComputeHistory(ctx, stripList, HistoryStep::Month);
    const ConsumptionFigures figures = ComputeConsumption(ctx, stripList);
    ASSERT_EQ(undated.diaryFailure, "");
    EXPECT_EQ(undated.strips.at(0).rows.front().period, "2024-05");
    EXPECT_EQ(undated.strips.at(0).rows.back().stockAtEnd, figures.strips.at(0)->Stock());
    EXPECT_EQ(undated.total.rows.back().stockAtEnd, -6);
    AddLedger(Day(2024, 5, 2), 1, 50);
    Sql(ctx.StripDbPath)
        .Exec("INSERT INTO teststrips (Date, Type, Amount) VALUES (" +
              std::to_string(Day(2024, 5, 3)) + ", 1, 'viel')");
    const History damaged = ComputeHistory(ctx, stripList, HistoryStep::Month);
    const ConsumptionFigures after = ComputeConsumption(ctx, stripList);
    EXPECT_EQ(damaged.strips.at(0).rows.back().stockAtEnd, after.strips.at(0)->Stock());
    EXPECT_EQ(damaged.total.rows.back().stockAtEnd, after.total.Stock());
}

}  // namespace
}  // namespace stripstock::test
