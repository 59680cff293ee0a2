#include "text/TextHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "support/Files.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "text/CaseFold.h"

namespace stripstock {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

TEST(TextHelpersTest, trimStripsControlCharsBelow20AndBlanksAtBothEnds) {
    EXPECT_EQ(trim(""), "");
    EXPECT_EQ(trim(" \t\r\n  \n"), "");
    EXPECT_EQ(trim("\0"s), "");
    EXPECT_EQ(trim("\0abc "s), "");
    EXPECT_EQ(trim("  word  "), "word");
    EXPECT_EQ(trim("two words here"), "two words here");
    EXPECT_EQ(trim("\tvalue\r\n"), "value");
    EXPECT_EQ(trim("esc\x1b"), "esc\x1b");      // 27 is not trimmed
    EXPECT_EQ(trim("\x14x\x1f"), "\x14x\x1f");  // neither are 20 and 31
    EXPECT_EQ(trim(" a\x13"), "a");             // 19 is
    EXPECT_EQ(trim("a\0 "s), "a");              // NUL at the end goes
    EXPECT_EQ(trim(" a\0b "s), "a\0b"s);
}

// Text, count of replacements.
std::pair<std::string, int> Replaced(std::string text, const std::string& find,
                                     const std::string& replacement) {
    const int count = ReplaceAll(text, find, replacement);
    return {text, count};
}

TEST(TextHelpersTest, replaceAllReplacesEveryOccurrenceCaseSensitivelyAndCountsThem) {
    // A run of backslashes collapses.
    EXPECT_EQ(Replaced("a\\\\\\\\b", "\\\\", "\\"), std::make_pair("a\\b"s, 3));
    EXPECT_EQ(Replaced("Abc abc ABC abc", "abc", "x"), std::make_pair("Abc x ABC x"s, 2));
    // Occurrences an earlier replacement made.
    EXPECT_EQ(Replaced("aaab", "ab", "b"), std::make_pair("b"s, 3));
    EXPECT_EQ(Replaced("x-y-z", "-", ""), std::make_pair("xyz"s, 2));
    EXPECT_EQ(Replaced("abc", "x", "y"), std::make_pair("abc"s, 0));
    EXPECT_EQ(Replaced("", "x", "y"), std::make_pair(""s, 0));
    // These would loop for ever when taken literally.
    EXPECT_EQ(Replaced("a\\\\b", "\\\\", "\\\\"), std::make_pair("a\\\\b"s, 0));
    EXPECT_EQ(Replaced("a\\\\b", "", "x"), std::make_pair("a\\\\b"s, 0));
    EXPECT_EQ(Replaced("a\\\\b", "\\", "\\\\"), std::make_pair("a\\\\b"s, 0));
    EXPECT_EQ(Replaced("a\\\\b", "b", "abc"), std::make_pair("a\\\\b"s, 0));
}

std::string Collapsed(std::string path, char separator) {
    RemoveSlashes(path, separator);
    return path;
}

TEST(TextHelpersTest, pathsCollapseSeparatorsSplitIntoPartsAndJoin) {
    EXPECT_EQ(Collapsed("C:\\\\data\\\\\\\\x.ini", '\\'), "C:\\data\\x.ini");
    EXPECT_EQ(Collapsed("\\\\server\\\\share\\f", '\\'), "\\\\server\\share\\f");
    EXPECT_EQ(Collapsed("\\dir\\f", '\\'), "\\\\dir\\f");
    EXPECT_EQ(Collapsed("\\\\\\\\srv\\f", '\\'), "\\\\srv\\f");
    EXPECT_EQ(Collapsed("", '\\'), "");
    EXPECT_EQ(Collapsed("a//b\\c", '\\'), "a//b\\c");  // '/' is no separator here
    EXPECT_EQ(Collapsed("/usr//local////x", '/'), "//usr/local/x");
    EXPECT_EQ(Collapsed("a\\\\b//c", '/'), "a\\\\b/c");
    // Drive or folder, folder with its separator, or file name.
    EXPECT_EQ(ExtractFromPath("C:\\Diary\\owner.VLD", 0, '\\'), "C:\\");
    EXPECT_EQ(ExtractFromPath("C:\\Diary\\owner.VLD", 1, '\\'), "C:\\Diary\\");
    EXPECT_EQ(ExtractFromPath("C:\\Diary\\owner.VLD", 2, '\\'), "owner.VLD");
    EXPECT_EQ(ExtractFromPath("\\\\srv\\share\\d.VLD", 0, '\\'), "\\\\");
    EXPECT_EQ(ExtractFromPath("C:\\Diary\\", 2, '\\'), "");
    EXPECT_EQ(ExtractFromPath("C:\\Diary\\", 1, '\\'), "C:\\Diary\\");
    EXPECT_EQ(ExtractFromPath("owner.VLD", 2, '\\'), "owner.VLD");
    EXPECT_EQ(ExtractFromPath("owner.VLD", 1, '\\'), "");
    EXPECT_EQ(ExtractFromPath("", 2, '\\'), "");
    EXPECT_EQ(ExtractFromPath("", 1, '\\'), "");
    EXPECT_EQ(ExtractFromPath("", 0, '\\'), "\\");
    EXPECT_EQ(ExtractFromPath("C", 0, '\\'), "C\\");
    EXPECT_EQ(ExtractFromPath("C:\\a\\b", 3, '\\'), "");
    EXPECT_EQ(ExtractFromPath("C:\\a\\b", -1, '\\'), "");
    EXPECT_EQ(ExtractFromPath("C:\\a\\b", 4, '\\'), "");
    EXPECT_EQ(ExtractFromPath("/home/u/owner.VLD", 0, '/'), "/h/");
    EXPECT_EQ(ExtractFromPath("/home/u/owner.VLD", 1, '/'), "/home/u/");
    EXPECT_EQ(ExtractFromPath("/home/u/owner.VLD", 2, '/'), "owner.VLD");
    EXPECT_EQ(ExtractFromPath("C:\\x\\owner.VLD", 2, '/'), "C:\\x\\owner.VLD");
    EXPECT_EQ(ExtractFromPath("//srv/d", 0, '/'), "//");
    // A separator is added only when missing.
    EXPECT_EQ(JoinPath("C:\\app", "x.VLT", '\\'), "C:\\app\\x.VLT");
    EXPECT_EQ(JoinPath("C:\\app\\", "x.VLT", '\\'), "C:\\app\\x.VLT");
    EXPECT_EQ(JoinPath("/opt/app", "x.VLT", '/'), "/opt/app/x.VLT");
    EXPECT_EQ(JoinPath("", "x.VLT", '/'), "x.VLT");
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

TEST(TextHelpersTest, debugLogWritesToStderrOnlyWhenEnabled) {
    test::ScopedEnv debug("STRIPSTOCK_DEBUG", "0");
    ::testing::internal::CaptureStderr();
    DebugLog("here", "quiet");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    debug.Set("1");
    ::testing::internal::CaptureStderr();
    DebugLog("here", "loud");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "stripstock: here: loud\n");
}

}  // namespace
}  // namespace stripstock
