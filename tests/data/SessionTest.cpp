#include <gtest/gtest.h>

#include <filesystem>

#include "DataFixtures.h"
#include "data/Schema.h"
#include "data/ScopedDatabase.h"
#include "data/Session.h"

namespace stripstock {
namespace {

using test::Day;
using test::ErrorOf;

class SessionTest : public test::HostFixture {
  protected:
    std::string diaryPath = Path("Tagebuch.VLD");
    std::shared_ptr<dao::DBEngine> engine;
    std::shared_ptr<dao::Database> db;
};

TEST_F(SessionTest, anEmptyDiaryOpensWithTheRightPasswordAndWhateverEngineThereIsAndClosesAgain) {
    test::MakeDiary(diaryPath, {}, {}, "quomba");
    ASSERT_EQ(db_init(ctx, engine, db, diaryPath, true, false), 0);
    // An empty path returns 53 and touches nothing.
    const auto keptEngine = engine;
    const auto keptDb = db;
    EXPECT_EQ(db_init(ctx, engine, db, "", true, false), kStatusEmptyPath);
    EXPECT_EQ(engine, keptEngine);
    EXPECT_EQ(db, keptDb);
    EXPECT_TRUE(db->IsOpen());

    // A short password opens with the built-in one.
    for (const char* shortPassword : {"", "a", "ab"}) {
        ctx.DbPassword = shortPassword;
        EXPECT_EQ(db_init(ctx, engine, db, diaryPath, true, false), 0) << shortPassword;
        EXPECT_EQ(ctx.DbPassword, shortPassword);  // only the opening uses the built-in one
    }
    // Record sets open through the session, and its clean-up closes the database.
    std::shared_ptr<dao::Recordset> rs;
    EXPECT_EQ(db_OpenRecordset(db, rs, "Select * from patdat", dao::dbOpenDynaset), 0);
    ASSERT_NE(rs, nullptr);
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(db_OpenRecordset(db, rs, "Select * from nirgends", dao::dbOpenDynaset),
              dao::kErrInputTableNotFound);
    EXPECT_EQ(rs, nullptr);
    db_cleanup(engine, db, rs);
    EXPECT_FALSE(db->IsOpen());
    ctx.DbPassword = "abc";
    EXPECT_EQ(db_init(ctx, engine, db, diaryPath, true, false), dao::kErrNotValidPassword);
    EXPECT_EQ(ctx.DbPassword, "abc");
    EXPECT_EQ(engine, nullptr);
    EXPECT_EQ(db, nullptr);
    EXPECT_NE(db_OpenRecordset(db, rs, "Select * from patdat", dao::dbOpenDynaset), 0);
    db_cleanup(engine, db, rs);  // nothing set: nothing to do

    // An empty patdat gives a single space as name.
    ctx.DbPassword = kBuiltInPassword;
    PatientRecord record;
    record.firstname = "alt";
    EXPECT_EQ(db_GetPatient(ctx, diaryPath, record), dao::kErrNoCurrentRecord);
    EXPECT_EQ(record.DisplayName(), " ");

    // The older engine stands in unless forbidden; the owner is read with whichever there is.
    ctx.engines->Withdraw("DAO.DBEngine.36");
    EXPECT_EQ(db_init(ctx, engine, db, diaryPath, true, false), 0);
    EXPECT_EQ(db_GetPatient(ctx, diaryPath, record), dao::kErrNoCurrentRecord);
    EXPECT_EQ(db_init(ctx, engine, db, diaryPath, true, true), dao::kErrCannotCreateObject);
    EXPECT_EQ(engine, nullptr);
    ctx.engines->Withdraw("DAO.DBEngine.35");
    EXPECT_EQ(db_init(ctx, engine, db, diaryPath, true, false), dao::kErrCannotCreateObject);
}

TEST_F(SessionTest, aMissingFileFailsBeforeAnEngineIsMadeAndStaysMissing) {
    engine = ctx.engines->Create("DAO.DBEngine.36");
    EXPECT_NE(db_init(ctx, engine, db, Path("fehlt.VLD"), true, false), 0);
    EXPECT_EQ(engine, nullptr);
    EXPECT_EQ(db, nullptr);
    EXPECT_FALSE(std::filesystem::exists(Path("fehlt.VLD")));
    PatientRecord record;
    record.reserved1 = 7;
    record.name = "alt";
    EXPECT_NE(db_GetPatient(ctx, Path("fehlt.VLD"), record), 0);
    EXPECT_EQ(record.DisplayName(), " ");
    EXPECT_EQ(record.reserved1, 7);
}

TEST_F(SessionTest, patientIsTheFirstRowKeepsTheCallersNumberAndReadsOnPastNulls) {
    test::MakeDiary(diaryPath,
                    {{{"firstname", dao::Value(std::string("Erika"))},
                      {"name", dao::Value(std::string("Mustermann"))},
                      {"zip", dao::Value(std::string("12345"))},
                      {"birthday", dao::Value(Day(1960, 8, 12))},
                      {"height", dao::Value(std::int64_t{172})},
                      {"DiabetesSince", dao::Value(std::int64_t{1999})}},
                     {{"firstname", dao::Value(std::string("Max"))},
                      {"name", dao::Value(std::string("Zweiter"))}}},
                    {}, "quomba");
    PatientRecord record;
    record.reserved1 = 4711;
    record.city = "alt";
    record.reserved3 = "alt";
    db_GetPatient(ctx, diaryPath, record);
    EXPECT_EQ(record.DisplayName(), "Erika Mustermann");
    EXPECT_EQ(record.zip, "12345");
    EXPECT_DOUBLE_EQ(record.birthday, Day(1960, 8, 12));
    EXPECT_EQ(record.height, 172);
    EXPECT_EQ(record.DiabetesSince, 1999);
    EXPECT_EQ(record.reserved1, 4711);
    EXPECT_EQ(record.city, "");  // Null in the row: empty, and the reading went on
    EXPECT_EQ(record.reserved3, "");
    EXPECT_EQ(record.gender, 0);
    EXPECT_FALSE(ctx.session.Db->IsOpen());
}

TEST(SqlDate, writesMonthDayYearWithoutLeadingZeros) {
    EXPECT_EQ(SqlDate(Day(2009, 12, 31, 23, 59)), "#12/31/2009#");
    EXPECT_EQ(SqlDate(Day(2010, 1, 1)), "#1/1/2010#");
    EXPECT_EQ(SqlDate(0.0), "#12/30/1899#");
    EXPECT_EQ(SqlDate(Day(999, 1, 2)), "#1/2/0999#");
}

// ---- the companion database: made at ctx.StripDbPath, alone in the program folder ----

class SchemaTest : public test::HostFixture {
  protected:
    SchemaTest() { ctx.StripDbPath = path; }
    std::string path = programDir + "/MEIER.VLT";
};

TEST_F(SchemaTest, createsBothTablesEmptyWithTheirLayoutAndAddsStripsToAnOlderFileOnce) {
    CreateCompanionDatabase(ctx, path);
    auto db = OpenCompanion();
    // Column names and declared types, in table order.
    const auto layout = [&](const std::string& table) {
        std::string cols;
        auto rs = db->OpenRecordset("SELECT name, type FROM pragma_table_info('" + table + "')",
                                    dao::dbOpenSnapshot);
        for (; !rs->Eof(); rs->MoveNext())
            cols +=
                dao::ToText(rs->GetField("name")) + " " + dao::ToText(rs->GetField("type")) + ";";
        return cols;
    };
    EXPECT_EQ(layout("teststrips"),
              "ID INTEGER;Date DATETIME_REAL;Type SHORT;Amount SHORT;Compatibility VARCHAR(30);"
              "Comments VARCHAR(255);");
    EXPECT_EQ(layout("strips"),
              "ID INTEGER;Desc VARCHAR(255);Manufacturer VARCHAR(255);PZN VARCHAR(255);"
              "AppliesTo VARCHAR(255);");
    for (const char* table : {"teststrips", "strips"})
        EXPECT_TRUE(db->OpenRecordset(table, dao::dbOpenDynaset)->Eof());
    db->Close();
    // Only the file itself is left: no journal, no temporary file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(programDir),
                            std::filesystem::directory_iterator()),
              1);
    db = OpenCompanion();
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

TEST_F(SchemaTest, createsNothingOverAFileInAMissingFolderOrWithoutAnyEngine) {
    for (const std::string& content : {std::string(), std::string("kein Datenbankinhalt"),
                                       std::string("SQLite format 3\0", 16)}) {
        test::WriteBytes(path, content);
        CreateCompanionDatabase(ctx, path);
        EXPECT_EQ(test::ReadBytes(path), content);
    }
    std::filesystem::remove(path);
    CreateCompanionDatabase(ctx, Path("fehlt/Tagebuch.VLT"));
    EXPECT_FALSE(std::filesystem::exists(Path("fehlt")));
    // Either engine class creates the file.
    ctx.engines->Withdraw("DAO.DBEngine.35");
    CreateCompanionDatabase(ctx, path);
    EXPECT_TRUE(std::filesystem::exists(path));
    std::filesystem::remove(path);
    ctx.engines->Withdraw("DAO.DBEngine.36");
    CreateCompanionDatabase(ctx, path);
    EXPECT_FALSE(std::filesystem::exists(path));
}

// ---- ScopedDatabase: a diary with an owner and an empty companion ----

class ScopedDatabaseTest : public SessionTest {
  protected:
    void SetUp() override {
        test::MakeDiary(diaryPath, {{{"name", dao::Value{std::string("Meier")}}}}, {}, "quomba");
        ctx.StripDbPath = companionPath;
        CreateCompanion();
    }
    std::string companionPath = Path("TAGEBUCH.VLT");
};

TEST_F(ScopedDatabaseTest, eitherWayClosesAtScopeEndOnEveryExit) {
    std::shared_ptr<dao::Recordset> kept;
    {
        auto scoped = ScopedDatabase::ThroughSession(ctx, diaryPath, true, "test");
        ASSERT_TRUE(scoped.IsOpen());
        EXPECT_EQ(scoped.status(), 0);
        kept = scoped.OpenRecordset("SELECT * FROM patdat", dao::dbOpenSnapshot);
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(kept, ctx.session.Rs);
        EXPECT_EQ(dao::ToText(kept->GetField("name")), "Meier");
    }
    ASSERT_NE(ctx.session.Db, nullptr);
    EXPECT_FALSE(ctx.session.Db->IsOpen());
    EXPECT_EQ(ErrorOf([&] { kept->GetField("name"); }), dao::kErrObjectClosed);
    SessionObjects own;
    {
        auto scoped = ScopedDatabase::ThroughSession(ctx, own, diaryPath, true, "test");
        EXPECT_TRUE(scoped.IsOpen());
        EXPECT_NE(own.Db, nullptr);
    }
    EXPECT_FALSE(own.Db->IsOpen());

    // The own engine's way leaves the session alone.
    ctx.session = {};
    auto read = [&] {
        auto companion = ScopedDatabase::WithOwnEngine(ctx, companionPath, true, "test");
        kept = companion.OpenRecordset("teststrips", dao::dbOpenDynaset);
        throw dao::JetError(dao::kErrEngine, "the operation fails half-way");
    };
    EXPECT_EQ(ErrorOf(read), dao::kErrEngine);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(ErrorOf([&] { kept->MoveFirst(); }), dao::kErrObjectClosed);
    EXPECT_EQ(ctx.session.Db, nullptr);
}

TEST_F(ScopedDatabaseTest, changesInATransactionCountOnlyWhenCommittedAndFailuresSayWhy) {
    {
        auto companion = ScopedDatabase::WithOwnEngine(ctx, companionPath, false, "test");
        companion->BeginTrans();
        test::AddLedgerRow(companion.database(), Day(2024, 3, 1), 1, 50);
        EXPECT_EQ(ErrorOf([&] { companion->BeginTrans(); }), dao::kErrInvalidOperation);
    }
    EXPECT_EQ(LedgerRows().size(), 0u);
    {
        auto companion = ScopedDatabase::WithOwnEngine(ctx, companionPath, false, "test");
        companion->BeginTrans();
        test::AddLedgerRow(companion.database(), Day(2024, 3, 1), 1, 50);
        test::AddLedgerRow(companion.database(), Day(2024, 3, 2), 1, 60);
        companion->CommitTrans();
    }
    EXPECT_EQ(LedgerRows().size(), 2u);

    // A database that cannot be opened says why.
    auto missing = ScopedDatabase::WithOwnEngine(ctx, Path("fehlt.VLT"), true, "test");
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.status(), dao::kErrFileNotFound);
    EXPECT_FALSE(missing.error().empty());
    EXPECT_EQ(missing.OpenRecordset("teststrips", dao::dbOpenDynaset), nullptr);
    EXPECT_NE(missing.lastError(), 0);
    auto noFile = ScopedDatabase::ThroughSession(ctx, "", true, "test");
    EXPECT_EQ(noFile.status(), kStatusEmptyPath);
    ctx.engines.reset();
    EXPECT_EQ(ScopedDatabase::WithOwnEngine(ctx, companionPath, true, "test").status(),
              dao::kErrCannotCreateObject);
}

}  // namespace
}  // namespace stripstock
