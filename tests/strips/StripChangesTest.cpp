#include "strips/StripChanges.h"

#include "support/HostFixture.h"

namespace stripstock::test {
namespace {

class StripChangesTest : public CompanionFixture {
  protected:
    static StripChanges Name(const std::string& name) {
        StripChanges changes;
        changes.name = name;
        return changes;
    }
};

TEST_F(StripChangesTest, givenFieldsReplaceTheStoredOnesAndTheOthersStay) {
    const auto id = AddStrip("Old", "|7|", "Maker", "0123");
    const auto meters = Meters({7, 9});
    ASSERT_TRUE(SaveStripChanges(ctx, id, Name("New"), meters).saved);
    auto row = Strips().at(0);
    EXPECT_EQ(row.desc, "New");
    EXPECT_EQ(row.manufacturer, "Maker");
    EXPECT_EQ(row.pzn, "0123");
    EXPECT_EQ(row.appliesTo, "|7|");

    // Meters given as none clear the assignment; the texts stay.
    StripChanges none;
    none.selected = std::vector<bool>{false, false};
    ASSERT_TRUE(SaveStripChanges(ctx, id, none, meters).saved);
    row = Strips().at(0);
    EXPECT_EQ(row.desc, "New");
    EXPECT_EQ(row.appliesTo, "");

    // A new definition starts empty.
    StripChanges pzn;
    pzn.pzn = "9";
    ASSERT_TRUE(SaveStripChanges(ctx, 0, pzn, meters).saved);
    row = Strips().at(1);
    EXPECT_EQ(row.desc + row.manufacturer + row.appliesTo, "");
    EXPECT_EQ(row.pzn, "9");
}

TEST_F(StripChangesTest, aDefinitionThatCannotBeLoadedIsNeitherBlankedNorAdded) {
    const auto id = AddStrip("Keep", "|7|", "Maker");
    const SaveOutcome outcome = SaveStripChanges(ctx, id + 1, Name("X"), Meters({7}));
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(outcome.message, kStripSaveFailedMessage);
    const auto rows = Strips();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].desc, "Keep");
}

}  // namespace
}  // namespace stripstock::test
