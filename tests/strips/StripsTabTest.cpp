#include "strips/StripsTab.h"

#include <gmock/gmock.h>

#include "StripsFixture.h"
#include "strips/Catalogue.h"
#include "strips/StripProperties.h"

namespace stripstock::testing {
namespace {

TEST(StripsTabLogic, editTargetIsTheSelectedPositiveId) {
    const std::vector<ListEntry> list{{"A", 4}, {"B", 0}};
    EXPECT_EQ(EditTargetId(list, 0), 4);
    EXPECT_EQ(EditTargetId(list, 1), 0);
    EXPECT_EQ(EditTargetId(list, -1), 0);
    EXPECT_EQ(EditTargetId(list, 2), 0);
    EXPECT_EQ(EditTargetId({}, 0), 0);
    EXPECT_EQ(SelectedStripId({}, 0), 0);
}

TEST(StripsTabLogic, buttonArrayIndicesMapToActions) {
    EXPECT_EQ(Command1ActionFor(0), Command1Action::NewPrescription);
    EXPECT_EQ(Command1ActionFor(3), Command1Action::NewStrip);
    EXPECT_EQ(Command1ActionFor(4), Command1Action::EditStrip);
    EXPECT_EQ(Command1ActionFor(5), Command1Action::DeleteStrip);
    for (int index : {1, 2, 6, 7, -1}) EXPECT_EQ(Command1ActionFor(index), Command1Action::None);
}

class DeleteStripTest : public StripsFixture {};

TEST_F(DeleteStripTest, deletesOnlyTheDefinitionAndReloadsTheList) {
    const auto keep = AddStrip("Keep");
    const auto gone = AddStrip("Gone");
    {
        auto db = Open(ctx.StripDbPath);
        auto rs = db->OpenRecordset("Select * FROM teststrips", dao::dbOpenDynaset);
        rs->AddNew();
        rs->SetField("Date", 40000.0);
        rs->SetField("Type", std::int64_t{gone});
        rs->SetField("Amount", std::int64_t{50});
        rs->Update();
        rs->Close();
        db->Close();
    }
    ReloadMainStripList(ctx);
    DeleteStripDefinition(ctx, SelectedStripId(ctx.stripList, 1));

    ASSERT_EQ(ctx.stripList.size(), 1u);
    EXPECT_EQ(ctx.stripList[0].itemData, keep);
    EXPECT_EQ(StripNameById(ctx, gone), "");
    EXPECT_TRUE(SessionClosed());

    auto db = Open(ctx.StripDbPath);
    auto rs = db->OpenRecordset("Select * FROM teststrips", dao::dbOpenDynaset);
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(dao::ToLong(rs->GetField("Type")), gone);
    rs->Close();
    db->Close();
}

TEST_F(DeleteStripTest, nothingSelectedDeletesNothing) {
    AddStrip("Keep");
    DeleteStripDefinition(ctx, SelectedStripId({}, -1));
    EXPECT_EQ(ctx.stripList.size(), 1u);

    DeleteStripDefinition(ctx, ctx.stripList[0].itemData);
    EXPECT_TRUE(ctx.stripList.empty());
}

}  // namespace
}  // namespace stripstock::testing
