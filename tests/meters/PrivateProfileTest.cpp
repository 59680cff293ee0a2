#include <gtest/gtest.h>

#include <fstream>

#include "meters/PrivateProfile.h"
#include "support/TempDir.h"

namespace stripstock {
namespace {

struct ProfileCase {
    const char* name;
    std::string file;
    std::string section;
    std::string key;
    std::string expected;
};

void PrintTo(const ProfileCase& c, std::ostream* os) { *os << c.name; }

class ProfileLookup : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileLookup, findsValueAsWindowsDoes) {
    test::TempDir tmp;
    const std::string path = tmp / "test.ini";
    std::ofstream(path, std::ios::binary) << GetParam().file;
    EXPECT_EQ(GetPrivateProfileString(GetParam().section, GetParam().key, "dflt", 255, path),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileLookup,
    ::testing::Values(
        ProfileCase{"plain", "[BG]\r\n25=Meter\r\n", "BG", "25", "Meter"},
        ProfileCase{"lfOnly", "[BG]\n25=Meter\n", "BG", "25", "Meter"},
        ProfileCase{"noFinalNewline", "[BG]\r\n25=Meter", "BG", "25", "Meter"},
        ProfileCase{"argumentsTrimmed", "[BG]\r\n25=Meter\r\n", " BG ", " 25 ", "Meter"},
        ProfileCase{"keyCase", "[BG]\r\nAbc=1\r\n", "bg", "aBC", "1"},
        ProfileCase{"umlautCase", "[\xC4rzte]\r\nk=1\r\n", "\xC3\xA4rzte", "k", "1"},
        ProfileCase{"blanksInsideBracketsCount", "[ BG ]\r\n25=Meter\r\n", "BG", "25", "dflt"},
        ProfileCase{"lastBracketEndsSection", "[B]G]\r\n25=Meter\r\n", "B]G", "25", "Meter"},
        ProfileCase{"singleQuotesRemoved", "[BG]\r\n25='Meter'\r\n", "BG", "25", "Meter"},
        ProfileCase{"mixedQuotesKept", "[BG]\r\n25=\"Meter'\r\n", "BG", "25", "\"Meter'"},
        ProfileCase{"loneQuoteKept", "[BG]\r\n25=\"\r\n", "BG", "25", "\""},
        ProfileCase{"innerQuotesKept", "[BG]\r\n25=a \"b\" c\r\n", "BG", "25", "a \"b\" c"},
        ProfileCase{"semicolonInsideValue", "[BG]\r\n25=v ;x\r\n", "BG", "25", "v ;x"},
        ProfileCase{"hashIsNoComment", "[BG]\r\n#25=x\r\n", "BG", "#25", "x"},
        ProfileCase{"onlyFirstSectionSearched", "[BG]\r\n1=a\r\n[BP]\r\n[bg]\r\n25=b\r\n", "BG",
                    "25", "dflt"},
        ProfileCase{"emptyFirstSectionStillFirst", "[BG]\r\n[BG]\r\n25=b\r\n", "BG", "25", "dflt"},
        ProfileCase{"keyInOtherSection", "[BP]\r\n25=Meter\r\n", "BG", "25", "dflt"},
        ProfileCase{"keyBeforeAnySection", "25=Meter\r\n[BG]\r\n", "BG", "25", "dflt"},
        ProfileCase{"lineWithoutEquals", "[BG]\r\n25\r\n", "BG", "25", "dflt"},
        ProfileCase{"emptyValue", "[BG]\r\n25=\r\n", "BG", "25", ""},
        ProfileCase{"emptyKeyGivesDefault", "[BG]\r\n=x\r\n", "BG", "", "dflt"},
        ProfileCase{"equalsInsideValue", "[BG]\r\n25=a=b\r\n", "BG", "25", "a=b"},
        ProfileCase{"ctrlZAtEnd", "[BG]\r\n25=Meter\r\n\x1a", "BG", "25", "Meter"},
        ProfileCase{"utf8Bom", "\xEF\xBB\xBF[BG]\r\n25=Z\xC3\xA4hler\r\n", "BG", "25",
                    "Z\xC3\xA4hler"},
        ProfileCase{"utf16Bom",
                    std::string("\xFF\xFE[\0B\0G\0]\0\n\0"
                                "2\0"
                                "5\0=\0\xE4\0",
                                20),
                    "BG", "25", "\xC3\xA4"},
        ProfileCase{"utf16BigEndianBom",
                    std::string("\xFE\xFF\0[\0B\0G\0]\0\n\0"
                                "2\0"
                                "5\0=\0\xE4",
                                20),
                    "BG", "25", "\xC3\xA4"},
        ProfileCase{"emptyFile", "", "BG", "25", "dflt"}),
    [](const ::testing::TestParamInfo<ProfileCase>& param) { return param.param.name; });

class ProfileFile : public ::testing::Test {
  protected:
    std::string Write(const std::string& bytes) {
        const std::string path = m_tmp / "test.ini";
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    test::TempDir m_tmp;
};

TEST_F(ProfileFile, valueIsCutToOneLessThanTheBuffer) {
    const std::string path = Write("[BG]\r\n25=" + std::string(300, 'v') + "\r\n");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "", 255, path), std::string(254, 'v'));
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "", 4, path), "vvv");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "", 1, path), "");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "", 0, path), "");
}

TEST_F(ProfileFile, cutNeverSplitsACharacter) {
    const std::string path = Write("[BG]\r\n25=\xE4\xF6\xFC\r\n");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "", 3, path), "\xC3\xA4\xC3\xB6");
}

TEST_F(ProfileFile, defaultOfFoundFileLosesQuotesAndTrailingBlanks) {
    const std::string path = Write("[BG]\r\n");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "'quoted'  ", 255, path), "quoted");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "  lead  ", 255, path), "  lead");
}

TEST_F(ProfileFile, missingFileGivesDefaultWithoutTrailingBlanks) {
    const std::string missing = m_tmp / "none.ini";
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "Default   ", 255, missing), "Default");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "Default", 4, missing), "Def");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "", 255, missing), "");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "x", 255, m_tmp.path().string()), "x");
    EXPECT_EQ(GetPrivateProfileString("BG", "25", "x", 255, ""), "x");
}

}  // namespace
}  // namespace stripstock
