#include "meters/PrivateProfile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>

#include "text/CaseFold.h"
#include "text/Cp1252.h"
#include "text/TextHelpers.h"
#include "text/UserText.h"

namespace stripstock {

namespace {

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsProfileBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsProfileBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The file's text as UTF-8, or nullopt when there is no readable file.
std::optional<std::string> ReadProfileText(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        DebugLog("GetPrivateProfileString", "cannot read " + path);
        return std::nullopt;
    }
    const std::string_view v(bytes);
    if (v.substr(0, 3) == "\xEF\xBB\xBF" && IsUtf8(v.substr(3))) return std::string(v.substr(3));
    if (v.substr(0, 2) == "\xFF\xFE") return Utf16ToUtf8Replacing(Utf16Units(v.substr(2), false));
    if (v.substr(0, 2) == "\xFE\xFF") return Utf16ToUtf8Replacing(Utf16Units(v.substr(2), true));
    return Cp1252ToUtf8(v);
}

// A value that starts and ends with the same quote character loses both.
std::string_view StripQuotes(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// At most maxChars characters of UTF-8 text, never splitting a character; stops at a NUL
// as the C-string result would.
std::string CutToChars(std::string_view v, std::size_t maxChars) {
    if (const auto nul = v.find('\0'); nul != std::string_view::npos) v = v.substr(0, nul);
    std::size_t chars = 0;
    std::size_t i = 0;
    while (i < v.size()) {
        if ((static_cast<unsigned char>(v[i]) & 0xC0) != 0x80) {
            if (chars == maxChars) break;
            ++chars;
        }
        ++i;
    }
    return std::string(v.substr(0, i));
}

// The value of key in the first section named section; nullopt when the key is missing or
// its line has no "=".
std::optional<std::string_view> FindValue(std::string_view text, std::string_view section,
                                          std::string_view key) {
    // Lines before the first header belong to a nameless section.
    bool inWanted = section.empty();
    bool searched = inWanted;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const ProfileLine line = ParseProfileLine(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.kind == ProfileLine::Kind::Section) {
            // Only the first section of a name is searched.
            if (searched) return std::nullopt;
            inWanted = SameProfileName(line.name, section);
            searched = inWanted;
            continue;
        }
        if (!inWanted || line.kind != ProfileLine::Kind::Key) continue;
        // The first line of the key's name decides, with a value or without.
        if (SameProfileName(line.name, key)) return line.value;
    }
    return std::nullopt;
}

}  // namespace

bool IsProfileBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view TrimProfileBlanks(std::string_view s) { return TrimRight(TrimLeft(s)); }

bool SameProfileName(std::string_view a, std::string_view b) {
    return a == b || UCase(a) == UCase(b);
}

ProfileLine ParseProfileLine(std::string_view text) {
    ProfileLine line;
    text = TrimProfileBlanks(text);
    if (text.empty() || text.front() == ';') return line;
    if (text.front() == '[') {
        if (const auto close = text.rfind(']'); close != std::string_view::npos) {
            line.kind = ProfileLine::Kind::Section;
            line.name = text.substr(1, close - 1);
            return line;
        }
    }
    const auto eq = text.find('=');
    line.kind = ProfileLine::Kind::Key;
    line.name = TrimRight(text.substr(0, eq));
    if (eq != std::string_view::npos) line.value = TrimLeft(text.substr(eq + 1));
    return line;
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, std::size_t bufferSize,
                                    const std::string& filePath) {
    if (bufferSize == 0) return {};
    const std::size_t maxChars = bufferSize - 1;
    std::string_view def(defaultValue);
    while (!def.empty() && def.back() == ' ') def.remove_suffix(1);

    const auto text = ReadProfileText(filePath);
    if (!text) return CutToChars(def, maxChars);

    const std::string_view wantedKey = TrimProfileBlanks(key);
    std::optional<std::string_view> value;
    if (!wantedKey.empty()) value = FindValue(*text, TrimProfileBlanks(section), wantedKey);
    return CutToChars(StripQuotes(value.value_or(def)), maxChars);
}

}  // namespace stripstock
