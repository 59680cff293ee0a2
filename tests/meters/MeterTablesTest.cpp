#include <gtest/gtest.h>

#include "meters/ImportDesc.h"
#include "meters/MeterTables.h"

namespace stripstock {
namespace {

struct CodeCase {
    std::int16_t position;
    std::int16_t code;
};

class MeterCodeAtTest : public ::testing::TestWithParam<CodeCase> {};

TEST_P(MeterCodeAtTest, mapsPositionToCode) {
    EXPECT_EQ(MeterCodeAt(GetParam().position), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Positions, MeterCodeAtTest,
                         ::testing::Values(CodeCase{0, 1}, CodeCase{10, 23}, CodeCase{13, 26},
                                           CodeCase{14, 24}, CodeCase{22, 39}, CodeCase{-1, 0},
                                           CodeCase{23, 0}, CodeCase{-32768, 0},
                                           CodeCase{32767, 0}));

TEST(MeterTables, bothListsAgreeOnTheFirstElevenCodesOnly) {
    ASSERT_EQ(FaultyMeterNames().size(), 23u);
    ASSERT_EQ(MainMeterList().size(), 27u);
    for (std::int16_t pos = 0; pos <= 10; ++pos)
        EXPECT_EQ(MainMeterList()[static_cast<std::size_t>(pos)].itemData, MeterCodeAt(pos)) << pos;
    EXPECT_NE(MainMeterList()[11].itemData, MeterCodeAt(11));
}

TEST(BuiltInDeviceName, glucoseTableCoversOneTo114) {
    int named = 0;
    for (int id = -5; id <= 200; ++id)
        named += BuiltInDeviceName(0, static_cast<std::int16_t>(id)).has_value() ? 1 : 0;
    EXPECT_EQ(named, 114);
    EXPECT_TRUE(BuiltInDeviceName(0, 1) && BuiltInDeviceName(0, 114));
    EXPECT_EQ(BuiltInDeviceName(6, 24), BuiltInDeviceName(0, 24));
}

TEST(BuiltInDeviceName, pressureTableNamesFourteenOfThirtyFive) {
    int named = 0;
    for (int id = -5; id <= 200; ++id)
        named += BuiltInDeviceName(1, static_cast<std::int16_t>(id)).has_value() ? 1 : 0;
    EXPECT_EQ(named, 14);
    EXPECT_TRUE(BuiltInDeviceName(1, 35));
    EXPECT_FALSE(BuiltInDeviceName(1, 9));
    EXPECT_FALSE(BuiltInDeviceName(7, 1));
    EXPECT_FALSE(BuiltInDeviceName(-1, 1));
}

}  // namespace
}  // namespace stripstock
