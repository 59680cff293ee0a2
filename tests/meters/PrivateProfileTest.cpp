#include <gtest/gtest.h>

#include "meters/PrivateProfile.h"
#include "support/Files.h"
#include "support/TempDir.h"

namespace stripstock {
namespace {

using test::WriteBytes;

struct ProfileCase {
    const char* name;
    std::string file;
    std::string section;
    std::string key;
    std::string expected;
};

// Single-byte text as UTF-16 after its byte-order mark.
std::string Utf16(const std::string& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : text) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}

TEST(PrivateProfile, findsTheValueAsWindowsDoesAndCutsItToTheBuffer) {
    const ProfileCase cases[] = {
        {"plain", "[BG]\r\n25=Meter\r\n", "BG", "25", "Meter"},
        {"lfOnly", "[BG]\n25=Meter\n", "BG", "25", "Meter"},
        {"noFinalNewline", "[BG]\r\n25=Meter", "BG", "25", "Meter"},
        {"argumentsTrimmed", "[BG]\r\n25=Meter\r\n", " BG ", " 25 ", "Meter"},
        {"blanksAroundKeyAndValue", "[BG]\r\n  25   =   Spaced Out   \r\n", "BG", "25",
         "Spaced Out"},
        {"doubleQuotesRemoved", "[BG]\r\n25=\"  Quoted  \"\r\n", "BG", "25", "  Quoted  "},
        {"commentLine", "[BG]\r\n;25=commented out\r\n", "BG", "25", "dflt"},
        {"firstOfTwoKeys", "[BG]\r\n25=first\r\n25=second\r\n", "BG", "25", "first"},
        {"windows1252", "[BG]\r\n25=Z\xE4hler \x80\r\n", "BG", "25", "Zähler €"},
        {"keyCase", "[BG]\r\nAbc=1\r\n", "bg", "aBC", "1"},
        {"umlautCase", "[\xC4rzte]\r\nk=1\r\n", "\xC3\xA4rzte", "k", "1"},
        {"blanksInsideBracketsCount", "[ BG ]\r\n25=Meter\r\n", "BG", "25", "dflt"},
        {"lastBracketEndsSection", "[B]G]\r\n25=Meter\r\n", "B]G", "25", "Meter"},
        {"singleQuotesRemoved", "[BG]\r\n25='Meter'\r\n", "BG", "25", "Meter"},
        {"mixedQuotesKept", "[BG]\r\n25=\"Meter'\r\n", "BG", "25", "\"Meter'"},
        {"loneQuoteKept", "[BG]\r\n25=\"\r\n", "BG", "25", "\""},
        {"innerQuotesKept", "[BG]\r\n25=a \"b\" c\r\n", "BG", "25", "a \"b\" c"},
        {"semicolonInsideValue", "[BG]\r\n25=v ;x\r\n", "BG", "25", "v ;x"},
        {"hashIsNoComment", "[BG]\r\n#25=x\r\n", "BG", "#25", "x"},
        {"onlyFirstSectionSearched", "[BG]\r\n1=a\r\n[BP]\r\n[bg]\r\n25=b\r\n", "BG", "25", "dflt"},
        {"emptyFirstSectionStillFirst", "[BG]\r\n[BG]\r\n25=b\r\n", "BG", "25", "dflt"},
        {"keyInOtherSection", "[BP]\r\n25=Meter\r\n", "BG", "25", "dflt"},
        {"keyBeforeAnySection", "25=Meter\r\n[BG]\r\n", "BG", "25", "dflt"},
        {"lineWithoutEquals", "[BG]\r\n25\r\n", "BG", "25", "dflt"},
        {"emptyValue", "[BG]\r\n25=\r\n", "BG", "25", ""},
        {"emptyKeyGivesDefault", "[BG]\r\n=x\r\n", "BG", "", "dflt"},
        {"equalsInsideValue", "[BG]\r\n25=a=b\r\n", "BG", "25", "a=b"},
        {"ctrlZAtEnd", "[BG]\r\n25=Meter\r\n\x1a", "BG", "25", "Meter"},
        {"utf8Bom", "\xEF\xBB\xBF[BG]\r\n25=Z\xC3\xA4hler\r\n", "BG", "25", "Z\xC3\xA4hler"},
        {"utf16Bom", Utf16("[BG]\n25=\xE4", false), "BG", "25", "\xC3\xA4"},
        {"utf16BigEndianBom", Utf16("[BG]\n25=\xE4", true), "BG", "25", "\xC3\xA4"},
        {"emptyFile", "", "BG", "25", "dflt"}};
    test::TempDir tmp;
    const std::string path = tmp / "test.ini";
    for (const ProfileCase& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(path, c.file);
        EXPECT_EQ(GetPrivateProfileString(c.section, c.key, "dflt", 255, path), c.expected);
    }

    // Value and default are cut to one less than the buffer and lose trailing blanks.
    WriteBytes(path, "[BG]\r\n25=" + std::string(300, 'v') + "\r\n");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "", 255, path), std::string(254, 'v'));
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "", 4, path), "vvv");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "", 1, path), "");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "", 0, path), "");
    // The cut never splits a character.
    WriteBytes(path, "[BG]\r\n25=\xE4\xF6\xFC\r\n");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "", 3, path), "\xC3\xA4\xC3\xB6");

    // The default of a found file loses its quotes, too.
    WriteBytes(path, "[BG]\r\n");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "'quoted'  ", 255, path), "quoted");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "  lead  ", 255, path), "  lead");
    const std::string missing = tmp / "none.ini";
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "Default   ", 255, missing), "Default");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "Default", 4, missing), "Def");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "", 255, missing), "");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "x", 255, tmp.path().string()), "x");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "x", 255, ""), "x");
}

}  // namespace
}  // namespace stripstock
