// The SQL texts the program sends, run against a companion database made by the schema code
// and a small diary.
#include <gtest/gtest.h>

#include "DataFixtures.h"
#include "data/Dao.h"
#include "data/Schema.h"
#include "data/Session.h"

namespace stripstock::dao {
namespace {

using test::Date;

using test::ErrorOf;

class ProgramSqlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ctx = test::MakeTestContext();
        companionPath = dir.File("Tagebuch.VLT");
        diaryPath = dir.File("Tagebuch.VLD");
        CreateCompanionDatabase(ctx, companionPath);
        test::MakeDiary(diaryPath, {},
                        {
                            {Date(2010, 1, 31, 23, 59), 100, 12},
                            {Date(2010, 2, 1, 0, 0), 110, 12},  // end day, midnight
                            {Date(2010, 2, 1, 0, 1), 120, 15},  // end day, one minute later
                            {Date(2010, 1, 1, 0, 0), 130, 15},  // start day
                            {Date(2009, 12, 31, 23, 59), 140, 12},
                            {Date(2010, 1, 15, 8, 0), 150, 7},
                        },
                        "Geheim");
        companion = OpenCompanion();
        diary = engines.Create("DAO.DBEngine.36")
                    ->OpenDatabase(diaryPath, false, true, "MS Access;pwd=Geheim");
    }
    std::shared_ptr<Database> OpenCompanion() { return test::OpenCompanion(companionPath); }
    Value Query(Database& db, const std::string& sql, const std::string& field) {
        return test::FirstValue(db, sql, field);
    }

    test::TempDir dir;
    Context ctx;
    EngineFactory engines;
    std::string companionPath;
    std::string diaryPath;
    std::shared_ptr<Database> companion;
    std::shared_ptr<Database> diary;
};

TEST_F(ProgramSqlTest, aggregatesOverNoRowsAreNullAndCountIsZero) {
    for (const char* sql :
         {"Select min(date) as vd1, max(date) as vd2 FROM teststrips ",
          "Select min(date) as vd1, max(date) as vd2 FROM teststrips WHERE Type=5"}) {
        auto rs = companion->OpenRecordset(sql, dbOpenDynaset);
        rs->MoveFirst();
        EXPECT_EQ(rs->RecordCount(), 1);
        EXPECT_TRUE(IsNull(rs->GetField("vd1")));
        EXPECT_EQ(ErrorOf([&] { ToDate(rs->GetField("vd2")); }), kErrInvalidUseOfNull);
    }
    EXPECT_TRUE(IsNull(Query(*companion,
                             "Select sum(amount) as iNum FROM teststrips WHERE  date between "
                             "#1/1/2010 00:00# AND #3/4/2010 14:05#",
                             "iNum")));
    EXPECT_TRUE(IsNull(Query(
        *companion, "Select max(date) as vd FROM teststrips where amount >0 AND Type=5", "vd")));
    EXPECT_EQ(ToLong(Query(*diary,
                           "SELECT count(vdate) as inum FROM GLUCOSE WHERE method IN (99) AND "
                           "vdate between #1/1/2010# AND #2/1/2010#",
                           "inum")),
              0);
}

TEST_F(ProgramSqlTest, dateOnlyUpperBoundIncludesMidnightOfTheEndDayOnly) {
    // 1 Jan 00:00, 15 Jan, 31 Jan 23:59 and 1 Feb 00:00; not 1 Feb 00:01, not 31 Dec.
    EXPECT_EQ(ToLong(Query(*diary,
                           " SELECT count(vdate) as inum FROM GLUCOSE  WHERE vdate between "
                           "#1/1/2010# AND #2/1/2010#",
                           "inum")),
              4);
    EXPECT_EQ(ToLong(Query(*diary,
                           "SELECT count(vdate) as inum FROM GLUCOSE WHERE method IN (12,15) AND "
                           "vdate between #1/1/2010# AND #2/1/2010#",
                           "inum")),
              3);
    EXPECT_EQ(ToLong(Query(*diary, " SELECT count(vdate) as inum FROM GLUCOSE ", "inum")), 6);
    EXPECT_EQ(ToLong(Query(*diary, "SELECT count(vdate) as inum FROM GLUCOSE WHERE method IN (7)",
                           "inum")),
              1);
}

TEST_F(ProgramSqlTest, receivedQueryEndsAtTheCurrentMinute) {
    test::AddLedgerRow(*companion, Date(2010, 1, 1), 3, 50);
    test::AddLedgerRow(*companion, Date(2010, 1, 10), 3, -2);
    test::AddLedgerRow(*companion, Date(2010, 1, 10), 4, 100);
    test::AddLedgerRow(*companion, Date(2010, 3, 5), 3, 25);  // after the end
    const std::string range = " date between #1/1/2010 00:00# AND #3/4/2010 14:05#";
    EXPECT_EQ(ToLong(Query(*companion, "Select sum(amount) as iNum FROM teststrips WHERE " + range,
                           "iNum")),
              148);
    EXPECT_EQ(ToLong(Query(*companion,
                           "Select sum(amount) as iNum FROM teststrips WHERE  Type=3 and" + range,
                           "iNum")),
              48);
    auto rs = companion->OpenRecordset(
        "Select min(date) as vd1, max(date) as vd2 FROM teststrips WHERE Type=3", dbOpenDynaset);
    EXPECT_DOUBLE_EQ(ToDate(rs->GetField("vd1")), Date(2010, 1, 1));
    EXPECT_DOUBLE_EQ(ToDate(rs->GetField("vd2")), Date(2010, 3, 5));
    EXPECT_DOUBLE_EQ(ToDate(Query(*companion,
                                  "Select max(date) as vd FROM teststrips where amount >0 AND "
                                  "Type=3",
                                  "vd")),
                     Date(2010, 3, 5));
}

TEST_F(ProgramSqlTest, prescriptionTreeAndListQueries) {
    test::AddLedgerRow(*companion, Date(2010, 1, 1), 3, 50);
    test::AddLedgerRow(*companion, Date(2010, 2, 1), 3, 50);
    test::AddLedgerRow(*companion, Date(2010, 1, 15), 4, 100);
    test::AddLedgerRow(*companion, Date(2010, 1, 20), 24, -3);

    auto rs = companion->OpenRecordset("Select type FROM teststrips WHERE amount > 0 group by type",
                                       dbOpenDynaset);
    rs->MoveLast();
    rs->MoveFirst();
    ASSERT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(ToInteger(rs->GetField("type")), 3);
    rs->MoveNext();
    EXPECT_EQ(ToInteger(rs->GetField("Type")), 4);

    rs = companion->OpenRecordset("Select * FROM teststrips WHERE amount > 0  ORDER by date DESC",
                                  dbOpenDynaset);
    rs->MoveLast();
    rs->MoveFirst();
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_DOUBLE_EQ(ToDate(rs->GetField("Date")), Date(2010, 2, 1));

    rs = companion->OpenRecordset(
        "Select * FROM teststrips WHERE amount > 0  AND type=3 ORDER by date DESC", dbOpenDynaset);
    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), 2);

    rs = companion->OpenRecordset("Select * FROM teststrips ORDER by date DESC", dbOpenDynaset);
    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), 4);
    const std::int32_t lastId = ToLong(rs->GetField("ID"));

    companion->Execute("DELETE * FROM teststrips WHERE id=" + std::to_string(lastId));
    companion->Execute("DELETE * FROM teststrips WHERE id=999");  // no row: nothing happens
    rs = companion->OpenRecordset("Select * FROM teststrips ORDER by date DESC", dbOpenDynaset);
    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), 3);
}

TEST_F(ProgramSqlTest, stripCatalogueQueries) {
    auto rs = companion->OpenRecordset("Select * FROM strips", dbOpenDynaset);
    for (const char* name : {"Teststreifen A", "Teststreifen B"}) {
        rs->AddNew();
        rs->SetField("desc", Value(std::string(name)));
        rs->SetField("appliesto", Value(std::string("|12||15|")));
        rs->Update();
    }
    EXPECT_EQ(ErrorOf([&] { companion->Execute("Select * FROM strips"); }),
              kErrCannotExecuteSelect);
    EXPECT_EQ(ToText(Query(*companion, "SELECT * FROM strips WHERE id=2", "appliesto")),
              "|12||15|");
    rs = companion->OpenRecordset("Select * FROM strips WHERE ID=1", dbOpenDynaset);
    rs->Edit();
    rs->SetField("pzn", Value(std::string("01234567")));
    rs->Update();
    EXPECT_EQ(ToText(Query(*companion, "Select * FROM strips where id=1", "PZN")), "01234567");
    companion->Execute("DELETE * from strips WHERE id=1");
    rs = companion->OpenRecordset("Select * from strips", dbOpenDynaset);
    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(ToText(rs->GetField("Desc")), "Teststreifen B");
}

TEST_F(ProgramSqlTest, meterListWithoutMetersIsASyntaxError) {
    try {
        diary->OpenRecordset(
            "SELECT count(vdate) as inum FROM GLUCOSE WHERE method IN (**) AND vdate between "
            "#1/1/2010# AND #2/1/2010#",
            dbOpenDynaset);
        FAIL();
    } catch (const JetError& e) {
        EXPECT_EQ(e.number(), kErrSyntax);
        EXPECT_STREQ(e.what(), "Syntax error in query expression 'method IN (**)'.");
    }
}

TEST_F(ProgramSqlTest, sqlDateLiteralsWorkInQueries) {
    const std::string sql = " SELECT count(vdate) as inum FROM GLUCOSE  WHERE vdate between " +
                            SqlDate(Date(2010, 1, 1, 13, 30)) + " AND " +
                            SqlDate(Date(2010, 2, 1, 23, 59));
    EXPECT_EQ(ToLong(Query(*diary, sql, "inum")), 4);
}

}  // namespace
}  // namespace stripstock::dao
