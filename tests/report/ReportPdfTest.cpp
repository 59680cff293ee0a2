#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>

#include "report/ReportPdf.h"
#include "support/Files.h"
#include "support/TempDir.h"

namespace stripstock::test {
namespace {

using ::testing::HasSubstr;

// The text of pages first..last as pdftotext (poppler) extracts it, in reading order.
std::string PdfText(const std::string& pdf, int first = 1, int last = 0) {
    std::string command = "pdftotext -enc UTF-8 -f " + std::to_string(first);
    if (last > 0) command += " -l " + std::to_string(last);
    command += " '" + pdf + "' -";
    const std::optional<std::string> out = CommandOutput(command);
    EXPECT_TRUE(out) << command;
    return out.value_or("");
}

ReportLine Line(const std::string& strip, std::int64_t received, std::int64_t used,
                std::int64_t faulty, std::int64_t stock) {
    return {strip, {received, used, faulty, stock}};
}

const std::string kLongName =
    "Extrabreite Teststreifen für das Blutzuckermessgerät mit Sprachausgabe, Großpackung";

// A year of two definitions; second names the other one.
ReportTable TypicalYear(const std::string& second = "Contour Next Teststreifen") {
    ReportTable t;
    t.owner = "Erika Mustermann";
    t.period = {Day(2025, 1, 1), Day(2025, 12, 31)};
    t.madeOn = Day(2026, 1, 7);
    std::int64_t stock = 0;
    for (int q = 0; q < 4; ++q) {
        ReportQuarter quarter;
        quarter.title = std::to_string(q + 1) + ". Quartal 2025";
        quarter.first = Day(2025, 3 * q + 1, 1);
        quarter.last = Day(2025 + (q == 3), (3 * q + 3) % 12 + 1, 1) - 1;
        stock += 300 - 280 - 2;
        quarter.lines = {Line("Alpha Streifen", 200, 190, 2, stock - 10),
                         Line(second, 100, 90, 0, 10)};
        quarter.total = Line("Gesamt", 300, 280, 2, stock);
        t.quarters.push_back(quarter);
        t.prescriptions.push_back({quarter.first + 10, 200, "Alpha Streifen"});
        t.prescriptions.push_back({quarter.first + 20, 100, second});
        t.curve.push_back({quarter.first, stock});
    }
    t.faulty.push_back({Day(2025, 5, 3), 2, "Messgerät Zwei"});
    t.totals = {Line("Alpha Streifen", 800, 760, 8, 62), Line(second, 400, 360, 0, 10)};
    t.total = Line("Gesamt", 1234, 1120, 8, 72);
    return t;
}

class ReportPdfTest : public ::testing::Test {
  protected:
    std::string Write(const ReportTable& table) {
        const std::string pdf = dir / "bericht.pdf";
        std::string reason;
        EXPECT_TRUE(WriteReportPdf(table, "StripStock 9.9", pdf, &reason)) << reason;
        return pdf;
    }
    TempDir dir;
};

TEST_F(ReportPdfTest, aYearOnOnePageWithEveryPartOrTheReasonItCannotBeWritten) {
    const std::string pdf = Write(TypicalYear());
    EXPECT_EQ(ReadBytes(pdf).substr(0, 5), "%PDF-");
    const std::string text = PdfText(pdf);
    for (const char* part :
         {"Teststreifen-Verbrauchsnachweis", "Erika Mustermann", "01.01.2025 – 31.12.2025",
          "07.01.2026", "4. Quartal 2025", "Alpha Streifen", "Contour Next Teststreifen", "1.234",
          "1.120", "Messgerät Zwei", "StripStock 9.9", "Seite 1 von 1"})
        EXPECT_THAT(text, HasSubstr(part));
    EXPECT_THAT(text, ::testing::Not(HasSubstr("Seite 2")));
    // A file that cannot be written is reported (what is left behind is the atomic write's).
    const std::string folder = dir / "Ordner.pdf";
    std::filesystem::create_directory(folder);
    std::string reason;
    EXPECT_FALSE(WriteReportPdf(TypicalYear(), "StripStock", folder, &reason));
    EXPECT_EQ(reason, folder + ": dort ist ein Ordner");
}

TEST_F(ReportPdfTest, longNamesWrapAndLongListsGoOnFurtherPagesWithTheHeaderRepeated) {
    ReportTable table = TypicalYear(kLongName);
    for (int i = 0; i < 120; ++i)
        table.prescriptions.push_back(
            {Day(2025, 12, 1) + i % 28, 1000 + i, "Nachschub " + std::to_string(i)});
    const std::string pdf = Write(table);
    const std::string all = PdfText(pdf);
    // The long name wraps inside its column: every word is there, none cut.
    std::istringstream words(kLongName);
    for (std::string word; words >> word;) EXPECT_THAT(all, HasSubstr(word));
    EXPECT_THAT(all, HasSubstr("Nachschub 0"));
    EXPECT_THAT(all, HasSubstr("Nachschub 119"));
    std::smatch count;
    ASSERT_TRUE(std::regex_search(all, count, std::regex("Seite 1 von (\\d+)")));
    const int pages = std::stoi(count[1]);
    EXPECT_GE(pages, 3);
    const std::string last = PdfText(pdf, pages, pages);
    EXPECT_THAT(last,
                HasSubstr("Seite " + std::to_string(pages) + " von " + std::to_string(pages)));
    for (const char* header : {"Menge", "Messgerät"}) EXPECT_THAT(last, HasSubstr(header));
}

TEST_F(ReportPdfTest, anEmptyPeriodStillGivesTheHeadAndSaysThereIsNothing) {
    ReportTable table;
    table.owner = "Erika Mustermann";
    table.period = {Day(2020, 1, 1), Day(2020, 12, 31)};
    table.madeOn = Day(2026, 1, 7);
    table.total = Line("Gesamt", 0, 0, 0, 0);
    table.diaryFailure = "Das Tagebuch konnte nicht gelesen werden: die Datei fehlt";
    const std::string text = PdfText(Write(table));
    for (const char* part : {"Erika Mustermann", "keine", "die Datei fehlt"})
        EXPECT_THAT(text, HasSubstr(part));
}

}  // namespace
}  // namespace stripstock::test

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
