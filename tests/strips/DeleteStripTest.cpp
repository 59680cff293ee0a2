#include <gmock/gmock.h>

#include "strips/Catalogue.h"
#include "strips/StripProperties.h"
#include "support/HostFixture.h"

namespace stripstock::test {
namespace {

TEST(StripSelection, editTargetIsTheSelectedPositiveId) {
    const std::vector<ListEntry> list{{"A", 4}, {"B", 0}};
    EXPECT_EQ(EditTargetId(list, 0), 4);
    EXPECT_EQ(EditTargetId(list, 1), 0);
    EXPECT_EQ(EditTargetId(list, -1), 0);
    EXPECT_EQ(EditTargetId(list, 2), 0);
    EXPECT_EQ(EditTargetId({}, 0), 0);
    EXPECT_EQ(SelectedStripId({}, 0), 0);
}

using DeleteStripTest = CompanionFixture;

TEST_F(DeleteStripTest, deletesOnlyTheSelectedDefinitionNotItsLedgerRows) {
    const auto keep = AddStrip("Keep");
    const auto gone = AddStrip("Gone");
    AddLedger(40000.0, gone, 50);
    DeleteStripDefinition(ctx, SelectedStripId({}, -1));
    EXPECT_EQ(LoadStripList(ctx, ctx.StripDbPath).size(), 2u);
    EXPECT_TRUE(DeleteStripDefinition(ctx, SelectedStripId(stripList, 1)));
    stripList = LoadStripList(ctx, ctx.StripDbPath);
    ASSERT_EQ(stripList.size(), 1u);
    EXPECT_EQ(stripList[0].itemData, keep);
    EXPECT_EQ(StripNameIn(stripList, gone), "");
    EXPECT_TRUE(SessionClosed());
    ASSERT_EQ(LedgerRows().size(), 1u);
    EXPECT_EQ(dao::ToLong(LedgerRows()[0].type), gone);
    DeleteStripDefinition(ctx, stripList[0].itemData);
    EXPECT_TRUE(LoadStripList(ctx, ctx.StripDbPath).empty());
}

}  // namespace
}  // namespace stripstock::test
