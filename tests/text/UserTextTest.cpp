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
    EXPECT_FALSE(Utf16BytesToUtf8(std::string("\x00\xdc", 2), false));  // lone low surrogate
    EXPECT_EQ(Utf16Units(std::string("a\0b", 3), false), u"a");         // odd tail left out
    EXPECT_EQ(Utf16Units(std::string("\0a\0b", 4), true), u"ab");
    // Text others wrote: a surrogate without its partner becomes U+FFFD, the rest is kept.
    const char16_t broken[] = {u'A', 0xDC00, 0xD83D, 0xDE00, 0xD800, u'B', 0xD800};
    EXPECT_EQ(Utf16ToUtf8Replacing({broken, 7}), "A\uFFFD😀\uFFFDB\uFFFD");
}
