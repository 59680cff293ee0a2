#include "strips/Catalogue.h"

#include <gmock/gmock.h>

#include <filesystem>

#include "data/Schema.h"
#include "support/HostFixture.h"
#include "support/RawSql.h"

namespace stripstock::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using CatalogueTest = CompanionFixture;

TEST_F(CatalogueTest, listsEveryRowTrimmedInTableOrderOrNoneWithoutDatabaseAndNamesFromIt) {
    EXPECT_THAT(LoadStripList(ctx, ctx.StripDbPath), IsEmpty());
    EXPECT_THAT(LoadStripList(ctx, Path("missing.VLT")), IsEmpty());
    EXPECT_THAT(LoadStripList(ctx, ""), IsEmpty());
    EXPECT_EQ(GetMeterInList(ctx, ctx.StripDbPath, 42), "(**)");
    EXPECT_EQ(GetMeterInList(ctx, Path("missing.VLT"), 1), "(**)");
    EXPECT_TRUE(SessionClosed());
    const auto a = AddStrip("  Accu Chek  ");
    const auto b = AddStrip("Accu Chek");
    const auto c = AddStrip("\tBeta\x01");
    EXPECT_THAT(LoadStripList(ctx, ctx.StripDbPath),
                ElementsAre(Entry("Accu Chek", a), Entry("Accu Chek", b), Entry("Beta", c)));
    EXPECT_EQ(Strips()[0].desc, "  Accu Chek  ");  // the stored name is not changed
    // Names are read from the loaded list.
    const auto alpha = AddStrip("Alpha");
    const auto beta = AddStrip("Beta");  // each addition reloads stripList
    EXPECT_EQ(StripNameIn(stripList, beta), "Beta");
    EXPECT_EQ(StripNameIn(stripList, 0), "");
    EXPECT_EQ(StripNameIn(stripList, -alpha), "");
    EXPECT_EQ(StripNameIn({}, alpha), "");
    DeleteStrip(alpha);
    EXPECT_EQ(StripNameIn(stripList, alpha), "Alpha");  // no database query until reloaded
    stripList = LoadStripList(ctx, ctx.StripDbPath);
    EXPECT_EQ(StripNameIn(stripList, alpha), "");
}

TEST_F(CatalogueTest, turnsAppliesToIntoSqlInList) {
    const std::pair<const char*, const char*> cases[] = {
        {"|12||15|", "(12,15)"}, {"|7|", "(7)"},          {"", "(**)"},
        {"|12||12|", "(12,12)"}, {" |3||30| ", "(3,30)"}, {"|1||2||3|", "(1,2,3)"},
        {"|1||||2|", "(1,,2)"},  // "||" is merged in a single pass, not repeatedly
    };
    for (const auto& [appliesTo, expected] : cases)
        EXPECT_EQ(GetMeterInList(ctx, ctx.StripDbPath, AddStrip("S", appliesTo)), expected)
            << appliesTo;
}

using EnsureStripsTableTest = CompanionFixture;

TEST_F(EnsureStripsTableTest, addsEmptyTableWithFiveColumnsOnceAndLeavesForeignFilesAlone) {
    // A companion database from before the strip catalogue: only the ledger table.
    std::filesystem::remove(ctx.StripDbPath);
    Sql(ctx.StripDbPath)
        .Exec("CREATE TABLE teststrips (ID INTEGER PRIMARY KEY AUTOINCREMENT, Amount SHORT);");
    EXPECT_THROW(Strips(), dao::JetError);
    EnsureStripsTable(ctx);
    EXPECT_THAT(Strips(), IsEmpty());
    EXPECT_EQ(AddStrip("Alpha", "|7|", "Maker", "123"), 1);
    EnsureStripsTable(ctx);  // a second start changes nothing
    const auto rows = Strips();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(
        rows[0].desc + ";" + rows[0].manufacturer + ";" + rows[0].pzn + ";" + rows[0].appliesTo,
        "Alpha;Maker;123;|7|");
    WriteBytes(ctx.StripDbPath, "this is no database\n");
    EnsureStripsTable(ctx);
    EXPECT_EQ(ReadBytes(ctx.StripDbPath), "this is no database\n");
    ctx.StripDbPath = Path("missing.VLT");
    EnsureStripsTable(ctx);
    EXPECT_FALSE(std::filesystem::exists(ctx.StripDbPath));
}

}  // namespace
}  // namespace stripstock::test
