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

// --- trim -------------------------------------------------------------------------------------

struct TrimCase {
    std::string input;
    std::string expected;
};

class TrimTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimTest, stripsControlCharsBelow20AndBlanksAtBothEnds) {
    EXPECT_EQ(trim(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrimTest,
    ::testing::Values(TrimCase{"", ""}, TrimCase{" \t\r\n  \n", ""},
                      TrimCase{std::string("\0", 1), ""}, TrimCase{std::string("\0abc ", 5), ""},
                      TrimCase{"  word  ", "word"}, TrimCase{"two words here", "two words here"},
                      TrimCase{"\tvalue\r\n", "value"},
                      TrimCase{"esc\x1b", "esc\x1b"},         // 27 is not trimmed
                      TrimCase{"\x14x\x1f", "\x14x\x1f"},     // neither are 20 and 31
                      TrimCase{" a\x13", "a"},                // 19 is
                      TrimCase{std::string("a\0 ", 3), "a"},  // NUL at the end goes
                      TrimCase{std::string(" a\0b ", 5), std::string("a\0b", 3)}));

// --- ReplaceAll ---------------------------------------------------------------------------

TEST(ReplaceAllTest, replacesEveryOccurrenceCaseSensitivelyAndCountsThem) {
    const struct {
        std::string text, find, replacement, expected;
        int count;
    } cases[] = {
        {"a\\\\\\\\b", "\\\\", "\\", "a\\b", 3},  // a run of backslashes collapses
        {"Abc abc ABC abc", "abc", "x", "Abc x ABC x", 2},
        {"aaab", "ab", "b", "b", 3},  // occurrences an earlier replacement made
        {"x-y-z", "-", "", "xyz", 2},
        {"abc", "x", "y", "abc", 0},
        {"", "x", "y", "", 0},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(ReplaceAll(text, c.find, c.replacement), c.count) << c.text;
        EXPECT_EQ(text, c.expected);
    }
}

// These would loop for ever when taken literally.
TEST(ReplaceAllTest, leavesTextAloneWhenReplacementCouldNeverFinish) {
    const std::string original = "a\\\\b";
    std::string text = original;
    EXPECT_EQ(ReplaceAll(text, "\\\\", "\\\\"), 0);
    EXPECT_EQ(text, original);
    EXPECT_EQ(ReplaceAll(text, "", "x"), 0);
    EXPECT_EQ(text, original);
    EXPECT_EQ(ReplaceAll(text, "\\", "\\\\"), 0);
    EXPECT_EQ(text, original);
    EXPECT_EQ(ReplaceAll(text, "b", "abc"), 0);
    EXPECT_EQ(text, original);
}

// --- RemoveSlashes -------------------------------------------------------------------------

struct SlashCase {
    std::string input;
    char separator;
    std::string expected;
};

class RemoveSlashesTest : public ::testing::TestWithParam<SlashCase> {};

TEST_P(RemoveSlashesTest, collapsesSeparatorsAndKeepsSharePrefix) {
    std::string path = GetParam().input;
    RemoveSlashes(path, GetParam().separator);
    EXPECT_EQ(path, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemoveSlashesTest,
    ::testing::Values(SlashCase{"C:\\\\data\\\\\\\\x.ini", '\\', "C:\\data\\x.ini"},
                      SlashCase{"\\\\server\\\\share\\f", '\\', "\\\\server\\share\\f"},
                      SlashCase{"\\dir\\f", '\\', "\\\\dir\\f"},
                      SlashCase{"\\\\\\\\srv\\f", '\\', "\\\\srv\\f"}, SlashCase{"", '\\', ""},
                      SlashCase{"a//b\\c", '\\', "a//b\\c"},  // '/' is no separator here
                      SlashCase{"/usr//local////x", '/', "//usr/local/x"},
                      SlashCase{"a\\\\b//c", '/', "a\\\\b/c"}));

// --- ExtractFromPath -------------------------------------------------------------------------

struct ExtractCase {
    std::string path;
    int part;
    char separator;
    std::string expected;
};

class ExtractFromPathTest : public ::testing::TestWithParam<ExtractCase> {};

TEST_P(ExtractFromPathTest, returnsRequestedPart) {
    const auto& c = GetParam();
    EXPECT_EQ(ExtractFromPath(c.path, c.part, c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Backslash, ExtractFromPathTest,
    ::testing::Values(ExtractCase{"C:\\Diary\\owner.VLD", 0, '\\', "C:\\"},
                      ExtractCase{"C:\\Diary\\owner.VLD", 1, '\\', "C:\\Diary\\"},
                      ExtractCase{"C:\\Diary\\owner.VLD", 2, '\\', "owner.VLD"},
                      ExtractCase{"\\\\srv\\share\\d.VLD", 0, '\\', "\\\\"},
                      ExtractCase{"C:\\Diary\\", 2, '\\', ""},
                      ExtractCase{"C:\\Diary\\", 1, '\\', "C:\\Diary\\"},
                      ExtractCase{"owner.VLD", 2, '\\', "owner.VLD"},
                      ExtractCase{"owner.VLD", 1, '\\', ""}, ExtractCase{"", 2, '\\', ""},
                      ExtractCase{"", 1, '\\', ""}, ExtractCase{"", 0, '\\', "\\"},
                      ExtractCase{"C", 0, '\\', "C\\"}, ExtractCase{"C:\\a\\b", 3, '\\', ""},
                      ExtractCase{"C:\\a\\b", -1, '\\', ""}, ExtractCase{"C:\\a\\b", 4, '\\', ""}));

INSTANTIATE_TEST_SUITE_P(Slash, ExtractFromPathTest,
                         ::testing::Values(ExtractCase{"/home/u/owner.VLD", 0, '/', "/h/"},
                                           ExtractCase{"/home/u/owner.VLD", 1, '/', "/home/u/"},
                                           ExtractCase{"/home/u/owner.VLD", 2, '/', "owner.VLD"},
                                           ExtractCase{"C:\\x\\owner.VLD", 2, '/',
                                                       "C:\\x\\owner.VLD"},
                                           ExtractCase{"//srv/d", 0, '/', "//"}));

// --- FileExists ----------------------------------------------------------------------------

class FileExistsTest : public ::testing::Test {
  protected:
    test::TempDir m_tmp;
    fs::path m_dir = m_tmp.path();
};

TEST_F(FileExistsTest, trueForAnyFileEvenAnEmptyOne) {
    test::WriteBytes(m_tmp / "owner.VLD", "x");
    test::WriteBytes(m_tmp / "empty.VLT", "");
    EXPECT_TRUE(FileExists(m_tmp / "owner.VLD"));
    EXPECT_TRUE(FileExists(m_tmp / "empty.VLT"));
}

TEST_F(FileExistsTest, falseForEmptyPathFolderAndMissingFile) {
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(m_dir.string()));
    EXPECT_FALSE(FileExists((m_dir / "missing.VLD").string()));
}

// Paths are UTF-8 text everywhere; Windows would read a narrow path in its code page.
TEST_F(FileExistsTest, findsFileWithUmlautsInItsName) {
    const std::string name = "Jürgen Müßig.VLD";
    std::ofstream(m_dir / fs::path(std::u8string(name.begin(), name.end()))) << "x";
    const std::u8string folder = m_dir.u8string();
    EXPECT_TRUE(FileExists(std::string(folder.begin(), folder.end()) + "/" + name));
    EXPECT_TRUE(Utf8Path(name).filename().u8string() == u8"Jürgen Müßig.VLD");
}

TEST_F(FileExistsTest, pathThatIsNoUtf8IsAnAnswerNotACrash) {
    EXPECT_FALSE(FileExists("M\xFCller.VLD"));
    EXPECT_FALSE(Utf8Path("M\xFCller.VLD").empty());
}

TEST(Utf8LengthTest, countsCharactersNotBytes) {
    EXPECT_EQ(Utf8Length(""), 0u);
    EXPECT_EQ(Utf8Length("abc"), 3u);
    EXPECT_EQ(Utf8Length("äöü€"), 4u);
}

// --- JoinPath / case folding ----------------------------------------------------------------

TEST(JoinPathTest, addsSeparatorOnlyWhenMissing) {
    EXPECT_EQ(JoinPath("C:\\app", "x.VLT", '\\'), "C:\\app\\x.VLT");
    EXPECT_EQ(JoinPath("C:\\app\\", "x.VLT", '\\'), "C:\\app\\x.VLT");
    EXPECT_EQ(JoinPath("/opt/app", "x.VLT", '/'), "/opt/app/x.VLT");
    EXPECT_EQ(JoinPath("", "x.VLT", '/'), "x.VLT");
}

TEST(UCaseTest, uppercasesAsciiAndLatin1Letters) {
    EXPECT_EQ(UCase("müller.vld"), "MÜLLER.VLD");
    EXPECT_EQ(UCase("àéîõøþ"), "ÀÉÎÕØÞ");
    EXPECT_EQ(UCase("straße ÷ ÿ 1-z"), "STRAßE ÷ ÿ 1-Z");
    EXPECT_EQ(UCase("ÄÖÜ €"), "ÄÖÜ €");
    EXPECT_EQ(UCase(""), "");
    // Registry names fold the further Windows-1252 letters too.
    EXPECT_EQ(UCaseCp1252("\xC3\xA4\xC3\xBF\xC5\xA1x"), "\xC3\x84\xC5\xB8\xC5\xA0X");
    EXPECT_EQ(UCase("\xC3\xBF\xC5\xA1"), "\xC3\xBF\xC5\xA1");
}

TEST(CaseFoldTest, asciiComparisonsIgnoreOnlyAsciiCase) {
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

TEST(DebugLogTest, writesToStderrOnlyWhenEnabled) {
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
