#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "DataFixtures.h"
#include "data/ColumnInfo.h"
#include "data/Dao.h"
#include "data/Schema.h"

namespace stripstock::dao {
namespace {

using test::Day;
using test::ErrorOf;

class EngineTest : public test::CompanionFixture {
  protected:
    std::shared_ptr<DBEngine> Engine() { return engines.Create("DAO.DBEngine.36"); }

    EngineFactory engines;
    std::string path = ctx.StripDbPath;
};

TEST_F(EngineTest, opensOnlyItsOwnFilesWithTheirPasswordThroughEitherClassName) {
    const std::string missing = Path("none.VLD");
    EXPECT_EQ(
        test::Raised([&] { Engine()->OpenDatabase(missing, false, true); }),
        (std::pair<int, std::string>{kErrFileNotFound, "Couldn't find file '" + missing + "'."}));
    EXPECT_FALSE(std::filesystem::exists(missing));
    const std::string foreign = Path("foreign.VLT");
    for (const std::string& bytes :
         {std::string(), std::string("Standard Jet DB\0\0", 17), std::string("SQLite format 3"),
          std::string("SQLite format 3\0", 16) + std::string(4000, '\x7f')}) {
        SCOPED_TRACE(bytes.size());
        test::WriteBytes(foreign, bytes);
        for (bool readOnly : {true, false}) {
            EXPECT_EQ(ErrorOf([&] { Engine()->OpenDatabase(foreign, false, readOnly); }),
                      kErrUnrecognizedFormat);
        }
        EXPECT_EQ(ErrorOf([&] { SetDatabasePassword(foreign, "x"); }), kErrUnrecognizedFormat);
        EXPECT_EQ(ErrorOf([&] { Engine()->CreateDatabase(foreign, dbLangGeneral, dbVersion30); }),
                  kErrDatabaseExists);
        EXPECT_EQ(test::ReadBytes(foreign), bytes);
        EXPECT_FALSE(std::filesystem::exists(foreign + "-journal"));
    }

    // A password must match exactly when the file has one; without, any connect string opens.
    EXPECT_NO_THROW(Engine()->OpenDatabase(path, false, true, "MS Access;pwd=whatever"));
    SetDatabasePassword(path, "Geheim");
    EXPECT_NO_THROW(Engine()->OpenDatabase(path, false, true, "MS Access;pwd=Geheim"));
    EXPECT_NO_THROW(Engine()->OpenDatabase(path, false, true, ";PWD=Geheim"));
    for (const char* connect : {"MS Access;pwd=geheim", "MS Access;pwd=", "MS Access", ""}) {
        EXPECT_EQ(ErrorOf([&] { Engine()->OpenDatabase(path, false, true, connect); }),
                  kErrNotValidPassword)
            << connect;
    }
    SetDatabasePassword(path, "");
    EXPECT_NO_THROW(Engine()->OpenDatabase(path, false, true, "MS Access"));

    // The factory serves both class names until one is withdrawn.
    EXPECT_NE(engines.Create("DAO.DBEngine.35"), nullptr);
    EXPECT_NE(engines.Create("DAO.DBEngine.36"), nullptr);
    EXPECT_EQ(ErrorOf([&] { engines.Create("DAO.DBEngine.120"); }), kErrCannotCreateObject);
    engines.Withdraw("DAO.DBEngine.36");
    EXPECT_EQ(ErrorOf([&] { engines.Create("DAO.DBEngine.36"); }), kErrCannotCreateObject);
    EXPECT_NE(engines.Create("DAO.DBEngine.35"), nullptr);
}

TEST_F(EngineTest, readOnlyDatabaseAggregatesAndSnapshotsNeverWrite) {
    {
        auto db = Engine()->OpenDatabase(path, false, false);
        test::AddLedgerRow(*db, Day(2010, 1, 1), 1, 50);
        auto rs = db->OpenRecordset("Select type FROM teststrips WHERE amount > 0 group by type",
                                    dbOpenDynaset);
        EXPECT_EQ(ErrorOf([&] { rs->AddNew(); }), kErrReadOnly);
        rs = db->OpenRecordset("Select * FROM teststrips", dbOpenSnapshot);
        EXPECT_EQ(ErrorOf([&] { rs->Edit(); }), kErrReadOnly);
    }
    const test::FileState before = test::StateOf(path);
    auto db = Engine()->OpenDatabase(path, false, true);
    auto rs = db->OpenRecordset("Select * FROM teststrips", dbOpenDynaset);
    rs->Edit();
    rs->SetField("Amount", std::int64_t{7});
    EXPECT_EQ(ErrorOf([&] { rs->Update(); }), kErrReadOnly);
    rs = db->OpenRecordset("teststrips", dbOpenDynaset);
    rs->AddNew();
    rs->SetField("Date", Day(2010, 2, 1));
    EXPECT_EQ(ErrorOf([&] { rs->Update(); }), kErrReadOnly);
    EXPECT_EQ(ErrorOf([&] { db->Execute("DELETE * FROM teststrips"); }), kErrReadOnly);
    EXPECT_EQ(ErrorOf([&] { AppendStripsTable(*db); }), kErrReadOnly);
    db->Close();
    EXPECT_EQ(test::StateOf(path), before);
}

TEST_F(EngineTest, executeRefusesSelectsOnlyWhenTheTableExists) {
    auto db = Engine()->OpenDatabase(path, false, false);
    EXPECT_EQ(ErrorOf([&] { db->Execute("Select * FROM strips"); }), kErrCannotExecuteSelect);
    db->Execute("DROP TABLE strips");
    EXPECT_EQ(test::Raised([&] { db->Execute("Select * FROM strips"); }),
              (std::pair<int, std::string>{
                  kErrInputTableNotFound,
                  "The Microsoft Jet database engine cannot find the input table or query "
                  "'strips'. Make sure it exists and that its name is spelled correctly."}));
    EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("strips", dbOpenDynaset); }), kErrInputTableNotFound);
    AppendStripsTable(*db);
    EXPECT_EQ(ErrorOf([&] { AppendStripsTable(*db); }), kErrTableExists);
}

TEST_F(EngineTest, emptyRecordsetHasNoCurrentRecordAndRecordCountCountsVisitedRecords) {
    auto db = Engine()->OpenDatabase(path, false, true);
    EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("teststrips", 3); }), kErrInvalidArgument);
    auto rs = db->OpenRecordset("Select * FROM teststrips", dbOpenDynaset);
    EXPECT_TRUE(rs->Eof());
    EXPECT_TRUE(rs->Bof());
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_EQ(ErrorOf([&] { rs->MoveFirst(); }), kErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs->MoveLast(); }), kErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), kErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs->GetField("Amount"); }), kErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs->GetField("Nonsense"); }), kErrItemNotFound);
    EXPECT_EQ(ErrorOf([&] { rs->Edit(); }), kErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs->Update(); }), kErrUpdateWithoutAddNew);
    EXPECT_EQ(ErrorOf([&] { rs->SetField("Amount", std::int64_t{1}); }), kErrUpdateWithoutAddNew);

    // The record count counts visited records until MoveLast.
    db = Engine()->OpenDatabase(path, false, false);
    for (int i = 1; i <= 5; ++i) test::AddLedgerRow(*db, Day(2010, 1, i), 1, 10);
    rs = db->OpenRecordset("Select * FROM teststrips ORDER by date DESC", dbOpenDynaset);
    EXPECT_EQ(rs->RecordCount(), 1);
    rs->MoveNext();
    rs->MoveNext();
    EXPECT_EQ(rs->RecordCount(), 3);
    rs->MoveLast();
    EXPECT_EQ(rs->RecordCount(), 5);
    rs->MoveFirst();
    EXPECT_EQ(rs->RecordCount(), 5);
    EXPECT_DOUBLE_EQ(ToDate(rs->GetField("DATE")), Day(2010, 1, 5));
    for (int i = 0; i < 5; ++i) rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    rs->Close();
    EXPECT_EQ(ErrorOf([&] { rs->RecordCount(); }), kErrObjectClosed);
}

TEST_F(EngineTest, forwardOnlyRecordsetReadsRowByRowAndOnlyForwardAndAllEndWithTheDatabase) {
    auto db = Engine()->OpenDatabase(path, false, false);
    for (int i = 1; i <= 4; ++i) test::AddLedgerRow(*db, Day(2010, 1, i), 1, 10 * i);
    auto rs =
        db->OpenRecordset("Select Date, Amount FROM teststrips ORDER BY Date", dbOpenForwardOnly);
    EXPECT_FALSE(rs->Bof());
    rs->MoveFirst();  // still on the first row
    std::int64_t sum = 0;
    for (; !rs->Eof(); rs->MoveNext()) sum += ToLong(rs->GetField("amount"));
    EXPECT_EQ(sum, 100);
    EXPECT_EQ(rs->RecordCount(), 4);
    EXPECT_EQ(ErrorOf([&] { rs->GetField("Amount"); }), kErrNoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs->GetField("Nonsense"); }), kErrItemNotFound);
    EXPECT_EQ(ErrorOf([&] { rs->MoveFirst(); }), kErrNotSupported);
    EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), kErrNoCurrentRecord);
    auto last = db->OpenRecordset("Select Date FROM teststrips ORDER BY Date", dbOpenForwardOnly);
    last->MoveLast();
    EXPECT_DOUBLE_EQ(ToDate(last->GetField("Date")), Day(2010, 1, 4));
    EXPECT_EQ(ErrorOf([&] { last->AddNew(); }), kErrReadOnly);
    EXPECT_EQ(ErrorOf([&] { last->Edit(); }), kErrReadOnly);
    EXPECT_EQ(ErrorOf([&] { last->Update(); }), kErrUpdateWithoutAddNew);

    // A record set left open ends with its database.
    auto open = db->OpenRecordset("Select * FROM teststrips", dbOpenForwardOnly);
    auto dynaset = db->OpenRecordset("teststrips", dbOpenDynaset);
    db->Close();
    EXPECT_FALSE(db->IsOpen());
    EXPECT_EQ(ErrorOf([&] { open->MoveNext(); }), kErrObjectClosed);
    EXPECT_EQ(ErrorOf([&] { dynaset->AddNew(); }), kErrObjectClosed);
    EXPECT_EQ(ErrorOf([&] { db->Execute("DELETE * FROM teststrips"); }), kErrObjectClosed);
    auto empty = Engine()
                     ->OpenDatabase(path, false, true)
                     ->OpenRecordset("Select * FROM teststrips WHERE Amount > 99", 8);
    EXPECT_TRUE(empty->Eof());
    EXPECT_TRUE(empty->Bof());
    EXPECT_EQ(ErrorOf([&] { empty->MoveFirst(); }), kErrNoCurrentRecord);
}

TEST_F(EngineTest, addNewFillsDefaultsAndTheEngineNumbersRows) {
    auto db = Engine()->OpenDatabase(path, false, false);
    auto rs = db->OpenRecordset("teststrips", dbOpenDynaset);
    rs->AddNew();
    EXPECT_TRUE(IsNull(rs->GetField("ID")));
    EXPECT_TRUE(IsNull(rs->GetField("Date")));
    EXPECT_EQ(ToInteger(rs->GetField("Type")), 0);
    EXPECT_EQ(ToInteger(rs->GetField("Amount")), 0);
    EXPECT_EQ(ToText(rs->GetField("Compatibility")), "");
    EXPECT_EQ(ErrorOf([&] { rs->Update(); }), kErrRequired);  // Date is required
    rs->SetField("Date", Day(2010, 3, 4));
    EXPECT_EQ(ErrorOf([&] { rs->SetField("ID", std::int64_t{99}); }), kErrFieldCannotBeUpdated);
    rs->Update();
    EXPECT_EQ(rs->RecordCount(), 1);
    rs = db->OpenRecordset("Select * FROM teststrips", dbOpenDynaset);
    EXPECT_EQ(ToLong(rs->GetField("id")), 1);
    EXPECT_EQ(ToInteger(rs->GetField("type")), 0);
    EXPECT_EQ(ToText(rs->GetField("comments")), "");
    EXPECT_DOUBLE_EQ(ToDate(rs->GetField("date")), Day(2010, 3, 4));

    // Auto-increment numbers are not reused, not even after every row is gone.
    db->Execute("DELETE * FROM teststrips");
    test::AddLedgerRow(*db, Day(2010, 3, 5), 2, 5);
    EXPECT_EQ(ToLong(test::FirstValue(*db, "Select * FROM teststrips", "ID")), 2);
}

// A text field holds 1 to 255 characters; one made without a size holds the most.
TEST_F(EngineTest, fieldsAreMadeWithinTheirLimitsAndRefuseValuesTheyCannotHold) {
    struct Case {
        const char* field;
        Value value;
        int error;  // 0: accepted
    };
    auto db = Engine()->OpenDatabase(path, false, false);
    for (const Case& c : {
             Case{"Amount", Value(std::int64_t{32767}), 0},
             Case{"Amount", Value(std::int64_t{-32768}), 0},
             Case{"Amount", Value(std::int64_t{32768}), kErrNumericOverflow},
             Case{"Type", Value(std::int64_t{-32769}), kErrNumericOverflow},
             Case{"Type", Value(std::string("12")), 0},
             Case{"Type", Value(std::string("zwölf")), kErrTypeMismatch},
             Case{"Compatibility", Value(std::string(30, 'x')), 0},
             Case{"Compatibility", Value(std::string(31, 'x')), kErrFieldTooSmall},
             // 30 characters of two bytes each still fit.
             Case{"Compatibility", Value(std::string("ääääääääääääääääääääääääääääää")), 0},
             Case{"Comments", Value(std::string(256, 'x')), kErrFieldTooSmall},
             Case{"Date", Value(std::string("kein Datum")), kErrTypeMismatch},
             // Noon of 1.1.100: before the zero day the time counts forward.
             Case{"Date", Value(-657434.5), 0},
             Case{"Date", Value(-657435.0), kErrNumericOverflow},
             Case{"Date", Value(2958465.5), 0},
             Case{"Date", Value(2958466.0), kErrNumericOverflow},
         }) {
        SCOPED_TRACE(std::string(c.field) + " = " + ToText(c.value));
        auto rs = db->OpenRecordset("teststrips", dbOpenDynaset);
        rs->AddNew();
        rs->SetField("Date", Day(2010, 1, 1));
        const Value before = rs->GetField(c.field);
        EXPECT_EQ(ErrorOf([&] { rs->SetField(c.field, c.value); }), c.error);
        if (c.error != 0) {
            EXPECT_EQ(rs->GetField(c.field), before);
            continue;
        }
        rs->Update();
        EXPECT_EQ(
            ToText(test::FirstValue(*db, "SELECT * FROM teststrips ORDER BY ID DESC", c.field)),
            ToText(c.value));
    }
    for (const int size : {-1, 256}) {
        auto bad = db->CreateTableDef("bad");
        bad.AppendField(bad.CreateField("T", dbText, size));
        EXPECT_EQ(ErrorOf([&] { db->AppendTableDef(bad); }), kErrInvalidFieldType) << size;
    }
    auto notes = db->CreateTableDef("notes");
    notes.AppendField(notes.CreateField("Unsized", dbText));
    notes.AppendField(notes.CreateField("Short", dbText, 3));
    db->AppendTableDef(notes);
    auto rs = db->OpenRecordset("notes", dbOpenDynaset);
    rs->AddNew();
    EXPECT_EQ(ErrorOf([&] { rs->SetField("Unsized", Value(std::string(256, 'x'))); }),
              kErrFieldTooSmall);
    EXPECT_EQ(ErrorOf([&] { rs->SetField("Short", Value(std::string("abcd"))); }),
              kErrFieldTooSmall);
    rs->SetField("Unsized", Value(std::string(255, 'x')));
    rs->SetField("Short", Value(std::string("abc")));
    EXPECT_EQ(ErrorOf([&] { rs->Update(); }), 0);
}

TEST_F(EngineTest, textIsStoredVerbatimNeverAsSqlAndDatesStayReal) {
    const std::string evil = "x'); DROP TABLE strips; --\"";
    auto db = Engine()->OpenDatabase(path, false, false);
    auto rs = db->OpenRecordset("Select * FROM strips", dbOpenDynaset);
    rs->AddNew();
    rs->SetField("Desc", Value(evil));
    rs->Update();
    rs = db->OpenRecordset("Select * FROM strips WHERE ID=1", dbOpenDynaset);
    EXPECT_EQ(ToText(rs->GetField("desc")), evil);
    rs->Edit();
    rs->SetField("AppliesTo", Value(std::string("|12||15|")));
    rs->Update();
    EXPECT_EQ(ToText(test::FirstValue(*db, "Select * FROM strips where id=1", "appliesto")),
              "|12||15|");
    test::AddLedgerRow(*db, 45000.0, 1, 1);
    const Value v = test::FirstValue(*db, "Select min(date) as vd1 FROM teststrips", "vd1");
    ASSERT_TRUE(std::holds_alternative<double>(v));
    EXPECT_DOUBLE_EQ(std::get<double>(v), 45000.0);
}

TEST_F(EngineTest, lockedFileReportsInUseAfterAShortWait) {
    auto writer = Engine()->OpenDatabase(path, false, false);
    // Another connection holds the write lock for the whole check.
    auto holder = Engine()->OpenDatabase(path, true, false);
    holder->Execute("DELETE * FROM teststrips");  // takes the exclusive lock and keeps it
    EXPECT_EQ(ErrorOf([&] { test::AddLedgerRow(*writer, Day(2010, 1, 1), 1, 1); }), kErrFileLocked);
}

// ---- the SQL texts the program sends, on the companion and a small diary ----

class ProgramSqlTest : public EngineTest {
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
        diary = Engine()->OpenDatabase(diaryPath, false, true, "MS Access;pwd=Geheim");
    }

    std::string diaryPath = Path("Tagebuch.VLD");
    std::shared_ptr<Database> companion;
    std::shared_ptr<Database> diary;
};

TEST_F(ProgramSqlTest, countsEndWithTheEndDaysMidnightSumsAndExtremesAreNullOverNoRows) {
    for (const char* sql :
         {"Select min(date) as vd1, max(date) as vd2 FROM teststrips ",
          "Select min(date) as vd1, max(date) as vd2 FROM teststrips WHERE Type=5"}) {
        auto rs = companion->OpenRecordset(sql, dbOpenDynaset);
        rs->MoveFirst();
        EXPECT_EQ(rs->RecordCount(), 1);
        EXPECT_TRUE(IsNull(rs->GetField("vd1")));
        EXPECT_EQ(ErrorOf([&] { ToDate(rs->GetField("vd2")); }), kErrInvalidUseOfNull);
    }
    const std::string received = "Select sum(amount) as iNum FROM teststrips WHERE ";
    const std::string range = " date between #1/1/2010 00:00# AND #3/4/2010 14:05#";
    const std::string lastReceived = "Select max(date) as vd FROM teststrips where amount >0 AND ";
    EXPECT_TRUE(IsNull(test::FirstValue(*companion, received + range, "iNum")));
    EXPECT_TRUE(IsNull(test::FirstValue(*companion, lastReceived + "Type=5", "vd")));

    // Up to #2/1/2010#: 1 Jan 00:00, 15 Jan, 31 Jan 23:59 and 1 Feb 00:00; not 1 Feb 00:01, not
    // 31 Dec.
    const std::string count = "SELECT count(vdate) as inum FROM GLUCOSE";
    const std::string january = " vdate between #1/1/2010# AND #2/1/2010#";
    for (const auto& [sql, n] : {std::pair{count + " WHERE method IN (99) AND" + january, 0L},
                                 {" " + count + "  WHERE" + january, 4L},
                                 {count + " WHERE method IN (12,15) AND" + january, 3L},
                                 {" " + count + " ", 6L},
                                 {count + " WHERE method IN (7)", 1L}})
        EXPECT_EQ(ToLong(test::FirstValue(*diary, sql, "inum")), n) << sql;

    // What was received ends at the current minute.
    test::AddLedgerRow(*companion, Day(2010, 1, 1), 3, 50);
    test::AddLedgerRow(*companion, Day(2010, 1, 10), 3, -2);
    test::AddLedgerRow(*companion, Day(2010, 1, 10), 4, 100);
    test::AddLedgerRow(*companion, Day(2010, 3, 5), 3, 25);  // after the end
    EXPECT_EQ(ToLong(test::FirstValue(*companion, received + range, "iNum")), 148);
    EXPECT_EQ(ToLong(test::FirstValue(*companion, received + " Type=3 and" + range, "iNum")), 48);
    auto rs = companion->OpenRecordset(
        "Select min(date) as vd1, max(date) as vd2 FROM teststrips WHERE Type=3", dbOpenDynaset);
    EXPECT_DOUBLE_EQ(ToDate(rs->GetField("vd1")), Day(2010, 1, 1));
    EXPECT_DOUBLE_EQ(ToDate(rs->GetField("vd2")), Day(2010, 3, 5));
    EXPECT_DOUBLE_EQ(ToDate(test::FirstValue(*companion, lastReceived + "Type=3", "vd")),
                     Day(2010, 3, 5));
}

// ---- values as the engine converts them, the Jet SQL dialect as it reaches SQLite ----

TEST(Value, convertsLikeTypedAssignmentOrRaises) {
    struct Case {
        const char* name;
        Value value;
        std::function<double(const Value&)> convert;
        double expected;  // when error == 0
        int error;
    };
    for (const Case& c :
         {Case{"longNull", Value(), ToLong, 0, kErrInvalidUseOfNull},
          Case{"integerNull", Value(), ToInteger, 0, kErrInvalidUseOfNull},
          Case{"dateNull", Value(), ToDate, 0, kErrInvalidUseOfNull},
          Case{"longWhole", Value(std::int64_t{2147483647}), ToLong, 2147483647, 0},
          Case{"longTooBig", Value(std::int64_t{2147483648}), ToLong, 0, kErrOverflow},
          Case{"longHalfDown", Value(2.5), ToLong, 2, 0},
          Case{"longHalfUp", Value(3.5), ToLong, 4, 0},
          Case{"longNegativeHalf", Value(-2.5), ToLong, -2, 0},
          Case{"longText", Value(std::string(" 42 ")), ToLong, 42, 0},
          Case{"longNoNumber", Value(std::string("abc")), ToLong, 0, kErrTypeMismatch},
          Case{"longEmptyText", Value(std::string()), ToLong, 0, kErrTypeMismatch},
          Case{"integerMax", Value(std::int64_t{32767}), ToInteger, 32767, 0},
          Case{"integerMin", Value(std::int64_t{-32768}), ToInteger, -32768, 0},
          Case{"integerAbove", Value(std::int64_t{32768}), ToInteger, 0, kErrOverflow},
          Case{"integerRoundsOver", Value(32767.5), ToInteger, 0, kErrOverflow},
          Case{"integerNaN", Value(std::nan("")), ToInteger, 0, kErrOverflow},
          Case{"dateWhole", Value(std::int64_t{40179}), ToDate, 40179, 0},
          Case{"dateReal", Value(40179.5), ToDate, 40179.5, 0},
          Case{"dateNoDate", Value(std::string("gestern")), ToDate, 0, kErrTypeMismatch}}) {
        double converted = 0.0;
        EXPECT_EQ(test::ErrorOf([&] { converted = c.convert(c.value); }), c.error) << c.name;
        if (c.error == 0) {
            EXPECT_DOUBLE_EQ(converted, c.expected) << c.name;
        }
    }
    EXPECT_EQ(ToText(Value(std::int64_t{-12})), "-12");
    EXPECT_EQ(ToText(Value(2.5)), "2.5");
    EXPECT_EQ(ToText(Value(std::string("ä"))), "ä");
    EXPECT_EQ(test::ErrorOf([] { ToText(Value()); }), kErrInvalidUseOfNull);
}

// Declared column types as a table definition names them; a text size must be a whole
// positive number in the brackets.
TEST(ColumnInfo, readsDeclaredTypesAndTextSizes) {
    const struct {
        const char* declared;
        int type, size;
    } cases[] = {{"VARCHAR(30)", dbText, 30}, {"char(5)", dbText, 5}, {"TEXT", dbText, 0},
                 {"smallint", dbInteger, 0},  {"DATE", dbDate, 0},    {"VARCHAR(0)", 0, 0},
                 {"VARCHAR(12x)", 0, 0},      {"VARCHAR()", 0, 0},    {"VARCHAR(-3)", 0, 0},
                 {"VARCHAR(30", 0, 0},        {"BLOB", 0, 0}};
    for (const auto& c : cases) {
        int size = -1;
        EXPECT_EQ(FieldTypeOfDeclared(c.declared, &size), c.type) << c.declared;
        EXPECT_EQ(size, c.size) << c.declared;
    }
}

TEST(TranslateSql, writesTheJetDialectAsSqlite) {
    struct Case {
        const char* jet;
        const char* sqlite;
    };
    for (const Case& c :
         {// Date literals become OLE date numbers that stay REAL.
          Case{"SELECT 1 WHERE vdate between #3/4/2010# AND #1/1/2011#",
               "SELECT 1 WHERE vdate between 40241.0 AND 40544.0"},
          Case{"SELECT 1 WHERE date between #1/1/2010 06:00# AND #1/1/2010 18:00:00#",
               "SELECT 1 WHERE date between 40179.25 AND 40179.75"},
          Case{"SELECT #12/30/1899#", "SELECT 0.0"},
          Case{"SELECT #12/29/1899 06:00#", "SELECT (-1.25)"},
          Case{"SELECT #2010-03-04#", "SELECT 40241.0"}, Case{"SELECT #3/4/10#", "SELECT 40241.0"},
          Case{"DELETE*FROM t", "DELETE FROM t"},
          // DELETE * FROM is Jet only.
          Case{"DELETE * FROM teststrips WHERE id=7", "DELETE FROM teststrips WHERE id=7"},
          Case{"DELETE * from strips WHERE id=0", "DELETE from strips WHERE id=0"},
          // Stars that Jet allows stay.
          Case{"Select * FROM strips", "Select * FROM strips"},
          Case{"select count(*) as n from t", "select count(*) as n from t"},
          Case{"SELECT t.* FROM t", "SELECT t.* FROM t"},
          // Quoted text is never rewritten; double quotes are Jet string delimiters.
          Case{"SELECT * FROM t WHERE a='#1/1/2010# * ''x'''",
               "SELECT * FROM t WHERE a='#1/1/2010# * ''x'''"},
          Case{"SELECT * FROM t WHERE a=\"it's \"\"q\"\"\"",
               "SELECT * FROM t WHERE a='it''s \"q\"'"},
          Case{"SELECT * FROM [my table];", "SELECT * FROM [my table]"},
          // A minus is no comment.
          Case{"SELECT a-1 FROM t WHERE b=-2 AND c - -3 > 0",
               "SELECT a-1 FROM t WHERE b=-2 AND c - -3 > 0"}})
        EXPECT_EQ(TranslateSql(c.jet), c.sqlite) << c.jet;
}

TEST(TranslateSql, refusesWhatIsOutsideTheDialectWithAJetError) {
    struct Case {
        std::string jet;
        int number;
        const char* text;  // empty: any text
    };
    for (const Case& c :
         {// The meter list of a strip definition without meters.
          Case{"SELECT count(vdate) as inum FROM GLUCOSE WHERE method IN (**) AND vdate "
               "between #1/1/2010# AND #2/1/2010#",
               kErrSyntax, "Syntax error in query expression 'method IN (**)'."},
          Case{"SELECT a*2 FROM t", kErrSyntax, ""},
          Case{"SELECT * FROM t WHERE d = #13/1/2010# ORDER BY d", kErrSyntax,
               "Syntax error in date in query expression 'd = #13/1/2010#'."},
          Case{"SELECT * FROM t WHERE d = #2/30/2010#", kErrSyntax, ""},
          Case{"SELECT * FROM t WHERE d = #1/1/2010 24:00#", kErrSyntax, ""},
          Case{"SELECT * FROM t WHERE d = #1/1/2010", kErrSyntax, ""},
          Case{"SELECT * FROM t WHERE d = ##", kErrSyntax, ""},
          Case{"SELECT * FROM t WHERE a = 'open", kErrSyntax, ""},
          Case{"SELECT * FROM t WHERE (a = 1", kErrSyntax, ""},
          Case{"SELECT * FROM t WHERE a = 1 -- comment", kErrSyntax, ""},
          Case{"SELECT 1; DROP TABLE t", kErrCharactersAfterEnd, ""},
          Case{"PRAGMA writable_schema=1", kErrInvalidSqlStatement, ""},
          Case{"ATTACH 'x.db' AS x", kErrInvalidSqlStatement, ""},
          Case{"", kErrInvalidSqlStatement, ""}, Case{"   ", kErrInvalidSqlStatement, ""},
          // A NUL that SQLite would cut the text off at.
          Case{std::string("SELECT 1\0; DELETE FROM t", 24), kErrSyntax, ""}}) {
        const auto [number, text] = test::Raised([&] { TranslateSql(c.jet); });
        EXPECT_EQ(number, c.number) << c.jet;
        if (*c.text) {
            EXPECT_EQ(text, c.text);
        }
    }
}

}  // namespace
}  // namespace stripstock::dao
