#include "host/FileRegistryBackend.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "RegistryBackends.h"
#include "host/Registry.h"
#include "support/Files.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "text/UserText.h"

namespace stripstock {
namespace {

using namespace std::string_literals;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

class FileRegistryBackendTest : public ::testing::Test {
  protected:
    // The store as the host left it.
    void Seed(const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(m_file).parent_path());
        WriteBytes(m_file, bytes);
    }

    TempDir m_dir;
    std::string m_file = m_dir.file("config/stripstock/registry.reg");
};

TEST_F(FileRegistryBackendTest, missingFileIsEmptyRegistryAndFirstWriteCreatesIt) {
    FileRegistryBackend backend(m_file);
    Registry reg(std::shared_ptr<RegistryBackend>(&backend, [](RegistryBackend*) {}));
    std::string value = "dflt";
    EXPECT_FALSE(reg.RegKeyExists(kHkeyLocalMachine, "SOFTWARE"));
    EXPECT_FALSE(reg.RegReadValue(kHkeyLocalMachine, "SOFTWARE", "x", value));
    // A key line cannot hold a line break, which the Win32 registry would accept; the error
    // codes shared with it are checked on every backend in RegistryTest.
    RegKey key = 0;
    std::uint32_t disposition = 0;
    EXPECT_EQ(backend.CreateKey(kHkeyLocalMachine, "A\nB", "", kAccessAll, key, disposition),
              kErrorBadPathname);
    EXPECT_EQ(backend.OpenKey(kHkeyLocalMachine, "A\rB", kAccessRead, key), kErrorBadPathname);
    EXPECT_FALSE(std::filesystem::exists(m_file));
    EXPECT_TRUE(reg.RegWriteString(kHkeyLocalMachine, "SOFTWARE\\X", "v", "1"));
    EXPECT_EQ(ReadBytes(m_file),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n;class=\"string\"\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n;class=\"string\"\r\n\"v\"=\"1\"\r\n\r\n");
}

TEST_F(FileRegistryBackendTest, everyCallSeesTheFileAsItIsNow) {
    Seed("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=\"old\"\n");
    FileRegistryBackend backend(m_file);
    RegKey key = 0;
    ASSERT_EQ(backend.OpenKey(kHkeyCurrentUser, "K", kAccessAll, key), kErrorSuccess);
    // The host rewrites the file while the key is open.
    WriteBytes(m_file,
               "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=\"new\"\n");
    std::uint32_t type = 0;
    std::uint32_t size = 100;
    std::string data;
    EXPECT_EQ(backend.QueryValue(key, "v", type, &data, size), kErrorSuccess);
    EXPECT_EQ(data, "new\0"s);
    WriteBytes(m_file, "Windows Registry Editor Version 5.00\n");
    EXPECT_EQ(backend.QueryValue(key, "v", type, &data, size), kErrorKeyDeleted);
    EXPECT_EQ(backend.SetValue(key, "v", kRegSz, "x\0"s), kErrorKeyDeleted);
    EXPECT_EQ(backend.CloseKey(key), kErrorSuccess);
}

TEST_F(FileRegistryBackendTest, keepsClassAndValuesAcrossInstances) {
    {
        Registry reg(MakeFileRegistryBackend(m_file));
        EXPECT_TRUE(reg.RegAddKey(kHkeyLocalMachine, "SOFTWARE\\Classy", "my \"class\""));
        EXPECT_TRUE(reg.RegWriteString(kHkeyLocalMachine, "SOFTWARE\\Classy", "v", "w"));
    }
    EXPECT_EQ(test::KeyClass(*MakeFileRegistryBackend(m_file), "software\\classy"), "my \"class\"");
    Registry reg(MakeFileRegistryBackend(m_file));
    std::string value;
    EXPECT_TRUE(reg.RegReadValue(kHkeyLocalMachine, "SOFTWARE\\Classy", "v", value));
    EXPECT_EQ(value, "w");
}

TEST_F(FileRegistryBackendTest, writeLeavesAnEqualValueUntouchedAndAppendsANewOne) {
    // Lines the store does not use are kept by RegDocument; here the file itself is at stake.
    const std::string text =
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"same\"\n";
    Seed(text);
    Registry reg(MakeFileRegistryBackend(m_file));
#ifndef _WIN32
    struct stat before {};
    ASSERT_EQ(::stat(m_file.c_str(), &before), 0);
#endif
    EXPECT_TRUE(reg.RegWriteString(kHkeyLocalMachine, "K", "v", "same"));
#ifndef _WIN32
    struct stat after {};
    ASSERT_EQ(::stat(m_file.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino) << "the file was replaced";
#endif
    EXPECT_EQ(ReadBytes(m_file), text);
    EXPECT_TRUE(reg.RegWriteString(kHkeyLocalMachine, "K", "w", "new"));
    EXPECT_EQ(ReadBytes(m_file), text + "\"w\"=\"new\"\n");
}

TEST_F(FileRegistryBackendTest, neverRewritesAFileThatIsNoStore) {
    for (const std::string& text :
         {"\xFF\xFEW\0i\0n\0"s, "\xFF\xFEW\0"s, "garbage\n[HKLM\\K]\n"s}) {
        Seed(text);
        Registry reg(MakeFileRegistryBackend(m_file));
        EXPECT_FALSE(reg.RegKeyExists(kHkeyLocalMachine, ""));
        EXPECT_FALSE(reg.RegWriteString(kHkeyLocalMachine, "K", "v", "x"));
        EXPECT_FALSE(reg.RegAddKey(kHkeyLocalMachine, "K", ""));
        EXPECT_EQ(ReadBytes(m_file), text);
        EXPECT_THAT(reg.backend().StoreProblem(), ::testing::HasSubstr(m_file));
    }
}

TEST_F(FileRegistryBackendTest, readsAndKeepsAUtf16StoreWithByteOrderMark) {
    const std::string utf8 =
        "Windows Registry Editor Version "
        "5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"v\"=\"Gr\xC3\xB6\xC3\x9F\x65\"\r\n";
    for (const bool bigEndian : {false, true}) {
        const std::string utf16 =
            (bigEndian ? "\xFE\xFF"s : "\xFF\xFE"s) + Utf8ToUtf16Bytes(utf8, bigEndian);
        Seed(utf16);
        Registry reg(MakeFileRegistryBackend(m_file));
        std::string value;
        EXPECT_TRUE(reg.RegReadValue(kHkeyLocalMachine, "K", "v", value));
        EXPECT_EQ(value, "Gr\xC3\xB6\xC3\x9F\x65");
        EXPECT_TRUE(reg.RegWriteString(kHkeyLocalMachine, "K", "w", "neu"));
        EXPECT_EQ(ReadBytes(m_file).substr(0, utf16.size()), utf16);
        EXPECT_TRUE(reg.RegReadValue(kHkeyLocalMachine, "K", "w", value));
        EXPECT_EQ(value, "neu");
    }
    // A store of nothing but the mark has no keys yet and stays UTF-16 when written.
    for (const std::string& mark : {"\xFF\xFE"s, "\xFE\xFF"s}) {
        Seed(mark);
        Registry reg(MakeFileRegistryBackend(m_file));
        EXPECT_TRUE(reg.RegWriteString(kHkeyLocalMachine, "K", "v", "1"));
        EXPECT_EQ(ReadBytes(m_file).substr(0, 2), mark);
    }
}

#ifndef _WIN32
TEST_F(FileRegistryBackendTest, removesTemporariesLeftByKilledWritersOnTheNextWrite) {
    Registry reg(MakeFileRegistryBackend(m_file));
    ASSERT_TRUE(reg.RegWriteString(kHkeyLocalMachine, "K", "v", "1"));
    for (const char* suffix : {".tmp-a1B2c3", ".tmp-ZZZZZZ"}) WriteBytes(m_file + suffix, "half");
    for (const char* suffix : {".lock2", ".backup", ".tmp-a1B2c", ".tmp-a1B2c3d", ".tmp-a-B2c3"})
        WriteBytes(m_file + suffix, "not ours");
    ASSERT_TRUE(reg.RegWriteString(kHkeyLocalMachine, "K", "v", "2"));
    EXPECT_FALSE(std::filesystem::exists(m_file + ".tmp-a1B2c3"));
    EXPECT_FALSE(std::filesystem::exists(m_file + ".tmp-ZZZZZZ"));
    for (const char* suffix : {".lock2", ".backup", ".tmp-a1B2c", ".tmp-a1B2c3d", ".tmp-a-B2c3"})
        EXPECT_TRUE(std::filesystem::exists(m_file + suffix)) << suffix;
}

TEST_F(FileRegistryBackendTest, concurrentWritersFromTwoProcessesLoseNothing) {
    constexpr int kPerChild = 50;
    std::vector<pid_t> children;
    for (int child = 0; child < 2; ++child) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            Registry reg(MakeFileRegistryBackend(m_file));
            bool ok = true;
            for (int i = 0; i < kPerChild; ++i) {
                const std::string name = "c" + std::to_string(child) + "v" + std::to_string(i);
                ok = reg.RegWriteString(kHkeyLocalMachine, "SOFTWARE\\Race", name, name) && ok;
            }
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Registry reg(MakeFileRegistryBackend(m_file));
    int found = 0;
    for (int child = 0; child < 2; ++child) {
        for (int i = 0; i < kPerChild; ++i) {
            const std::string name = "c" + std::to_string(child) + "v" + std::to_string(i);
            std::string value;
            found +=
                reg.RegReadValue(kHkeyLocalMachine, "SOFTWARE\\Race", name, value) && value == name;
        }
    }
    EXPECT_EQ(found, 2 * kPerChild);
}

TEST(DefaultRegistryPathTest, prefersExplicitPathThenXdgThenHome) {
    test::ScopedEnv explicitPath("STRIPSTOCK_REGISTRY", nullptr);
    test::ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    test::ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(DefaultRegistryPath(), "/home/someone/.config/stripstock/registry.reg");
    xdg.Set("relative/ignored");
    EXPECT_EQ(DefaultRegistryPath(), "/home/someone/.config/stripstock/registry.reg");
    xdg.Set("/xdg");
    EXPECT_EQ(DefaultRegistryPath(), "/xdg/stripstock/registry.reg");
    explicitPath.Set("/tmp/elsewhere.reg");
    EXPECT_EQ(DefaultRegistryPath(), "/tmp/elsewhere.reg");
}

#endif  // _WIN32

}  // namespace
}  // namespace stripstock
