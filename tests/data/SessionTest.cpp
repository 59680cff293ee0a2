#include <gtest/gtest.h>

#include <filesystem>

#include "DataFixtures.h"
#include "data/Schema.h"
#include "data/Session.h"

namespace stripstock {
namespace {

using test::Day;

class SessionTest : public test::HostFixture {
  protected:
    void MakeDiary(const std::vector<test::PatientRow>& patients,
                   const std::string& password = "quomba") {
        test::MakeDiary(diaryPath, patients, {}, password);
    }

    std::string diaryPath = Path("Tagebuch.VLD");
    std::shared_ptr<dao::DBEngine> engine;
    std::shared_ptr<dao::Database> db;
};

TEST_F(SessionTest, emptyPathReturns53AndTouchesNothing) {
    MakeDiary({});
    ASSERT_EQ(db_init(ctx, engine, db, diaryPath, true, false), 0);
    const auto keptEngine = engine;
    const auto keptDb = db;
    EXPECT_EQ(db_init(ctx, engine, db, "", true, false), kStatusEmptyPath);
    EXPECT_EQ(engine, keptEngine);
    EXPECT_EQ(db, keptDb);
    EXPECT_TRUE(db->IsOpen());
}

TEST_F(SessionTest, missingFileFailsBeforeAnEngineIsMade) {
    engine = ctx.engines->Create("DAO.DBEngine.36");
    const int status = db_init(ctx, engine, db, Path("fehlt.VLD"), true, false);
    EXPECT_NE(status, 0);
    EXPECT_EQ(engine, nullptr);
    EXPECT_EQ(db, nullptr);
    EXPECT_FALSE(std::filesystem::exists(Path("fehlt.VLD")));
}

TEST_F(SessionTest, shortPasswordOpensWithTheBuiltInOne) {
    MakeDiary({});
    for (const char* shortPassword : {"", "a", "ab"}) {
        ctx.DbPassword = shortPassword;
        EXPECT_EQ(db_init(ctx, engine, db, diaryPath, true, false), 0) << shortPassword;
        EXPECT_EQ(ctx.DbPassword, shortPassword);  // only the opening uses the built-in one
    }
    ctx.DbPassword = "abc";
    EXPECT_EQ(db_init(ctx, engine, db, diaryPath, true, false), dao::kErrNotValidPassword);
    EXPECT_EQ(ctx.DbPassword, "abc");
    EXPECT_EQ(engine, nullptr);
    EXPECT_EQ(db, nullptr);
}

TEST_F(SessionTest, fallsBackToTheOlderEngineUnlessForbidden) {
    MakeDiary({});
    ctx.engines->Withdraw("DAO.DBEngine.36");
    EXPECT_EQ(db_init(ctx, engine, db, diaryPath, true, false), 0);
    PatientRecord record;  // the owner is read with whichever engine there is
    EXPECT_EQ(db_GetPatient(ctx, diaryPath, record), dao::kErrNoCurrentRecord);
    EXPECT_EQ(db_init(ctx, engine, db, diaryPath, true, true), dao::kErrCannotCreateObject);
    EXPECT_EQ(engine, nullptr);
    ctx.engines->Withdraw("DAO.DBEngine.35");
    EXPECT_EQ(db_init(ctx, engine, db, diaryPath, true, false), dao::kErrCannotCreateObject);
}

TEST_F(SessionTest, foreignFileFailsAndStaysUnchanged) {
    test::WriteBytes(diaryPath, "Standard Jet DB");
    EXPECT_EQ(db_init(ctx, engine, db, diaryPath, false, false), dao::kErrUnrecognizedFormat);
    EXPECT_EQ(test::ReadBytes(diaryPath), "Standard Jet DB");
    EXPECT_EQ(db, nullptr);
}

TEST_F(SessionTest, companionWithoutPasswordOpensWithTheDiaryPassword) {
    const std::string companion = Path("Tagebuch.VLT");
    CreateCompanionDatabase(ctx, companion);
    ctx.DbPassword = "irgendwas";
    ASSERT_EQ(db_init(ctx, engine, db, companion, true, false), 0);
    std::shared_ptr<dao::Recordset> rs;
    EXPECT_EQ(db_OpenRecordset(db, rs, "Select * from strips", dao::dbOpenDynaset), 0);
    ASSERT_NE(rs, nullptr);
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(db_OpenRecordset(db, rs, "Select * from nirgends", dao::dbOpenDynaset),
              dao::kErrInputTableNotFound);
    EXPECT_EQ(rs, nullptr);
    db_cleanup(engine, db, rs);
    EXPECT_FALSE(db->IsOpen());
    std::shared_ptr<dao::Database> none;
    EXPECT_NE(db_OpenRecordset(none, rs, "Select * from strips", dao::dbOpenDynaset), 0);
    db_cleanup(engine, none, rs);  // nothing set: nothing to do
}

TEST_F(SessionTest, patientIsTheFirstRowAndKeepsTheCallersNumber) {
    MakeDiary({{{{"firstname", dao::Value(std::string("Erika"))},
                 {"name", dao::Value(std::string("Mustermann"))},
                 {"zip", dao::Value(std::string("12345"))},
                 {"birthday", dao::Value(Day(1960, 8, 12))},
                 {"height", dao::Value(std::int64_t{172})},
                 {"DiabetesSince", dao::Value(std::int64_t{1999})}}},
               {{{"firstname", dao::Value(std::string("Max"))},
                 {"name", dao::Value(std::string("Zweiter"))}}}});
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

TEST_F(SessionTest, emptyPatdatGivesASingleSpaceAsName) {
    MakeDiary({});
    PatientRecord record;
    record.firstname = "alt";
    EXPECT_EQ(db_GetPatient(ctx, diaryPath, record), dao::kErrNoCurrentRecord);
    EXPECT_EQ(record.DisplayName(), " ");
}

TEST_F(SessionTest, missingColumnsAreSkippedAndTheReadingGoesOn) {
    {
        auto created = ctx.engines->Create("DAO.DBEngine.36")
                           ->CreateDatabase(diaryPath, dao::dbLangGeneral, 0);
        dao::TableDef patdat = created->CreateTableDef("patdat");
        patdat.AppendField(patdat.CreateField("name", dao::dbText, 50));
        patdat.AppendField(patdat.CreateField("typ", dao::dbLong));
        patdat.AppendField(patdat.CreateField("email", dao::dbText, 50));
        created->AppendTableDef(patdat);
        auto rs = created->OpenRecordset("patdat", dao::dbOpenDynaset);
        rs->AddNew();
        rs->SetField("name", dao::Value(std::string("Muster")));
        rs->SetField("typ", dao::Value(std::int64_t{70000}));  // too big for the record
        rs->SetField("email", dao::Value(std::string("a@b.de")));
        rs->Update();
        created->Close();
    }
    PatientRecord record;
    EXPECT_EQ(db_GetPatient(ctx, diaryPath, record), dao::kErrItemNotFound);  // CPeptid, last
    EXPECT_EQ(record.DisplayName(), " Muster");
    EXPECT_EQ(record.typ, 0);
    EXPECT_EQ(record.email, "a@b.de");
}

TEST_F(SessionTest, unreadableDiaryGivesAnEmptyRecordAndAnError) {
    PatientRecord record;
    record.reserved1 = 7;
    record.name = "alt";
    EXPECT_NE(db_GetPatient(ctx, Path("fehlt.VLD"), record), 0);
    EXPECT_EQ(record.DisplayName(), " ");
    EXPECT_EQ(record.reserved1, 7);
}

struct SqlDateCase {
    double date;
    const char* text;
};

class SqlDateTest : public ::testing::TestWithParam<SqlDateCase> {};

TEST_P(SqlDateTest, writesMonthDayYearWithoutLeadingZeros) {
    EXPECT_EQ(SqlDate(GetParam().date), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Dates, SqlDateTest,
                         ::testing::Values(SqlDateCase{Day(2009, 12, 31, 23, 59), "#12/31/2009#"},
                                           SqlDateCase{Day(2010, 1, 1), "#1/1/2010#"},
                                           SqlDateCase{Day(2010, 3, 4, 12, 0), "#3/4/2010#"},
                                           SqlDateCase{0.0, "#12/30/1899#"},
                                           SqlDateCase{Day(999, 1, 2), "#1/2/0999#"}));

}  // namespace
}  // namespace stripstock
