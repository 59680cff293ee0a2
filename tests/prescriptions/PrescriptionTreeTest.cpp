#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "prescriptions/PrescriptionTree.h"
#include "support/HostFixture.h"

namespace stripstock::test {
namespace {

using ::testing::ElementsAre;
using ::testing::Field;

auto Node(const std::string& key, const std::string& text) {
    return AllOf(Field(&TreeNode::key, key), Field(&TreeNode::text, text));
}

using PrescriptionTreeTest = CompanionFixture;

TEST_F(PrescriptionTreeTest, nodesOnlyForTypesWithPositiveAmounts) {
    const auto alpha = AddStrip("Alpha");
    const auto beta = AddStrip("Beta");
    const auto gamma = AddStrip("Gamma");
    ReloadStripList();
    // An empty table gives only the node for all strips.
    EXPECT_THAT(FillPrescriptionTree(ctx, stripList), ElementsAre(Node("K0", "Alle")));
    EXPECT_TRUE(FillPrescriptionList(ctx, stripList, 0).empty());
    AddLedger(Day(2010, 1, 5), alpha, 50);
    AddLedger(Day(2010, 1, 6), alpha, 25);          // same type: one node
    AddLedger(Day(2010, 1, 7), beta, 0);            // zero amount: no node
    AddLedger(Day(2010, 1, 8), gamma, -3);          // faulty measurement: no node
    AddLedger(Day(2010, 1, 9), 0, 10);              // no strip chosen: would repeat the root key
    AddLedger(Day(2010, 1, 10), std::nullopt, 10);  // Null type forms no key
    const auto nodes = FillPrescriptionTree(ctx, stripList);
    EXPECT_THAT(nodes, ElementsAre(Node("K0", "Alle"), Node("K" + std::to_string(alpha), "Alpha")));
}

auto Row(std::int32_t id, const std::string& date, const std::string& amount,
         const std::string& strip) {
    return AllOf(Field(&PrescriptionRow::key, "K" + std::to_string(id)),
                 Field(&PrescriptionRow::date, date), Field(&PrescriptionRow::amount, amount),
                 Field(&PrescriptionRow::strip, strip));
}

TEST_F(PrescriptionTreeTest, listShowsPrescriptionsNewestFirstAndFiltersByType) {
    const auto alpha = AddStrip("Alpha");
    const auto beta = AddStrip("Beta");
    ReloadStripList();
    const auto oldAlpha = AddLedger(Day(2009, 11, 3), alpha, 50);
    const auto newBeta = AddLedger(Day(2010, 2, 1, 14, 30), beta, 100);
    const auto midAlpha = AddLedger(Day(2010, 1, 15), alpha, 25);
    AddLedger(Day(2010, 3, 1), alpha, -2);
    AddLedger(Day(2010, 3, 2), beta, 0);
    // The time of day is not shown.
    EXPECT_THAT(FillPrescriptionList(ctx, stripList, 0),
                ElementsAre(Row(newBeta, "01.02.2010", "100", "Beta"),
                            Row(midAlpha, "15.01.2010", "25", "Alpha"),
                            Row(oldAlpha, "03.11.2009", "50", "Alpha")));
    EXPECT_EQ(FillPrescriptionList(ctx, stripList, -1).size(), 3u);
    EXPECT_THAT(FillPrescriptionList(ctx, stripList, alpha),
                ElementsAre(Row(midAlpha, "15.01.2010", "25", "Alpha"),
                            Row(oldAlpha, "03.11.2009", "50", "Alpha")));
    EXPECT_TRUE(FillPrescriptionList(ctx, stripList, 999).empty());
    // A deleted definition leaves empty texts.
    DeleteStrip(beta);
    ReloadStripList();
    EXPECT_THAT(FillPrescriptionTree(ctx, stripList),
                ElementsAre(Node("K0", "Alle"), Node("K" + std::to_string(alpha), "Alpha"),
                            Node("K" + std::to_string(beta), "")));
    EXPECT_THAT(FillPrescriptionList(ctx, stripList, beta),
                ElementsAre(Row(newBeta, "01.02.2010", "100", "")));
    // An unreadable database gives the same as an empty table, and is not created.
    std::filesystem::remove(ctx.StripDbPath);
    EXPECT_THAT(FillPrescriptionTree(ctx, stripList), ElementsAre(Node("K0", "Alle")));
    EXPECT_TRUE(FillPrescriptionList(ctx, stripList, 0).empty());
    EXPECT_FALSE(std::filesystem::exists(ctx.StripDbPath));
}

TEST(PrescriptionListSql, keepsTheDoubleBlanks) {
    EXPECT_EQ(PrescriptionListSql(0),
              "Select * FROM teststrips WHERE amount > 0  ORDER by date DESC");
    EXPECT_EQ(PrescriptionListSql(12),
              "Select * FROM teststrips WHERE amount > 0  AND type=12 ORDER by date DESC");
}

// A node key gives its type without any K; a row key only a positive ID after one K.
TEST(PrescriptionKeysTest, nodeKeysGiveTypesRowKeysLedgerIds) {
    const struct {
        const char* key;
        std::int32_t type;
    } cases[] = {{"K0", 0}, {"K12", 12}, {"KK7", 7}, {"K", 0},
                 {"", 0},   {"Kx", 0},   {"K1x", 0}, {"K99999999999", 0}};
    for (const auto& c : cases) EXPECT_EQ(TypeFromNodeKey(c.key), c.type) << c.key;
    EXPECT_EQ(LedgerIdFromRowKey("K12"), 12);
    EXPECT_EQ(LedgerIdFromRowKey("K2147483647"), 2147483647);
    for (const char* key : {"K0", "K-3", "K", "", "12", "KK7", "K1x", "K2147483648"})
        EXPECT_EQ(LedgerIdFromRowKey(key), std::nullopt) << key;
}

}  // namespace
}  // namespace stripstock::test
