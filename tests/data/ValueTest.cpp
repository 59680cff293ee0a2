#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "data/Dao.h"
#include "support/TestHost.h"

namespace stripstock::dao {
namespace {

struct ConversionCase {
    const char* name;
    Value value;
    std::function<double(const Value&)> convert;
    double expected;  // when error == 0
    int error;
};

class ConvertsLikeTypedAssignment : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ConvertsLikeTypedAssignment, givesValueOrError) {
    const auto& c = GetParam();
    double converted = 0.0;
    EXPECT_EQ(test::ErrorOf([&] { converted = c.convert(c.value); }), c.error);
    if (c.error == 0) {
        EXPECT_DOUBLE_EQ(converted, c.expected);
    }
}

double Long(const Value& v) { return ToLong(v); }
double Integer(const Value& v) { return ToInteger(v); }
double DateOf(const Value& v) { return ToDate(v); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ConvertsLikeTypedAssignment,
    ::testing::Values(
        ConversionCase{"longNull", Value(), Long, 0, kErrInvalidUseOfNull},
        ConversionCase{"integerNull", Value(), Integer, 0, kErrInvalidUseOfNull},
        ConversionCase{"dateNull", Value(), DateOf, 0, kErrInvalidUseOfNull},
        ConversionCase{"longWhole", Value(std::int64_t{2147483647}), Long, 2147483647, 0},
        ConversionCase{"longTooBig", Value(std::int64_t{2147483648}), Long, 0, kErrOverflow},
        ConversionCase{"longHalfDown", Value(2.5), Long, 2, 0},
        ConversionCase{"longHalfUp", Value(3.5), Long, 4, 0},
        ConversionCase{"longNegativeHalf", Value(-2.5), Long, -2, 0},
        ConversionCase{"longText", Value(std::string(" 42 ")), Long, 42, 0},
        ConversionCase{"longNoNumber", Value(std::string("abc")), Long, 0, kErrTypeMismatch},
        ConversionCase{"longEmptyText", Value(std::string()), Long, 0, kErrTypeMismatch},
        ConversionCase{"integerMax", Value(std::int64_t{32767}), Integer, 32767, 0},
        ConversionCase{"integerMin", Value(std::int64_t{-32768}), Integer, -32768, 0},
        ConversionCase{"integerAbove", Value(std::int64_t{32768}), Integer, 0, kErrOverflow},
        ConversionCase{"integerRoundsOver", Value(32767.5), Integer, 0, kErrOverflow},
        ConversionCase{"integerNaN", Value(std::nan("")), Integer, 0, kErrOverflow},
        ConversionCase{"dateWhole", Value(std::int64_t{40179}), DateOf, 40179, 0},
        ConversionCase{"dateReal", Value(40179.5), DateOf, 40179.5, 0},
        ConversionCase{"dateNoDate", Value(std::string("gestern")), DateOf, 0, kErrTypeMismatch}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ToText, writesNumbersAndRefusesNull) {
    EXPECT_EQ(ToText(Value(std::int64_t{-12})), "-12");
    EXPECT_EQ(ToText(Value(2.5)), "2.5");
    EXPECT_EQ(ToText(Value(std::string("ä"))), "ä");
    EXPECT_EQ(test::ErrorOf([] { ToText(Value()); }), kErrInvalidUseOfNull);
}

}  // namespace
}  // namespace stripstock::dao
