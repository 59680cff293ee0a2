// The registry operations over each backend: every case runs unchanged on the text store and,
// on Windows, on the Win32 registry.

#include "host/Registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "RegistryBackends.h"
#include "host/RegistryBackend.h"
#include "support/RecordingBackend.h"
#include "support/TempDir.h"

namespace stripstock {
namespace {

using namespace std::string_literals;
using test::BackendCase;
using test::RecordingBackend;
using test::TempDir;
using ::testing::ElementsAre;

std::string CaseName(const ::testing::TestParamInfo<BackendCase>& info) { return info.param.name; }

const std::string kKey = "SOFTWARE\\StripStockTest\\Values";

class RegistryTest : public ::testing::TestWithParam<BackendCase> {
  protected:
    void SetUp() override {
        m_backend = std::make_shared<RecordingBackend>(GetParam().make(m_dir));
        m_reg = std::make_unique<Registry>(m_backend);
    }
    void TearDown() override { EXPECT_EQ(m_backend->openKeys(), 0) << "a key was left open"; }

    void Store(const std::string& key, const std::string& name, std::uint32_t type,
               const std::string& data) {
        test::StoreValue(*m_backend, kHkeyLocalMachine, key, name, type, data);
    }

    // Type and bytes as stored.
    std::pair<std::uint32_t, std::string> Raw(const std::string& key, const std::string& name) {
        RegKey handle = 0;
        EXPECT_EQ(m_backend->OpenKey(kHkeyLocalMachine, key, kAccessRead, handle), 0);
        std::uint32_t type = 0;
        std::uint32_t size = 1 << 20;
        std::string data;
        EXPECT_EQ(m_backend->QueryValue(handle, name, type, &data, size), 0);
        m_backend->CloseKey(handle);
        return {type, data};
    }

    std::string ClassOf(const std::string& key) { return test::KeyClass(*m_backend, key); }

    TempDir m_dir;
    std::shared_ptr<RecordingBackend> m_backend;
    std::unique_ptr<Registry> m_reg;
};

struct ReadCase {
    const char* label;
    std::uint32_t type;
    std::string data;
    std::string expected;  // "dflt": the caller's default stands
};

TEST_P(RegistryTest, readValueGivesTrimmedTextOrFailsOrKeepsDefault) {
    const std::vector<ReadCase> cases = {
        {"empty string", kRegSz, "\0"s, "dflt"},
        {"string of no bytes", kRegSz, "", "dflt"},
        {"plain text", kRegSz, "abc\0"s, "abc"},
        {"stored without NUL", kRegSz, "abc", "abc"},
        {"blanks and controls around", kRegSz, " \tabc\r\n\0 "s, "abc"},
        {"umlauts", kRegSz, "M\xC3\xBCller\0"s, "M\xC3\xBCller"},
        {"expand string not expanded", kRegExpandSz, "%TEMP%\\x\0"s, "%TEMP%\\x"},
        {"dword 5", kRegDword, "\x05\0\0\0"s, "5"},
        {"dword 0", kRegDword, "\0\0\0\0"s, "0"},
        {"negative dword", kRegDword, "\xF9\xFF\xFF\xFF"s, "-7"},
        {"binary", kRegBinary, "\x01\x02"s, "dflt"},
        {"multi string", kRegMultiSz, "a\0b\0\0"s, "dflt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Store(kKey, "v", c.type, c.data);
        std::string value = "dflt";
        EXPECT_TRUE(m_reg->RegReadValue(kHkeyLocalMachine, kKey, "v", value));
        EXPECT_EQ(value, c.expected);
    }
    // Missing values and keys, the other hive and a DWORD longer than four bytes fail.
    Store(kKey, "present", kRegSz, "x\0"s);
    std::string value = "dflt";
    EXPECT_FALSE(m_reg->RegReadValue(kHkeyLocalMachine, kKey, "absent", value));
    EXPECT_FALSE(m_reg->RegReadValue(kHkeyLocalMachine, kKey + "\\None", "present", value));
    EXPECT_FALSE(m_reg->RegReadValue(kHkeyCurrentUser, kKey, "present", value));
    for (const std::string& data : {"\x01\0\0\0\0\0\0\0"s, "\x01\0\0\0\0"s}) {
        Store(kKey, "v", kRegDword, data);
        EXPECT_FALSE(m_reg->RegReadValue(kHkeyLocalMachine, kKey, "v", value)) << data.size();
    }
    EXPECT_EQ(value, "dflt");
}

TEST_P(RegistryTest, writeStringStoresTextWithNulInKeyOfClassStringWhenNew) {
    EXPECT_TRUE(m_reg->RegWriteString(kHkeyLocalMachine, kKey, "LastMeter", "3"));
    EXPECT_EQ(Raw(kKey, "LastMeter"), std::make_pair(kRegSz, "3\0"s));
    EXPECT_TRUE(m_reg->RegWriteString(kHkeyLocalMachine, kKey, "LastMeter", 12));
    EXPECT_EQ(Raw(kKey, "LastMeter"), std::make_pair(kRegSz, "12\0"s));
    // Empty text is stored as a blank, which reads back as the default.
    EXPECT_TRUE(m_reg->RegWriteString(kHkeyLocalMachine, kKey, "v", ""));
    EXPECT_EQ(Raw(kKey, "v"), std::make_pair(kRegSz, " \0"s));
    std::string value = "dflt";
    EXPECT_TRUE(m_reg->RegReadValue(kHkeyLocalMachine, kKey, "v", value));
    EXPECT_EQ(value, "dflt");
    EXPECT_EQ(ClassOf(kKey), "string");
    // RegCreateKeyExA gives the class to every key it creates on the way.
    EXPECT_EQ(ClassOf("SOFTWARE\\StripStockTest"), "string");
    // An existing key keeps its class.
    EXPECT_TRUE(m_reg->RegAddKey(kHkeyLocalMachine, kKey + "\\Old", ""));
    EXPECT_TRUE(m_reg->RegWriteString(kHkeyLocalMachine, kKey + "\\Old", "v", "x"));
    EXPECT_EQ(ClassOf(kKey + "\\Old"), "");
}

TEST_P(RegistryTest, addKeyIsTrueOnlyForNewKey) {
    EXPECT_TRUE(m_reg->RegAddKey(kHkeyLocalMachine, kKey, "cls"));
    Store(kKey, "v", kRegSz, "keep\0"s);
    EXPECT_FALSE(m_reg->RegAddKey(kHkeyLocalMachine, kKey, "other"));
    EXPECT_EQ(ClassOf(kKey), "cls");
    EXPECT_EQ(Raw(kKey, "v"), std::make_pair(kRegSz, "keep\0"s));
    // The parent came into being with the key.
    EXPECT_FALSE(m_reg->RegAddKey(kHkeyLocalMachine, "SOFTWARE\\StripStockTest", ""));
}

TEST_P(RegistryTest, getAllKeysListsDirectSubkeysSortedIgnoringCase) {
    for (const char* name : {"beta", "Alpha", "gamma\\deeper", "ALPHA2"})
        EXPECT_TRUE(m_reg->RegAddKey(kHkeyLocalMachine, kKey + "\\" + name, ""));
    std::vector<std::string> names{""};
    m_reg->GetAllKeys(kHkeyLocalMachine, kKey, names);
    EXPECT_THAT(names, ElementsAre("Alpha", "ALPHA2", "beta", "gamma"));
    // Nothing to list leaves the array as it was.
    names = {""};
    m_reg->GetAllKeys(kHkeyLocalMachine, kKey + "\\gamma\\deeper", names);
    m_reg->GetAllKeys(kHkeyLocalMachine, kKey + "\\Missing", names);
    m_reg->GetAllKeys(0, kKey, names);
    EXPECT_THAT(names, ElementsAre(""));
}

TEST_P(RegistryTest, opensKeysWithTheirAccessMasks) {
    Store(kKey, "v", kRegSz, "x\0"s);
    m_backend->takeAccesses();
    m_reg->RegKeyExists(kHkeyLocalMachine, kKey);
    EXPECT_THAT(m_backend->takeAccesses(), ElementsAre(0x19u));
    std::string value;
    m_reg->RegReadValue(kHkeyLocalMachine, kKey, "v", value);
    EXPECT_THAT(m_backend->takeAccesses(), ElementsAre(0x19u));
    m_reg->RegAddKey(kHkeyLocalMachine, kKey, "");
    EXPECT_THAT(m_backend->takeAccesses(), ElementsAre(0x3Fu));
    m_reg->RegWriteString(kHkeyLocalMachine, kKey + "\\New", "v", "x");
    EXPECT_THAT(m_backend->takeAccesses(), ElementsAre(0x19u, 0x3Fu, 0x3Fu));
    std::vector<std::string> names;
    m_reg->GetAllKeys(kHkeyLocalMachine, kKey, names);
    EXPECT_THAT(m_backend->takeAccesses(), ElementsAre(0x20019u));
}

TEST_P(RegistryTest, keyPathsIgnoreTrailingAndRepeatedSeparatorsButNotALeadingOne) {
    EXPECT_TRUE(m_reg->RegAddKey(kHkeyLocalMachine, kKey + "\\\\Deep\\\\", ""));
    EXPECT_TRUE(m_reg->RegKeyExists(kHkeyLocalMachine, kKey + "\\Deep"));
    EXPECT_FALSE(m_reg->RegAddKey(kHkeyLocalMachine, kKey + "\\Deep\\", ""));
    EXPECT_TRUE(m_reg->RegWriteString(kHkeyLocalMachine, kKey + "\\\\Deep", "v", "x"));
    // A module path built from an empty subkey name ends in a separator.
    std::string value;
    EXPECT_TRUE(m_reg->RegReadValue(kHkeyLocalMachine, kKey + "\\Deep\\", "v", value));
    EXPECT_EQ(value, "x");
    std::vector<std::string> names;
    m_reg->GetAllKeys(kHkeyLocalMachine, kKey + "\\", names);
    EXPECT_THAT(names, ElementsAre("Deep"));
    EXPECT_FALSE(m_reg->RegKeyExists(kHkeyLocalMachine, "\\" + kKey));
}

// Key info counts characters, not bytes.
TEST_P(RegistryTest, carriesWindows1252TextInNamesValuesAndKeyInfo) {
    const std::string key = kKey + "\\Z\xC3\xA4hler";                      // Zähler
    const std::string text = "\xE2\x82\xAC 5 \xC3\xBC \xC3\x9F \xC5\xA0";  // € 5 ü ß Š
    EXPECT_TRUE(m_reg->RegAddKey(kHkeyLocalMachine, key, "Kl\xC3\xA4sse"));
    EXPECT_TRUE(m_reg->RegWriteString(kHkeyLocalMachine, key, "Ma\xC3\x9F", text));  // Maß
    EXPECT_EQ(Raw(key, "Ma\xC3\x9F"), std::make_pair(kRegSz, text + '\0'));
    std::string value;
    EXPECT_TRUE(
        m_reg->RegReadValue(kHkeyLocalMachine, kKey + "\\Z\xC3\x84HLER", "MA\xC3\x9F", value));
    EXPECT_EQ(value, text);
    std::vector<std::string> names;
    m_reg->GetAllKeys(kHkeyLocalMachine, kKey, names);
    EXPECT_THAT(names, ElementsAre("Z\xC3\xA4hler"));
    EXPECT_TRUE(m_reg->RegAddKey(kHkeyLocalMachine, kKey + "\\ab\\deeper", ""));
    RegKey handle = 0;
    ASSERT_EQ(m_backend->OpenKey(kHkeyLocalMachine, kKey, kAccessKeyRead, handle), kErrorSuccess);
    std::uint32_t subKeys = 0;
    std::uint32_t maxSubKeyLen = 0;
    std::uint32_t maxClassLen = 0;
    EXPECT_EQ(m_backend->QueryInfoKey(handle, subKeys, maxSubKeyLen, maxClassLen), kErrorSuccess);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(maxSubKeyLen, 6u);
    EXPECT_EQ(maxClassLen, 6u);
    std::string name;
    EXPECT_EQ(m_backend->EnumKey(handle, 1, name), kErrorSuccess);
    EXPECT_EQ(name, "Z\xC3\xA4hler");
    EXPECT_EQ(m_backend->EnumKey(handle, 2, name), kErrorNoMoreItems);
    m_backend->CloseKey(handle);
    // Subkeys without a class: the longest class is empty.
    ASSERT_EQ(m_backend->OpenKey(kHkeyLocalMachine, kKey + "\\ab", kAccessKeyRead, handle),
              kErrorSuccess);
    EXPECT_EQ(m_backend->QueryInfoKey(handle, subKeys, maxSubKeyLen, maxClassLen), kErrorSuccess);
    EXPECT_EQ(std::make_tuple(subKeys, maxSubKeyLen, maxClassLen), std::make_tuple(1u, 6u, 0u));
    m_backend->CloseKey(handle);
}

TEST_P(RegistryTest, backendAnswersWithWin32ErrorCodesAndEndsStringsWithNul) {
    RegistryBackend& backend = *m_backend;
    RegKey key = 0;
    std::uint32_t disposition = 0;
    EXPECT_EQ(backend.OpenKey(0x80000000u, "", kAccessRead, key), kErrorInvalidHandle);
    EXPECT_EQ(backend.CreateKey(0x80000003u, "X", "", kAccessAll, key, disposition),
              kErrorInvalidHandle);
    EXPECT_EQ(backend.OpenKey(0, "X", kAccessRead, key), kErrorInvalidHandle);
    EXPECT_EQ(backend.OpenKey(kHkeyLocalMachine, "Missing", kAccessRead, key), kErrorFileNotFound);
    EXPECT_EQ(backend.OpenKey(kHkeyLocalMachine, "\\A", kAccessRead, key), kErrorBadPathname);
    EXPECT_EQ(backend.CreateKey(kHkeyLocalMachine, "\\A", "", kAccessAll, key, disposition),
              kErrorBadPathname);
    ASSERT_EQ(backend.CreateKey(kHkeyLocalMachine, "A\\", "", kAccessAll, key, disposition),
              kErrorSuccess);
    EXPECT_EQ(disposition, kRegCreatedNewKey);
    EXPECT_EQ(backend.SetValue(key, "v", kRegSz, "x\0"s), kErrorSuccess);
    std::uint32_t type = 0;
    std::uint32_t size = 1;
    std::string data = "untouched";
    EXPECT_EQ(backend.QueryValue(key, "v", type, &data, size), kErrorMoreData);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(data, "untouched");
    size = 0;
    EXPECT_EQ(backend.QueryValue(key, "V", type, nullptr, size), kErrorSuccess);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(backend.QueryValue(key, "none", type, nullptr, size), kErrorFileNotFound);
    EXPECT_EQ(backend.DeleteValue(key, "none"), kErrorFileNotFound);
    EXPECT_EQ(backend.DeleteValue(key, "v"), kErrorSuccess);
    EXPECT_EQ(backend.QueryValue(key, "v", type, nullptr, size), kErrorFileNotFound);
    EXPECT_EQ(backend.FlushKey(key), kErrorSuccess);
    EXPECT_EQ(backend.CloseKey(key), kErrorSuccess);
    EXPECT_EQ(backend.SetValue(key, "v", kRegSz, "x\0"s), kErrorInvalidHandle);
    ASSERT_EQ(backend.CreateKey(kHkeyLocalMachine, "a", "", kAccessAll, key, disposition),
              kErrorSuccess);
    EXPECT_EQ(disposition, kRegOpenedExistingKey);
    EXPECT_EQ(backend.CloseKey(key), kErrorSuccess);
    // Reading rights do not let a value be set.
    ASSERT_EQ(backend.OpenKey(kHkeyLocalMachine, "a", kAccessRead, key), kErrorSuccess);
    EXPECT_EQ(backend.SetValue(key, "v", kRegSz, "y\0"s), kErrorAccessDenied);
    EXPECT_EQ(backend.CloseKey(key), kErrorSuccess);
    // A string stored without NUL gets one; other data stays as given.
    Store(kKey, "sz", kRegSz, "abc");
    Store(kKey, "multi", kRegMultiSz, "a\0b\0"s);
    Store(kKey, "empty", kRegSz, "");
    Store(kKey, "binary", kRegBinary, "abc");
    EXPECT_EQ(Raw(kKey, "sz"), std::make_pair(kRegSz, "abc\0"s));
    EXPECT_EQ(Raw(kKey, "multi"), std::make_pair(kRegMultiSz, "a\0b\0"s));
    EXPECT_EQ(Raw(kKey, "empty"), std::make_pair(kRegSz, ""s));
    EXPECT_EQ(Raw(kKey, "binary"), std::make_pair(kRegBinary, "abc"s));
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryTest, ::testing::ValuesIn(test::AllBackends()),
                         CaseName);

#ifdef _WIN32
// The ANSI functions cannot carry what Windows-1252 lacks; the text store keeps such text.
TEST(Win32RegistryTest, replacesCharactersOutsideWindows1252WithQuestionMarks) {
    Registry reg(test::MakeScratchWin32Backend());
    const std::string omega = "\xCE\xA9";
    EXPECT_TRUE(reg.RegWriteString(kHkeyCurrentUser, kKey + "\\" + omega, omega, omega + "mega"));
    std::string value;
    EXPECT_TRUE(reg.RegReadValue(kHkeyCurrentUser, kKey + "\\?", "?", value));
    EXPECT_EQ(value, "?mega");
}
#endif

}  // namespace
}  // namespace stripstock
