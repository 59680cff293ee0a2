#include <gtest/gtest.h>

#include "text/UserText.h"

using namespace stripstock;

TEST(UserTextTest, acceptsPrintableUtf8Only) {
    EXPECT_TRUE(IsAcceptableUserText(""));
    EXPECT_TRUE(IsAcceptableUserText("Contour Next µ ä €"));
    for (const char* bad : {"a\tb", "a\nb", "a\rb", "\x7f", "\xc2\x85", "\xff\xfe", "\xc0\xaf"})
        EXPECT_FALSE(IsAcceptableUserText(bad)) << bad;
    EXPECT_FALSE(IsAcceptableUserText(std::string("a\0b", 3)));
}

TEST(UserTextTest, escapesWhatWouldBreakATabSeparatedLine) {
    EXPECT_EQ(EscapeTsvCell("Real\n999\tFake \\ x\r"), "Real\\n999\\tFake \\\\ x\\r");
    EXPECT_EQ(EscapeTsvCell("plain ä"), "plain ä");
}

TEST(UserTextTest, convertsUtf16BothWays) {
    const std::string text = "Größe 😀";
    for (const bool bigEndian : {false, true}) {
        const std::string bytes = Utf8ToUtf16Bytes(text, bigEndian);
        EXPECT_EQ(bytes.size(), 16u);
        EXPECT_EQ(Utf16BytesToUtf8(bytes, bigEndian), text);
    }
    EXPECT_FALSE(Utf16BytesToUtf8("abc", false));                       // odd length
    EXPECT_FALSE(Utf16BytesToUtf8(std::string("\x3d\xd8", 2), false));  // lone high surrogate
}
