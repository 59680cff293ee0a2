#include "text/CaseFold.h"

namespace stripstock {

namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// U+00E0..U+00FE are C3 A0..C3 BE; their capitals lie 0x20 lower. U+00F7 (division sign) is
// no letter; U+00DF (sharp s) has no capital here.
std::string FoldUpper(std::string_view text, bool cp1252Letters) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c < 0x80) {
            out[i] = AsciiUpper(out[i]);
            continue;
        }
        if (i + 1 >= out.size()) {
            continue;
        }
        const auto d = static_cast<unsigned char>(out[i + 1]);
        if (c == 0xC3 && d >= 0xA0 && d <= 0xBE && d != 0xB7) {
            out[i + 1] = static_cast<char>(d - 0x20);  // à..þ -> À..Þ
        } else if (cp1252Letters && c == 0xC3 && d == 0xBF) {
            out[i] = static_cast<char>(0xC5);  // ÿ -> Ÿ
            out[i + 1] = static_cast<char>(0xB8);
        } else if (cp1252Letters && c == 0xC5 && (d == 0xA1 || d == 0x93 || d == 0xBE)) {
            out[i + 1] = static_cast<char>(d - 1);  // š œ ž -> Š Œ Ž
        }
        // The byte after a lead byte is not read again; the registry's names skip it after
        // every lead byte, the file names only after C3.
        if (cp1252Letters ? c >= 0xC0 : c == 0xC3) {
            ++i;
        }
    }
    return out;
}

}  // namespace

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (AsciiLower(text[i]) != AsciiLower(prefix[i])) {
            return false;
        }
    }
    return true;
}

std::string UCase(std::string_view text) { return FoldUpper(text, false); }

std::string UCaseCp1252(std::string_view text) { return FoldUpper(text, true); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace stripstock
