#include "text/OleDate.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

namespace stripstock {
namespace {

using Fields = std::array<int, 6>;

// Year to second in one value, so a failure shows the whole date.
Fields Of(const CivilDateTime& dt) {
    return {dt.year, dt.month, dt.day, dt.hour, dt.minute, dt.second};
}

TEST(OleDateTest, convertsBothWays) {
    struct Case {
        double ole;
        CivilDateTime civil;
    };
    // Day 60 is 28.2.1900: 1900 is no leap year.
    for (const auto& c :
         {Case{0.0, {1899, 12, 30, 0, 0, 0}}, Case{1.0, {1899, 12, 31, 0, 0, 0}},
          Case{2.25, {1900, 1, 1, 6, 0, 0}}, Case{-1.25, {1899, 12, 29, 6, 0, 0}},
          Case{0.5, {1899, 12, 30, 12, 0, 0}}, Case{-1.0, {1899, 12, 29, 0, 0, 0}},
          Case{60.0, {1900, 2, 28, 0, 0, 0}}, Case{61.0, {1900, 3, 1, 0, 0, 0}},
          Case{36526.0, {2000, 1, 1, 0, 0, 0}}, Case{36585.0, {2000, 2, 29, 0, 0, 0}},
          Case{45284.75, {2023, 12, 24, 18, 0, 0}}, Case{-657434.0, {100, 1, 1, 0, 0, 0}},
          Case{2958465.0, {9999, 12, 31, 0, 0, 0}}}) {
        EXPECT_DOUBLE_EQ(ToOleDate(c.civil), c.ole);
        EXPECT_EQ(Of(FromOleDate(c.ole)), Of(c.civil)) << c.ole;
    }
}

TEST(OleDateTest, readsRoundedToTheSecondAndOutOfRangeAsTheZeroDate) {
    const double second = 1.0 / 86400.0;
    EXPECT_EQ(Of(FromOleDate(-0.5)), (Fields{1899, 12, 30, 12, 0, 0}));  // noon of the zero day
    EXPECT_EQ(Of(FromOleDate(2.25 + 0.4 * second)), (Fields{1900, 1, 1, 6, 0, 0}));
    EXPECT_EQ(Of(FromOleDate(2.25 + 0.6 * second)), (Fields{1900, 1, 1, 6, 0, 1}));
    EXPECT_EQ(Of(FromOleDate(2.25 - 0.4 * second)), (Fields{1900, 1, 1, 6, 0, 0}));
    // Rounding up past midnight moves to the next day, also before the zero day.
    EXPECT_EQ(Of(FromOleDate(2.0 - 0.2 * second)), (Fields{1900, 1, 1, 0, 0, 0}));
    EXPECT_EQ(Of(FromOleDate(-1.0 - (1.0 - 0.2 * second))), (Fields{1899, 12, 30, 0, 0, 0}));
    EXPECT_EQ(Of(FromOleDate(-657434.5)), (Fields{100, 1, 1, 12, 0, 0}));
    for (double ole : {std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity(), 1e300, -657435.5}) {
        EXPECT_EQ(Of(FromOleDate(ole)), (Fields{1899, 12, 30, 0, 0, 0})) << ole;
    }

    for (int year : {100, 1899, 1900, 2024, 9999}) {
        for (int s = 0; s < 60; ++s) {
            EXPECT_EQ(Of(FromOleDate(ToOleDate({year, 6, 15, 23, 59, s}))),
                      (Fields{year, 6, 15, 23, 59, s}));
        }
    }
}

TEST(OleDateTest, rangeTakesAllOfTheFirstAndLastDayAndDateOnlyDropsTheTime) {
    EXPECT_TRUE(IsOleDateInRange(-657434.0));
    EXPECT_TRUE(IsOleDateInRange(-657434.99));  // 1.1.100, 23:45
    EXPECT_FALSE(IsOleDateInRange(-657435.0));
    EXPECT_TRUE(IsOleDateInRange(2958465.5));
    EXPECT_FALSE(IsOleDateInRange(2958466.0));
    EXPECT_FALSE(IsOleDateInRange(std::numeric_limits<double>::quiet_NaN()));
    // On both sides of zero.
    EXPECT_DOUBLE_EQ(OleDateOnly(45284.75), 45284.0);
    EXPECT_DOUBLE_EQ(OleDateOnly(-1.25), -1.0);
    EXPECT_DOUBLE_EQ(OleDateOnly(0.9), 0.0);
    EXPECT_DOUBLE_EQ(OleDateOnly(-0.5), 0.0);
}

TEST(IsValidDateTest, checksCalendarAndYearRange) {
    struct Case {
        int year, month, day;
        bool valid;
    };
    for (const Case& c :
         {Case{2024, 2, 29, true}, Case{2023, 2, 29, false}, Case{1900, 2, 29, false},
          Case{2000, 2, 29, true}, Case{2010, 2, 31, false}, Case{2010, 4, 31, false},
          Case{2010, 13, 1, false}, Case{2010, 0, 1, false}, Case{2010, 1, 0, false},
          Case{100, 1, 1, true}, Case{99, 12, 31, false}, Case{9999, 12, 31, true},
          Case{10000, 1, 1, false}})
        EXPECT_EQ(IsValidDate(c.year, c.month, c.day), c.valid)
            << c.year << "-" << c.month << "-" << c.day;
}

}  // namespace
}  // namespace stripstock
