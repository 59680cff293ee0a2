#include "host/RegDocument.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "host/RegistryBackend.h"
#include "text/CaseFold.h"
#include "text/Cp1252.h"

namespace stripstock {

namespace {

constexpr std::size_t kMaxHexLine = 80;
constexpr std::string_view kClassPrefix = ";class=";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::size_t SkipBlanks(std::string_view s, std::size_t pos) {
    while (pos < s.size() && IsBlank(s[pos])) {
        ++pos;
    }
    return pos;
}

bool IsBlankLine(std::string_view s) { return SkipBlanks(s, 0) == s.size(); }

// The rest of a line may hold blanks and a ";" comment.
bool OnlyCommentFollows(std::string_view s, std::size_t pos) {
    pos = SkipBlanks(s, pos);
    return pos == s.size() || s[pos] == ';';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads up to maxDigits hex digits; false when there is none.
bool ReadHex(std::string_view s, std::size_t& pos, std::size_t maxDigits, std::uint32_t& out) {
    std::size_t digits = 0;
    out = 0;
    while (pos < s.size() && digits < maxDigits && HexDigit(s[pos]) >= 0) {
        out = out << 4 | static_cast<std::uint32_t>(HexDigit(s[pos]));
        ++pos;
        ++digits;
    }
    return digits > 0;
}

// A quoted text with the escapes \\ and \" (and \n, \r, \0 as some editors write them);
// another backslash is kept as it stands.
bool ReadQuoted(std::string_view s, std::size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"') {
        return false;
    }
    out.clear();
    for (std::size_t i = pos + 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            pos = i + 1;
            return true;
        }
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (++i == s.size()) {
            return false;
        }
        switch (s[i]) {
            case '\\':
                out.push_back('\\');
                break;
            case '"':
                out.push_back('"');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case '0':
                out.push_back('\0');
                break;
            default:
                out.push_back('\\');
                out.push_back(s[i]);
        }
    }
    return false;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                out.push_back(c);
        }
    }
    out.push_back('"');
    return out;
}

// Whether a REG_SZ can be written as "text" and read back byte for byte.
bool IsQuotable(const std::string& data) {
    if (data.empty() || data.back() != '\0') {
        return false;
    }
    const std::string_view text(data.data(), data.size() - 1);
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if ((code < 0x20 && c != '\t') || code == 0x7F) {
            return false;
        }
    }
    return IsUtf8(text);
}

std::vector<std::string> RenderValueLines(const std::string& name,
                                          const RegDocument::Value& value) {
    std::string head = name.empty() ? std::string("@=") : Quote(name) + "=";
    if (value.type == kRegSz && IsQuotable(value.data)) {
        return {head + Quote(std::string_view(value.data.data(), value.data.size() - 1))};
    }
    char buffer[32];
    if (value.type == kRegDword && value.data.size() == 4) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i) {
            n = n << 8 | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
        }
        std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(n));
        return {head + buffer};
    }
    if (value.type == kRegBinary) {
        head += "hex:";
    } else {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
        head += buffer;
    }
    // Hex data wraps with ",\" and goes on after two blanks, as the registry editor writes it.
    std::vector<std::string> lines;
    std::string line = std::move(head);
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x",
                      static_cast<unsigned>(static_cast<unsigned char>(value.data[i])));
        std::string piece = buffer;
        if (i + 1 < value.data.size()) {
            piece.push_back(',');
        }
        if (line.size() + piece.size() + 1 > kMaxHexLine) {
            line.push_back('\\');
            lines.push_back(std::move(line));
            line = "  ";
        }
        line += piece;
    }
    lines.push_back(std::move(line));
    return lines;
}

const char* HiveName(std::uint32_t hive) {
    return hive == kHkeyCurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

// Whether fold names a key strictly below ancestorFold ("" is the root of the hive).
bool IsUnder(const std::string& fold, const std::string& ancestorFold) {
    if (ancestorFold.empty()) {
        return !fold.empty();
    }
    return fold.size() > ancestorFold.size() &&
           fold.compare(0, ancestorFold.size(), ancestorFold) == 0 &&
           fold[ancestorFold.size()] == '\\';
}

bool IsSelfOrUnder(const std::string& fold, const std::string& ancestorFold) {
    return fold == ancestorFold || IsUnder(fold, ancestorFold);
}

// The key path of a key line, or nullopt for a line this store does not use (another hive,
// a deletion "[-...]", text after the closing bracket).
std::optional<std::pair<std::uint32_t, std::string>> ParseKeyLine(std::string_view t) {
    const std::size_t close = t.rfind(']');
    if (close == std::string_view::npos || !IsBlankLine(t.substr(close + 1))) {
        return std::nullopt;
    }
    const std::string_view inner = t.substr(1, close - 1);
    if (inner.empty() || inner.front() == '-') {
        return std::nullopt;
    }
    const std::size_t slash = inner.find('\\');
    const auto hive = RegDocument::HiveFromName(inner.substr(0, slash));
    if (!hive) {
        return std::nullopt;
    }
    const std::string_view rest =
        slash == std::string_view::npos ? std::string_view{} : inner.substr(slash + 1);
    auto path = RegDocument::NormalizePath(rest);
    if (!path) {
        return std::nullopt;
    }
    return std::make_pair(*hive, std::move(*path));
}

}  // namespace

RegDocument RegDocument::Parse(std::string_view text) {
    RegDocument doc;
    // Lines end as the registry editor ends them (CRLF) unless the text uses LF only.
    doc.m_crlf =
        text.find('\n') == std::string_view::npos || text.find("\r\n") != std::string_view::npos;
    const auto lineCount = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    doc.m_lines.reserve(lineCount);
    doc.m_ends.reserve(lineCount);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t next = text.find('\n', pos);
        if (next == std::string_view::npos) {
            next = text.size();
        }
        std::string_view line = text.substr(pos, next - pos);
        LineEnd end = next == text.size() ? LineEnd::None : LineEnd::Lf;
        if (end == LineEnd::Lf && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
            end = LineEnd::CrLf;
        }
        doc.m_lines.emplace_back(line);
        doc.m_ends.push_back(end);
        pos = next + 1;
    }
    doc.Reparse();
    return doc;
}

std::string RegDocument::Render() const {
    // Every line keeps the ending it was read with; added lines take the text's own.
    std::string out;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        out += m_lines[i];
        switch (i < m_ends.size() ? m_ends[i] : DefaultEnd()) {
            case LineEnd::CrLf:
                out += "\r\n";
                break;
            case LineEnd::Lf:
                out += '\n';
                break;
            case LineEnd::None:
                break;
        }
    }
    return out;
}

std::optional<std::uint32_t> RegDocument::HiveFromName(std::string_view name) {
    const std::string upper = UCaseCp1252(name);
    if (upper == "HKEY_LOCAL_MACHINE" || upper == "HKLM") {
        return kHkeyLocalMachine;
    }
    if (upper == "HKEY_CURRENT_USER" || upper == "HKCU") {
        return kHkeyCurrentUser;
    }
    return std::nullopt;
}

std::optional<std::string> RegDocument::NormalizePath(std::string_view path) {
    if (!path.empty() && path.back() == '\\') {
        path.remove_suffix(1);
    }
    if (path.empty()) {
        return std::string{};
    }
    if (path.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos ||
        path.front() == '\\' || path.find("\\\\") != std::string_view::npos ||
        path.back() == '\\') {
        return std::nullopt;
    }
    return std::string(path);
}

void RegDocument::Reparse() {
    m_blocks.clear();
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        std::string_view line = m_lines[i];
        if (i == 0 && line.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
            line.remove_prefix(kUtf8Bom.size());
        }
        const std::string_view t = line.substr(SkipBlanks(line, 0));
        if (!t.empty() && t.front() == '[') {
            if (!m_blocks.empty()) {
                m_blocks.back().end = i;
            }
            Block block;
            block.keyLine = i;
            if (auto key = ParseKeyLine(t)) {
                block.hive = key->first;
                block.path = std::move(key->second);
                block.fold = UCaseCp1252(block.path);
            }
            m_blocks.push_back(std::move(block));
            continue;
        }
        if (m_blocks.empty() || m_blocks.back().hive == 0) {
            continue;  // text before the first key, or under a key this store does not use
        }
        Block& block = m_blocks.back();
        if (t.substr(0, kClassPrefix.size()) == kClassPrefix) {
            std::size_t pos = kClassPrefix.size();
            std::string name;
            if (!block.className && ReadQuoted(t, pos, name)) {
                block.className = std::move(name);
            }
            continue;
        }
        if (!t.empty() && (t.front() == '"' || t.front() == '@')) {
            ValueLines value;
            if (ParseValue(i, value)) {
                i = value.last;
                block.values.push_back(std::move(value));
            }
        }
    }
    if (!m_blocks.empty()) {
        m_blocks.back().end = m_lines.size();
    }
    BuildIndex();
}

std::string RegDocument::Tagged(std::uint32_t hive, std::string_view fold) {
    std::string tag = std::to_string(hive);
    tag += ':';
    tag += fold;
    return tag;
}

void RegDocument::BuildIndex() {
    m_existing.clear();
    m_blocksOf.clear();
    m_children.clear();
    m_blocksOf.reserve(m_blocks.size());
    m_existing.reserve(m_blocks.size());
    std::unordered_map<std::string, std::map<std::string, std::string>> children;
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        const Block& b = m_blocks[i];
        if (b.hive == 0) {
            continue;
        }
        std::string tag = Tagged(b.hive, b.fold);
        m_blocksOf[tag].push_back(i);
        // From the key up towards the root: once a key is known, so is every key above it,
        // each already listed under its parent in its first spelling.
        const std::size_t tagged = tag.size() - b.fold.size();
        std::size_t end = b.fold.size();
        while (end > 0) {
            tag.resize(tagged + end);
            if (!m_existing.insert(tag).second) {
                break;
            }
            const std::size_t slash = b.fold.rfind('\\', end - 1);
            const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
            const std::size_t parentEnd = slash == std::string::npos ? 0 : slash;
            children[tag.substr(0, tagged + parentEnd)].emplace(b.fold.substr(start, end - start),
                                                                b.path.substr(start, end - start));
            end = parentEnd;
        }
    }
    for (auto& [parent, names] : children) {
        std::vector<std::string>& list = m_children[parent];
        list.reserve(names.size());
        for (auto& entry : names) {
            list.push_back(std::move(entry.second));
        }
    }
}

const std::vector<std::size_t>* RegDocument::BlocksOf(std::uint32_t hive,
                                                      const std::string& fold) const {
    const auto it = m_blocksOf.find(Tagged(hive, fold));
    return it == m_blocksOf.end() ? nullptr : &it->second;
}

bool RegDocument::ParseValue(std::size_t index, ValueLines& out) const {
    const std::string_view s = m_lines[index];
    std::size_t pos = SkipBlanks(s, 0);
    std::string name;
    if (s[pos] == '@') {
        ++pos;
    } else if (!ReadQuoted(s, pos, name)) {
        return false;
    }
    pos = SkipBlanks(s, pos);
    if (pos >= s.size() || s[pos] != '=') {
        return false;
    }
    pos = SkipBlanks(s, pos + 1);

    out.fold = UCaseCp1252(name);
    out.name = name;
    out.first = index;
    out.last = index;
    if (pos < s.size() && s[pos] == '"') {
        std::string text;
        if (!ReadQuoted(s, pos, text) || !OnlyCommentFollows(s, pos)) {
            return false;
        }
        text.push_back('\0');
        out.value = {kRegSz, std::move(text)};
        return true;
    }
    if (StartsWithNoCase(s.substr(pos), "dword:")) {
        pos += 6;
        std::uint32_t n = 0;
        if (!ReadHex(s, pos, 8, n) || !OnlyCommentFollows(s, pos)) {
            return false;
        }
        std::string bytes(4, '\0');
        for (std::size_t k = 0; k < 4; ++k) {
            bytes[k] = static_cast<char>(n >> (8 * k) & 0xFF);
        }
        out.value = {kRegDword, std::move(bytes)};
        return true;
    }
    std::uint32_t type = kRegBinary;
    if (StartsWithNoCase(s.substr(pos), "hex:")) {
        pos += 4;
    } else if (StartsWithNoCase(s.substr(pos), "hex(")) {
        pos += 4;
        if (!ReadHex(s, pos, 8, type) || pos + 1 >= s.size() || s[pos] != ')' ||
            s[pos + 1] != ':') {
            return false;
        }
        pos += 2;
    } else {
        return false;
    }

    // Comma-separated bytes; a line ending in "\" goes on at the next line that is neither
    // blank nor a comment.
    std::string bytes;
    std::size_t lineIndex = index;
    std::string_view line = s;
    for (;;) {
        pos = SkipBlanks(line, pos);
        bool more = false;
        bool expectByte = true;
        while (pos < line.size()) {
            if (line[pos] == '\\') {
                if (!IsBlankLine(line.substr(pos + 1))) {
                    return false;
                }
                more = true;
                break;
            }
            if (line[pos] == ';') {
                break;
            }
            if (!expectByte) {
                return false;
            }
            std::uint32_t byte = 0;
            if (!ReadHex(line, pos, 2, byte)) {
                return false;
            }
            bytes.push_back(static_cast<char>(byte));
            pos = SkipBlanks(line, pos);
            if (pos < line.size() && line[pos] == ',') {
                pos = SkipBlanks(line, pos + 1);
            } else {
                expectByte = false;
            }
        }
        if (!more) {
            break;
        }
        std::size_t next = lineIndex + 1;
        while (next < m_lines.size()) {
            const std::string_view candidate = m_lines[next];
            const std::size_t start = SkipBlanks(candidate, 0);
            if (start != candidate.size() && candidate[start] != ';') {
                break;
            }
            ++next;
        }
        if (next == m_lines.size()) {
            break;
        }
        lineIndex = next;
        line = m_lines[next];
        pos = 0;
    }
    out.last = lineIndex;
    out.value = {type, std::move(bytes)};
    return true;
}

bool RegDocument::KeyExists(std::uint32_t hive, const std::string& path) const {
    if (path.empty()) {
        return true;
    }
    return m_existing.count(Tagged(hive, UCaseCp1252(path))) != 0;
}

std::optional<std::string> RegDocument::KeyClass(std::uint32_t hive,
                                                 const std::string& path) const {
    if (!KeyExists(hive, path)) {
        return std::nullopt;
    }
    if (const auto* blocks = BlocksOf(hive, UCaseCp1252(path))) {
        for (const std::size_t i : *blocks) {
            if (m_blocks[i].className) {
                return m_blocks[i].className;
            }
        }
    }
    return std::string{};
}

std::vector<std::string> RegDocument::SubKeys(std::uint32_t hive, const std::string& path) const {
    const std::vector<std::string>* names = SubKeyList(hive, path);
    return names == nullptr ? std::vector<std::string>{} : *names;
}

const std::vector<std::string>* RegDocument::SubKeyList(std::uint32_t hive,
                                                        const std::string& path) const {
    const auto it = m_children.find(Tagged(hive, UCaseCp1252(path)));
    return it == m_children.end() ? nullptr : &it->second;
}

const RegDocument::ValueLines* RegDocument::FindValueLines(std::uint32_t hive,
                                                           const std::string& fold,
                                                           const std::string& nameFold) const {
    const ValueLines* found = nullptr;
    const auto* blocks = BlocksOf(hive, fold);
    if (blocks == nullptr) {
        return nullptr;
    }
    for (const std::size_t i : *blocks) {
        for (const auto& v : m_blocks[i].values) {
            if (v.fold == nameFold) {
                found = &v;
            }
        }
    }
    return found;
}

std::optional<RegDocument::Value> RegDocument::FindValue(std::uint32_t hive,
                                                         const std::string& path,
                                                         const std::string& name) const {
    const ValueLines* v = FindValueLines(hive, UCaseCp1252(path), UCaseCp1252(name));
    if (v == nullptr) {
        return std::nullopt;
    }
    return v->value;
}

const RegDocument::Block* RegDocument::LastBlockOf(std::uint32_t hive,
                                                   const std::string& fold) const {
    const auto* blocks = BlocksOf(hive, fold);
    return blocks == nullptr ? nullptr : &m_blocks[blocks->back()];
}

void RegDocument::InsertLines(std::size_t pos, const std::vector<std::string>& lines) {
    if (lines.empty()) {
        return;
    }
    // Lines added after a last line without ending: that line gets one, the new last line
    // goes without, so the text still ends as it did.
    LineEnd last = DefaultEnd();
    if (pos == m_lines.size() && pos > 0 && m_ends[pos - 1] == LineEnd::None) {
        m_ends[pos - 1] = DefaultEnd();
        last = LineEnd::None;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(pos), lines.begin(), lines.end());
    std::vector<LineEnd> ends(lines.size(), DefaultEnd());
    ends.back() = last;
    m_ends.insert(m_ends.begin() + static_cast<std::ptrdiff_t>(pos), ends.begin(), ends.end());
}

void RegDocument::EraseLines(std::size_t first, std::size_t last) {
    // The last line of the text keeps its missing ending when it is the one removed.
    const bool endsText = last + 1 == m_lines.size();
    const LineEnd lastEnd = m_ends[last];
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(first),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(last + 1));
    m_ends.erase(m_ends.begin() + static_cast<std::ptrdiff_t>(first),
                 m_ends.begin() + static_cast<std::ptrdiff_t>(last + 1));
    if (endsText && first > 0) {
        m_ends[first - 1] = lastEnd == LineEnd::None ? LineEnd::None : m_ends[first - 1];
    }
}

void RegDocument::InsertKeyBlock(std::uint32_t hive, const std::string& path,
                                 const std::string& className) {
    if (m_lines.empty()) {
        m_lines = {kHeader, ""};
        m_ends = {DefaultEnd(), DefaultEnd()};
        Reparse();
    }
    const std::string fold = UCaseCp1252(path);
    std::size_t pos = m_lines.size();
    std::string spelled;
    if (KeyExists(hive, path)) {
        // A key that so far only lies on the way to others goes in front of them.
        for (const auto& b : m_blocks) {
            if (b.hive == hive && IsUnder(b.fold, fold)) {
                pos = b.keyLine;
                break;
            }
        }
        spelled = Spelled(hive, path, fold);
    } else {
        // A new key goes after the last key below its nearest existing ancestor.
        std::string ancestor = fold;
        do {
            const std::size_t slash = ancestor.rfind('\\');
            ancestor.erase(slash == std::string::npos ? 0 : slash);
        } while (!ancestor.empty() && !KeyExists(hive, ancestor));
        for (const auto& b : m_blocks) {
            if (b.hive == hive && IsSelfOrUnder(b.fold, ancestor)) {
                pos = b.end;
            }
        }
        spelled = Spelled(hive, path, ancestor);
    }

    std::vector<std::string> lines;
    if (pos > 0 && !IsBlankLine(m_lines[pos - 1])) {
        lines.emplace_back();
    }
    lines.push_back(std::string("[") + HiveName(hive) + (path.empty() ? "" : "\\") + spelled + "]");
    if (!className.empty()) {
        lines.push_back(std::string(kClassPrefix) + Quote(className));
    }
    if (pos == m_lines.size() || !IsBlankLine(m_lines[pos])) {
        lines.emplace_back();
    }
    InsertLines(pos, lines);
    Reparse();
}

// The path with its existing part spelled as the text already spells it.
std::string RegDocument::Spelled(std::uint32_t hive, const std::string& path,
                                 const std::string& existingFold) const {
    if (existingFold.empty()) {
        return path;
    }
    for (const auto& b : m_blocks) {
        if (b.hive == hive && IsSelfOrUnder(b.fold, existingFold)) {
            return b.path.substr(0, existingFold.size()) + path.substr(existingFold.size());
        }
    }
    return path;
}

bool RegDocument::CreateKey(std::uint32_t hive, const std::string& path,
                            const std::string& className) {
    if (KeyExists(hive, path)) {
        return false;
    }
    InsertKeyBlock(hive, path, className);
    return true;
}

void RegDocument::SetValue(std::uint32_t hive, const std::string& path, const std::string& name,
                           const Value& value) {
    const std::string fold = UCaseCp1252(path);
    if (const ValueLines* existing = FindValueLines(hive, fold, UCaseCp1252(name))) {
        // The value keeps the spelling of its name.
        const std::vector<std::string> lines = RenderValueLines(existing->name, value);
        const std::size_t at = existing->first;
        const bool endsText = existing->last + 1 == m_lines.size();
        const LineEnd lastEnd = m_ends[existing->last];
        EraseLines(at, existing->last);
        InsertLines(at, lines);
        if (endsText) {
            m_ends[at + lines.size() - 1] = lastEnd;
        }
        Reparse();
        return;
    }
    const std::vector<std::string> lines = RenderValueLines(name, value);
    const Block* block = LastBlockOf(hive, fold);
    if (block == nullptr) {
        InsertKeyBlock(hive, path, {});
        block = LastBlockOf(hive, fold);
    }
    std::size_t pos = block->end;
    while (pos > block->keyLine + 1 && IsBlankLine(m_lines[pos - 1])) {
        --pos;
    }
    InsertLines(pos, lines);
    Reparse();
}

bool RegDocument::DeleteValue(std::uint32_t hive, const std::string& path,
                              const std::string& name) {
    const std::string fold = UCaseCp1252(path);
    const std::string nameFold = UCaseCp1252(name);
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    for (const auto& b : m_blocks) {
        if (b.hive != hive || b.fold != fold) {
            continue;
        }
        for (const auto& v : b.values) {
            if (v.fold == nameFold) {
                ranges.emplace_back(v.first, v.last);
            }
        }
    }
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        EraseLines(it->first, it->second);
    }
    Reparse();
    return !ranges.empty();
}

}  // namespace stripstock
