#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "prescriptions/LedgerList.h"
#include "support/HostFixture.h"

namespace stripstock::test {
namespace {

using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::UnorderedElementsAre;

using LedgerListTest = CompanionFixture;

TEST_F(LedgerListTest, labelsPrescriptionsWithStripAndFaultyMeasurementsWithMeter) {
    const auto alpha = AddStrip("Alpha");
    // The prescription's Type is a strip ID; 1 would name a meter if looked up as one.
    ASSERT_EQ(alpha, 1);
    const auto prescription = AddLedger(Day(2010, 2, 1), alpha, 50);
    const auto faulty = AddLedger(Day(2010, 2, 1), 24, -2);
    EXPECT_THAT(
        FillEntryList(ctx),
        UnorderedElementsAre(Entry("01.02.2010  Bezug: 50x   Alpha", prescription),
                             Entry("01.02.2010  Fehlmessung: 2x   Accutrend Compact", faulty)));
}

TEST_F(LedgerListTest, listsNewestFirstWithDatesOnly) {
    const auto alpha = AddStrip("Alpha");
    const auto gone = AddStrip("Gone");
    const auto old = AddLedger(Day(2009, 12, 24), alpha, 100);
    const auto latest = AddLedger(Day(2010, 3, 5, 18, 45), gone, 0);
    const auto middle = AddLedger(Day(2010, 1, 2), 0, 20);
    DeleteStrip(gone);
    EXPECT_THAT(FillEntryList(ctx),
                ElementsAre(Entry("05.03.2010  Bezug: 0x   ", latest),   // definition deleted
                            Entry("02.01.2010  Bezug: 20x   ", middle),  // no strip chosen
                            Entry("24.12.2009  Bezug: 100x   Alpha", old)));
}

TEST_F(LedgerListTest, deleteRemovesExactlyTheRowWithThatIdAndNothingWithoutTheDatabase) {
    EXPECT_TRUE(FillEntryList(ctx).empty());
    const auto first = AddLedger(Day(2010, 1, 1), 1, 10);
    const auto second = AddLedger(Day(2010, 1, 2), 24, -1);
    const auto third = AddLedger(Day(2010, 1, 3), 1, 30);
    EXPECT_TRUE(DeleteEntry(ctx, second));
    EXPECT_THAT(LedgerRows(),
                ElementsAre(Field(&LedgerRow::id, first), Field(&LedgerRow::id, third)));
    EXPECT_TRUE(DeleteEntry(ctx, 999));  // no such row: nothing removed
    EXPECT_EQ(LedgerRows().size(), 2u);
    std::filesystem::remove(ctx.StripDbPath);
    EXPECT_TRUE(FillEntryList(ctx).empty());
    EXPECT_FALSE(DeleteEntry(ctx, first));
    EXPECT_FALSE(std::filesystem::exists(ctx.StripDbPath));
}

TEST_F(LedgerListTest, selectionGivesTheEntryIdOrNothing) {
    const std::vector<ListEntry> entries{{"a", 7}, {"b", 9}};
    EXPECT_EQ(SelectedEntryId(entries, 1), 9);
    EXPECT_EQ(SelectedEntryId(entries, -1), std::nullopt);
    EXPECT_EQ(SelectedEntryId(entries, 2), std::nullopt);
    EXPECT_EQ(SelectedEntryId({}, 0), std::nullopt);
}

}  // namespace
}  // namespace stripstock::test
