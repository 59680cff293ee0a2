#include <gtest/gtest.h>

#include <filesystem>

#include "DataFixtures.h"
#include "data/Schema.h"

namespace stripstock {
namespace {

// The companion goes to ctx.StripDbPath, alone in the program folder.
class SchemaTest : public test::HostFixture {
  protected:
    SchemaTest() { ctx.StripDbPath = path; }
    std::string path = programDir + "/MEIER.VLT";
};

// Column name and declared type, in table order.
std::vector<std::pair<std::string, std::string>> Layout(dao::Database& db,
                                                        const std::string& table) {
    std::vector<std::pair<std::string, std::string>> cols;
    auto rs = db.OpenRecordset("SELECT name, type FROM pragma_table_info('" + table + "')",
                               dao::dbOpenSnapshot);
    for (; !rs->Eof(); rs->MoveNext())
        cols.emplace_back(dao::ToText(rs->GetField("name")), dao::ToText(rs->GetField("type")));
    return cols;
}

TEST_F(SchemaTest, createsBothTablesEmptyWithTheirLayout) {
    CreateCompanionDatabase(ctx, path);
    auto db = OpenCompanion();
    using Cols = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(Layout(*db, "teststrips"), (Cols{{"ID", "INTEGER"},
                                               {"Date", "DATETIME_REAL"},
                                               {"Type", "SHORT"},
                                               {"Amount", "SHORT"},
                                               {"Compatibility", "VARCHAR(30)"},
                                               {"Comments", "VARCHAR(255)"}}));
    EXPECT_EQ(Layout(*db, "strips"), (Cols{{"ID", "INTEGER"},
                                           {"Desc", "VARCHAR(255)"},
                                           {"Manufacturer", "VARCHAR(255)"},
                                           {"PZN", "VARCHAR(255)"},
                                           {"AppliesTo", "VARCHAR(255)"}}));
    for (const char* table : {"teststrips", "strips"})
        EXPECT_TRUE(db->OpenRecordset(table, dao::dbOpenDynaset)->Eof());
    db->Close();
    // Only the file itself is left: no journal, no temporary file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(programDir),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(SchemaTest, existingFileIsNeverTouched) {
    for (const std::string& content : {std::string(), std::string("kein Datenbankinhalt"),
                                       std::string("SQLite format 3\0", 16)}) {
        test::WriteBytes(path, content);
        CreateCompanionDatabase(ctx, path);
        EXPECT_EQ(test::ReadBytes(path), content);
    }
}

TEST_F(SchemaTest, withoutAnyEngineNothingIsCreated) {
    ctx.engines->Withdraw("DAO.DBEngine.35");
    ctx.engines->Withdraw("DAO.DBEngine.36");
    CreateCompanionDatabase(ctx, path);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SchemaTest, eitherEngineClassCreatesTheFile) {
    ctx.engines->Withdraw("DAO.DBEngine.35");
    CreateCompanionDatabase(ctx, path);
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(SchemaTest, unwritableFolderLeavesNothingBehind) {
    const std::string inMissingFolder = Path("fehlt/Tagebuch.VLT");
    CreateCompanionDatabase(ctx, inMissingFolder);
    EXPECT_FALSE(std::filesystem::exists(Path("fehlt")));
}

TEST_F(SchemaTest, stripsTableIsAddedToAnOlderFileOnce) {
    CreateCompanionDatabase(ctx, path);
    auto db = OpenCompanion();
    db->Execute("DROP TABLE strips");
    AppendStripsTable(*db);
    auto rs = db->OpenRecordset("Select * FROM strips", dao::dbOpenDynaset);
    rs->AddNew();
    rs->Update();
    rs = db->OpenRecordset("Select * FROM strips", dao::dbOpenDynaset);
    EXPECT_EQ(dao::ToLong(rs->GetField("ID")), 1);
    for (const char* text : {"Desc", "Manufacturer", "PZN", "AppliesTo"})
        EXPECT_EQ(dao::ToText(rs->GetField(text)), "") << text;
}

}  // namespace
}  // namespace stripstock
