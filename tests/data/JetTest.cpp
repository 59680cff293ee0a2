// Diary files in the Jet engine's own format, read through the engine layer: the fixtures in
// tests/data/jet (see its README for how they were made and what they hold).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "DataFixtures.h"
#include "data/Dao.h"
#include "data/JetFile.h"
#include "data/Session.h"
#include "text/Cp1252.h"
#include "text/OleDate.h"

namespace stripstock::dao {
namespace {

namespace fs = std::filesystem;
using test::ErrorOf;

const std::string kData = STRIPSTOCK_JET_DATA;
constexpr const char* kConnect = "MS Access;pwd=quomba";

class JetTest : public test::HostFixture {
  protected:
    // A copy of a fixture in the test's own folder: the originals are never opened.
    std::string Copy(const std::string& fixture, const std::string& as = "diary.vld") {
        const std::string path = dir.file(as);
        fs::copy_file(kData + "/" + fixture, path, fs::copy_options::overwrite_existing);
        return path;
    }
    std::shared_ptr<Database> Open(const std::string& path, const std::string& connect = kConnect) {
        return engines.Create("DAO.DBEngine.36")->OpenDatabase(path, false, true, connect);
    }
    static long Count(Database& db, const std::string& sql) {
        return ToLong(test::FirstValue(db, sql, "inum"));
    }

    EngineFactory engines;
};

TEST_F(JetTest, headerGivesTheVersionAndTheUnmaskedPasswordOfJetFilesOnly) {
    struct Case {
        const char* file;
        JetVersion version;
        const char* password;
    };
    for (const Case& c : {Case{"diary-jet3.mdb", JetVersion::Jet3, "quomba"},
                          Case{"diary-jet4.mdb", JetVersion::Jet4, "quomba"},
                          Case{"diary-jet3-other-password.mdb", JetVersion::Jet3, "anders"},
                          Case{"diary-jet3-no-password.mdb", JetVersion::Jet3, ""},
                          Case{"access-made-jet3-nwind.mdb", JetVersion::Jet3, ""},
                          Case{"access-made-jet4-datetest.mdb", JetVersion::Jet4, ""}}) {
        SCOPED_TRACE(c.file);
        const auto header = ReadJetHeader(kData + "/" + c.file);
        ASSERT_TRUE(header);
        EXPECT_EQ(header->version, c.version);
        EXPECT_EQ(header->password, c.password);
        EXPECT_EQ(DatabasePassword(kData + "/" + c.file), c.password);
    }
    const std::string jet4 = test::ReadBytes(kData + "/diary-jet4.mdb").substr(0, 4096);
    std::string later = jet4;
    later[0x14] = 2;  // the 2007 format keeps the signature
    std::string ace = jet4;
    ace.replace(4, 15, "Standard ACE DB");
    for (const std::string& bytes :
         {std::string(), std::string("SQLite format 3\0", 16), jet4.substr(0, 0x40), later, ace})
        EXPECT_FALSE(ParseJetHeader(bytes));
    EXPECT_TRUE(ParseJetHeader(jet4));
}

// The fixture README's table: readings per year and meter code (0 = method Null).
struct DiaryCase {
    const char* file;
    std::map<int, std::map<int, long>> counts;  // year -> method -> readings
};

class JetDiaryTest : public JetTest, public ::testing::WithParamInterface<DiaryCase> {};

INSTANTIATE_TEST_SUITE_P(
    Fixtures, JetDiaryTest,
    ::testing::Values(DiaryCase{"diary-jet3.mdb",
                                {{2024, {{24, 339}, {25, 347}, {73, 306}, {0, 11}}},
                                 {2025, {{24, 330}, {25, 320}, {73, 337}, {0, 10}}}}},
                      DiaryCase{"diary-jet4.mdb",
                                {{2024, {{24, 342}, {25, 334}, {73, 316}, {0, 11}}},
                                 {2025, {{24, 318}, {25, 325}, {73, 344}, {0, 10}}}}}),
    [](const auto& p) { return p.index == 0 ? "Jet3" : "Jet4"; });

TEST_P(JetDiaryTest, ownerAndCountsPerYearAndMeterAgreeWithTheFixturesTable) {
    const std::string path = Copy(GetParam().file);
    auto db = Open(path);
    const std::string count = "SELECT count(vdate) as inum FROM GLUCOSE";
    long all = 0;
    for (const auto& [year, perMethod] : GetParam().counts) {
        const std::string range = " vdate between #1/1/" + std::to_string(year) + "# AND #12/31/" +
                                  std::to_string(year) + "#";
        // The grouped read: one row per method, Null as 0, each counted as count(vdate) does.
        auto rs = db->OpenRecordset(
            "SELECT method, count(vdate) as inum FROM GLUCOSE WHERE" + range + " GROUP BY method",
            dbOpenDynaset);
        std::map<int, long> grouped;
        for (; !rs->Eof(); rs->MoveNext()) {
            const Value method = rs->GetField("method");
            grouped[IsNull(method) ? 0 : ToInteger(method)] = ToLong(rs->GetField("inum"));
        }
        EXPECT_EQ(grouped, perMethod) << year;
        long yearTotal = 0;
        for (const auto& [method, n] : perMethod) yearTotal += n;
        // The counts the program asks for: all readings, and those of a list of meters.
        EXPECT_EQ(Count(*db, " " + count + "  WHERE" + range), yearTotal);
        EXPECT_EQ(Count(*db, count + " WHERE method IN (24,25,73) AND" + range),
                  yearTotal - perMethod.at(0));
        all += yearTotal;
    }
    EXPECT_EQ(Count(*db, " " + count + " "), all);
    db->Close();

    // The program's own reading, through the shared session: this patdat has only four
    // columns, the missing ones are skipped and the status is that of the last one it could not
    // read (CPeptid, Null).
    PatientRecord record;
    EXPECT_EQ(db_GetPatient(ctx, path, record), kErrInvalidUseOfNull);
    EXPECT_EQ(record.DisplayName(), "Erika Müller");
    EXPECT_EQ(record.birthday, test::Day(1961, 5, 17));
}

TEST_P(JetDiaryTest, everyWriteIsRefusedAndTheFileStaysByteForByte) {
    const std::string path = Copy(GetParam().file);
    const test::FileState before = test::StateOf(path);
    // Asked for read-write and exclusively: still only ever read, and no lock file.
    auto db = engines.Create("DAO.DBEngine.35")->OpenDatabase(path, true, false, kConnect);
    for (const char* sql : {"DELETE * FROM GLUCOSE", "DELETE FROM GLUCOSE WHERE method = 24",
                            "INSERT INTO GLUCOSE (vdate, method) VALUES (#1/1/2030#, 24)",
                            "UPDATE patdat SET name = 'Meier'", "CREATE TABLE x (a LONG)",
                            "DROP TABLE GLUCOSE", "DELETE * FROM nowhere"})
        EXPECT_EQ(ErrorOf([&] { db->Execute(sql); }), kErrReadOnly) << sql;
    EXPECT_EQ(ErrorOf([&] { db->Execute("SELECT * FROM GLUCOSE"); }), kErrCannotExecuteSelect);
    EXPECT_EQ(ErrorOf([&] { db->Execute("Select * FROM strips"); }), kErrInputTableNotFound);
    for (int kind : {1, dbOpenDynaset, dbOpenSnapshot, 8, 16}) {
        auto rs = db->OpenRecordset(kind == 1 ? "patdat" : "SELECT * FROM patdat", kind);
        EXPECT_EQ(ErrorOf([&] { rs->AddNew(); }), kErrReadOnly) << kind;
        EXPECT_EQ(ErrorOf([&] { rs->Edit(); }), kErrReadOnly) << kind;
        EXPECT_EQ(ErrorOf([&] { rs->SetField("name", Value("Meier")); }), kErrUpdateWithoutAddNew);
        EXPECT_EQ(ErrorOf([&] { rs->Update(); }), kErrUpdateWithoutAddNew);
        EXPECT_EQ(ToText(rs->GetField("name")), "Müller");
    }
    EXPECT_EQ(ErrorOf([&] { db->BeginTrans(); }), kErrReadOnly);
    EXPECT_EQ(ErrorOf([&] { db->CommitTrans(); }), kErrInvalidOperation);
    EXPECT_EQ(ErrorOf([&] { db->Rollback(); }), kErrInvalidOperation);
    TableDef table = db->CreateTableDef("strips");
    table.AppendField(table.CreateField("ID", dbLong));
    EXPECT_EQ(ErrorOf([&] { db->AppendTableDef(table); }), kErrReadOnly);
    db->Close();
    EXPECT_EQ(test::StateOf(path), before);
}

// Bytes changed at random in the diaries: each open and read ends in figures or in a Jet
// error, never in a crash or a hang (libmdb reads damaged catalogs and maps without limits;
// those parts are checked before it sees them).
TEST_P(JetDiaryTest, randomDamageNeverCrashes) {
    const std::string good = test::ReadBytes(kData + "/" + GetParam().file);
    const std::string path = dir.file("random.vld");
    for (unsigned seed = 0; seed < 150; ++seed) {
        std::mt19937 rng(seed);
        std::string bytes = good;
        for (unsigned k = 1 + rng() % 12; k > 0; --k) {
            // Mostly into the first pages, where the catalog and definitions are.
            const std::size_t span = rng() % 2 ? 6 * 4096 : bytes.size();
            bytes[rng() % std::min(span, bytes.size())] = static_cast<char>(rng());
        }
        test::WriteBytes(path, bytes);
        const int error = ErrorOf([&] {
            auto db = Open(path);
            db->OpenRecordset("SELECT * FROM patdat", dbOpenSnapshot);
            db->OpenRecordset("SELECT method, count(vdate) as inum FROM GLUCOSE GROUP BY method",
                              dbOpenDynaset);
        });
        EXPECT_TRUE(error == 0 || error == kErrUnrecognizedFormat ||
                    error == kErrNotValidPassword || error == kErrInputTableNotFound ||
                    error == kErrTooFewParameters)
            << "seed " << seed << ": " << error;
    }
}

// The tables serve a single sort term themselves; the order must be the one SQLite gives when
// it sorts (an expression it cannot hand over).
TEST_F(JetTest, servedOrderIsSqlitesOwnOrder) {
    auto jet3 = Open(Copy("diary-jet3.mdb"));
    auto dates = Open(Copy("access-made-jet4-datetest.mdb", "dates.mdb"));
    struct Case {
        Database* db;
        std::string table, column, same;
    };
    for (const Case& c : {Case{jet3.get(), "GLUCOSE", "method", "method + 0"},
                          Case{jet3.get(), "GLUCOSE", "vdate", "vdate + 0"},
                          Case{dates.get(), "DateTest", "ShortTextCol", "ShortTextCol || ''"},
                          Case{dates.get(), "DateTest", "DateCol", "DateCol + 0"}}) {
        for (const char* direction : {"", " DESC"}) {
            auto read = [&](const std::string& by) {
                std::vector<std::string> values;
                auto rs = c.db->OpenRecordset(
                    "SELECT " + c.column + " AS v FROM " + c.table + " ORDER BY " + by + direction,
                    dbOpenSnapshot);
                for (; !rs->Eof(); rs->MoveNext()) {
                    const Value v = rs->GetField("v");
                    values.push_back(IsNull(v) ? "<null>" : ToText(v));
                }
                return values;
            };
            const auto served = read(c.column);
            EXPECT_EQ(served, read(c.same)) << c.column << direction;
            EXPECT_FALSE(served.empty());
        }
    }
}

TEST_F(JetTest, passwordMustMatchExactlyWhenTheFileHasOne) {
    const std::string other = Copy("diary-jet3-other-password.mdb");
    for (const char* connect :
         {kConnect, "MS Access;pwd=ANDERS", "MS Access;pwd=", "", "MS Access"})
        EXPECT_EQ(ErrorOf([&] { Open(other, connect); }), kErrNotValidPassword) << connect;
    EXPECT_EQ(
        Count(*Open(other, "MS Access;pwd=anders"), "SELECT count(vdate) as inum FROM GLUCOSE"),
        50);

    // A file without password opens with any connect string.
    const std::string none = Copy("diary-jet3-no-password.mdb", "none.vld");
    for (const char* connect : {kConnect, "MS Access;pwd=", "", "MS Access"})
        EXPECT_EQ(Count(*Open(none, connect),
                        "SELECT count(vdate) as inum FROM GLUCOSE WHERE "
                        "vdate between #1/1/2024# AND #12/31/2024#"),
                  26)
            << connect;
}

TEST_F(JetTest, missingTablesAndColumnsRaiseTheEnginesErrors) {
    auto db = Open(Copy("diary-jet4.mdb"));
    EXPECT_EQ(db->TableNames(), (std::vector<std::string>{"patdat", "GLUCOSE"}));
    // The system catalog is no table of the diary.
    EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("MSysObjects", dbOpenDynaset); }),
              kErrInputTableNotFound);
    auto rs = db->OpenRecordset("[glucose]", dbOpenDynaset);  // names ignore case
    EXPECT_EQ(ErrorOf([&] { rs->GetField("reading"); }), kErrItemNotFound);
    // In SQL an unknown name is a parameter the query lacks, as Jet has it.
    EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("SELECT reading FROM GLUCOSE", dbOpenDynaset); }),
              kErrTooFewParameters);
    db->Close();
    EXPECT_FALSE(db->IsOpen());
    EXPECT_EQ(ErrorOf([&] { db->OpenRecordset("GLUCOSE", dbOpenDynaset); }), kErrObjectClosed);
    EXPECT_EQ(ErrorOf([&] { rs->MoveFirst(); }), kErrObjectClosed);
}

TEST_F(JetTest, damagedFilesAreRefusedWith3343AndLeftAlone) {
    const std::string good = test::ReadBytes(kData + "/diary-jet3.mdb");
    constexpr std::size_t kPage = 2048;
    std::string zeroedCatalog = good;
    std::fill_n(zeroedCatalog.begin() + 2 * kPage, kPage, '\0');
    // The catalog's usage map pointer (page 2, 0x23) names a row its page does not have.
    std::string lostMap = good;
    lostMap[2 * kPage + 0x23] = '\x82';
    const std::vector<std::string> damaged{
        good.substr(0, kPage + kPage / 2),        // cut inside a page
        good.substr(0, good.size() - 8 * kPage),  // the last pages missing
        zeroedCatalog,
        lostMap,
    };
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        const std::string path = dir.file("damaged" + std::to_string(i) + ".vld");
        test::WriteBytes(path, damaged[i]);
        const int error = ErrorOf([&] {
            auto db = Open(path);
            db->OpenRecordset("SELECT count(vdate) as inum FROM GLUCOSE", dbOpenDynaset);
        });
        EXPECT_EQ(error, kErrUnrecognizedFormat) << i;
        EXPECT_EQ(test::ReadBytes(path), damaged[i]);
    }
}

TEST_F(JetTest, aChangedFileIsSeenAtTheNextOpen) {
    const std::string path = Copy("diary-jet3.mdb");
    const std::string sql =
        "SELECT count(vdate) as inum FROM GLUCOSE WHERE method IN (24) AND vdate between "
        "#1/1/2024# AND #12/31/2024#";
    auto first = Open(path);
    EXPECT_EQ(Count(*first, sql), 339);
    first->Close();
    Copy("diary-jet4.mdb", "diary.vld");  // the host rewrote its diary
    EXPECT_EQ(Count(*Open(path), sql), 342);
}

// mdb-export's output with records ending in \x1e and fields between \x1f; text and dates come
// wrapped in \x1d, so commas, quotes and line breaks in a text need no escaping. A field not
// wrapped and empty is Null (or an empty text: the export cannot tell).
struct CsvField {
    std::string text;
    bool quoted = false;
};

std::vector<std::vector<CsvField>> ParseExport(const std::string& exported) {
    std::vector<std::vector<CsvField>> records;
    std::istringstream rows(exported);
    for (std::string row; std::getline(rows, row, '\x1e');) {
        std::istringstream fields(row + '\x1f');  // so that an empty last field is read
        records.emplace_back();
        for (std::string f; std::getline(fields, f, '\x1f');) {
            const bool quoted = f.size() >= 2 && f.front() == '\x1d';
            records.back().push_back({quoted ? f.substr(1, f.size() - 2) : f, quoted});
        }
    }
    return records;
}

std::string Formatted(double oleDate) {
    const CivilDateTime t = FromOleDate(oleDate);
    std::array<char, 32> buf{};
    std::snprintf(buf.data(), buf.size(), "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buf.data();
}

// mdb-export prints what libmdb can turn into a calendar date: 30.12.1899 up to about the
// year 2700. Outside that it prints this, whatever the value.
constexpr const char* kNoDate = "1900-01-00 00:00:00";

void ExpectSameValue(const Value& ours, const CsvField& exported, bool yesNo) {
    const auto* text = std::get_if<std::string>(&ours);
    const auto* whole = std::get_if<std::int64_t>(&ours);
    const auto* real = std::get_if<double>(&ours);
    if (IsNull(ours) || (text && text->empty())) {
        EXPECT_EQ(exported.text, "");
    } else if (text) {
        EXPECT_EQ(*text, exported.text);
    } else if (whole) {  // Yes/No: the engine's True is -1, the export writes 1.
        EXPECT_EQ(std::to_string(yesNo ? -*whole : *whole), exported.text);
    } else if (!exported.quoted) {
        // Currency with four decimals, Single and Double in libmdb's shortest forms.
        const double theirs = std::stod(exported.text);
        EXPECT_NEAR(*real, theirs, 1e-6 * std::max(1.0, std::fabs(theirs)));
    } else if (exported.text == kNoDate) {
        EXPECT_TRUE(*real < 0.0 || *real > 1e6) << *real;
    } else {
        EXPECT_EQ(Formatted(*real), exported.text);
    }
}

TEST_F(JetTest, readsEachColumnAsMdbExportWritesIt) {
    if (!test::CommandOutput("command -v mdb-export"))
        GTEST_SKIP() << "mdb-export (package mdbtools) is missing";
    struct Case {
        const char* file;
        const char* table;
        std::size_t rows;
    };
    for (const Case& c : {Case{"access-made-jet4-datetest.mdb", "DateTest", 6},
                          Case{"access-made-jet3-nwind.mdb", "Orders", 830},
                          Case{"access-made-jet3-nwind.mdb", "Customers", 91},
                          Case{"access-made-jet3-nwind.mdb", "Order Details", 2155},
                          Case{"access-made-jet3-nwind.mdb", "Products", 77},
                          Case{"access-made-jet3-nwind.mdb", "Employees", 9}}) {
        SCOPED_TRACE(c.table);
        const std::string path = Copy(c.file, "engine-made.mdb");
        const auto exported = test::CommandOutput(
            "mdb-export -d '\x1f' -R '\x1e' -q '\x1d' -T '%Y-%m-%d %H:%M:%S' -b strip '" + path +
            "' '" + c.table + "'");
        ASSERT_TRUE(exported);
        const auto records = ParseExport(*exported);
        ASSERT_EQ(records.size(), c.rows + 1);
        std::set<std::string> yesNo;
        const JetFile file(path);
        for (const JetTable& table : file.Tables())
            for (const JetColumn& column : table.columns)
                if (table.name == c.table && column.declaredType == "YESNO")
                    yesNo.insert(column.name);
        auto db = Open(path);
        auto rs = db->OpenRecordset(std::string("SELECT * FROM [") + c.table + "]", dbOpenSnapshot);
        const std::vector<CsvField>& names = records.front();
        for (std::size_t r = 1; r < records.size(); ++r, rs->MoveNext()) {
            ASSERT_FALSE(rs->Eof());
            ASSERT_EQ(records[r].size(), names.size()) << "row " << r;
            for (std::size_t col = 0; col < names.size(); ++col) {
                const Value ours = rs->GetField(names[col].text);
                // Pictures and other bytes: mdb-export is told to leave them out.
                if (std::holds_alternative<std::string>(ours) && !stripstock::IsUtf8(ToText(ours)))
                    continue;
                SCOPED_TRACE("row " + std::to_string(r) + " " + names[col].text);
                ExpectSameValue(ours, records[r][col], yesNo.count(names[col].text) != 0);
            }
        }
        EXPECT_TRUE(rs->Eof());
    }
}

// What mdb-export cannot print: dates before 1900 and in the year 9999, exact.
TEST_F(JetTest, datesOutsideTheExportsRangeAreTheStoredValues) {
    auto db = Open(Copy("access-made-jet4-datetest.mdb", "dates.mdb"));
    const auto at = [&](int id, const std::string& column) {
        return test::FirstValue(
            *db, "SELECT " + column + " AS v FROM DateTest WHERE IDCol = " + std::to_string(id),
            "v");
    };
    struct Case {
        int id;
        const char* column;
        int year;  // on 1 January
    };
    for (const Case& c :
         {Case{2, "DateTimeCol", 9999}, Case{3, "DateTimeCol", 1898}, Case{3, "DateCol", 1899},
          Case{3, "TimeCol", 1900}, Case{4, "DateTimeCol", 632}, Case{4, "TimeCol", 634}})
        EXPECT_EQ(std::get<double>(at(c.id, c.column)), ToOleDate({c.year, 1, 1, 0, 0, 0}))
            << c.id << " " << c.column;
    EXPECT_EQ(ToText(at(2, "LongTextCol")), "Year 9999");
    EXPECT_EQ(ToText(at(6, "LongTextCol")), "New line\r\nin field");
}

}  // namespace
}  // namespace stripstock::dao
