#include <gtest/gtest.h>

#include "meters/ImportDesc.h"
#include "meters/MeterTables.h"

namespace stripstock {
namespace {

TEST(MeterTables, positionsMapToCodesAndBothListsAgreeOnTheFirstElevenOnly) {
    const std::pair<std::int16_t, std::int16_t> cases[] = {
        {0, 1}, {10, 23}, {13, 26}, {14, 24}, {22, 39}, {-1, 0}, {23, 0}, {-32768, 0}, {32767, 0}};
    for (const auto& [position, code] : cases) EXPECT_EQ(MeterCodeAt(position), code) << position;
    ASSERT_EQ(FaultyMeterNames().size(), 23u);
    ASSERT_EQ(MainMeterList().size(), 27u);
    for (std::int16_t pos = 0; pos <= 10; ++pos)
        EXPECT_EQ(MainMeterList()[static_cast<std::size_t>(pos)].itemData, MeterCodeAt(pos)) << pos;
    EXPECT_NE(MainMeterList()[11].itemData, MeterCodeAt(11));
}

int NamedIds(std::int16_t family) {
    int named = 0;
    for (int id = -5; id <= 200; ++id)
        named += BuiltInDeviceName(family, static_cast<std::int16_t>(id)).has_value() ? 1 : 0;
    return named;
}

TEST(BuiltInDeviceName, glucoseCoversOneTo114AndPressureNamesFourteenOfThirtyFive) {
    EXPECT_EQ(NamedIds(0), 114);
    EXPECT_TRUE(BuiltInDeviceName(0, 1) && BuiltInDeviceName(0, 114));
    EXPECT_EQ(BuiltInDeviceName(6, 24), BuiltInDeviceName(0, 24));
    EXPECT_EQ(NamedIds(1), 14);
    EXPECT_TRUE(BuiltInDeviceName(1, 35));
    EXPECT_FALSE(BuiltInDeviceName(1, 9));
    EXPECT_FALSE(BuiltInDeviceName(7, 1));
    EXPECT_FALSE(BuiltInDeviceName(-1, 1));
}

}  // namespace
}  // namespace stripstock
