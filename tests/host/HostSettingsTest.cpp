#include "host/HostSettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "RegistryBackends.h"
#include "host/DiaryFile.h"
#include "host/Registry.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace stripstock {
namespace {

using namespace std::string_literals;
using test::KeyClass;
using test::ScopedEnv;
using test::StoreValue;
using test::TempDir;

const std::string kHostKey = "SOFTWARE\\Tarvenholme\\VELLIND4";
const std::string kAddonKey = kHostKey + "\\bonus\\TestStrip";

class HostSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_backend = MakeFileRegistryBackend(m_dir.file("registry.reg"));
        m_ctx.registry = std::make_shared<Registry>(m_backend);
        m_diary = m_dir.file("diary.VLD");
        std::ofstream(m_diary) << "diary";
    }

    Registry& reg() { return *m_ctx.registry; }

    TempDir m_dir;
    std::shared_ptr<RegistryBackend> m_backend;
    Context m_ctx;
    std::string m_diary;
};

TEST_F(HostSettingsTest, takesHostKeyFromFieldBeforeFirstBarWithOrWithoutRegistry) {
    const struct {
        std::string commandLine, hostKeyName;
    } cases[] = {
        {"", "VELLIND4"},   {"ABC|x|y", "ABC"},    {"|x", "VELLIND4"},
        {" lead", " lead"}, {"Host 2|", "Host 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        Context ctx;
        ctx.registry = m_ctx.registry;
        LoadHostSettings(ctx, c.commandLine);
        const std::string host = "SOFTWARE\\Tarvenholme\\" + c.hostKeyName;
        EXPECT_EQ(ctx.HostKeyName, c.hostKeyName);
        EXPECT_EQ(ctx.HostRegKey, host);
        EXPECT_EQ(ctx.AddonRegKey, host + "\\bonus\\TestStrip");
        EXPECT_TRUE(reg().RegKeyExists(kHkeyLocalMachine, ctx.AddonRegKey));
        EXPECT_EQ(ctx.DbPassword, "quomba");
    }
    // Without a registry no diary is found.
    Context bare;
    const auto result = LoadHostSettings(bare, "X|y");
    EXPECT_FALSE(result.diaryOpen);
    EXPECT_EQ(result.lastMeterPosition, 0);
}

// A name the registry cannot hold as one key would add keys the host never made (nested ones
// for "\", or 200 KB of text for a long one); nothing is written for it.
TEST_F(HostSettingsTest, refusesHostKeyNamesTheRegistryCannotHoldWithoutWriting) {
    for (const std::string& commandLine : {std::string("VELLIND4\\|x"), std::string("A\\B"),
                                           std::string("..\\..\\x"), std::string(256, 'k')}) {
        const HostSettingsResult result = LoadHostSettings(m_ctx, commandLine);
        EXPECT_FALSE(result.diaryOpen);
        EXPECT_TRUE(m_ctx.DiaryDbPath.empty());
        EXPECT_FALSE(reg().RegKeyExists(kHkeyLocalMachine, "SOFTWARE\\Tarvenholme"));
    }
    LoadHostSettings(m_ctx, std::string(255, 'k'));
    EXPECT_TRUE(reg().RegKeyExists(kHkeyLocalMachine, m_ctx.AddonRegKey));
}

TEST_F(HostSettingsTest, createsMissingKeysInMachineHiveWithoutClass) {
    LoadHostSettings(m_ctx, "");
    EXPECT_EQ(KeyClass(*m_backend, kHostKey), "");
    EXPECT_EQ(KeyClass(*m_backend, kAddonKey), "");
    EXPECT_FALSE(reg().RegKeyExists(kHkeyCurrentUser, kHostKey));
}

TEST_F(HostSettingsTest, userValueWinsOverMachineValueUnlessEmpty) {
    const std::string other = m_dir.file("other.VLD");
    std::ofstream(other) << "other";
    const auto expand = [&](const std::string& text) {
        return (text == "@" ? m_diary : text == "#" ? other : text) + '\0';
    };
    const struct {
        const char* label;
        std::optional<std::string> machine;  // "@" stands for the diary's path
        std::optional<std::string> user;
        bool expectOpen;
    } cases[] = {
        {"both set", "#", "@", true},
        {"user empty", "@", ""s, true},
        {"user only", std::nullopt, "@", true},
        {"machine only", "@", std::nullopt, true},
        {"neither", std::nullopt, std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Context ctx;
        auto backend = MakeFileRegistryBackend(m_dir.file(c.label + ".reg"s));
        ctx.registry = std::make_shared<Registry>(backend);
        if (c.machine) {
            StoreValue(*backend, kHkeyLocalMachine, kHostKey, "DataBaseName", kRegSz,
                       expand(*c.machine));
        }
        if (c.user) {
            StoreValue(*backend, kHkeyCurrentUser, kHostKey, "DataBaseName", kRegSz,
                       expand(*c.user));
        }
        EXPECT_EQ(LoadHostSettings(ctx, "").diaryOpen, c.expectOpen);
        EXPECT_EQ(ctx.DiaryDbPath, c.expectOpen ? m_diary : "");
    }
}

TEST_F(HostSettingsTest, findsOnlyNormalFiles) {
    const std::string hidden = m_dir.file(".hidden.VLD");
    std::ofstream(hidden) << "x";
#ifdef _WIN32
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
#endif
    const std::string folder = m_dir.file("folder.VLD");
    std::filesystem::create_directory(folder);
    for (const std::string& path :
         {m_dir.file("missing.VLD"), hidden, folder, m_dir.file("*.VLD"), m_diary + "/"}) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(reg().RegWriteString(kHkeyLocalMachine, kHostKey, "DataBaseName", path));
        EXPECT_FALSE(LoadHostSettings(m_ctx, "").diaryOpen);
        EXPECT_EQ(m_ctx.DiaryDbPath, "");
    }
}

// The text is read as ParseInt16 reads it; a blank, as the empty text is stored, reads as 0.
TEST_F(HostSettingsTest, readsLastMeterAsListPosition) {
    EXPECT_EQ(LoadHostSettings(m_ctx, "").lastMeterPosition, 0);  // missing
    const struct {
        std::string stored;
        std::optional<int> position;
    } cases[] = {{"2", 2}, {"x", std::nullopt}, {"", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_TRUE(reg().RegWriteString(kHkeyLocalMachine, kAddonKey, "LastMeter", c.stored));
        EXPECT_EQ(LoadHostSettings(m_ctx, "").lastMeterPosition, c.position);
    }
}

// A diary file given on the command line instead of the host's.
using DiaryFileTest = HostSettingsTest;

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

TEST_F(DiaryFileTest, diaryFileReplacesTheHostsDiaryAndKeepsTheRestOrIsRefused) {
    // Without a diary file a missing host diary is refused without a reason.
    const HostSettingsResult hostRefusal = LoadHostSettings(m_ctx, "");
    EXPECT_FALSE(hostRefusal.diaryOpen);
    EXPECT_TRUE(hostRefusal.refusalReason.empty());
    const std::string hostDiary = m_dir.file("host.vld");
    std::ofstream(hostDiary) << "diary";
    reg().RegWriteString(kHkeyCurrentUser, kHostKey, "DataBaseName", hostDiary);
    reg().RegWriteString(kHkeyLocalMachine, kAddonKey, "LastMeter", "3");
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
    // An unusable diary file is refused even with a host diary.
    m_ctx.diaryFile = m_dir.file("fehlt.vld");
    const HostSettingsResult refused = LoadHostSettings(m_ctx, "");
    EXPECT_FALSE(refused.diaryOpen);
    EXPECT_EQ(refused.refusalReason, "Die Datei ist nicht vorhanden: " + m_ctx.diaryFile);
    EXPECT_TRUE(m_ctx.DiaryDbPath.empty());
}

}  // namespace
}  // namespace stripstock
