#include "host/RegDocument.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "host/RegistryBackend.h"

namespace stripstock {
namespace {

using namespace std::string_literals;
using ::testing::ElementsAre;
using Value = RegDocument::Value;

constexpr std::uint32_t kHklm = kHkeyLocalMachine;
constexpr std::uint32_t kHkcu = kHkeyCurrentUser;
const std::string kHost = "SOFTWARE\\Tarvenholme\\VELLIND4";

// A document read from the editor's header line, a blank line and body.
RegDocument Doc(const std::string& body) {
    return RegDocument::Parse("Windows Registry Editor Version 5.00\n\n" + body);
}

// Whether every line of before appears in after, in the same order.
bool KeepsAllLines(const std::vector<std::string>& before, const std::vector<std::string>& after) {
    auto at = after.begin();
    for (const auto& line : before) {
        at = std::find(at, after.end(), line);
        if (at == after.end()) return false;
        ++at;
    }
    return true;
}

TEST(RegDocumentTest, writesTheRegistryEditorDialect) {
    RegDocument doc;
    EXPECT_TRUE(doc.CreateKey(kHklm, kHost, ""));
    EXPECT_TRUE(doc.CreateKey(kHklm, kHost + "\\bonus\\TestStrip", "string"));
    doc.SetValue(kHklm, kHost, "DataBaseName", {kRegSz, "C:\\Daten\\\"x\".VLD\0"s});
    doc.SetValue(kHklm, kHost, "", {kRegSz, "default\0"s});
    doc.SetValue(kHklm, kHost, "Count", {kRegDword, "\x2a\0\0\0"s});
    doc.SetValue(kHklm, kHost, "Blob", {kRegBinary, "\x01\x02\xff"s});
    doc.SetValue(kHklm, kHost, "Path", {kRegExpandSz, "%TEMP%\0"s});
    doc.SetValue(kHklm, kHost, "NoNul", {kRegSz, "ab"});
    doc.SetValue(kHklm, kHost + "\\bonus\\TestStrip", "LastMeter", {kRegSz, "2\0"s});
    doc.SetValue(kHkcu, kHost, "DataBaseName", {kRegSz, "D:\\x.VLD\0"s});
    EXPECT_EQ(doc.Render(),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarvenholme\\VELLIND4]\r\n"
              "\"DataBaseName\"=\"C:\\\\Daten\\\\\\\"x\\\".VLD\"\r\n"
              "@=\"default\"\r\n"
              "\"Count\"=dword:0000002a\r\n"
              "\"Blob\"=hex:01,02,ff\r\n"
              "\"Path\"=hex(2):25,54,45,4d,50,25,00\r\n"
              "\"NoNul\"=hex(1):61,62\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarvenholme\\VELLIND4\\bonus\\TestStrip]\r\n"
              ";class=\"string\"\r\n"
              "\"LastMeter\"=\"2\"\r\n\r\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Tarvenholme\\VELLIND4]\r\n"
              "\"DataBaseName\"=\"D:\\\\x.VLD\"\r\n\r\n");
}

TEST(RegDocumentTest, readsHandWrittenText) {
    const RegDocument doc = RegDocument::Parse(
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n\n"
        "; written by hand\n"
        "[HKLM\\Software\\Host]\n"
        "\"Quote\"=\"say \\\"hi\\\" \\\\o/\"   ; a comment\n"
        "  \"Num\" = dword:2A\n"
        "\"Bin\"=hex:01,02,\\\n"
        "; between the lines\n"
        "\n"
        "  03,04\n"
        "@=\"root default\"\n"
        "[HKEY_CURRENT_USER\\Software\\Host\\]\n"
        "\"a\"=\"b\"");
    EXPECT_EQ(doc.FindValue(kHklm, "SOFTWARE\\HOST", "quote"),
              (Value{kRegSz, "say \"hi\" \\o/\0"s}));
    EXPECT_EQ(doc.FindValue(kHklm, "Software\\Host", "Num"), (Value{kRegDword, "\x2a\0\0\0"s}));
    EXPECT_EQ(doc.FindValue(kHklm, "Software\\Host", "Bin"), (Value{kRegBinary, "\1\2\3\4"s}));
    EXPECT_EQ(doc.FindValue(kHklm, "Software\\Host", ""), (Value{kRegSz, "root default\0"s}));
    EXPECT_EQ(doc.FindValue(kHkcu, "Software\\Host", "a"), (Value{kRegSz, "b\0"s}));
}

TEST(RegDocumentTest, roundTripsStringsThatCannotBeQuoted) {
    const std::vector<Value> values = {
        {kRegSz, "line\r\nbreak\0"s},     {kRegSz, "no nul"},      {kRegSz, ""},
        {kRegSz, "inner\0nul\0"s},        {kRegSz, "\xFF\xFE\0"s}, {kRegSz, "tab\there\0"s},
        {kRegDword, "\1\0\0\0\0\0\0\0"s}, {kRegDword, "\1\0"s},    {kRegMultiSz, "a\0b\0\0"s},
        {0x0b, "\1\2\3\4\5\6\7\x08"s},    {kRegBinary, ""},
    };
    RegDocument doc;
    for (std::size_t i = 0; i < values.size(); ++i)
        doc.SetValue(kHklm, kHost, "v" + std::to_string(i), values[i]);
    const RegDocument again = RegDocument::Parse(doc.Render());
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(again.FindValue(kHklm, kHost, "v" + std::to_string(i)), values[i]) << i;
    EXPECT_THAT(doc.lines(), ::testing::Contains("\"v5\"=\"tab\there\""));
    EXPECT_THAT(doc.lines(), ::testing::Contains("\"v4\"=hex(1):ff,fe,00"));  // not UTF-8
}

TEST(RegDocumentTest, wrapsLongHexDataLikeTheRegistryEditor) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes.push_back(static_cast<char>(i * 7));
    RegDocument doc;
    doc.SetValue(kHklm, kHost, "A rather long value name for wrapping", {kRegBinary, bytes});
    const auto& lines = doc.lines();
    std::size_t first = 0;
    while (lines[first].rfind("\"A rather", 0) != 0) ++first;
    std::size_t last = first;
    while (lines[last].back() == '\\') {
        EXPECT_LE(lines[last].size(), 80u);
        EXPECT_EQ(lines[last].substr(lines[last].size() - 2), ",\\");
        ++last;
        EXPECT_EQ(lines[last].substr(0, 2), "  ");
    }
    EXPECT_GT(last, first + 3);
    EXPECT_EQ(RegDocument::Parse(doc.Render())
                  .FindValue(kHklm, kHost, "A rather long value name for wrapping"),
              (Value{kRegBinary, bytes}));
}

TEST(RegDocumentTest, keysIgnoreCaseAndKeepTheirSpelling) {
    RegDocument doc = RegDocument::Parse(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\MixedCase]\r\n"
        "\"Name\"=\"x\"\r\n\r\n");
    EXPECT_TRUE(doc.KeyExists(kHklm, "software\\MIXEDCASE"));
    EXPECT_FALSE(doc.CreateKey(kHklm, "Software\\mixedcase", ""));
    doc.SetValue(kHklm, "software\\mixedcase", "NAME", {kRegSz, "y\0"s});
    EXPECT_TRUE(doc.CreateKey(kHklm, "software\\mixedcase\\Child", ""));
    EXPECT_THAT(doc.lines(), ::testing::Contains("\"Name\"=\"y\""));
    EXPECT_THAT(doc.lines(),
                ::testing::Contains("[HKEY_LOCAL_MACHINE\\SOFTWARE\\MixedCase\\Child]"));
    EXPECT_THAT(doc.SubKeys(kHklm, "SOFTWARE"), ElementsAre("MixedCase"));
}

// Keys are looked up in an index sorted by folded path, where "A!" sorts between "A" and
// "A\B": a prefix of another name is neither its parent nor hides its subkeys. Keys that only
// lie on the way to another are listed, spelled as first met.
TEST(RegDocumentTest, namesSharingABeginningStayApartAndKeysOnTheWayAreListed) {
    const RegDocument doc =
        Doc("[HKEY_LOCAL_MACHINE\\A!]\n"
            "[HKEY_LOCAL_MACHINE\\A\\b\\X]\n"
            "[HKEY_LOCAL_MACHINE\\A\\B!]\n"
            "[HKEY_LOCAL_MACHINE\\AB]\n"
            "[HKEY_LOCAL_MACHINE\\A\\C]\n"
            "\"v\"=\"c\"\n"
            "[HKEY_LOCAL_MACHINE\\a\\B]\n"
            "\"v\"=\"b\"\n"
            "[HKEY_CURRENT_USER\\A\\D]\n");  // the other hive's
    EXPECT_TRUE(doc.KeyExists(kHklm, "A"));
    EXPECT_TRUE(doc.KeyExists(kHklm, "a\\B"));
    EXPECT_FALSE(doc.KeyExists(kHklm, "A\\B!\\X"));
    EXPECT_FALSE(doc.KeyExists(kHklm, "A\\"s + "D"));
    EXPECT_THAT(doc.SubKeys(kHklm, ""), ElementsAre("A", "A!", "AB"));
    EXPECT_THAT(doc.SubKeys(kHklm, "A"), ElementsAre("b", "B!", "C"));
    EXPECT_THAT(doc.SubKeys(kHklm, "A\\B"), ElementsAre("X"));
    EXPECT_EQ(doc.FindValue(kHklm, "A\\b", "v"), (Value{kRegSz, "b\0"s}));
    EXPECT_EQ(doc.FindValue(kHklm, "A\\C", "v"), (Value{kRegSz, "c\0"s}));
    const RegDocument prefixOnly =
        Doc("[HKEY_LOCAL_MACHINE\\A!]\n"
            "[HKEY_LOCAL_MACHINE\\AB\\x]\n");
    EXPECT_FALSE(prefixOnly.KeyExists(kHklm, "A"));
    EXPECT_TRUE(prefixOnly.SubKeys(kHklm, "A").empty());
}

// Lookups point into the document's own text and lists: a copy must answer after the original
// is gone, and a listing made before an edit must not outlive it.
TEST(RegDocumentTest, copiesAndEditsAnswerFromTheirOwnText) {
    std::optional<RegDocument> original = RegDocument::Parse(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Zeta]\r\n;class=\"kind\"\r\n\"n\"=dword:00000007\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Alpha]\r\n\"s\"=\"text\"\r\n");
    ASSERT_THAT(original->SubKeys(kHkcu, "software"), ElementsAre("Alpha", "Zeta"));
    RegDocument copy(*original);
    RegDocument assigned;
    assigned = *original;
    original.reset();
    for (const RegDocument* doc : {&copy, &assigned}) {
        EXPECT_THAT(doc->SubKeys(kHkcu, "SOFTWARE"), ElementsAre("Alpha", "Zeta"));
        EXPECT_EQ(doc->KeyClass(kHkcu, "Software\\Zeta"), "kind");
        EXPECT_EQ(doc->FindValue(kHkcu, "Software\\Zeta", "N"), (Value{kRegDword, "\x07\0\0\0"s}));
        EXPECT_EQ(doc->FindValue(kHkcu, "Software\\Alpha", "s"), (Value{kRegSz, "text\0"s}));
    }
    EXPECT_TRUE(copy.CreateKey(kHkcu, "Software\\Mid", ""));
    copy.SetValue(kHkcu, "Software\\Alpha", "s", {kRegSz, "changed\0"s});
    EXPECT_THAT(copy.SubKeys(kHkcu, "Software"), ElementsAre("Alpha", "Mid", "Zeta"));
    EXPECT_EQ(copy.FindValue(kHkcu, "Software\\Alpha", "s"), (Value{kRegSz, "changed\0"s}));
    EXPECT_THAT(assigned.SubKeys(kHkcu, "Software"), ElementsAre("Alpha", "Zeta"));
    EXPECT_EQ(RegDocument::Parse(copy.Render()).lines(), copy.lines());
}

TEST(RegDocumentTest, laterLinesOfAValueWinAndAllGoOnDelete) {
    RegDocument doc =
        Doc("[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"one\"\n\"v\"=\"two\"\n\n"
            "[HKEY_LOCAL_MACHINE\\K]\n\"V\"=\"three\"\n");
    EXPECT_EQ(doc.FindValue(kHklm, "K", "v"), (Value{kRegSz, "three\0"s}));
    doc.SetValue(kHklm, "K", "v", {kRegSz, "four\0"s});
    EXPECT_EQ(RegDocument::Parse(doc.Render()).FindValue(kHklm, "K", "v"),
              (Value{kRegSz, "four\0"s}));
    EXPECT_TRUE(doc.DeleteValue(kHklm, "K", "v"));
    EXPECT_FALSE(doc.FindValue(kHklm, "K", "v"));
    EXPECT_FALSE(doc.DeleteValue(kHklm, "K", "v"));
}

TEST(RegDocumentTest, keepsLinesItDoesNotUseAcrossEdits) {
    RegDocument doc =
        Doc("; kept comment\n"
            "[HKEY_CLASSES_ROOT\\.vld]\n"
            "@=\"not ours\"\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarvenholme\\VELLIND4]\n"
            "\"x\"=-\n"
            "this is no registry line\n"
            "\"s\"=str(2):\"abc\"\n"
            "\"q\"=qword:0000000000000001\n"
            "\n"
            "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone]\n"
            "\"hidden\"=\"under a deletion\"\n"
            "\n");
    const auto before = doc.lines();
    EXPECT_FALSE(doc.KeyExists(kHklm, ".vld"));
    EXPECT_FALSE(doc.FindValue(kHklm, kHost, "hidden"));
    EXPECT_FALSE(doc.FindValue(kHklm, kHost, "s"));
    doc.SetValue(kHklm, kHost, "DataBaseName", {kRegSz, "d\0"s});
    EXPECT_TRUE(doc.CreateKey(kHklm, kHost + "\\bonus\\TestStrip", ""));
    doc.SetValue(kHklm, "SOFTWARE\\Gone", "new", {kRegSz, "n\0"s});
    EXPECT_TRUE(KeepsAllLines(before, doc.lines()));
    const RegDocument again = RegDocument::Parse(doc.Render());
    EXPECT_EQ(again.FindValue(kHklm, kHost, "DataBaseName"), (Value{kRegSz, "d\0"s}));
    EXPECT_EQ(again.FindValue(kHklm, "SOFTWARE\\Gone", "new"), (Value{kRegSz, "n\0"s}));
    EXPECT_FALSE(again.FindValue(kHklm, "SOFTWARE\\Gone", "hidden"));
}

TEST(RegDocumentTest, toleratesMalformedLines) {
    for (const std::string& line :
         {"["s, "[HKLM"s, "[HKLM\\a\\\\b]"s, "[\\x]"s, "\"a"s, "\"a\"="s, "\"a\"=\"x\\\""s,
          "\"a\"=\"x\"y"s, "\"a\"x\"v\""s, "\"a\"=hex:zz"s, "\"a\"=hex:01 02"s, "\"a\"=hex(2)01"s,
          "\"a\"=dword:123456789"s, "\"a\"=hex:01,\\"s, "\"a\"=hex:01,\\ x"s, "@x"s, "\\"s,
          ";class=\"open"s, "\0\xFF\xFE[\0"s}) {
        SCOPED_TRACE(line);
        RegDocument doc = Doc("[HKEY_LOCAL_MACHINE\\K]\n" + line + "\n\"b\"=\"kept\"\n");
        EXPECT_TRUE(doc.KeyExists(kHklm, "K"));
        EXPECT_FALSE(doc.FindValue(kHklm, "K", "a"));  // half a value is none
        // A broken key line ends the key; anything else leaves the next value to it.
        if (line[0] != '[') {
            EXPECT_EQ(doc.FindValue(kHklm, "K", "b"), (Value{kRegSz, "kept\0"s}));
        }
        doc.SubKeys(kHklm, "");
        doc.KeyClass(kHklm, "K");
        const auto before = doc.lines();
        doc.SetValue(kHklm, "K", "probe", {kRegSz, "p\0"s});
        EXPECT_TRUE(KeepsAllLines(before, doc.lines()));
        EXPECT_EQ(doc.FindValue(kHklm, "K", "probe"), (Value{kRegSz, "p\0"s}));
    }
    // A type takes eight hex digits at the most.
    const RegDocument nine = Doc("[HKEY_LOCAL_MACHINE\\K]\n\"a\"=hex(100000001):01\n");
    EXPECT_FALSE(nine.FindValue(kHklm, "K", "a"));
}

// Random damage to a valid text never breaks reading, and edits keep every line they do not
// concern.
TEST(RegDocumentTest, survivesRandomDamage) {
    const std::string base =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarvenholme\\VELLIND4]\r\n"
        ";class=\"x\"\r\n"
        "\"DataBaseName\"=\"C:\\\\a\\\"b\"\r\n"
        "\"Blob\"=hex:01,02,\\\r\n  03,04\r\n"
        "\"n\"=dword:00000005\r\n\r\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\Tarvenholme\\VELLIND4\\MODULES\\m1]\r\n"
        "@=hex(2):41,00\r\n";
    const std::string alphabet = "[]\"\\=@;,:()-\n \tx0aF7hexdwordHKLM\xC3\xA4";
    std::mt19937 random(12345);
    for (int round = 0; round < 2000; ++round) {
        std::string text = base;
        const int edits = 1 + static_cast<int>(random() % 6);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % (text.size() + 1);
            const char c = alphabet[random() % alphabet.size()];
            const auto kind = random() % 3;
            if (kind == 0)
                text.insert(at, 1, c);
            else if (kind == 1 && at < text.size())
                text[at] = c;
            else if (kind == 2 && at < text.size())
                text.erase(at, 1);
        }
        RegDocument doc = RegDocument::Parse(text);
        ASSERT_EQ(RegDocument::Parse(doc.Render()).lines(), doc.lines()) << text;
        doc.SubKeys(kHklm, "SOFTWARE\\Tarvenholme");
        doc.FindValue(kHklm, kHost, "DataBaseName");
        const auto before = doc.lines();
        doc.SetValue(kHklm, kHost, "zz-probe", {kRegSz, "p\0"s});
        doc.CreateKey(kHkcu, kHost + "\\zz-new", "c");
        ASSERT_TRUE(KeepsAllLines(before, doc.lines())) << text;
        const RegDocument again = RegDocument::Parse(doc.Render());
        ASSERT_EQ(again.FindValue(kHklm, kHost, "zz-probe"), (Value{kRegSz, "p\0"s})) << text;
        ASSERT_EQ(again.KeyClass(kHkcu, kHost + "\\zz-new"), "c") << text;
    }
}

TEST(RegDocumentTest, keepsEveryLineEndingAsItWasRead) {
    // Mixed endings and a last line without one: an edit changes only the lines it touches.
    const std::string head = "Windows Registry Editor Version 5.00\r\n\n[HKEY_LOCAL_MACHINE\\A]\n";
    RegDocument doc = RegDocument::Parse(head + "\"x\"=\"1\"\r\n\"y\"=\"2\"");
    EXPECT_EQ(doc.Render(), head + "\"x\"=\"1\"\r\n\"y\"=\"2\"");
    doc.SetValue(kHkeyLocalMachine, "A", "x", {kRegSz, "3\0"s});
    EXPECT_EQ(doc.Render(), head + "\"x\"=\"3\"\r\n\"y\"=\"2\"");
    doc.SetValue(kHkeyLocalMachine, "A", "z", {kRegSz, "4\0"s});
    EXPECT_EQ(doc.Render(), head + "\"x\"=\"3\"\r\n\"y\"=\"2\"\r\n\"z\"=\"4\"");
    ASSERT_TRUE(doc.DeleteValue(kHkeyLocalMachine, "A", "z"));
    EXPECT_EQ(doc.Render(), head + "\"x\"=\"3\"\r\n\"y\"=\"2\"");
}

}  // namespace
}  // namespace stripstock
