#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "CliFixture.h"

namespace stripstock::test {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

// Today is 1.3.2010: the default period is 2009.
class CliReportTest : public CliFixture {
  protected:
    CliReportTest() {
        OpenDiary();
        CreateCompanion();
        const auto alpha = AddStrip("Alpha; \"breit\"", "|24|");
        AddLedger(Day(2009, 2, 1), alpha, 50);
        AddLedger(Day(2009, 7, 1), 24, -2);
        AddReadings(24, Day(2009, 3, 1), 10);
    }
};

TEST_F(CliReportTest, writesTheReportAndTheLedgerFile) {
    ASSERT_EQ(Run({"report", Path("n.pdf")}), kExitDone) << err.str();
    EXPECT_EQ(ReadBytes(Path("n.pdf")).substr(0, 5), "%PDF-");
    ASSERT_EQ(Run({"report", Path("q.pdf"), "--from", "1.4.2009", "--to", "30.6.2009"}), kExitDone)
        << err.str();
    EXPECT_TRUE(err.str().empty()) << "Qt's platform notes stay out of the output";
    ASSERT_EQ(Run({"export-ledger", Path("n.csv")}), kExitDone) << err.str();
    EXPECT_EQ(ReadBytes(Path("n.csv")),
              "\xEF\xBB\xBF"
              "Datum;Art;Menge;Teststreifen oder Messgerät\r\n"
              "01.02.2009;Bezug;50;\"Alpha; \"\"breit\"\"\"\r\n"
              "01.07.2009;Fehlmessung;2;Accutrend Compact\r\n");
}

TEST_F(CliReportTest, aFileThatCannotBeWrittenExitsFourWithTheReasonAndLeavesNothing) {
    const std::string folder = Path("Ordner");
    fs::create_directory(folder);
    for (const char* command : {"report", "export-ledger"}) {
        EXPECT_EQ(Run({command, folder}), kExitStorageFailure) << command;
        EXPECT_THAT(err.str(), HasSubstr(folder + ": dort ist ein Ordner")) << command;
        EXPECT_EQ(Run({command, Path("fehlt/x")}), kExitStorageFailure) << command;
        EXPECT_THAT(err.str(), HasSubstr("der Ordner existiert nicht")) << command;
    }
    EXPECT_THAT(err.str(), HasSubstr("Die Verordnungen konnten nicht exportiert werden !"));
    if (::geteuid() != 0) {  // the superuser writes into read-only folders
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(Run({"report", folder + "/n.pdf"}), kExitStorageFailure);
        EXPECT_THAT(err.str(), HasSubstr("Der Bericht konnte nicht gespeichert werden !\n"));
        EXPECT_EQ(Run({"export-ledger", folder + "/n.csv"}), kExitStorageFailure);
        fs::permissions(folder, fs::perms::owner_all);
    }
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(CliReportTest, refusesADateThatIsNoneAndAnUnreadableLedger) {
    EXPECT_EQ(Run({"report", Path("n.pdf"), "--from", "31.2.2009"}), kExitInputRefused);
    EXPECT_THAT(err.str(), HasSubstr("--from: kein Datum: 31.2.2009"));
    EXPECT_EQ(Run({"report"}), kExitUsage);
    EXPECT_FALSE(fs::exists(Path("n.pdf")));
    WriteBytes(ctx.StripDbPath, "kein Datenbank");
    EXPECT_EQ(Run({"export-ledger", Path("n.csv")}), kExitStorageFailure);
    EXPECT_EQ(Run({"report", Path("n.pdf")}), kExitStorageFailure);
    EXPECT_FALSE(fs::exists(Path("n.csv")));
    EXPECT_FALSE(fs::exists(Path("n.pdf")));
}

}  // namespace
}  // namespace stripstock::test
