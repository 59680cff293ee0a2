#include "text/Cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace stripstock {
namespace {

using namespace std::string_literals;

TEST(Cp1252Test, decodesAndEncodesEuroUmlautsAndAscii) {
    EXPECT_EQ(Cp1252ToUtf8("Abc"), "Abc");
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "€");
    EXPECT_EQ(Cp1252ToUtf8("M\xfcller \xe4\xf6\xdf"), "Müller äöß");
    EXPECT_EQ(Cp1252ToUtf8("\x84\x93\x96\x9f"), "„“–Ÿ");
    EXPECT_EQ(Cp1252ToUtf8("\x81\x8d\x8f\x90\x9d"), "\u0081\u008d\u008f\u0090\u009d");
    EXPECT_EQ(Utf8ToCp1252("€ äÄ"), "\x80 \xe4\xc4");
    EXPECT_EQ(Utf8ToCp1252("„Zucker“ – ™"), "\x84Zucker\x93 \x96 \x99");
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(Cp1252Test, unmappedCharactersAndMalformedBytesBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1252("\u0100"), "?");  // Ā
    EXPECT_EQ(Utf8ToCp1252("a\u4e2db"), "a?b");
    EXPECT_EQ(Utf8ToCp1252("\U0001F600"), "?");
    EXPECT_EQ(Utf8ToCp1252("\u0080"), "?");  // C1 control the code page gives to €
    // The ends of each sequence length are one character each.
    EXPECT_EQ(Utf8ToCp1252("\u07FF\u0800\uFFFF\U00010000\U0010FFFF"), "?????");
    EXPECT_EQ(Utf8ToCp1252("a\xff"s + "b"), "a?b");
    EXPECT_EQ(Utf8ToCp1252("\xc3"), "?");  // cut off
    EXPECT_EQ(Utf8ToCp1252("\xc3"s + "A"), "?A");
    EXPECT_EQ(Utf8ToCp1252("\x80"s + "x"), "?x");    // stray continuation byte
    EXPECT_EQ(Utf8ToCp1252("\xc0\xae"), "??");       // overlong '.'
    EXPECT_EQ(Utf8ToCp1252("\xed\xa0\x80"), "???");  // surrogate
    EXPECT_EQ(Utf8ToCp1252("\xe2\x82"), "??");
}

TEST(Cp1252Test, tellsWellFormedUtf8) {
    EXPECT_TRUE(IsUtf8(""));
    EXPECT_TRUE(IsUtf8("Müller € \xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsUtf8("M\xFCller"));         // Windows-1252, not UTF-8
    EXPECT_FALSE(IsUtf8("\xC3"));              // cut off
    EXPECT_FALSE(IsUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(IsUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
}

}  // namespace
}  // namespace stripstock
