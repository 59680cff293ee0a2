// The SQL texts the program sends, run against a companion database made by the schema code
// and a small diary.
#include <gtest/gtest.h>

#include "DataFixtures.h"
#include "data/Dao.h"
#include "data/Schema.h"
#include "data/Session.h"

namespace stripstock::dao {
namespace {

using test::Day;
using test::ErrorOf;

class ProgramSqlTest : public test::CompanionFixture {
  protected:
    void SetUp() override {
        test::MakeDiary(diaryPath, {},
                        {
                            {Day(2010, 1, 31, 23, 59), 100, 12},
                            {Day(2010, 2, 1, 0, 0), 110, 12},  // end day, midnight
                            {Day(2010, 2, 1, 0, 1), 120, 15},  // end day, one minute later
                            {Day(2010, 1, 1, 0, 0), 130, 15},  // start day
                            {Day(2009, 12, 31, 23, 59), 140, 12},
                            {Day(2010, 1, 15, 8, 0), 150, 7},
                        },
                        "Geheim");
        companion = OpenCompanion();
        diary = engines.Create("DAO.DBEngine.36")
                    ->OpenDatabase(diaryPath, false, true, "MS Access;pwd=Geheim");
    }
    Value Query(Database& db, const std::string& sql, const std::string& field) {
        return test::FirstValue(db, sql, field);
    }

    EngineFactory engines;
    std::string diaryPath = Path("Tagebuch.VLD");
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
    test::AddLedgerRow(*companion, Day(2010, 1, 1), 3, 50);
    test::AddLedgerRow(*companion, Day(2010, 1, 10), 3, -2);
    test::AddLedgerRow(*companion, Day(2010, 1, 10), 4, 100);
    test::AddLedgerRow(*companion, Day(2010, 3, 5), 3, 25);  // after the end
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
    EXPECT_DOUBLE_EQ(ToDate(rs->GetField("vd1")), Day(2010, 1, 1));
    EXPECT_DOUBLE_EQ(ToDate(rs->GetField("vd2")), Day(2010, 3, 5));
    EXPECT_DOUBLE_EQ(ToDate(Query(*companion,
                                  "Select max(date) as vd FROM teststrips where amount >0 AND "
                                  "Type=3",
                                  "vd")),
                     Day(2010, 3, 5));
}

}  // namespace
}  // namespace stripstock::dao
