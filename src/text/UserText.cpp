#include "text/UserText.h"

#include <cstdint>

#include "text/Cp1252.h"

namespace stripstock {

namespace {

// Decodes the code point at pos of well-formed UTF-8 and moves pos past it.
char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    int extra = 0;
    char32_t cp = lead;
    if (lead >= 0xF0) {
        extra = 3;
        cp = lead & 0x07u;
    } else if (lead >= 0xE0) {
        extra = 2;
        cp = lead & 0x0Fu;
    } else if (lead >= 0xC0) {
        extra = 1;
        cp = lead & 0x1Fu;
    }
    ++pos;
    for (int i = 0; i < extra && pos < text.size(); ++i, ++pos)
        cp = (cp << 6) | (static_cast<unsigned char>(text[pos]) & 0x3Fu);
    return cp;
}

}  // namespace

bool IsAcceptableUserText(std::string_view text) {
    if (!IsUtf8(text)) return false;
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t cp = NextCodePoint(text, pos);
        if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) return false;
    }
    return true;
}

std::string EscapeTsvCell(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::u16string Utf16Units(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a));
    }
    return units;
}

namespace {

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Decodes the code point at i and moves i past it; a surrogate without its partner gives
// nullopt and moves past that one unit.
std::optional<char32_t> NextUnitCodePoint(std::u16string_view units, std::size_t& i) {
    const char32_t u = units[i++];
    if (IsHighSurrogate(u) && i < units.size() && IsLowSurrogate(units[i])) {
        return 0x10000 + ((u - 0xD800) << 10) + (units[i++] - 0xDC00);
    }
    if (IsHighSurrogate(u) || IsLowSurrogate(u)) return std::nullopt;
    return u;
}

}  // namespace

std::optional<std::string> Utf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    const std::u16string units = Utf16Units(bytes, bigEndian);
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size();) {
        const auto cp = NextUnitCodePoint(units, i);
        if (!cp) return std::nullopt;
        AppendUtf8(out, *cp);
    }
    return out;
}

std::string Utf16ToUtf8Replacing(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size();) {
        AppendUtf8(out, NextUnitCodePoint(units, i).value_or(0xFFFD));
    }
    return out;
}

std::string Utf8ToUtf16Bytes(std::string_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2);
    auto put = [&](std::uint32_t unit) {
        const auto hi = static_cast<char>((unit >> 8) & 0xFFu);
        const auto lo = static_cast<char>(unit & 0xFFu);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t cp = NextCodePoint(text, pos);
        if (cp >= 0x10000) {
            put(0xD800u + ((cp - 0x10000u) >> 10));
            put(0xDC00u + ((cp - 0x10000u) & 0x3FFu));
        } else {
            put(cp);
        }
    }
    return out;
}

}  // namespace stripstock
