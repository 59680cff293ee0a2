#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "../consumption/ConsumptionFixture.h"
#include "app/MainButtons.h"
#include "app/MainViews.h"
#include "app/Reports.h"
#include "app/WindowPlacement.h"
#include "host/Registry.h"
#include "prescriptions/LedgerList.h"
#include "strips/StripProperties.h"
#include "text/Regional.h"

using namespace stripstock;
using namespace stripstock::test;

namespace {

std::vector<std::string> NodeTexts(const MainViews& views) {
    std::vector<std::string> texts;
    for (const TreeNode& node : views.prescriptionTree) texts.push_back(node.key + "=" + node.text);
    return texts;
}

std::vector<std::string> RowLabels(const MainViews& views) {
    std::vector<std::string> labels;
    for (const ConsumptionRow& row : views.consumption.rows)
        labels.push_back(row.label + "|" + row.used + "|" + row.stock);
    return labels;
}

// Two definitions (1 "Contour" for meter 33, 2 "Compact" for meter 24) with a prescription
// each and five readings of meter 33.
class MainViewsTest : public ConsumptionFixture {
  protected:
    void SetUp() override {
        ConsumptionFixture::SetUp();
        AddStrip("Contour", "|33|");
        AddStrip("Compact", "|24|");
        AddLedger(Day(2024, 2, 1), 1, 50);
        AddLedger(Day(2024, 3, 1), 2, 25);
        AddReadings(33, Day(2024, 2, 10), 5);
    }
};

TEST_F(MainViewsTest, showsWhatTheDatabasesHoldAfterEachChange) {
    MainViews views = RebuildMainViews(ctx, kAllNodeKey);
    // The outlook is left out only when asked, and the table stays the same.
    const MainViews left = RebuildMainViews(ctx, kAllNodeKey, Outlook::Left);
    EXPECT_EQ(left.consumption.rows, views.consumption.rows);
    ASSERT_EQ(views.forecast.strips.size(), 2u);
    EXPECT_EQ(views.forecast.strips[0].stock, 45);
    EXPECT_FALSE(views.history.total.rows.empty());
    EXPECT_TRUE(left.forecast.strips.empty());
    EXPECT_TRUE(left.history.total.rows.empty());
    EXPECT_EQ(NodeTexts(views), (std::vector<std::string>{"K0=Alle", "K1=Contour", "K2=Compact"}));
    EXPECT_EQ(RowLabels(views), (std::vector<std::string>{"Insgesamt|5|70", "davon||",
                                                          "Contour|5|45", "Compact|0|25"}));
    EXPECT_EQ(views.consumptionHint, "");

    // A rename, a deleted definition and a new prescription of a type without a node yet.
    SaveStrip(ctx, 1, "Contour Next", "", "", {}, {});
    DeleteStripDefinition(ctx, 2);
    AddLedger(Day(2024, 4, 1), 7, 10);
    views = RebuildMainViews(ctx, kAllNodeKey);
    ASSERT_EQ(views.stripList.size(), 1u);
    EXPECT_EQ(views.stripList[0].text, "Contour Next");
    EXPECT_EQ(NodeTexts(views),
              (std::vector<std::string>{"K0=Alle", "K1=Contour Next", "K2=", "K7="}));
    // The renamed definition lost its meters, so its readings are no longer its own.
    EXPECT_EQ(RowLabels(views),
              (std::vector<std::string>{"Insgesamt|5|80", "davon||", "Contour Next|0|50",
                                        "Nicht zugeordnet|5|"}));
    EXPECT_EQ(views.prescriptionList.size(), 3u);
    // Without any definition, a hint at the first steps.
    DeleteStripDefinition(ctx, 1);
    views = RebuildMainViews(ctx, kAllNodeKey);
    EXPECT_TRUE(views.stripList.empty());
    EXPECT_EQ(views.consumptionHint,
              "Legen Sie unter „Teststreifen“ Ihre Teststreifen an und erfassen Sie unter "
              "„Verordnungen“ die erhaltenen Packungen.");
}

TEST_F(MainViewsTest, keepsTheSelectedNodeWhileItExistsAndTheStartForTheRun) {
    MainViews views = RebuildMainViews(ctx, "K2");
    EXPECT_EQ(views.selectedNodeKey, "K2");
    ASSERT_EQ(views.prescriptionList.size(), 1u);
    EXPECT_EQ(views.prescriptionList[0].amount, "25");
    ASSERT_TRUE(views.consumption.startingDate);
    EXPECT_EQ(*views.consumption.startingDate, FormatShortDate(Day(2024, 2, 1)));

    // Its only prescription deleted, the node is gone and the list shows all of them.
    DeleteEntry(ctx, *LedgerIdFromRowKey(views.prescriptionList[0].key));
    views = RebuildMainViews(ctx, "K2");
    EXPECT_EQ(views.selectedNodeKey, "K0");
    ASSERT_EQ(views.prescriptionList.size(), 1u);
    EXPECT_EQ(views.prescriptionList[0].amount, "50");
    EXPECT_EQ(RebuildMainViews(ctx, "K99").selectedNodeKey, "K0");
    // The first prescription deleted, the calculation still starts where it did.
    DeleteEntry(ctx, 1);
    views = RebuildMainViews(ctx, kAllNodeKey);
    ASSERT_TRUE(views.consumption.startingDate);
    EXPECT_EQ(*views.consumption.startingDate, FormatShortDate(Day(2024, 2, 1)));
}

// The proposed report file name must be safe on every file system and never read as an option.
TEST(MainButtonsTest, namesTheDefinitionToDeleteOnASecondLineAndAFileSafeReport) {
    const std::vector<ListEntry> list{{"Contour", 1}, {"", 2}};
    EXPECT_EQ(
        DeleteStripQuestion(list, 0),
        std::optional<std::string>("Soll der Teststreifen wirklich gelöscht werden\nContour"));
    EXPECT_EQ(DeleteStripQuestion(list, 1),
              std::optional<std::string>("Soll der Teststreifen wirklich gelöscht werden"));
    EXPECT_EQ(DeleteStripQuestion(list, -1), std::nullopt);
    EXPECT_EQ(DeleteStripQuestion(list, 2), std::nullopt);
    EXPECT_EQ(DeleteStripQuestion({}, 0), std::nullopt);
    const double today = Day(2026, 3, 5);
    EXPECT_EQ(ReportFileName("Erika Müller", today, "pdf"),
              "Teststreifen-Nachweis-Erika-Müller-2026-03-05.pdf");
    EXPECT_EQ(ReportFileName("- .Anna/Lena: B.", today, "csv"),
              "Teststreifen-Nachweis-AnnaLena-B-2026-03-05.csv");
    EXPECT_EQ(ReportFileName("..--", today, "pdf"), "Teststreifen-Nachweis-2026-03-05.pdf");
}

using WindowPlacementTest = HostFixture;

TEST_F(WindowPlacementTest, roundTripsBelowTheAddonKeyAndFallsBackOnBadValues) {
    EXPECT_EQ(ReadWindowPlacement(ctx), std::nullopt);
    const WindowPlacement placement{-8, 40, 900, 480, true};
    ASSERT_TRUE(WriteWindowPlacement(ctx, placement));
    // The round trip and the values set below pin the names the placement is stored under.
    EXPECT_EQ(ReadWindowPlacement(ctx), placement);
    const auto set = [&](const char* name, const char* value) {
        registry->RegWriteString(kHkeyLocalMachine, ctx.AddonRegKey, name, value);
    };
    const std::pair<const char*, const char*> bad[] = {
        {"WindowLeft", "x"},    {"WindowTop", "12px"},    {"WindowWidth", "0"},
        {"WindowHeight", "-5"}, {"WindowWidth", "40000"}, {"WindowHeight", " "}};
    for (const auto& [name, value] : bad) {
        WriteWindowPlacement(ctx, {10, 20, 700, 400, false});
        set(name, value);
        EXPECT_EQ(ReadWindowPlacement(ctx), std::nullopt) << name << '=' << value;
    }
    // Maximized only by "1".
    WriteWindowPlacement(ctx, {10, 20, 700, 400, false});
    set("WindowMaximized", "yes");
    EXPECT_FALSE(ReadWindowPlacement(ctx)->maximized);
    set("WindowMaximized", " 1 ");
    EXPECT_TRUE(ReadWindowPlacement(ctx)->maximized);
}

}  // namespace
