#include "strips/StripChanges.h"

#include "support/HostFixture.h"

namespace stripstock::test {
namespace {

using StripChangesTest = CompanionFixture;

StripChanges Changes(std::optional<std::string> name, std::optional<std::string> pzn = {},
                     std::optional<std::vector<bool>> selected = {}) {
    StripChanges changes;
    changes.name = std::move(name);
    changes.pzn = std::move(pzn);
    changes.selected = std::move(selected);
    return changes;
}

TEST_F(StripChangesTest, givenFieldsReplaceTheStoredOnesAndTheOthersStay) {
    const auto id = AddStrip("Old", "|7|", "Maker", "0123");
    const auto meters = Meters({7, 9});
    ASSERT_TRUE(SaveStripChanges(ctx, id, Changes("New"), meters).saved);
    auto row = Strips().at(0);
    EXPECT_EQ(row.desc, "New");
    EXPECT_EQ(row.manufacturer, "Maker");
    EXPECT_EQ(row.pzn, "0123");
    EXPECT_EQ(row.appliesTo, "|7|");
    // Meters given as none clear the assignment; the texts stay.
    ASSERT_TRUE(
        SaveStripChanges(ctx, id, Changes({}, {}, std::vector<bool>{false, false}), meters).saved);
    row = Strips().at(0);
    EXPECT_EQ(row.desc, "New");
    EXPECT_EQ(row.appliesTo, "");
    // A new definition starts empty.
    ASSERT_TRUE(SaveStripChanges(ctx, 0, Changes({}, "9"), meters).saved);
    row = Strips().at(1);
    EXPECT_EQ(row.desc + row.manufacturer + row.appliesTo, "");
    EXPECT_EQ(row.pzn, "9");

    // A definition that cannot be loaded is neither blanked nor added.
    const SaveOutcome outcome = SaveStripChanges(ctx, row.id + 1, Changes("X"), Meters({7}));
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(outcome.message, kStripSaveFailedMessage);
    const auto rows = Strips();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].desc, "New");
}

}  // namespace
}  // namespace stripstock::test
