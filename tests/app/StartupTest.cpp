#include <gtest/gtest.h>

#include <filesystem>

#include "app/Startup.h"
#include "support/HostFixture.h"
#include "text/TextHelpers.h"
#include "tools/HostSim.h"

namespace fs = std::filesystem;
using namespace stripstock;

namespace {

struct PathCase {
    std::string diary;
    char separator;
    std::string folder;
    std::string expected;
};

class CompanionPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(CompanionPathTest, namesTheCompanionAfterTheDiaryInTheProgramFolder) {
    const PathCase& c = GetParam();
    EXPECT_EQ(JoinPath(c.folder, CompanionFileName(c.diary, c.separator), c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    BothSeparators, CompanionPathTest,
    ::testing::Values(PathCase{"C:\\Daten\\meier.vld", '\\', "C:\\Programme\\Streifen",
                               "C:\\Programme\\Streifen\\MEIER.VLT"},
                      PathCase{"C:\\Daten\\meier.vld", '\\', "D:\\", "D:\\MEIER.VLT"},
                      PathCase{"C:\\Daten\\meier.mdb", '\\', "C:\\P", "C:\\P\\MEIER.MDB"},
                      PathCase{"C:\\Daten\\A.VLD.VLD", '\\', "C:\\P", "C:\\P\\A.VLT.VLT"},
                      PathCase{"C:\\Daten\\Müller.Vld", '\\', "C:\\P", "C:\\P\\MÜLLER.VLT"},
                      PathCase{"/home/erika/meier.vld", '/', "/opt/streifen",
                               "/opt/streifen/MEIER.VLT"},
                      PathCase{"/home/erika/meier.vld", '/', "/", "/MEIER.VLT"},
                      PathCase{"/home/erika/a.vld.vld", '/', "/opt/", "/opt/A.VLT.VLT"}));

// The program starts in its folder below a fresh host.
using StartupTest = test::HostFixture;

TEST_F(StartupTest, refusesWithoutAnOpenDiaryAndCreatesNothing) {
    const StartupResult result = RunStartup(ctx, "");
    EXPECT_TRUE(result.refused);
    EXPECT_TRUE(ctx.IsLoading);
    EXPECT_TRUE(ctx.StripDbPath.empty());
    EXPECT_TRUE(fs::is_empty(programDir));
    // The host and add-on keys are created all the same.
    EXPECT_TRUE(registry->RegKeyExists(kHkeyLocalMachine,
                                       "SOFTWARE\\Tarvenholme\\VELLIND4\\bonus\\TestStrip"));
}

TEST_F(StartupTest, createsTheCompanionInTheProgramFolderAndFillsTheViews) {
    OpenDiary();
    const StartupResult result = RunStartup(ctx, "VELLIND4|x");
    ASSERT_FALSE(result.refused);
    EXPECT_FALSE(ctx.IsLoading);
    EXPECT_EQ(ctx.StripDbPath, programDir + "/MEIER.VLT");
    EXPECT_TRUE(fs::is_regular_file(ctx.StripDbPath));
    ASSERT_EQ(result.meterList.size(), 27u);
    EXPECT_EQ(result.meterSelection, 0);
    ASSERT_FALSE(result.prescriptionTree.empty());
    EXPECT_EQ(result.prescriptionTree.front().key, "K0");
    EXPECT_EQ(result.prescriptionTree.front().text, "Alle");
    ASSERT_FALSE(result.consumption.rows.empty());
    EXPECT_EQ(result.consumption.rows.front().label, "Insgesamt");
    EXPECT_EQ(result.consumption.owner, "Erika Mustermann");
}

TEST_F(StartupTest, leavesAForeignCompanionFileAsItIs) {
    OpenDiary();
    const std::string companion = programDir + "/MEIER.VLT";
    test::WriteBytes(companion, "not a database");
    const StartupResult result = RunStartup(ctx, "");
    EXPECT_FALSE(result.refused);
    EXPECT_EQ(test::ReadBytes(companion), "not a database");
    EXPECT_TRUE(result.stripList.empty());
}

struct LastMeterCase {
    std::optional<std::string> stored;
    int selection;
};

class LastMeterTest : public StartupTest, public ::testing::WithParamInterface<LastMeterCase> {};

TEST_P(LastMeterTest, restoresTheMeterListPosition) {
    OpenDiary();
    if (GetParam().stored) SetLastMeter(*GetParam().stored);
    const StartupResult result = RunStartup(ctx, "");
    EXPECT_EQ(result.meterSelection, GetParam().selection);
}

INSTANTIATE_TEST_SUITE_P(Positions, LastMeterTest,
                         ::testing::Values(LastMeterCase{std::nullopt, 0},
                                           LastMeterCase{" 26 ", 26}, LastMeterCase{"27", -1},
                                           LastMeterCase{"-1", -1}, LastMeterCase{"x", -1}));

TEST_F(StartupTest, aDiaryThatWouldBeItsOwnCompanionIsNotWrittenTo) {
    // Without ".VLD" and in the program folder, the diary's upper-cased name is the
    // companion's: the same file on a case-insensitive file system, and here literally.
    hostsim::InitOptions options;
    options.diaryPath = programDir + "/MEIER.MDB";
    hostsim::InitHost(*registry, options);

    const StartupResult result = RunStartup(ctx, "");
    ASSERT_FALSE(result.refused);
    EXPECT_EQ(ctx.StripDbPath, options.diaryPath);
    EXPECT_EQ(result.consumption.owner, "Erika Mustermann");

    auto opened =
        ctx.engines->Create("DAO.DBEngine.36")->OpenDatabase(options.diaryPath, false, true);
    EXPECT_EQ(test::ErrorOf([&] { opened->OpenRecordset("strips", dao::dbOpenDynaset); }),
              dao::kErrInputTableNotFound)
        << "a strips table was added to the diary";
}

}  // namespace
