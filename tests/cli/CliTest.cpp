#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CliFixture.h"
#include "tools/HostSim.h"

using namespace stripstock;
using ::testing::EndsWith;
using ::testing::HasSubstr;

namespace {

using CliWithoutHostTest = test::CliFixture;

TEST_F(CliWithoutHostTest, refusesToStartWithoutADiaryButGivesHelpAndVersion) {
    EXPECT_EQ(Run({"status"}), kExitStartRefused);
    EXPECT_THAT(err.str(),
                HasSubstr("Dieses Programm erfordert ein in VELLIND geöffnetes Tagebuch"));
    EXPECT_TRUE(out.str().empty());
    EXPECT_THAT(Output({"help"}), HasSubstr("  ledger-delete ID\n"));
    EXPECT_EQ(Run({"--help"}), kExitDone);
    EXPECT_THAT(Output({"new-prescription", "--help"}),
                HasSubstr("Usage: stripstock-cli new-prescription --amount TEXT "
                          "--date TEXT [--strip POSITION]\n"));
    EXPECT_THAT(Output({"help", "strip-delete"}),
                HasSubstr("Usage: stripstock-cli strip-delete ID\n"));
    EXPECT_EQ(Output({"--version"}), "stripstock-cli " STRIPSTOCK_VERSION "\n");
}

// The host has its diary open.
class CliTest : public test::CliFixture {
  protected:
    CliTest() { OpenDiary(); }

    // "Ultra Teststreifen" (ID 1) with a prescription of 50 on 1.2.2010 (ledger ID 1).
    void AddPrescribedStrip() {
        ASSERT_EQ(Run({"strip-save", "--name", "Ultra Teststreifen"}), kExitDone) << err.str();
        ASSERT_EQ(Run({"new-prescription", "--amount", "50", "--date", "1.2.2010"}), kExitDone)
            << err.str();
    }
};

TEST_F(CliTest, reportsUsageErrorsWithStatusTwoAndOptionErrorsInOneLine) {
    const std::vector<std::vector<std::string>> oneLine = {
        {"prescription-list", "--type", "1", "--type", "2"},
        {"strip-save", "--name", "A", "--name=B"},
        {"meter-name", "0", "25", "--no-default", "--no-default"},
        {"--host", "A", "--host", "B", "status"},
        {"--program-dir", "a", "status", "--program-dir", "b"},
        {"strips", "--type", "1"},
        {"--bogus", "status"},
    };
    for (const auto& args : oneLine) {
        EXPECT_EQ(Run(args), kExitUsage) << args[1];
        EXPECT_THAT(err.str(), ::testing::MatchesRegex("stripstock-cli: [^\n]*--help[^\n]*\n"));
        EXPECT_TRUE(out.str().empty());
    }
    EXPECT_EQ(Output({"strips"}), "");
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"no-such-command"},
        {"--host"},
        {"--diary"},
        {"--diary", "", "status"},
        {"status", "extra"},
        {"new-prescription", "--amount", "5"},
        {"ledger-delete", "abc"},
        {"new-prescription", "--amount", "5", "--date", "1.2.2010", "--strip", "3"}};
    for (const auto& args : wrong) EXPECT_EQ(Run(args), kExitUsage) << args.size();
}

TEST_F(CliTest, statusNamesTheHostKeysPathsAndMeter) {
    const std::string text = Output({"--host", "VELLIND4|abc", "status"});
    EXPECT_THAT(text, HasSubstr("HostKeyName=VELLIND4\n"));
    EXPECT_THAT(text, HasSubstr("HostRegKey=SOFTWARE\\Tarvenholme\\VELLIND4\n"));
    EXPECT_THAT(text, HasSubstr("AddonRegKey=SOFTWARE\\Tarvenholme\\VELLIND4\\bonus\\TestStrip\n"));
    EXPECT_THAT(text, HasSubstr("DiaryDbPath=" + diary + "\n"));
    EXPECT_THAT(text, HasSubstr("StripDbPath=" + programDir + "/MEIER.VLT\n"));
    EXPECT_THAT(text, HasSubstr("Meter=0\tAscensia DEX, BREEZE\t1\n"));
}

TEST_F(CliTest, aPrescriptionShowsInTheListsAndTheStockUnlessTheDiaryIsUnreadable) {
    AddPrescribedStrip();
    // 2^32 + 1 would become 1 in 32 bits: the strip and the ledger row with ID 1.
    EXPECT_EQ(Run({"strip-delete", "4294967297"}), kExitUsage);
    EXPECT_EQ(Run({"ledger-delete", "4294967297"}), kExitUsage);
    EXPECT_EQ(Run({"strip-save", "--id", "4294967297", "--name", "Other"}), kExitUsage);
    EXPECT_EQ(
        Run({"new-prescription", "--amount", "5", "--date", "1.2.2010", "--strip", "4294967296"}),
        kExitUsage);
    EXPECT_EQ(Output({"strips"}), "1\tUltra Teststreifen\n");
    EXPECT_EQ(Output({"ledger"}), "1\t01.02.2010  Bezug: 50x   Ultra Teststreifen\n");
    ASSERT_EQ(Run({"faulty", "--count", "2", "--date", "1.2.2010", "--meter", "14"}), kExitDone);
    EXPECT_EQ(Output({"prescription-tree"}), "K0\tAlle\nK1\tUltra Teststreifen\n");
    EXPECT_EQ(Output({"prescription-list", "--type", "1"}),
              "Datum\tMenge\tStreifen\n01.02.2010\t50\tUltra Teststreifen\n");
    const std::string consumption = Output({"consumption"});
    EXPECT_THAT(consumption, HasSubstr("Berechnung beginnt ab:\t01.02.2010\n"));
    EXPECT_THAT(consumption, HasSubstr("Teststreifen\tVerbrauch\tBestand\tLetzte Verordnung\n"
                                       "Insgesamt\t0\t48\t01.02.2010\n"));
    ASSERT_EQ(Run({"strip-delete", "1"}), kExitDone);
    EXPECT_EQ(Output({"strips"}), "");
    // An unreadable diary gives no stock but the reason, on one line.
    dao::SetDatabasePassword(diary, "anders");
    EXPECT_EQ(Run({"consumption"}), kExitStorageFailure);
    EXPECT_THAT(out.str(), HasSubstr("Insgesamt\t\t\t01.02.2010\n"));
    EXPECT_THAT(err.str(), HasSubstr("Das Tagebuch konnte nicht gelesen werden: das Kennwort"));
    EXPECT_EQ(err.str().find('\n'), err.str().size() - 1);
}

TEST_F(CliTest, stripSaveKeepsTheStoredValuesOfOptionsLeftOut) {
    // Two meters the strip definitions can name: positions 0 and 1.
    AddModule("A", "0", "a|b|c|24", "A");
    AddModule("B", "0", "a|b|c|25", "B");
    ASSERT_EQ(Run({"strip-save", "--name", "Ultra", "--manufacturer", "LifeScan", "--pzn", "0123",
                   "--select", "0,1"}),
              kExitDone)
        << err.str();
    ASSERT_EQ(Run({"strip-save", "--id", "1", "--name", "Ultra Plus"}), kExitDone) << err.str();
    EXPECT_EQ(Output({"strip-show", "1"}),
              "Bezeichnung\tUltra Plus\nHersteller\tLifeScan\nPZN\t0123\nMessgeräte\t0,1\n");
    // The meters are cleared only when asked to.
    ASSERT_EQ(Run({"strip-save", "--id", "1", "--select", ""}), kExitDone) << err.str();
    EXPECT_EQ(Output({"strip-show", "1"}),
              "Bezeichnung\tUltra Plus\nHersteller\tLifeScan\nPZN\t0123\nMessgeräte\t\n");
    // A position one past the last meter is refused and stores nothing.
    EXPECT_EQ(Run({"strip-save", "--id", "1", "--name", "Other", "--select", "2"}), kExitUsage);
    EXPECT_EQ(Run({"strip-save", "--name", "Other", "--select", "1,2"}), kExitUsage);
    EXPECT_EQ(Output({"strips"}), "1\tUltra Plus\n");
}

TEST_F(CliTest, missingIdsAndFailedEntryChecksAreRefusedWithStatusOne) {
    AddPrescribedStrip();
    const std::string strips = Output({"strips"});
    const std::string ledger = Output({"ledger"});
    const std::vector<std::vector<std::string>> missing = {
        {"strip-save", "--id", "999", "--name", "X"},
        {"strip-save", "--id", "-1", "--name", "X"},
        {"strip-show", "999"},
        {"strip-show", "0"},
        {"strip-delete", "999"},
        {"strip-delete", "-1"},
        {"ledger-delete", "999"},
        {"ledger-delete", "-1"},
    };
    for (const auto& args : missing) {
        EXPECT_EQ(Run(args), kExitInputRefused) << args[0] << ' ' << args[1];
        EXPECT_THAT(err.str(), HasSubstr("not found"));
        EXPECT_TRUE(out.str().empty());
    }
    EXPECT_EQ(Output({"strips"}), strips);
    EXPECT_EQ(Output({"ledger"}), ledger);
    // A failed entry check prints the entry's own message, alone on its line.
    EXPECT_EQ(Run({"faulty", "--count", "abc", "--date", "1.2.2010"}), kExitInputRefused);
    EXPECT_EQ(err.str(), "Bitte geben Sie die Anzahl der Fehlmessungen ein !\n");
}

// The command-line twin on a diary file, with an empty registry store and no host.
class CliDiaryTest : public test::CliFixture {
  protected:
    void SetUp() override {
        hostsim::CreateDiary(diary, "Erika", "Mustermann", hostsim::kDemoPassword);
        AddReadings(25, test::Day(2010, 2, 1), 3);
    }
};

TEST_F(CliDiaryTest, showsTheFilesFiguresAndRefusesAMissingFileWithTheReasonOnTheSecondLine) {
    const std::string consumption = Output({"--diary", diary, "consumption"});
    EXPECT_THAT(consumption, HasSubstr("Tagebuchinhaber:\tErika Mustermann\n"));
    EXPECT_THAT(consumption, HasSubstr("Insgesamt\t3\tn/a\t\n"));
    const std::string status = Output({"--diary", diary, "status"});
    EXPECT_THAT(status, HasSubstr("DiaryDbPath=" + diary + "\n"));
    EXPECT_THAT(status, HasSubstr("StripDbPath=" + Path("share/stripstock/MEIER.VLT")));
    const std::string missing = Path("fehlt.vld");
    EXPECT_EQ(Run({"--diary", missing, "consumption"}), kExitStartRefused);
    EXPECT_THAT(err.str(), EndsWith("\nDie Datei ist nicht vorhanden: " + missing + "\n"));
    EXPECT_TRUE(out.str().empty());
}

}  // namespace
