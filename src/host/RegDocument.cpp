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
bool IsUnder(std::string_view fold, std::string_view ancestorFold) {
    if (ancestorFold.empty()) {
        return !fold.empty();
    }
    return fold.size() > ancestorFold.size() &&
           fold.compare(0, ancestorFold.size(), ancestorFold) == 0 &&
           fold[ancestorFold.size()] == '\\';
}

bool IsSelfOrUnder(std::string_view fold, std::string_view ancestorFold) {
    return fold == ancestorFold || IsUnder(fold, ancestorFold);
}

// The key path of a key line, or nullopt for a line this store does not use (another hive,
// a deletion "[-...]", text after the closing bracket).
// A key path without a trailing "\\"; nullopt when a part is empty or holds a line break or NUL.
std::optional<std::string_view> ValidPath(std::string_view path) {
    if (!path.empty() && path.back() == '\\') {
        path.remove_suffix(1);
    }
    if (path.empty()) {
        return path;
    }
    if (path.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos ||
        path.front() == '\\' || path.find("\\\\") != std::string_view::npos ||
        path.back() == '\\') {
        return std::nullopt;
    }
    return path;
}

std::optional<std::pair<std::uint32_t, std::string_view>> ParseKeyLine(std::string_view t) {
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
    const auto path = ValidPath(rest);
    if (!path) {
        return std::nullopt;
    }
    return std::make_pair(*hive, *path);
}

}  // namespace

RegDocument RegDocument::Parse(std::string_view text) { return ParseBuffer(std::string(text)); }

RegDocument RegDocument::ParseBuffer(std::string buffer) {
    RegDocument doc;
    auto chunk = std::make_shared<const std::string>(std::move(buffer));
    const std::string_view text = *chunk;
    doc.m_chunks.push_back(std::move(chunk));
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
    std::size_t size = 0;
    for (const std::string_view line : m_lines) {
        size += line.size() + 2;
    }
    std::string out;
    out.reserve(size);
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
    // Hive names are ASCII: a name with any other byte names no hive, folded or not.
    if (EqualsNoCase(name, "HKEY_LOCAL_MACHINE") || EqualsNoCase(name, "HKLM")) {
        return kHkeyLocalMachine;
    }
    if (EqualsNoCase(name, "HKEY_CURRENT_USER") || EqualsNoCase(name, "HKCU")) {
        return kHkeyCurrentUser;
    }
    return std::nullopt;
}

std::optional<std::string> RegDocument::NormalizePath(std::string_view path) {
    const auto valid = ValidPath(path);
    if (!valid) {
        return std::nullopt;
    }
    return std::string(*valid);
}

void RegDocument::Reparse() {
    m_blocks.clear();
    m_folds.clear();
    // Room for every key line at once: growing lists of a large store cost more than a count.
    std::size_t keyLines = 0;
    std::size_t keyBytes = 0;
    for (const std::string_view line : m_lines) {
        const std::size_t start = SkipBlanks(line, 0);
        if (start < line.size() && line[start] == '[') {
            ++keyLines;
            keyBytes += line.size();
        }
    }
    m_blocks.reserve(keyLines);
    m_folds.reserve(keyBytes);
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
                block.path = key->second;
                const std::string fold = UCaseCp1252(block.path);
                block.foldAt = m_folds.size();
                block.foldSize = fold.size();
                m_folds.insert(m_folds.end(), fold.begin(), fold.end());
            }
            m_blocks.push_back(std::move(block));
            continue;
        }
    }
    if (!m_blocks.empty()) {
        m_blocks.back().end = m_lines.size();
    }
    BuildIndex();
}

template <typename OnClass, typename OnValue>
void RegDocument::ScanBlock(const Block& block, OnClass&& onClass, OnValue&& onValue) const {
    if (block.hive == 0) {
        return;  // a key this store does not use: its lines do not count
    }
    for (std::size_t i = block.keyLine + 1; i < block.end; ++i) {
        const std::string_view line = m_lines[i];
        const std::string_view t = line.substr(SkipBlanks(line, 0));
        if (t.substr(0, kClassPrefix.size()) == kClassPrefix) {
            std::size_t pos = kClassPrefix.size();
            std::string name;
            if (ReadQuoted(t, pos, name) && onClass(std::move(name)) == Visit::Stop) {
                return;
            }
            continue;
        }
        if (!t.empty() && (t.front() == '"' || t.front() == '@')) {
            ValueLines value;
            if (ParseValue(i, value)) {
                // Hex data going on over lines never runs past the next key line.
                i = value.last;
                if (onValue(std::move(value)) == Visit::Stop) {
                    return;
                }
            }
        }
    }
}

RegDocument::RegDocument(const RegDocument& other)
    : m_chunks(other.m_chunks),
      m_lines(other.m_lines),
      m_ends(other.m_ends),
      m_crlf(other.m_crlf),
      m_blocks(other.m_blocks),
      m_folds(other.m_folds) {
    BuildIndex();
}

RegDocument& RegDocument::operator=(const RegDocument& other) {
    if (this != &other) {
        *this = RegDocument(other);
    }
    return *this;
}

const std::vector<RegDocument::IndexEntry>* RegDocument::IndexOf(std::uint32_t hive) const {
    if (hive == kHkeyLocalMachine) {
        return &m_machine;
    }
    if (hive == kHkeyCurrentUser) {
        return &m_user;
    }
    return nullptr;
}

namespace {

bool FoldBefore(const auto& a, const auto& b) { return a.fold < b.fold; }

}  // namespace

void RegDocument::BuildIndex() {
    m_machine.clear();
    m_user.clear();
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        const Block& b = m_blocks[i];
        if (b.hive == kHkeyLocalMachine) {
            m_machine.push_back({FoldOf(b), i});
        } else if (b.hive == kHkeyCurrentUser) {
            m_user.push_back({FoldOf(b), i});
        }
    }
    for (auto* index : {&m_machine, &m_user}) {
        // Stable: the lines of one key stay in text order. A text written sorted needs none.
        if (!std::is_sorted(index->begin(), index->end(), FoldBefore<IndexEntry, IndexEntry>)) {
            std::stable_sort(index->begin(), index->end(), FoldBefore<IndexEntry, IndexEntry>);
        }
    }
    m_subKeys = std::make_shared<SubKeyCache>();
}

std::span<const RegDocument::IndexEntry> RegDocument::BlocksOf(std::uint32_t hive,
                                                               std::string_view fold) const {
    const auto* index = IndexOf(hive);
    if (index == nullptr) {
        return {};
    }
    const IndexEntry key{fold, 0};
    const auto [first, last] =
        std::equal_range(index->begin(), index->end(), key, FoldBefore<IndexEntry, IndexEntry>);
    return {first, last};
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
    const std::string fold = UCaseCp1252(path);
    if (!BlocksOf(hive, fold).empty()) {
        return true;
    }
    // On the way to a key: the first entry after "fold\\" lies below it, if any does.
    const auto* index = IndexOf(hive);
    if (index == nullptr) {
        return false;
    }
    const std::string below = fold + '\\';
    const IndexEntry key{below, 0};
    const auto it =
        std::lower_bound(index->begin(), index->end(), key, FoldBefore<IndexEntry, IndexEntry>);
    return it != index->end() && it->fold.substr(0, below.size()) == below;
}

std::optional<std::string> RegDocument::KeyClass(std::uint32_t hive,
                                                 const std::string& path) const {
    if (!KeyExists(hive, path)) {
        return std::nullopt;
    }
    std::optional<std::string> className;
    for (const IndexEntry& entry : BlocksOf(hive, UCaseCp1252(path))) {
        ScanBlock(
            m_blocks[entry.block],
            [&](std::string name) {
                className = std::move(name);
                return Visit::Stop;
            },
            [](ValueLines&&) { return Visit::Next; });
        if (className) {
            return className;
        }
    }
    return std::string{};
}

std::vector<std::string> RegDocument::SubKeys(std::uint32_t hive, const std::string& path) const {
    const std::vector<std::string_view>* names = SubKeyList(hive, path);
    return names == nullptr ? std::vector<std::string>{}
                            : std::vector<std::string>(names->begin(), names->end());
}

const std::vector<std::string_view>* RegDocument::SubKeyList(std::uint32_t hive,
                                                             const std::string& path) const {
    const auto* index = IndexOf(hive);
    if (index == nullptr || !m_subKeys) {
        return nullptr;
    }
    const std::string fold = UCaseCp1252(path);
    std::string tag = std::to_string(hive);
    tag += ':';
    tag += fold;
    const std::lock_guard<std::mutex> guard(m_subKeys->mutex);
    if (const auto it = m_subKeys->lists.find(tag); it != m_subKeys->lists.end()) {
        return it->second.empty() ? nullptr : &it->second;
    }
    // The keys below lie together in the sorted index; each name is spelled as the first key
    // line at or below it spells it.
    const std::string below = fold.empty() ? std::string{} : fold + '\\';
    const IndexEntry key{below, 0};
    auto it =
        std::lower_bound(index->begin(), index->end(), key, FoldBefore<IndexEntry, IndexEntry>);
    std::map<std::string_view, std::pair<std::size_t, std::string_view>> names;
    for (; it != index->end() && it->fold.substr(0, below.size()) == below; ++it) {
        const std::string_view rest = it->fold.substr(below.size());
        if (rest.empty()) {
            continue;  // a key line naming the hive itself
        }
        const std::string_view name = rest.substr(0, rest.find('\\'));
        const std::string_view spelled = m_blocks[it->block].path.substr(below.size(), name.size());
        const auto [at, added] = names.try_emplace(name, it->block, spelled);
        if (!added && it->block < at->second.first) {
            at->second = {it->block, spelled};
        }
    }
    std::vector<std::string_view>& list = m_subKeys->lists[tag];
    list.reserve(names.size());
    for (const auto& entry : names) {
        list.push_back(entry.second.second);
    }
    return list.empty() ? nullptr : &list;
}

std::optional<RegDocument::ValueLines> RegDocument::FindValueLines(
    std::uint32_t hive, const std::string& fold, const std::string& nameFold) const {
    std::optional<ValueLines> found;
    for (const IndexEntry& entry : BlocksOf(hive, fold)) {
        ScanBlock(
            m_blocks[entry.block], [](std::string&&) { return Visit::Next; },
            [&](ValueLines&& v) {
                if (v.fold == nameFold) {
                    found = std::move(v);
                }
                return Visit::Next;
            });
    }
    return found;
}

std::optional<RegDocument::Value> RegDocument::FindValue(std::uint32_t hive,
                                                         const std::string& path,
                                                         const std::string& name) const {
    auto v = FindValueLines(hive, UCaseCp1252(path), UCaseCp1252(name));
    if (!v) {
        return std::nullopt;
    }
    return std::move(v->value);
}

const RegDocument::Block* RegDocument::LastBlockOf(std::uint32_t hive,
                                                   const std::string& fold) const {
    const auto blocks = BlocksOf(hive, fold);
    return blocks.empty() ? nullptr : &m_blocks[blocks.back().block];
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
    std::string text;
    for (const auto& line : lines) {
        text += line;
    }
    auto chunk = std::make_shared<const std::string>(std::move(text));
    std::vector<std::string_view> views;
    views.reserve(lines.size());
    std::size_t offset = 0;
    for (const auto& line : lines) {
        views.push_back(std::string_view(*chunk).substr(offset, line.size()));
        offset += line.size();
    }
    m_chunks.push_back(std::move(chunk));
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(pos), views.begin(), views.end());
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
        InsertLines(0, {kHeader, ""});
        m_ends = {DefaultEnd(), DefaultEnd()};
        Reparse();
    }
    const std::string fold = UCaseCp1252(path);
    std::size_t pos = m_lines.size();
    std::string spelled;
    if (KeyExists(hive, path)) {
        // A key that so far only lies on the way to others goes in front of them.
        for (const auto& b : m_blocks) {
            if (b.hive == hive && IsUnder(FoldOf(b), fold)) {
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
            if (b.hive == hive && IsSelfOrUnder(FoldOf(b), ancestor)) {
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
        if (b.hive == hive && IsSelfOrUnder(FoldOf(b), existingFold)) {
            return std::string(b.path.substr(0, existingFold.size())) +
                   path.substr(existingFold.size());
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
    if (const auto existing = FindValueLines(hive, fold, UCaseCp1252(name))) {
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
    for (const IndexEntry& entry : BlocksOf(hive, fold)) {
        ScanBlock(
            m_blocks[entry.block], [](std::string&&) { return Visit::Next; },
            [&](ValueLines&& v) {
                if (v.fold == nameFold) {
                    ranges.emplace_back(v.first, v.last);
                }
                return Visit::Next;
            });
    }
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        EraseLines(it->first, it->second);
    }
    Reparse();
    return !ranges.empty();
}

}  // namespace stripstock
