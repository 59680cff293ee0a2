#include "text/Regional.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <ostream>
#include <string>

#include "text/OleDate.h"

namespace stripstock {
namespace {

double Ole(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return ToOleDate(CivilDateTime{y, mo, d, h, mi, s});
}

// --- ParseDate ------------------------------------------------------------------------------

struct DateCase {
    std::string text;
    std::optional<double> expected;
};

void PrintTo(const DateCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ParseDateTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(ParseDateTest, readsGermanAndIsoDates) {
    const auto result = ParseDate(GetParam().text);
    ASSERT_EQ(result.has_value(), GetParam().expected.has_value());
    if (result) {
        EXPECT_DOUBLE_EQ(*result, *GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Valid, ParseDateTest,
    ::testing::Values(
        DateCase{"24.12.2023", Ole(2023, 12, 24)}, DateCase{"1.2.2010", Ole(2010, 2, 1)},
        DateCase{"01.02.2010", Ole(2010, 2, 1)}, DateCase{"  24.12.2023  ", Ole(2023, 12, 24)},
        DateCase{"29.2.2024", Ole(2024, 2, 29)}, DateCase{"1.1.00", Ole(2000, 1, 1)},
        DateCase{"1.1.29", Ole(2029, 1, 1)}, DateCase{"1.1.30", Ole(1930, 1, 1)},
        DateCase{"1.1.99", Ole(1999, 1, 1)}, DateCase{"1.1.5", Ole(2005, 1, 1)},
        DateCase{"1.1.100", Ole(100, 1, 1)}, DateCase{"31.12.9999", Ole(9999, 12, 31)},
        DateCase{"24.12.2023 18:30", Ole(2023, 12, 24, 18, 30)},
        DateCase{"24.12.2023   8:05:09", Ole(2023, 12, 24, 8, 5, 9)},
        DateCase{"24.12.2023 23:59:59", Ole(2023, 12, 24, 23, 59, 59)},
        DateCase{"1.1.1899 06:00", Ole(1899, 1, 1, 6)}, DateCase{"2024-03-07", Ole(2024, 3, 7)},
        DateCase{"2024-3-7 12:00", Ole(2024, 3, 7, 12)}, DateCase{"30.12.1899", 0.0}));

INSTANTIATE_TEST_SUITE_P(
    Invalid, ParseDateTest,
    ::testing::Values(
        DateCase{"", std::nullopt}, DateCase{"   ", std::nullopt},
        DateCase{"31.2.2010", std::nullopt}, DateCase{"29.2.2023", std::nullopt},
        DateCase{"1.13.2024", std::nullopt}, DateCase{"0.1.2024", std::nullopt},
        DateCase{"24.12.", std::nullopt}, DateCase{"24.12", std::nullopt},
        DateCase{"24.12.2023.", std::nullopt}, DateCase{"2024", std::nullopt},
        DateCase{"12", std::nullopt}, DateCase{"abc", std::nullopt},
        DateCase{"24/12/2023", std::nullopt}, DateCase{"24.12.2023 24:00", std::nullopt},
        DateCase{"24.12.2023 12:60", std::nullopt}, DateCase{"24.12.2023 12:00:60", std::nullopt},
        DateCase{"24.12.2023 12", std::nullopt}, DateCase{"24.12.2023 12:", std::nullopt},
        DateCase{"24.12.2023 12:00:", std::nullopt}, DateCase{"24.12.202312:00", std::nullopt},
        DateCase{"24.12.2023x", std::nullopt}, DateCase{"12:00", std::nullopt},
        DateCase{"1.1.099", std::nullopt}, DateCase{"1.1.10000", std::nullopt},
        DateCase{"2024-02-30", std::nullopt}, DateCase{"2024-03", std::nullopt},
        DateCase{"-1.1.2024", std::nullopt}, DateCase{"1.001.2010", std::nullopt},
        DateCase{"001.1.2010", std::nullopt},
        DateCase{"99999999999999999999.1.2024", std::nullopt}));

TEST(ParseDateTest, followsTheTwoDigitYearWindowOfTheRegion) {
    RegionalSettings region;
    region.twoDigitYearMax = 2049;
    EXPECT_DOUBLE_EQ(*ParseDate("1.1.49", region), Ole(2049, 1, 1));
    EXPECT_DOUBLE_EQ(*ParseDate("1.1.50", region), Ole(1950, 1, 1));
}

TEST(IsZeroDateTest, trueOnlyForMidnightOfTheZeroDay) {
    EXPECT_TRUE(IsZeroDate(0.0));
    EXPECT_TRUE(IsZeroDate(*ParseDate("30.12.1899")));
    EXPECT_FALSE(IsZeroDate(*ParseDate("30.12.1899 00:00:01")));
    EXPECT_FALSE(IsZeroDate(1.0));
    EXPECT_FALSE(IsZeroDate(-1.0));
}

TEST(FormatShortDateTest, writesDayMonthYearWithoutTime) {
    EXPECT_EQ(FormatShortDate(Ole(2023, 1, 2, 18, 30)), "02.01.2023");
    EXPECT_EQ(FormatShortDate(0.0), "30.12.1899");
    EXPECT_EQ(FormatShortDate(-1.25), "29.12.1899");
    EXPECT_EQ(FormatShortDate(Ole(100, 1, 1)), "01.01.0100");
    EXPECT_EQ(*ParseDate(FormatShortDate(Ole(2024, 2, 29))), Ole(2024, 2, 29));
}

// --- ParseInt16 -----------------------------------------------------------------------------

struct IntCase {
    std::string text;
    std::optional<int> expected;
};

void PrintTo(const IntCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ParseInt16Test : public ::testing::TestWithParam<IntCase> {};

TEST_P(ParseInt16Test, convertsLikeGermanCInt) {
    const auto result = ParseInt16(GetParam().text);
    ASSERT_EQ(result.has_value(), GetParam().expected.has_value());
    if (result) {
        EXPECT_EQ(*result, *GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Valid, ParseInt16Test,
    ::testing::Values(IntCase{"0", 0}, IntCase{"50", 50}, IntCase{"  50  ", 50}, IntCase{"+7", 7},
                      IntCase{"-7", -7}, IntCase{"007", 7}, IntCase{"1.000", 1000},
                      IntCase{"2.5", 25}, IntCase{"1.2.3", 123}, IntCase{"0,5", 0},
                      IntCase{"1,5", 2}, IntCase{"2,5", 2}, IntCase{"3,5", 4}, IntCase{"-2,5", -2},
                      IntCase{"-3,5", -4}, IntCase{"2,51", 3}, IntCase{"2,500", 2},
                      IntCase{"2,4999", 2}, IntCase{"2,6", 3}, IntCase{",5", 0}, IntCase{",6", 1},
                      IntCase{"1,", 1}, IntCase{"32767", 32767}, IntCase{"-32768", -32768},
                      IntCase{"32.767", 32767}, IntCase{"32767,4", 32767},
                      IntCase{"-32768,5", -32768}));

INSTANTIATE_TEST_SUITE_P(
    Invalid, ParseInt16Test,
    ::testing::Values(
        IntCase{"", std::nullopt}, IntCase{"  ", std::nullopt}, IntCase{"abc", std::nullopt},
        IntCase{"12a", std::nullopt}, IntCase{"-", std::nullopt}, IntCase{",", std::nullopt},
        IntCase{".5", std::nullopt}, IntCase{"1,2.3", std::nullopt}, IntCase{"1,2,3", std::nullopt},
        IntCase{"1 2", std::nullopt}, IntCase{"--1", std::nullopt}, IntCase{"32768", std::nullopt},
        IntCase{"32767,5", std::nullopt}, IntCase{"-32769", std::nullopt},
        IntCase{"-32768,6", std::nullopt}, IntCase{"99999999999999999999999", std::nullopt}));

}  // namespace
}  // namespace stripstock

namespace stripstock {
namespace {

TEST(BasicValTest, readsTheLeadingNumberAsBasicDoes) {
    EXPECT_EQ(BasicVal("  1 2.5x"), 12.5);
    EXPECT_EQ(BasicVal("-3e2"), -300.0);
    EXPECT_EQ(BasicVal("1d2"), 100.0);
    EXPECT_EQ(BasicVal("2e"), 2.0);
    EXPECT_EQ(BasicVal("1,5"), 1.0);  // the comma is no decimal point here
    EXPECT_EQ(BasicVal("abc"), 0.0);
    EXPECT_EQ(BasicVal("."), 0.0);
    EXPECT_EQ(BasicVal("1e-999"), 0.0);
    EXPECT_TRUE(std::isinf(BasicVal("1e999")));
}

}  // namespace
}  // namespace stripstock
