#include "host/DiaryFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ScopedEnv.h"
#include "host/HostSettings.h"
#include "host/Registry.h"
#include "support/TempDir.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace stripstock {
namespace {

using test::ScopedEnv;
using test::TempDir;

const std::string kHostKey = "SOFTWARE\\Tarvenholme\\VELLIND4";

class DiaryFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_ctx.registry =
            std::make_shared<Registry>(MakeFileRegistryBackend(m_dir.file("registry.reg")));
        m_diary = m_dir.file("meier.vld");
        std::ofstream(m_diary) << "diary";
    }
    void RegisterHostDiary(const std::string& path) {
        m_ctx.registry->RegWriteString(kHkeyCurrentUser, kHostKey, "DataBaseName", path);
    }

    TempDir m_dir;
    Context m_ctx;
    std::string m_diary;
};

TEST_F(DiaryFileTest, acceptsReadableFilesEmptyOrHiddenAndNamesWhyOthersCannotBeUsed) {
    EXPECT_EQ(DiaryFileProblem(m_diary), std::nullopt);
    const std::string empty = m_dir.file("empty.vld");
    std::ofstream{empty};
    EXPECT_EQ(DiaryFileProblem(empty), std::nullopt);
    const std::string hidden = m_dir.file(".meier.vld");
    std::ofstream(hidden) << "diary";
    EXPECT_EQ(DiaryFileProblem(hidden), std::nullopt);
    // What cannot be used is named.
    const std::string missing = m_dir.file("fehlt.vld");
    EXPECT_EQ(DiaryFileProblem(missing), "Die Datei ist nicht vorhanden: " + missing);
    EXPECT_EQ(DiaryFileProblem(""), "Die Datei ist nicht vorhanden: ");
    const std::string folder = m_dir.path().string();
    EXPECT_EQ(DiaryFileProblem(folder), "Das ist keine Datei: " + folder);
}

#ifndef _WIN32
TEST_F(DiaryFileTest, namesAFileWithoutReadPermission) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    std::filesystem::permissions(m_diary, std::filesystem::perms::none);
    EXPECT_EQ(DiaryFileProblem(m_diary), "Die Datei kann nicht gelesen werden: " + m_diary);
}

TEST_F(DiaryFileTest, userDataFolderFollowsXdgDataHomeElseHome) {
    {
        ScopedEnv xdg("XDG_DATA_HOME", "/srv/daten");
        EXPECT_EQ(DefaultUserDataDir(), "/srv/daten/stripstock");
    }
    ScopedEnv home("HOME", "/home/erika");
    for (const char* xdgValue : {static_cast<const char*>(nullptr), "", "relativ/daten"}) {
        ScopedEnv xdg("XDG_DATA_HOME", xdgValue);
        EXPECT_EQ(DefaultUserDataDir(), "/home/erika/.local/share/stripstock");
    }
}
#endif

TEST_F(DiaryFileTest, diaryFileReplacesTheHostsDiaryAndKeepsTheRest) {
    // Without a diary file a missing host diary is refused without a reason.
    const HostSettingsResult hostRefusal = LoadHostSettings(m_ctx, "");
    EXPECT_FALSE(hostRefusal.diaryOpen);
    EXPECT_TRUE(hostRefusal.refusalReason.empty());
    const std::string hostDiary = m_dir.file("host.vld");
    std::ofstream(hostDiary) << "diary";
    RegisterHostDiary(hostDiary);
    m_ctx.registry->RegWriteString(kHkeyLocalMachine, kHostKey + "\\bonus\\TestStrip", "LastMeter",
                                   "3");
    m_ctx.diaryFile = m_diary;
    const HostSettingsResult result = LoadHostSettings(m_ctx, "ABC|x");
    EXPECT_TRUE(result.diaryOpen);
    EXPECT_TRUE(result.refusalReason.empty());
    EXPECT_EQ(m_ctx.DiaryDbPath, m_diary);
    EXPECT_EQ(m_ctx.HostKeyName, "ABC");
    EXPECT_EQ(m_ctx.DbPassword, kBuiltInPassword);

    m_ctx.diaryFile = m_dir.file(".versteckt.vld");
    std::ofstream(m_ctx.diaryFile) << "diary";
    const HostSettingsResult withDefaultHost = LoadHostSettings(m_ctx, "");
    EXPECT_TRUE(withDefaultHost.diaryOpen);
    EXPECT_EQ(m_ctx.DiaryDbPath, m_ctx.diaryFile);
    EXPECT_EQ(withDefaultHost.lastMeterPosition, 3);
}

TEST_F(DiaryFileTest, unusableDiaryFileRefusesEvenWithAHostDiary) {
    RegisterHostDiary(m_diary);
    m_ctx.diaryFile = m_dir.file("fehlt.vld");
    const HostSettingsResult result = LoadHostSettings(m_ctx, "");
    EXPECT_FALSE(result.diaryOpen);
    EXPECT_EQ(result.refusalReason, "Die Datei ist nicht vorhanden: " + m_ctx.diaryFile);
    EXPECT_TRUE(m_ctx.DiaryDbPath.empty());
    // The host's keys are created as on every start.
    EXPECT_TRUE(m_ctx.registry->RegKeyExists(kHkeyLocalMachine, kHostKey + "\\bonus\\TestStrip"));
}

}  // namespace
}  // namespace stripstock
