#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "CliFixture.h"
#include "data/Dao.h"

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

TEST_F(CliReportTest, refusesAnUnwritableFileAnInvalidDateOrAnUnreadableLedgerAndLeavesNothing) {
    // Why a file cannot be written is the writer's to say; the command puts its line first.
    const std::string folder = Path("Ordner");
    fs::create_directory(folder);
    EXPECT_EQ(Run({"report", folder}), kExitStorageFailure);
    EXPECT_EQ(err.str(), "Der Bericht konnte nicht gespeichert werden !\n" + folder +
                             ": dort ist ein Ordner\n");
    EXPECT_EQ(Run({"export-ledger", folder}), kExitStorageFailure);
    EXPECT_EQ(err.str(), "Die Verordnungen konnten nicht exportiert werden !\n" + folder +
                             ": dort ist ein Ordner\n");
    EXPECT_TRUE(fs::is_empty(folder));
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

// Today is 1.3.2010. Since 1.2.2010, 28 days: "Ultra" (meter 25) 2 readings a day and 4 strips
// lost, "Compact" (meter 24) 1 reading a day.
class CliForecastTest : public test::CliFixture {
  protected:
    void SetUp() override {
        OpenDiary();
        CreateCompanion();
        AddStrip("Ultra", "|25|");
        AddStrip("Compact", "|24|");
        AddLedger(test::Day(2010, 2, 1), 1, 70);
        AddLedger(test::Day(2010, 2, 1), 2, 100);
        AddLedger(test::Day(2010, 2, 15), 25, -4);
        for (int d = 1; d <= 28; ++d) {
            AddReadings(25, test::Day(2010, 2, d), 2);
            AddReadings(24, test::Day(2010, 2, d), 1);
        }
    }
};

TEST_F(CliForecastTest, forecastAndHistoryPrintTheirRowsOrSayWhyTheStocksAreUnknown) {
    EXPECT_EQ(Output({"forecast"}),
              "-1\tGesamt\t82\t3.1\t27.03.2010\t\n"
              "1\tUltra\t10\t2.1\t05.03.2010\twarn\n"
              "2\tCompact\t72\t1.0\t12.05.2010\t\n");

    // A shorter warning period from the registry.
    registry->RegWriteString(kHkeyLocalMachine, ctx.AddonRegKey, "WarnDays", "3");
    EXPECT_THAT(Output({"forecast"}), HasSubstr("1\tUltra\t10\t2.1\t05.03.2010\t\n"));
    // History by month or quarter, for all or one definition.
    EXPECT_EQ(Output({"history"}), "2010-02\t170\t88\t82\n2010-03\t0\t0\t82\n");
    EXPECT_EQ(Output({"history", "--strip", "1"}), "2010-02\t70\t60\t10\n2010-03\t0\t0\t10\n");
    EXPECT_EQ(Output({"history", "--by", "quarter", "--strip", "2"}), "2010-Q1\t100\t28\t72\n");
    EXPECT_EQ(Run({"history", "--strip", "9"}), kExitInputRefused);
    EXPECT_EQ(err.str(), "stripstock-cli: strip definition 9 not found\n");
    EXPECT_EQ(Run({"history", "--by", "week"}), kExitUsage);
    // An unreadable diary leaves the stocks empty and says why.
    dao::SetDatabasePassword(diary, "anders");
    EXPECT_EQ(Run({"forecast"}), kExitStorageFailure);
    EXPECT_THAT(err.str(), HasSubstr("Das Tagebuch konnte nicht gelesen werden: das Kennwort"));
    EXPECT_THAT(out.str(), HasSubstr("-1\tGesamt\t\t0.0\t\t\n1\tUltra\t\t0.0\t\t\n"));
    EXPECT_EQ(Run({"history"}), kExitStorageFailure);
    EXPECT_EQ(out.str(), "2010-02\t170\t4\t166\n2010-03\t0\t0\t166\n");
}

}  // namespace
}  // namespace stripstock::test
