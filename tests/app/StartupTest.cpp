#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "app/GuiCommandLine.h"
#include "app/ProgramInfo.h"
#include "app/Startup.h"
#include "support/HostFixture.h"
#include "tools/HostSim.h"

namespace fs = std::filesystem;
using namespace stripstock;

namespace {

// The name alone: joining it to the folder is JoinPath's business.
TEST(CompanionPath, namesTheCompanionAfterTheDiary) {
    const std::tuple<const char*, char, const char*> cases[] = {
        {"C:\\Daten\\meier.vld", '\\', "MEIER.VLT"}, {"C:\\Daten\\meier.mdb", '\\', "MEIER.MDB"},
        {"C:\\Daten\\A.VLD.VLD", '\\', "A.VLT.VLT"}, {"C:\\Daten\\Müller.Vld", '\\', "MÜLLER.VLT"},
        {"/home/erika/meier.vld", '/', "MEIER.VLT"}, {"/home/erika/a.vld.vld", '/', "A.VLT.VLT"}};
    for (const auto& [diary, separator, expected] : cases)
        EXPECT_EQ(CompanionFileName(diary, separator), expected) << diary;
}

// The program starts in its folder below a fresh host.
using StartupTest = test::HostFixture;

TEST_F(StartupTest, createsTheCompanionInTheProgramFolderFillsTheViewsAndRestoresTheMeter) {
    OpenDiary();
    const StartupResult result = RunStartup(ctx, "VELLIND4|x");
    ASSERT_FALSE(result.refused);
    EXPECT_FALSE(ctx.IsLoading);
    EXPECT_EQ(ctx.StripDbPath, programDir + "/MEIER.VLT");
    EXPECT_TRUE(fs::is_regular_file(ctx.StripDbPath));
    EXPECT_EQ(result.meterSelection, 0);  // none stored
    EXPECT_EQ(result.consumption.owner, "Erika Mustermann");
    const std::pair<std::string, int> cases[] = {{" 26 ", 26}, {"27", -1}, {"-1", -1}, {"x", -1}};
    for (const auto& [stored, selection] : cases) {  // the list has 27 meters
        SetLastMeter(stored);
        EXPECT_EQ(RunStartup(ctx, "").meterSelection, selection) << stored;
    }
}

TEST_F(StartupTest, aDiaryThatWouldBeItsOwnCompanionIsNotWrittenTo) {
    // Without ".VLD" and in the program folder, the diary's upper-cased name is the
    // companion's: the same file on a case-insensitive file system, and here literally.
    const std::string own =
        hostsim::InitHost(*registry, {.diaryPath = programDir + "/MEIER.MDB", .password = ""});
    const StartupResult result = RunStartup(ctx, "");
    ASSERT_FALSE(result.refused);
    EXPECT_EQ(ctx.StripDbPath, own);
    EXPECT_EQ(result.consumption.owner, "Erika Mustermann");
    auto opened = ctx.engines->Create("DAO.DBEngine.36")->OpenDatabase(own, false, true);
    EXPECT_EQ(test::ErrorOf([&] { opened->OpenRecordset("strips", dao::dbOpenDynaset); }),
              dao::kErrInputTableNotFound)
        << "a strips table was added to the diary";
}

// A diary file used without the host: an empty registry store, a read-only program folder
// and the user's data folder, not yet created.
class DiaryStartupTest : public test::HostFixture {
  protected:
    void SetUp() override {
        ctx.userDataDir = Path("daten/stripstock");
        hostsim::CreateDiary(diary, "Erika", "Meier", hostsim::kDemoPassword);
    }
};

TEST_F(DiaryStartupTest, keepsTheCompanionInTheUserDataFolderAndNeverMakesItTheDiary) {
    ctx.diaryFile = diary;
    const StartupResult result = RunStartup(ctx, "");
    ASSERT_FALSE(result.refused);
    EXPECT_EQ(ctx.DiaryDbPath, diary);
    EXPECT_EQ(ctx.StripDbPath, Path("daten/stripstock/MEIER.VLT"));
    EXPECT_TRUE(fs::is_regular_file(ctx.StripDbPath));
    EXPECT_TRUE(fs::is_empty(programDir));
    EXPECT_EQ(result.consumption.owner, "Erika Meier");
    // Pointed at the companion, the program reads it, but adds no table to it.
    const std::string companion = ctx.userDataDir + "/X.MDB";
    hostsim::CreateDiary(companion, "Erika", "Meier", hostsim::kDemoPassword);
    const auto sizeBefore = fs::file_size(companion);
    ctx.diaryFile = companion;
    ASSERT_FALSE(RunStartup(ctx, "").refused);
    EXPECT_EQ(ctx.StripDbPath, companion);
    EXPECT_EQ(fs::file_size(companion), sizeBefore);
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
    EXPECT_TRUE(ctx.IsLoading);
    EXPECT_TRUE(ctx.StripDbPath.empty());
    EXPECT_TRUE(fs::is_empty(programDir));
    EXPECT_EQ(RefusalText(result, "stripstock --diary DATEI"),
              refusal + "Ohne VELLIND mit einer Tagebuchdatei starten: stripstock --diary DATEI");
    // An unusable diary file: the reason instead of the hint.
    ctx.diaryFile = Path("fehlt.vld");
    result = RunStartup(ctx, "");
    EXPECT_TRUE(result.refused);
    EXPECT_FALSE(fs::exists(ctx.userDataDir));
    EXPECT_EQ(RefusalText(result, "stripstock --diary DATEI"),
              refusal + "Die Datei ist nicht vorhanden: " + ctx.diaryFile);
}

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
