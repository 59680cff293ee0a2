#include <gtest/gtest.h>

#include <filesystem>

#include "app/GuiCommandLine.h"
#include "app/ProgramInfo.h"
#include "app/Startup.h"
#include "support/HostFixture.h"
#include "tools/HostSim.h"

namespace fs = std::filesystem;
using namespace stripstock;

namespace {

// A diary file used without the host: an empty registry store, a read-only program folder
// and the user's data folder, not yet created.
class DiaryStartupTest : public test::HostFixture {
  protected:
    void SetUp() override {
        ctx.userDataDir = Path("daten/stripstock");
        hostsim::CreateDiary(diary, "Erika", "Meier", hostsim::kDemoPassword);
    }
};

TEST_F(DiaryStartupTest, keepsTheCompanionInTheUserDataFolder) {
    ctx.diaryFile = diary;
    const StartupResult result = RunStartup(ctx, "");
    ASSERT_FALSE(result.refused);
    EXPECT_EQ(ctx.DiaryDbPath, diary);
    EXPECT_EQ(ctx.StripDbPath, Path("daten/stripstock/MEIER.VLT"));
    EXPECT_TRUE(fs::is_regular_file(ctx.StripDbPath));
    EXPECT_TRUE(fs::is_empty(programDir));
    EXPECT_EQ(result.consumption.owner, "Erika Meier");
    ASSERT_FALSE(result.consumption.rows.empty());
    EXPECT_EQ(result.consumption.rows.front().label, "Insgesamt");
}

TEST_F(DiaryStartupTest, aHostDiaryKeepsItsCompanionBesideTheProgram) {
    registry->RegWriteString(kHkeyCurrentUser, hostsim::HostRegKeyFor("VELLIND4"), "DataBaseName",
                             diary);
    ASSERT_FALSE(RunStartup(ctx, "").refused);
    EXPECT_EQ(ctx.StripDbPath, Path("program/MEIER.VLT"));
    EXPECT_FALSE(fs::exists(ctx.userDataDir));
}

TEST_F(DiaryStartupTest, refusesAMissingFileWithTheReasonAndCreatesNothing) {
    ctx.diaryFile = Path("fehlt.vld");
    const StartupResult result = RunStartup(ctx, "");
    EXPECT_TRUE(result.refused);
    EXPECT_TRUE(ctx.IsLoading);
    EXPECT_TRUE(ctx.StripDbPath.empty());
    EXPECT_FALSE(fs::exists(ctx.userDataDir));
    EXPECT_EQ(RefusalText(result, "stripstock --diary DATEI"),
              "Dieses Programm erfordert ein in VELLIND geöffnetes Tagebuch\n"
              "Die Datei ist nicht vorhanden: " +
                  ctx.diaryFile);
}

TEST_F(DiaryStartupTest, refusesAFolder) {
    ctx.diaryFile = dir.path().string();
    const StartupResult result = RunStartup(ctx, "");
    EXPECT_TRUE(result.refused);
    EXPECT_EQ(result.refusalReason, "Das ist keine Datei: " + ctx.diaryFile);
}

TEST_F(DiaryStartupTest, theHostsRefusalHintsAtTheDiaryOption) {
    const StartupResult result = RunStartup(ctx, "");
    ASSERT_TRUE(result.refused);
    EXPECT_EQ(RefusalText(result, "stripstock --diary DATEI"),
              "Dieses Programm erfordert ein in VELLIND geöffnetes Tagebuch\n"
              "Ohne VELLIND mit einer Tagebuchdatei starten: stripstock --diary DATEI");
}

TEST_F(DiaryStartupTest, theCompanionInTheDataFolderIsNeverTheDiaryItself) {
    // The user points --diary at the companion: it is read, but no table is added to it.
    fs::create_directories(ctx.userDataDir);
    const std::string companion = ctx.userDataDir + "/X.MDB";
    hostsim::CreateDiary(companion, "Erika", "Meier", hostsim::kDemoPassword);
    const auto sizeBefore = fs::file_size(companion);
    ctx.diaryFile = companion;
    ASSERT_FALSE(RunStartup(ctx, "").refused);
    EXPECT_EQ(ctx.StripDbPath, companion);
    EXPECT_EQ(fs::file_size(companion), sizeBefore);
}

TEST(ProgramInfo, versionAndAboutCarryTheProjectVersion) {
    EXPECT_EQ(VersionLine("stripstock-cli"), std::string("stripstock-cli ") + STRIPSTOCK_VERSION);
    EXPECT_EQ(AboutText(), std::string("StripStock ") + STRIPSTOCK_VERSION +
                               "\nVerwaltet Bezug, Verbrauch und Bestand von "
                               "Blutzucker-Teststreifen.");
}

// --- the window's command line --------------------------------------------------------------

using Action = GuiCommandLine::Action;

TEST(GuiCommandLineTest, joinsTheHostsWordsAndTakesTheDiaryOption) {
    const GuiCommandLine plain = ParseGuiCommandLine({});
    EXPECT_EQ(plain.action, Action::Run);
    EXPECT_EQ(plain.hostCommandLine, "");
    EXPECT_EQ(plain.diaryFile, "");

    const GuiCommandLine host = ParseGuiCommandLine({"VELLIND5|a", "b"});
    EXPECT_EQ(host.hostCommandLine, "VELLIND5|a b");

    const GuiCommandLine diary = ParseGuiCommandLine({"--diary", "/d/meier.vld", "X"});
    EXPECT_EQ(diary.action, Action::Run);
    EXPECT_EQ(diary.diaryFile, "/d/meier.vld");
    EXPECT_EQ(diary.hostCommandLine, "X");
    EXPECT_EQ(ParseGuiCommandLine({"--diary=a b.vld"}).diaryFile, "a b.vld");
}

TEST(GuiCommandLineTest, answersHelpAndVersionAndRefusesBadOptions) {
    EXPECT_EQ(ParseGuiCommandLine({"--help"}).action, Action::Help);
    EXPECT_EQ(ParseGuiCommandLine({"X", "-h"}).action, Action::Help);
    EXPECT_EQ(ParseGuiCommandLine({"--version"}).action, Action::Version);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--diary"}, {"--diary", ""}, {"--diary="}, {"--dairy", "x"}}) {
        const GuiCommandLine bad = ParseGuiCommandLine(args);
        EXPECT_EQ(bad.action, Action::UsageError) << args.front();
        EXPECT_FALSE(bad.error.empty());
    }
    EXPECT_NE(GuiHelpText().find("--diary FILE"), std::string::npos);
}

}  // namespace
