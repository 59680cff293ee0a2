#include "strips/StripProperties.h"

#include <gmock/gmock.h>

#include "strips/Catalogue.h"
#include "strips/StripChanges.h"
#include "support/HostFixture.h"

namespace stripstock::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class StripPropertiesTest : public CompanionFixture {
  protected:
    SaveOutcome Save(std::int32_t id, const std::vector<ListEntry>& meters,
                     const std::vector<bool>& selected, const std::string& name = "Strip",
                     const std::string& manufacturer = "Maker", const std::string& pzn = "42") {
        return SaveStrip(ctx, id, name, manufacturer, pzn, meters, selected);
    }
};

// A stored row's or a loaded form's texts, to compare in one go.
std::string Texts(const StripRow& row) {
    return row.desc + ";" + row.manufacturer + ";" + row.pzn + ";" + row.appliesTo;
}
std::string Texts(const StripForm& form) {
    return form.name + ";" + form.manufacturer + ";" + form.pzn;
}

TEST_F(StripPropertiesTest, offersModulesOfKindZeroWithPositiveCodeInEnumerationOrder) {
    EXPECT_THAT(LoadMeterList(ctx), IsEmpty());
    ctx.registry->RegAddKey(kHkeyLocalMachine, ctx.HostRegKey + "\\MODULES", "");
    EXPECT_THAT(LoadMeterList(ctx), IsEmpty());
    AddModule("M1", "0", "a|b|c|12", "Alpha");
    AddModule("M2", "1", "a|b|c|15", "Kind one");
    AddModule("M3", std::nullopt, "a|b|c|7|x", "No kind");
    AddModule("M4", "", "a|b|c", "Three fields");
    AddModule("M5", "", "a|b|c|abc", "Not a number");
    AddModule("M6", "", "a|b|c|0", "Zero");
    AddModule("M7", "", "a|b|c|-5", "Negative");
    AddModule("M8", "xyz", "a|b|c|12", "Same code");
    AddModule("M9", "01", "a|b|c|20", "Kind 01");
    AddModule("MA", "", "a|b|c|99999", "Too big");
    AddModule("MB", "", "a|b|c|30", std::nullopt);
    AddModule("MC", std::nullopt, std::nullopt, "No parameter");
    AddModule("MD", " 1", "a|b|c|40", "Kind one with blank");
    AddModule("ME", "1e9", "a|b|c|41", "Huge kind");
    EXPECT_THAT(LoadMeterList(ctx), ElementsAre(Entry("Alpha", 12), Entry("No kind", 7),
                                                Entry("Same code", 12), Entry("", 30)));
}

TEST_F(StripPropertiesTest, storesCodesInListOrderAndMatchesThemBetweenBars) {
    ASSERT_TRUE(Save(0, Meters({12, 15}), {true, true}).saved);
    ASSERT_TRUE(Save(0, Meters({15, 3, 12}), {true, false, true}).saved);
    EXPECT_TRUE(Save(0, {}, {}, "", "", "").saved);
    const auto rows = Strips();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].appliesTo, "|12||15|");
    EXPECT_EQ(rows[1].appliesTo, "|15||12|");
    EXPECT_EQ(Texts(rows[2]), ";;;");
    const StripForm form = LoadStrip(ctx, rows[1].id, Meters({3, 12, 15}));
    EXPECT_TRUE(form.found);
    EXPECT_EQ(Texts(form), "Strip;Maker;42");
    EXPECT_THAT(form.selected, ElementsAre(false, true, true));
    // Codes are matched between bars.
    const auto id30 = AddStrip("S", "|30|");
    EXPECT_THAT(LoadStrip(ctx, id30, Meters({3, 30})).selected, ElementsAre(false, true));
    const auto both = AddStrip("S", "|3||30|");
    EXPECT_THAT(LoadStrip(ctx, both, Meters({3, 30})).selected, ElementsAre(true, true));
    // A repeated code is selected twice and saved twice.
    const auto id = AddStrip("S", "|12|");
    const auto meters = Meters({12, 12});
    const auto selected = LoadStrip(ctx, id, meters).selected;
    EXPECT_THAT(selected, ElementsAre(true, true));
    ASSERT_TRUE(Save(id, meters, selected).saved);
    EXPECT_EQ(Strips().back().appliesTo, "|12||12|");
    EXPECT_EQ(GetMeterInList(ctx, ctx.StripDbPath, id), "(12,12)");
}

TEST_F(StripPropertiesTest, editKeepsTextsAsTypedAndTouchesOnlyItsRow) {
    const auto other = AddStrip("Other", "|7|");
    const auto id = AddStrip("Old", "|7|");
    ASSERT_TRUE(Save(id, Meters({7, 9}), {false, true}, "  New  ", " M ", "P ").saved);
    const auto rows = Strips();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].id, other);
    EXPECT_EQ(Texts(rows[0]), "Other;;;|7|");
    EXPECT_EQ(rows[1].id, id);
    EXPECT_EQ(Texts(rows[1]), "  New  ; M ;P ;|9|");
    EXPECT_EQ(Texts(LoadStrip(ctx, id, {})), "New;M;P");
}

TEST_F(StripPropertiesTest, vanishedDefinitionOrDatabaseLoadsEmptyAndSaveChangesNothing) {
    // The first definition vanishes: a save that lost its ID would land on "Keep".
    const auto gone = AddStrip("Gone", "|7|");
    AddStrip("Keep", "|7|");
    DeleteStrip(gone);
    const StripForm form = LoadStrip(ctx, gone, Meters({7}));
    EXPECT_FALSE(form.found);
    EXPECT_EQ(form.name, "");
    EXPECT_THAT(form.selected, ElementsAre(false));
    EXPECT_FALSE(LoadStrip(ctx, 0, {}).found);
    EXPECT_TRUE(Save(gone, Meters({7}), {true}).saved);
    const auto rows = Strips();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].desc, "Keep");

    // An unwritable database: the cause follows on a second line.
    const std::string expected = "Der Teststreifen konnte nicht gespeichert werden !\n";
    ctx.StripDbPath = Path("missing.VLT");
    SaveOutcome outcome = Save(0, {}, {});
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(outcome.message, expected + ctx.StripDbPath + ": die Datei fehlt");
    EXPECT_FALSE(std::filesystem::exists(ctx.StripDbPath));
    ctx.StripDbPath = Path("text.VLT");
    WriteBytes(ctx.StripDbPath, "no database");
    outcome = Save(0, {}, {});
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(outcome.message,
              expected + ctx.StripDbPath + ": die Datei ist keine Datenbank oder ist beschädigt");
    EXPECT_EQ(ReadBytes(ctx.StripDbPath), "no database");
}

TEST_F(StripPropertiesTest, textLongerThanColumnIsRefusedWhollyAndFullLengthIsKept) {
    const auto id = AddStrip("Keep", "|7|", "Maker", "1");
    const std::string tooLong(kStripTextMaxLength + 1, 'x');
    for (int column = 0; column < 3; ++column) {
        const SaveOutcome outcome = Save(id, Meters({9}), {true}, column == 0 ? tooLong : "N",
                                         column == 1 ? tooLong : "M", column == 2 ? tooLong : "P");
        EXPECT_FALSE(outcome.saved) << column;
        EXPECT_EQ(outcome.message, kStripSaveFailedMessage);
    }
    EXPECT_FALSE(Save(0, Meters({9}), {true}, tooLong).saved);
    // 37 meters of five digits make an applies-to text of 259 characters.
    const std::vector<ListEntry> many(37, ListEntry{"Meter", 10000});
    EXPECT_FALSE(Save(id, many, std::vector<bool>(many.size(), true)).saved);
    const auto rows = Strips();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(Texts(rows[0]), "Keep;Maker;1;|7|");

    // Full-length texts are counted in characters.
    std::string umlauts;
    for (int i = 0; i < kStripTextMaxLength; ++i) umlauts += "ä";
    EXPECT_EQ(StripTextLength(umlauts), 255u);
    ASSERT_TRUE(Save(0, {}, {}, umlauts, std::string(255, 'm')).saved);
    EXPECT_EQ(Strips().at(1).desc, umlauts);
}

TEST_F(StripPropertiesTest, editsTheSelectedPositiveIdAndDeletesOnlyItNotItsLedgerRows) {
    const std::vector<ListEntry> list{{"A", 4}, {"B", 0}};
    EXPECT_EQ(EditTargetId(list, 0), 4);
    EXPECT_EQ(EditTargetId(list, 1), 0);
    EXPECT_EQ(EditTargetId(list, -1), 0);
    EXPECT_EQ(EditTargetId(list, 2), 0);
    EXPECT_EQ(EditTargetId({}, 0), 0);
    EXPECT_EQ(SelectedStripId({}, 0), 0);
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

StripChanges Changes(std::optional<std::string> name, std::optional<std::string> pzn = {},
                     std::optional<std::vector<bool>> selected = {}) {
    StripChanges changes;
    changes.name = std::move(name);
    changes.pzn = std::move(pzn);
    changes.selected = std::move(selected);
    return changes;
}

TEST_F(StripPropertiesTest, givenFieldsReplaceTheStoredOnesAndTheOthersStay) {
    const auto id = AddStrip("Old", "|7|", "Maker", "0123");
    const auto meters = Meters({7, 9});
    ASSERT_TRUE(SaveStripChanges(ctx, id, Changes("New"), meters).saved);
    EXPECT_EQ(Texts(Strips().at(0)), "New;Maker;0123;|7|");
    // Meters given as none clear the assignment; the texts stay.
    ASSERT_TRUE(
        SaveStripChanges(ctx, id, Changes({}, {}, std::vector<bool>{false, false}), meters).saved);
    EXPECT_EQ(Texts(Strips().at(0)), "New;Maker;0123;");
    // A new definition starts empty.
    ASSERT_TRUE(SaveStripChanges(ctx, 0, Changes({}, "9"), meters).saved);
    const StripRow row = Strips().at(1);
    EXPECT_EQ(Texts(row), ";;9;");

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
