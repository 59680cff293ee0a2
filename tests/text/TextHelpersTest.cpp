#include "text/TextHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/Files.h"
#include "support/TempDir.h"
#include "text/CaseFold.h"

namespace stripstock {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

TEST(TextHelpersTest, trimStripsControlCharsBelow20AndBlanksAtBothEnds) {
    const struct {
        std::string input, expected;
    } cases[] = {{"", ""},
                 {" \t\r\n  \n", ""},
                 {"\0"s, ""},
                 {"\0abc "s, ""},
                 {"  word  ", "word"},
                 {"two words here", "two words here"},
                 {"\tvalue\r\n", "value"},
                 {"esc\x1b", "esc\x1b"},      // 27 is not trimmed
                 {"\x14x\x1f", "\x14x\x1f"},  // neither are 20 and 31
                 {" a\x13", "a"},             // 19 is
                 {"a\0 "s, "a"},              // NUL at the end goes
                 {" a\0b "s, "a\0b"s}};
    for (const auto& c : cases) EXPECT_EQ(trim(c.input), c.expected) << c.input;
}

TEST(TextHelpersTest, replaceAllReplacesEveryOccurrenceCaseSensitivelyAndCountsThem) {
    const struct {
        std::string text, find, replacement, expected;
        int count;
    } cases[] = {{"a\\\\\\\\b", "\\\\", "\\", "a\\b", 3},  // a run of backslashes collapses
                 {"Abc abc ABC abc", "abc", "x", "Abc x ABC x", 2},
                 {"aaab", "ab", "b", "b", 3},  // occurrences an earlier replacement made
                 {"x-y-z", "-", "", "xyz", 2},
                 {"abc", "x", "y", "abc", 0},
                 {"", "x", "y", "", 0},
                 // These would loop for ever when taken literally.
                 {"a\\\\b", "\\\\", "\\\\", "a\\\\b", 0},
                 {"a\\\\b", "", "x", "a\\\\b", 0},
                 {"a\\\\b", "\\", "\\\\", "a\\\\b", 0},
                 {"a\\\\b", "b", "abc", "a\\\\b", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " / " + c.find + " / " + c.replacement);
        std::string text = c.text;
        EXPECT_EQ(ReplaceAll(text, c.find, c.replacement), c.count);
        EXPECT_EQ(text, c.expected);
    }
}

TEST(TextHelpersTest, removeSlashesCollapsesSeparatorsAndKeepsSharePrefix) {
    const struct {
        std::string input;
        char separator;
        std::string expected;
    } cases[] = {{"C:\\\\data\\\\\\\\x.ini", '\\', "C:\\data\\x.ini"},
                 {"\\\\server\\\\share\\f", '\\', "\\\\server\\share\\f"},
                 {"\\dir\\f", '\\', "\\\\dir\\f"},
                 {"\\\\\\\\srv\\f", '\\', "\\\\srv\\f"},
                 {"", '\\', ""},
                 {"a//b\\c", '\\', "a//b\\c"},  // '/' is no separator here
                 {"/usr//local////x", '/', "//usr/local/x"},
                 {"a\\\\b//c", '/', "a\\\\b/c"}};
    for (const auto& c : cases) {
        std::string path = c.input;
        RemoveSlashes(path, c.separator);
        EXPECT_EQ(path, c.expected) << c.input;
    }
}

TEST(TextHelpersTest, extractFromPathReturnsRequestedPart) {
    struct Case {
        std::string path;
        int part;
        char separator;
        std::string expected;
    };
    for (const auto& c : {Case{"C:\\Diary\\owner.VLD", 0, '\\', "C:\\"},
                          Case{"C:\\Diary\\owner.VLD", 1, '\\', "C:\\Diary\\"},
                          Case{"C:\\Diary\\owner.VLD", 2, '\\', "owner.VLD"},
                          Case{"\\\\srv\\share\\d.VLD", 0, '\\', "\\\\"},
                          Case{"C:\\Diary\\", 2, '\\', ""},
                          Case{"C:\\Diary\\", 1, '\\', "C:\\Diary\\"},
                          Case{"owner.VLD", 2, '\\', "owner.VLD"},
                          Case{"owner.VLD", 1, '\\', ""},
                          Case{"", 2, '\\', ""},
                          Case{"", 1, '\\', ""},
                          Case{"", 0, '\\', "\\"},
                          Case{"C", 0, '\\', "C\\"},
                          Case{"C:\\a\\b", 3, '\\', ""},
                          Case{"C:\\a\\b", -1, '\\', ""},
                          Case{"C:\\a\\b", 4, '\\', ""},
                          Case{"/home/u/owner.VLD", 0, '/', "/h/"},
                          Case{"/home/u/owner.VLD", 1, '/', "/home/u/"},
                          Case{"/home/u/owner.VLD", 2, '/', "owner.VLD"},
                          Case{"C:\\x\\owner.VLD", 2, '/', "C:\\x\\owner.VLD"},
                          Case{"//srv/d", 0, '/', "//"}}) {
        EXPECT_EQ(ExtractFromPath(c.path, c.part, c.separator), c.expected)
            << c.path << " part " << c.part << " separator " << c.separator;
    }
}

TEST(TextHelpersTest, fileExistsForAnyFileButNotForFoldersOrMissingOnes) {
    const test::TempDir dir;
    test::WriteBytes(dir / "owner.VLD", "x");
    test::WriteBytes(dir / "empty.VLT", "");
    EXPECT_TRUE(FileExists(dir / "owner.VLD"));
    EXPECT_TRUE(FileExists(dir / "empty.VLT"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(dir.path().string()));
    EXPECT_FALSE(FileExists(dir / "missing.VLD"));

    // Paths are UTF-8 text everywhere; Windows would read a narrow path in its code page.
    const std::string name = "Jürgen Müßig.VLD";
    std::ofstream(dir.path() / fs::path(std::u8string(name.begin(), name.end()))) << "x";
    const std::u8string folder = dir.path().u8string();
    EXPECT_TRUE(FileExists(std::string(folder.begin(), folder.end()) + "/" + name));
    EXPECT_TRUE(Utf8Path(name).filename().u8string() == u8"Jürgen Müßig.VLD");
    // A path that is no UTF-8 is an answer, not a crash.
    EXPECT_FALSE(FileExists("M\xFCller.VLD"));
    EXPECT_FALSE(Utf8Path("M\xFCller.VLD").empty());
}

TEST(TextHelpersTest, utf8LengthCountsCharactersNotBytes) {
    EXPECT_EQ(Utf8Length(""), 0u);
    EXPECT_EQ(Utf8Length("abc"), 3u);
    EXPECT_EQ(Utf8Length("äöü€"), 4u);
}

TEST(TextHelpersTest, joinPathAddsSeparatorOnlyWhenMissing) {
    EXPECT_EQ(JoinPath("C:\\app", "x.VLT", '\\'), "C:\\app\\x.VLT");
    EXPECT_EQ(JoinPath("C:\\app\\", "x.VLT", '\\'), "C:\\app\\x.VLT");
    EXPECT_EQ(JoinPath("/opt/app", "x.VLT", '/'), "/opt/app/x.VLT");
    EXPECT_EQ(JoinPath("", "x.VLT", '/'), "x.VLT");
}

TEST(TextHelpersTest, caseFoldingCoversAsciiAndLatin1Letters) {
    EXPECT_EQ(UCase("müller.vld"), "MÜLLER.VLD");
    EXPECT_EQ(UCase("àéîõøþ"), "ÀÉÎÕØÞ");
    EXPECT_EQ(UCase("straße ÷ ÿ 1-z"), "STRAßE ÷ ÿ 1-Z");
    EXPECT_EQ(UCase("ÄÖÜ €"), "ÄÖÜ €");
    EXPECT_EQ(UCase(""), "");
    // Registry names fold the further Windows-1252 letters too.
    EXPECT_EQ(UCaseCp1252("\xC3\xA4\xC3\xBF\xC5\xA1x"), "\xC3\x84\xC5\xB8\xC5\xA0X");
    EXPECT_EQ(UCase("\xC3\xBF\xC5\xA1"), "\xC3\xBF\xC5\xA1");
    // The ASCII comparisons ignore only ASCII case.
    EXPECT_TRUE(EqualsNoCase("Amount", "aMOUNT"));
    EXPECT_FALSE(EqualsNoCase("Amount", "Amounts"));
    EXPECT_FALSE(EqualsNoCase("\xC3\xA4", "\xC3\x84"));
    EXPECT_TRUE(StartsWithNoCase("DWORD:0000", "dword:"));
    EXPECT_FALSE(StartsWithNoCase("dwor", "dword:"));
}

void SetDebugFlag(const char* value) {
#ifdef _WIN32
    ::_putenv_s("STRIPSTOCK_DEBUG", value);
#else
    ::setenv("STRIPSTOCK_DEBUG", value, 1);
#endif
}

TEST(TextHelpersTest, debugLogWritesToStderrOnlyWhenEnabled) {
    SetDebugFlag("0");
    ::testing::internal::CaptureStderr();
    DebugLog("here", "quiet");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    SetDebugFlag("1");
    ::testing::internal::CaptureStderr();
    DebugLog("here", "loud");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "stripstock: here: loud\n");
    SetDebugFlag("0");
}

}  // namespace
}  // namespace stripstock
