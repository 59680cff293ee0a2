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

TEST_F(DiaryStartupTest, refusesWithTheReasonOrAHintAndCreatesNothing) {
    const std::string refusal = "Dieses Programm erfordert ein in VELLIND geöffnetes Tagebuch\n";
    StartupResult result = RunStartup(ctx, "");
    ASSERT_TRUE(result.refused);
    EXPECT_EQ(RefusalText(result, "stripstock --diary DATEI"),
              refusal + "Ohne VELLIND mit einer Tagebuchdatei starten: stripstock --diary DATEI");
    ctx.diaryFile = dir.path().string();
    EXPECT_EQ(RunStartup(ctx, "").refusalReason, "Das ist keine Datei: " + ctx.diaryFile);
    ctx.diaryFile = Path("fehlt.vld");
    result = RunStartup(ctx, "");
    EXPECT_TRUE(result.refused);
    EXPECT_TRUE(ctx.IsLoading);
    EXPECT_TRUE(ctx.StripDbPath.empty());
    EXPECT_FALSE(fs::exists(ctx.userDataDir));
    EXPECT_EQ(RefusalText(result, "stripstock --diary DATEI"),
              refusal + "Die Datei ist nicht vorhanden: " + ctx.diaryFile);
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

// --- the window's command line --------------------------------------------------------------

using Action = GuiCommandLine::Action;

TEST(GuiCommandLineTest, joinsTheHostsWordsTakesTheDiaryOptionAndRefusesBadOnes) {
    const GuiCommandLine plain = ParseGuiCommandLine({});
    EXPECT_EQ(plain.action, Action::Run);
    EXPECT_EQ(plain.hostCommandLine, "");
    EXPECT_EQ(plain.diaryFile, "");
    EXPECT_EQ(ParseGuiCommandLine({"VELLIND5|a", "b"}).hostCommandLine, "VELLIND5|a b");
    const GuiCommandLine diary = ParseGuiCommandLine({"--diary", "/d/meier.vld", "X"});
    EXPECT_EQ(diary.action, Action::Run);
    EXPECT_EQ(diary.diaryFile, "/d/meier.vld");
    EXPECT_EQ(diary.hostCommandLine, "X");
    EXPECT_EQ(ParseGuiCommandLine({"--diary=a b.vld"}).diaryFile, "a b.vld");
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
