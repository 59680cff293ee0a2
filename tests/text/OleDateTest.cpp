#include "text/OleDate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

namespace stripstock {
namespace {

void ExpectCivil(const CivilDateTime& dt, int y, int mo, int d, int h, int mi, int s) {
    EXPECT_EQ(dt.year, y);
    EXPECT_EQ(dt.month, mo);
    EXPECT_EQ(dt.day, d);
    EXPECT_EQ(dt.hour, h);
    EXPECT_EQ(dt.minute, mi);
    EXPECT_EQ(dt.second, s);
}

struct OleCase {
    double ole;
    CivilDateTime civil;
};

void PrintTo(const OleCase& c, std::ostream* os) { *os << c.ole; }

class OleDateTest : public ::testing::TestWithParam<OleCase> {};

TEST_P(OleDateTest, convertsBothWays) {
    const auto& c = GetParam();
    EXPECT_DOUBLE_EQ(ToOleDate(c.civil), c.ole);
    const CivilDateTime back = FromOleDate(c.ole);
    ExpectCivil(back, c.civil.year, c.civil.month, c.civil.day, c.civil.hour, c.civil.minute,
                c.civil.second);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OleDateTest,
    ::testing::Values(
        OleCase{0.0, {1899, 12, 30, 0, 0, 0}}, OleCase{1.0, {1899, 12, 31, 0, 0, 0}},
        OleCase{2.25, {1900, 1, 1, 6, 0, 0}}, OleCase{-1.25, {1899, 12, 29, 6, 0, 0}},
        OleCase{0.5, {1899, 12, 30, 12, 0, 0}}, OleCase{-1.0, {1899, 12, 29, 0, 0, 0}},
        OleCase{60.0, {1900, 2, 28, 0, 0, 0}},  // 1900 is no leap year
        OleCase{61.0, {1900, 3, 1, 0, 0, 0}}, OleCase{36526.0, {2000, 1, 1, 0, 0, 0}},
        OleCase{36585.0, {2000, 2, 29, 0, 0, 0}}, OleCase{45284.75, {2023, 12, 24, 18, 0, 0}},
        OleCase{-657434.0, {100, 1, 1, 0, 0, 0}}, OleCase{2958465.0, {9999, 12, 31, 0, 0, 0}}));

TEST(OleDateTest, negativeHalfIsNoonOfZeroDay) {
    ExpectCivil(FromOleDate(-0.5), 1899, 12, 30, 12, 0, 0);
}

TEST(OleDateTest, roundsToNearestSecond) {
    const double oneSecond = 1.0 / 86400.0;
    ExpectCivil(FromOleDate(2.25 + 0.4 * oneSecond), 1900, 1, 1, 6, 0, 0);
    ExpectCivil(FromOleDate(2.25 + 0.6 * oneSecond), 1900, 1, 1, 6, 0, 1);
    ExpectCivil(FromOleDate(2.25 - 0.4 * oneSecond), 1900, 1, 1, 6, 0, 0);
    // Rounding up past midnight moves to the next day, also before the zero day.
    ExpectCivil(FromOleDate(2.0 - 0.2 * oneSecond), 1900, 1, 1, 0, 0, 0);
    ExpectCivil(FromOleDate(-1.0 - (1.0 - 0.2 * oneSecond)), 1899, 12, 30, 0, 0, 0);
}

TEST(OleDateTest, roundTripsEverySecondOfAMinuteAcrossTheYears) {
    for (int year : {100, 1899, 1900, 2024, 9999}) {
        for (int second = 0; second < 60; ++second) {
            const CivilDateTime dt{year, 6, 15, 23, 59, second};
            const CivilDateTime back = FromOleDate(ToOleDate(dt));
            ExpectCivil(back, year, 6, 15, 23, 59, second);
        }
    }
}

TEST(OleDateTest, outOfRangeOrNotANumberGivesZeroDate) {
    ExpectCivil(FromOleDate(std::numeric_limits<double>::quiet_NaN()), 1899, 12, 30, 0, 0, 0);
    ExpectCivil(FromOleDate(std::numeric_limits<double>::infinity()), 1899, 12, 30, 0, 0, 0);
    ExpectCivil(FromOleDate(1e300), 1899, 12, 30, 0, 0, 0);
    ExpectCivil(FromOleDate(-657435.5), 1899, 12, 30, 0, 0, 0);
}

TEST(OleDateTest, rangeTakesAllOfTheFirstAndLastDay) {
    EXPECT_TRUE(IsOleDateInRange(-657434.0));
    EXPECT_TRUE(IsOleDateInRange(-657434.99));  // 1.1.100, 23:45
    ExpectCivil(FromOleDate(-657434.5), 100, 1, 1, 12, 0, 0);
    EXPECT_FALSE(IsOleDateInRange(-657435.0));
    EXPECT_TRUE(IsOleDateInRange(2958465.5));
    EXPECT_FALSE(IsOleDateInRange(2958466.0));
    EXPECT_FALSE(IsOleDateInRange(std::numeric_limits<double>::quiet_NaN()));
}

TEST(OleDateTest, dateOnlyDropsTheTimeOnBothSidesOfZero) {
    EXPECT_DOUBLE_EQ(OleDateOnly(45284.75), 45284.0);
    EXPECT_DOUBLE_EQ(OleDateOnly(-1.25), -1.0);
    EXPECT_DOUBLE_EQ(OleDateOnly(0.9), 0.0);
    EXPECT_DOUBLE_EQ(OleDateOnly(-0.5), 0.0);
}

TEST(IsValidDateTest, checksCalendarAndYearRange) {
    EXPECT_TRUE(IsValidDate(2024, 2, 29));
    EXPECT_FALSE(IsValidDate(2023, 2, 29));
    EXPECT_FALSE(IsValidDate(1900, 2, 29));
    EXPECT_TRUE(IsValidDate(2000, 2, 29));
    EXPECT_FALSE(IsValidDate(2010, 2, 31));
    EXPECT_FALSE(IsValidDate(2010, 4, 31));
    EXPECT_FALSE(IsValidDate(2010, 13, 1));
    EXPECT_FALSE(IsValidDate(2010, 0, 1));
    EXPECT_FALSE(IsValidDate(2010, 1, 0));
    EXPECT_TRUE(IsValidDate(100, 1, 1));
    EXPECT_FALSE(IsValidDate(99, 12, 31));
    EXPECT_TRUE(IsValidDate(9999, 12, 31));
    EXPECT_FALSE(IsValidDate(10000, 1, 1));
}

}  // namespace
}  // namespace stripstock
