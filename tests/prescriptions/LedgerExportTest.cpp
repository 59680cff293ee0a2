#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "prescriptions/LedgerExport.h"
#include "prescriptions/LedgerList.h"
#include "support/HostFixture.h"
#include "text/Regional.h"

namespace stripstock::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// In "=\"x\";y" and "\rA" the apostrophe comes first, then the quoting of what it guards.
TEST(CsvFieldTest, quotesAndDefusesAsSpreadsheetsNeed) {
    const struct {
        const char* value;
        const char* field;
    } cases[] = {{"Alpha Streifen", "Alpha Streifen"},
                 {"", ""},
                 {"A;B", "\"A;B\""},
                 {"Zoll 5\" breit", "\"Zoll 5\"\" breit\""},
                 {"zwei\nZeilen", "\"zwei\nZeilen\""},
                 {"=SUMME(A1:A9)", "'=SUMME(A1:A9)"},
                 {"+49", "'+49"},
                 {"-2", "'-2"},
                 {"@cmd", "'@cmd"},
                 {"\tTab", "'\tTab"},
                 {"=\"x\";y", "\"'=\"\"x\"\";y\""},
                 {"\rA", "\"'\rA\""},
                 {"Größe ä", "Größe ä"},
                 {"Mitte=+-@", "Mitte=+-@"}};
    for (const auto& c : cases) EXPECT_EQ(CsvField(c.value), c.field) << c.value;
}

TEST(LedgerCsvTest, headerBomCrlfAndRowsOldestFirstWithinADayByEntry) {
    const std::vector<LedgerRecord> entries{{7, Day(2010, 3, 1), 50, 1, "Alpha"},
                                            {9, Day(2010, 1, 2), -3, 24, "Messgerät"},
                                            {4, Day(2010, 1, 2), 0, 0, ""},
                                            {5, std::nullopt, 10, 1, "ohne Datum"}};
    EXPECT_EQ(LedgerCsv(entries),
              "\xEF\xBB\xBF"
              "Datum;Art;Menge;Teststreifen oder Messgerät\r\n"
              "02.01.2010;Bezug;0;\r\n"
              "02.01.2010;Fehlmessung;3;Messgerät\r\n"
              "01.03.2010;Bezug;50;Alpha\r\n"
              ";Bezug;10;ohne Datum\r\n");
}

// What Python's csv module reads from the file, as a spreadsheet import would.
Rows ReadBackWithPython(const std::string& path) {
    const std::string command = std::string("python3 '") + STRIPSTOCK_TEST_SOURCE_DIR +
                                "/read_ledger_csv.py' '" + path + "'";
    const std::optional<std::string> out = CommandOutput(command);
    EXPECT_TRUE(out) << "python3 refused " << path;
    Rows rows;
    std::istringstream lines(out.value_or(""));
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream words(line);
        for (std::string hex; words >> hex;) {
            std::string field;
            for (std::size_t i = 1; i + 1 < hex.size(); i += 2)
                field += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
            fields.push_back(field);
        }
        rows.push_back(fields);
    }
    return rows;
}

using LedgerExportTest = CompanionFixture;

TEST_F(LedgerExportTest, spreadsheetReadsBackEveryEntryWithAwkwardNames) {
    const std::vector<std::string> names = {
        "Streifen; mit Semikolon", "Der \"gute\" Streifen",    "Größe Ü – Maß",
        "zwei\r\nZeilen",          "=HYPERLINK(\"http://x\")", "-5 Rabatt"};
    Rows expected{{"Datum", "Art", "Menge", "Teststreifen oder Messgerät"},
                  {"05.01.2010", "Fehlmessung", "2", "Accutrend Compact"}};
    for (int i = 0; i < std::ssize(names); ++i) {
        AddLedger(Day(2010, 1, 10 + i), AddStrip(names[i]), 10 * (i + 1));
        // A formula-like name keeps its text behind the apostrophe that defuses it.
        const bool defused = names[i][0] == '=' || names[i][0] == '-';
        expected.push_back({FormatShortDate(Day(2010, 1, 10 + i)), "Bezug",
                            std::to_string(10 * (i + 1)), (defused ? "'" : "") + names[i]});
    }
    AddLedger(Day(2010, 1, 5, 18, 30), 24, -2);
    const std::string file = Path("Verordnungen.csv");
    std::string reason;
    ASSERT_TRUE(ExportLedger(ctx, file, &reason)) << reason;
    EXPECT_EQ(ReadBackWithPython(file), expected);
}

TEST_F(LedgerExportTest, emptyLedgerGivesTheHeaderOnlyAndFailuresWriteNothingAndSayWhy) {
    const std::string file = Path("leer.csv");
    ASSERT_TRUE(ExportLedger(ctx, file));
    EXPECT_EQ(ReadBytes(file),
              "\xEF\xBB\xBF"
              "Datum;Art;Menge;Teststreifen oder Messgerät\r\n");
    AddLedger(Day(2010, 1, 5), 1, 10);
    std::string reason;
    auto Listing = [&] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path()))
            names.push_back(e.path().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    // The target is a folder: the written temporary file must not be left beside it.
    const std::string folder = Path("Ordner.csv");
    std::filesystem::create_directory(folder);
    const auto before = Listing();
    EXPECT_FALSE(ExportLedger(ctx, folder, &reason));
    EXPECT_EQ(reason, folder + ": dort ist ein Ordner");
    EXPECT_FALSE(ExportLedger(ctx, Path("fehlt/x.csv"), &reason));
    EXPECT_EQ(reason, Path("fehlt/x.csv") + ": der Ordner existiert nicht");
    EXPECT_EQ(Listing(), before);
    std::filesystem::remove(ctx.StripDbPath);
    EXPECT_FALSE(ExportLedger(ctx, Path("x.csv"), &reason));
    EXPECT_THAT(reason, ::testing::StartsWith(ctx.StripDbPath + ": "));
    EXPECT_FALSE(std::filesystem::exists(Path("x.csv")));
}

}  // namespace
}  // namespace stripstock::test
