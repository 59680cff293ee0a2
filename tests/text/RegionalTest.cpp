#include "text/Regional.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/Files.h"

namespace stripstock {
namespace {

using test::Day;

TEST(RegionalTest, parseDateReadsGermanAndIsoDatesAndRefusesTheRest) {
    struct Case {
        const char* text;
        double expected;
    };
    for (const auto& c :
         {Case{"24.12.2023", Day(2023, 12, 24)}, Case{"1.2.2010", Day(2010, 2, 1)},
          Case{"01.02.2010", Day(2010, 2, 1)}, Case{"  24.12.2023  ", Day(2023, 12, 24)},
          Case{"29.2.2024", Day(2024, 2, 29)}, Case{"1.1.00", Day(2000, 1, 1)},
          Case{"1.1.29", Day(2029, 1, 1)}, Case{"1.1.30", Day(1930, 1, 1)},
          Case{"1.1.99", Day(1999, 1, 1)}, Case{"1.1.5", Day(2005, 1, 1)},
          Case{"1.1.100", Day(100, 1, 1)}, Case{"31.12.9999", Day(9999, 12, 31)},
          Case{"24.12.2023 18:30", Day(2023, 12, 24, 18, 30)},
          Case{"24.12.2023   8:05:09", Day(2023, 12, 24, 8, 5, 9)},
          Case{"24.12.2023 23:59:59", Day(2023, 12, 24, 23, 59, 59)},
          Case{"1.1.1899 06:00", Day(1899, 1, 1, 6)}, Case{"2024-03-07", Day(2024, 3, 7)},
          Case{"2024-3-7 12:00", Day(2024, 3, 7, 12)}, Case{"30.12.1899", 0.0}}) {
        const auto result = ParseDate(c.text);
        ASSERT_TRUE(result) << c.text;
        EXPECT_DOUBLE_EQ(*result, c.expected) << c.text;
    }
    // No date of the calendar or not in its shape.
    for (const char* text : {"", "   ", "31.2.2010", "29.2.2023", "1.13.2024", "0.1.2024", "24.12.",
                             "24.12", "24.12.2023.", "2024", "12", "abc", "24/12/2023"})
        EXPECT_FALSE(ParseDate(text)) << text;
    // A wrong time, trailing text or a year out of range.
    for (const char* text :
         {"24.12.2023 24:00", "24.12.2023 12:60", "24.12.2023 12:00:60", "24.12.2023 12",
          "24.12.2023 12:", "24.12.2023 12:00:", "24.12.202312:00", "24.12.2023x", "12:00",
          "1.1.099", "1.1.10000", "2024-02-30", "2024-03", "-1.1.2024", "1.001.2010", "001.1.2010",
          "99999999999999999999.1.2024"})
        EXPECT_FALSE(ParseDate(text)) << text;
}

TEST(RegionalTest, twoDigitYearWindowZeroDateAndShortFormat) {
    RegionalSettings region;
    region.twoDigitYearMax = 2049;
    EXPECT_DOUBLE_EQ(*ParseDate("1.1.49", region), Day(2049, 1, 1));
    EXPECT_DOUBLE_EQ(*ParseDate("1.1.50", region), Day(1950, 1, 1));
    // Only midnight of the zero day is the zero date.
    EXPECT_TRUE(IsZeroDate(0.0));
    EXPECT_TRUE(IsZeroDate(*ParseDate("30.12.1899")));
    EXPECT_FALSE(IsZeroDate(*ParseDate("30.12.1899 00:00:01")));
    EXPECT_FALSE(IsZeroDate(1.0));
    EXPECT_FALSE(IsZeroDate(-1.0));
    // Day, month and year without the time.
    EXPECT_EQ(FormatShortDate(Day(2023, 1, 2, 18, 30)), "02.01.2023");
    EXPECT_EQ(FormatShortDate(Day(100, 1, 1)), "01.01.0100");
    EXPECT_EQ(*ParseDate(FormatShortDate(Day(2024, 2, 29))), Day(2024, 2, 29));
}

TEST(RegionalTest, parseInt16ConvertsLikeGermanCIntAndRefusesTheRest) {
    struct Case {
        const char* text;
        int expected;
    };
    // Dots group thousands anywhere.
    for (const auto& c :
         {Case{"0", 0}, Case{"50", 50}, Case{"  50  ", 50}, Case{"+7", 7}, Case{"-7", -7},
          Case{"007", 7}, Case{"1.000", 1000}, Case{"2.5", 25}, Case{"1.2.3", 123},
          Case{"32767", 32767}, Case{"-32768", -32768}, Case{"32.767", 32767}}) {
        EXPECT_EQ(ParseInt16(c.text), c.expected) << c.text;
    }
    // A decimal comma rounds half to even.
    for (const auto& c : {Case{"0,5", 0}, Case{"1,5", 2}, Case{"2,5", 2}, Case{"3,5", 4},
                          Case{"-2,5", -2}, Case{"-3,5", -4}, Case{"2,51", 3}, Case{"2,500", 2},
                          Case{"2,4999", 2}, Case{"2,6", 3}, Case{",5", 0}, Case{",6", 1},
                          Case{"1,", 1}, Case{"32767,4", 32767}, Case{"-32768,5", -32768}}) {
        EXPECT_EQ(ParseInt16(c.text), c.expected) << c.text;
    }
    // No number.
    for (const char* text :
         {"", "  ", "abc", "12a", "-", ",", ".5", "1,2.3", "1,2,3", "1 2", "--1"})
        EXPECT_FALSE(ParseInt16(text)) << text;
    // Beyond the range of a 16-bit integer.
    for (const char* text : {"32768", "32767,5", "-32769", "-32768,6", "99999999999999999999999"})
        EXPECT_FALSE(ParseInt16(text)) << text;
}

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
