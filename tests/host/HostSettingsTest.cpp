#include "host/HostSettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "host/Registry.h"
#include "support/TempDir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace stripstock {
namespace {

using namespace std::string_literals;
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

    // A REG_SZ exactly as given, bypassing the blank that RegWriteString stores for "".
    void StoreRaw(std::uint32_t hive, const std::string& key, const std::string& name,
                  std::uint32_t type, const std::string& data) {
        RegKey handle = 0;
        std::uint32_t disposition = 0;
        ASSERT_EQ(m_backend->CreateKey(hive, key, "", kAccessAll, handle, disposition), 0);
        EXPECT_EQ(m_backend->SetValue(handle, name, type, data), 0);
        m_backend->CloseKey(handle);
    }

    std::string ClassOf(const std::string& key) {
        RegKey handle = 0;
        EXPECT_EQ(m_backend->OpenKey(kHkeyLocalMachine, key, kAccessRead, handle), 0);
        std::string className = "(unset)";
        m_backend->QueryKeyClass(handle, className);
        m_backend->CloseKey(handle);
        return className;
    }

    TempDir m_dir;
    std::shared_ptr<RegistryBackend> m_backend;
    Context m_ctx;
    std::string m_diary;
};

struct CommandLineCase {
    std::string commandLine;
    std::string hostKeyName;
};

void PrintTo(const CommandLineCase& c, std::ostream* os) {
    *os << ::testing::PrintToString(c.commandLine);
}

class CommandLineTest : public HostSettingsTest,
                        public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(CommandLineTest, takesHostKeyFromFieldBeforeFirstBar) {
    LoadHostSettings(m_ctx, GetParam().commandLine);
    const std::string host = "SOFTWARE\\Tarvenholme\\" + GetParam().hostKeyName;
    EXPECT_EQ(m_ctx.HostKeyName, GetParam().hostKeyName);
    EXPECT_EQ(m_ctx.HostRegKey, host);
    EXPECT_EQ(m_ctx.AddonRegKey, host + "\\bonus\\TestStrip");
    EXPECT_TRUE(reg().RegKeyExists(kHkeyLocalMachine, m_ctx.AddonRegKey));
    EXPECT_EQ(m_ctx.DbPassword, "quomba");
}

INSTANTIATE_TEST_SUITE_P(CommandLines, CommandLineTest,
                         ::testing::Values(CommandLineCase{"", "VELLIND4"},
                                           CommandLineCase{"ABC|x|y", "ABC"},
                                           CommandLineCase{"|x", "VELLIND4"},
                                           CommandLineCase{" lead", " lead"},
                                           CommandLineCase{"Host 2|", "Host 2"}));

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
    EXPECT_EQ(ClassOf(kHostKey), "");
    EXPECT_EQ(ClassOf(kAddonKey), "");
    EXPECT_FALSE(reg().RegKeyExists(kHkeyCurrentUser, kHostKey));
}

TEST_F(HostSettingsTest, leavesExistingKeysAsTheyAre) {
    EXPECT_TRUE(reg().RegAddKey(kHkeyLocalMachine, kHostKey, "host"));
    EXPECT_TRUE(reg().RegWriteString(kHkeyLocalMachine, kAddonKey, "LastMeter", "1"));
    LoadHostSettings(m_ctx, "");
    EXPECT_EQ(ClassOf(kHostKey), "host");
    EXPECT_EQ(ClassOf(kAddonKey), "string");
}

struct DiaryCase {
    const char* label;
    std::optional<std::string> machine;  // "@" stands for the diary's path
    std::optional<std::string> user;
    bool expectOpen;
};

TEST_F(HostSettingsTest, userValueWinsOverMachineValueUnlessEmpty) {
    const std::string other = m_dir.file("other.VLD");
    std::ofstream(other) << "other";
    const auto expand = [&](const std::string& text) {
        return text == "@" ? m_diary : text == "#" ? other : text;
    };
    const DiaryCase cases[] = {
        {"both set", "#", "@", true},
        {"user empty", "@", ""s, true},
        {"user blank", "@", " "s, true},
        {"user only", std::nullopt, "@", true},
        {"machine only", "@", std::nullopt, true},
        {"neither", std::nullopt, std::nullopt, false},
        {"both empty", ""s, ""s, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir dir;
        Context ctx;
        auto backend = MakeFileRegistryBackend(dir.file("registry.reg"));
        ctx.registry = std::make_shared<Registry>(backend);
        const auto store = [&](std::uint32_t hive, const std::optional<std::string>& value) {
            if (!value) {
                return;
            }
            RegKey handle = 0;
            std::uint32_t disposition = 0;
            ASSERT_EQ(backend->CreateKey(hive, kHostKey, "", kAccessAll, handle, disposition), 0);
            backend->SetValue(handle, "DataBaseName", kRegSz, expand(*value) + '\0');
            backend->CloseKey(handle);
        };
        store(kHkeyLocalMachine, c.machine);
        store(kHkeyCurrentUser, c.user);
        const auto result = LoadHostSettings(ctx, "");
        EXPECT_EQ(result.diaryOpen, c.expectOpen);
        EXPECT_EQ(ctx.DiaryDbPath, c.expectOpen ? m_diary : "");
    }
}

TEST_F(HostSettingsTest, trimsTheDiaryPath) {
    StoreRaw(kHkeyLocalMachine, kHostKey, "DataBaseName", kRegSz, " \t" + m_diary + " \r\n\0"s);
    EXPECT_TRUE(LoadHostSettings(m_ctx, "").diaryOpen);
    EXPECT_EQ(m_ctx.DiaryDbPath, m_diary);
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

TEST_F(HostSettingsTest, readsLastMeterAsListPosition) {
    EXPECT_EQ(LoadHostSettings(m_ctx, "").lastMeterPosition, 0);  // missing

    const struct {
        std::string stored;
        std::optional<int> position;
    } cases[] = {
        {"2", 2},   {"x", std::nullopt},     {"11", 11}, {" 3 ", 3}, {"2,5", 2}, {"", 0},
        {"-1", -1}, {"40000", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_TRUE(reg().RegWriteString(kHkeyLocalMachine, kAddonKey, "LastMeter", c.stored));
        EXPECT_EQ(LoadHostSettings(m_ctx, "").lastMeterPosition, c.position);
    }
    StoreRaw(kHkeyLocalMachine, kAddonKey, "LastMeter", kRegDword, "\x04\0\0\0"s);
    EXPECT_EQ(LoadHostSettings(m_ctx, "").lastMeterPosition, 4);
}

TEST_F(HostSettingsTest, withoutRegistryFindsNoDiary) {
    Context ctx;
    const auto result = LoadHostSettings(ctx, "X|y");
    EXPECT_FALSE(result.diaryOpen);
    EXPECT_EQ(ctx.HostKeyName, "X");
    EXPECT_EQ(result.lastMeterPosition, 0);
}

}  // namespace
}  // namespace stripstock
