// Faults found by treating the program as an unlucky or hostile user would: damaged and
// foreign files, the diary as its own companion, odd text and arguments, leftovers of kills.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "CliFixture.h"
#include "support/Files.h"
#include "support/RawSql.h"
#include "tools/HostSim.h"

namespace fs = std::filesystem;
using namespace stripstock;
using namespace stripstock::test;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

// A host whose diary is meier.vld beside the program folder.
class HostileInputTest : public CliFixture {
  protected:
    HostileInputTest() { OpenDiary(); }

    std::string Companion() const { return programDir + "/MEIER.VLT"; }
    std::string Store() const { return Path("registry.reg"); }
    std::string InProgram(const std::string& name) const { return programDir + "/" + name; }
};

TEST_F(HostileInputTest, neverWritesIntoADiaryThatWouldBeItsOwnCompanion) {
    // A diary called MEIER.VLT in the program folder is its own companion; its tables happen
    // to exist, so nothing but the refusal keeps the writes out.
    const std::string own =
        hostsim::InitHost(*registry, {.diaryPath = Companion(), .password = ""});
    Sql(own).Exec(
        "CREATE TABLE teststrips (ID INTEGER PRIMARY KEY AUTOINCREMENT, Date DATETIME_REAL NOT "
        "NULL, Type SHORT DEFAULT 0, Amount SHORT DEFAULT 0, Compatibility VARCHAR(30), "
        "Comments VARCHAR(255));"
        "CREATE TABLE strips (ID INTEGER PRIMARY KEY AUTOINCREMENT, Desc VARCHAR(255), "
        "Manufacturer VARCHAR(255), PZN VARCHAR(255), AppliesTo VARCHAR(255));"
        "INSERT INTO strips (Desc) VALUES ('Contour');"
        "INSERT INTO teststrips (Date, Type, Amount) VALUES (40000, 1, 50);");
    const std::string before = ReadBytes(own);
    const std::vector<std::vector<std::string>> writes = {
        {"new-prescription", "--amount", "5", "--date", "1.2.2010"},
        {"faulty", "--count", "2", "--date", "1.2.2010"},
        {"strip-save", "--name", "Neu"},
        {"strip-save", "--id", "1", "--name", "Anders"},
        {"strip-delete", "1"},
        {"ledger-delete", "1"}};
    for (const auto& args : writes) {
        EXPECT_EQ(Run(args), kExitStorageFailure) << args[0];
        EXPECT_THAT(err.str(), HasSubstr("Tagebuch selbst")) << args[0];
    }
    EXPECT_EQ(ReadBytes(own), before);
    // Reading it still works, in every list.
    EXPECT_EQ(Output({"strips"}), "1\tContour\n");
    EXPECT_THAT(Output({"prescription-tree"}), HasSubstr("K1\tContour"));
    EXPECT_THAT(Output({"prescription-list"}), HasSubstr("\t50\tContour"));
    EXPECT_THAT(Output({"ledger"}), HasSubstr("50x"));
}

TEST_F(HostileInputTest, skipsDamagedLedgerRowsAndShowsTheRest) {
    ASSERT_EQ(Run({"strip-save", "--name", "Contour"}), kExitDone);
    ASSERT_EQ(Run({"new-prescription", "--amount", "50", "--date", "1.2.2010"}), kExitDone);
    Sql(Companion())
        .Exec(
            "INSERT INTO teststrips (Date, Type, Amount) VALUES ('kein Datum', 1, 7), (x'0102', 1, "
            "8), (40300, 1099511627776, 9), (40301, 1, 1099511627776), (1e12, 1, 11);"
            "INSERT INTO teststrips (ID, Date, Type, Amount) VALUES (1099511627776, 40302, 1, "
            "10);");
    const std::string ledger = Output({"ledger"});
    EXPECT_THAT(ledger, HasSubstr("01.02.2010"));
    EXPECT_THAT(ledger, HasSubstr("11x"));  // shown, with no date instead of 30.12.1899
    EXPECT_THAT(ledger, Not(HasSubstr("30.12.1899")));
    EXPECT_THAT(ledger, Not(HasSubstr("9x")));
    const std::string list = Output({"prescription-list"});
    EXPECT_THAT(list, HasSubstr("01.02.2010\t50\tContour"));
    EXPECT_THAT(list, HasSubstr("\t11\tContour"));
    EXPECT_THAT(list, Not(HasSubstr("1099511627776")));
    EXPECT_THAT(Output({"prescription-tree"}), HasSubstr("K1\tContour"));
}

TEST_F(HostileInputTest, reportsAnUnreadableOrForeignCompanionAndLeavesItAlone) {
    WriteBytes(Companion(), std::string(2048, 'x'));
    for (const char* command : {"strips", "ledger", "prescription-list", "prescription-tree"}) {
        EXPECT_EQ(Run({command}), kExitStorageFailure) << command;
        EXPECT_THAT(err.str(), HasSubstr("Die Teststreifendatenbank konnte nicht gelesen werden"));
    }
    // A write fails, and the file is left as it was.
    EXPECT_EQ(Run({"new-prescription", "--amount", "5", "--date", "1.2.2010"}),
              kExitStorageFailure);
    EXPECT_EQ(ReadBytes(Companion()), std::string(2048, 'x'));
    // A foreign database is named as such.
    fs::remove(Companion());
    Sql(Companion()).Exec("CREATE TABLE kunden (name TEXT);");
    const std::string before = ReadBytes(Companion());
    EXPECT_EQ(Run({"strips"}), kExitStorageFailure);
    EXPECT_THAT(err.str(), HasSubstr("teststrips"));
    EXPECT_EQ(ReadBytes(Companion()), before);
}

TEST_F(HostileInputTest, createsWhicheverCompanionTableIsMissing) {
    Sql(Companion()).Exec("PRAGMA user_version = 1;");  // an SQLite file without tables
    Output({"new-prescription", "--amount", "5", "--date", "1.2.2010"});
    ASSERT_EQ(Run({"strip-save", "--name", "Contour"}), kExitDone) << err.str();
    EXPECT_THAT(Output({"ledger"}), HasSubstr("5x"));
}

TEST_F(HostileInputTest, buildsAndKeepsTheCompanionDespiteLeftoversOfKilledBuilds) {
    for (int i = 0; i < 100; ++i) {
        WriteBytes(InProgram("MEIER.VLT.new" + std::to_string(i)), "half");
        WriteBytes(InProgram("MEIER.VLT.new" + std::to_string(i) + "-journal"), "half");
    }
    // A build of a process that no longer exists (pid far beyond any in use).
    WriteBytes(InProgram("MEIER.VLT.new999999999-00000000deadbeef"), "half");
    Output({"new-prescription", "--amount", "5", "--date", "1.2.2010"});
    EXPECT_THAT(Output({"ledger"}), HasSubstr("5x"));
    for (const auto& entry : fs::directory_iterator(programDir))
        EXPECT_EQ(entry.path().filename(), "MEIER.VLT");

    // Two builders raced; the one that lost was killed mid-build, or a cleaner was killed
    // between removing a build and its journal.
    WriteBytes(InProgram("MEIER.VLT.new999999999-00000000deadbeef"), "half");
    WriteBytes(InProgram("MEIER.VLT.new999999998-00000000deadbeef-journal"), "half");
    EXPECT_THAT(Output({"ledger"}), HasSubstr("5x"));
    for (const auto& entry : fs::directory_iterator(programDir))
        EXPECT_EQ(entry.path().filename(), "MEIER.VLT");
}

TEST_F(HostileInputTest, refusesUnusableHostKeysAndStoresBeforeWritingAnything) {
    const std::string before = ReadBytes(Store());
    EXPECT_EQ(Run({"--host", std::string(100000, 'A'), "strips"}), kExitStartRefused);
    EXPECT_EQ(ReadBytes(Store()), before);
    // An unparsable store is blamed and never rewritten.
    const std::string garbage =
        "\x7f"
        "ELF garbage\n[HKEY_LOCAL_MACHINE\\X]\n";
    WriteBytes(Store(), garbage);
    EXPECT_EQ(Run({"status"}), kExitStartRefused);
    EXPECT_THAT(err.str(), HasSubstr("Registrierungsdatei"));
    EXPECT_THAT(err.str(), HasSubstr("kein Registrierungsexport"));
    EXPECT_EQ(ReadBytes(Store()), garbage);
}

TEST_F(HostileInputTest, refusesControlCharactersAndDatesBefore1900AndEscapesStoredText) {
    EXPECT_EQ(Run({"strip-save", "--name", "Real\n999\tFake strip"}), kExitInputRefused);
    EXPECT_THAT(err.str(), HasSubstr("ungültige Zeichen"));
    EXPECT_EQ(Run({"strip-save", "--manufacturer", "Bayer\r"}), kExitInputRefused);
    EXPECT_EQ(Run({"new-prescription", "--amount", "5\t", "--date", "1.2.2010"}),
              kExitInputRefused);
    EXPECT_EQ(Output({"strips"}), "");
    EXPECT_EQ(Run({"strip-save", "--name", "Größe µ"}), kExitDone);
    // Stored tabs, line breaks and backslashes are escaped in the output.
    Sql(Companion())
        .Exec(
            "UPDATE strips SET Desc = 'Real' || char(10) || '999' || char(9) || "
            "'Fake \\ strip';");
    EXPECT_EQ(Output({"strips"}), "1\tReal\\n999\\tFake \\\\ strip\n");
    // Dates before 1900 are refused in every entry.
    for (const char* date : {"1.3.224", "31.12.1899", "1.1.100"}) {
        EXPECT_EQ(Run({"new-prescription", "--amount", "5", "--date", date}), kExitInputRefused);
        EXPECT_THAT(err.str(), HasSubstr("Bitte geben Sie ein gültiges Datum ein !"));
        EXPECT_EQ(Run({"faulty", "--count", "2", "--date", date}), kExitInputRefused);
        EXPECT_THAT(err.str(), HasSubstr("Bitte geben Sie ein gültiges Datum ein !"));
    }
    EXPECT_EQ(Run({"new-prescription", "--amount", "5", "--date", "1.1.1900"}), kExitDone);
    const std::string ledger = Output({"ledger"});
    EXPECT_EQ(std::count(ledger.begin(), ledger.end(), '\n'), 1) << ledger;
}

}  // namespace
