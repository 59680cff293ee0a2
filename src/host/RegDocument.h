#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace stripstock {

// A registry store kept as the text of a registry editor export, in UTF-8:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Tarvenholme\VELLIND4]
//   ;class="string"
//   "DataBaseName"="C:\\Daten\\diary.VLD"
//   @="default value"
//   "Count"=dword:0000002a
//   "Blob"=hex:01,02,03
//   "Path"=hex(2):25,54,45,4d,50,25,00
//
// A REG_SZ stored with its closing NUL and holding no control character but tab is written
// quoted (escapes \\ and \"); any other REG_SZ (no NUL, a NUL inside, line breaks, bytes that
// are not UTF-8) is written as hex(1): with the stored bytes, so reading gives back exactly
// what was written. hex(N): data of string types is the UTF-8 bytes with the NUL as stored.
// The ";class=" comment, which the registry editor skips, keeps the class name of a key.
//
// Every line keeps the ending it was read with (CRLF, LF, or none for a last line without);
// added lines end in CRLF, as the registry editor writes them, unless the text uses LF only.
// Keys of other hives, deletion lines ("[-...]", "=-"), value types written in other ways
// (str(2):, qword:) and malformed lines are not read, and values below such a key line do not
// count. Keys and value names ignore case and keep the spelling first written; a key line
// also makes every key on its path exist.
//
// The text is held as its lines. Edits replace or insert only the lines of the key or value
// they touch; comments, unknown and malformed lines stay as they were.
//
// A store may hold hundreds of thousands of keys of other programs while a command asks for a
// few: the text stays one buffer with lines as views into it, and values and classes are read
// from a key's lines only when asked for.
class RegDocument {
  public:
    struct Value {
        std::uint32_t type = 0;
        std::string data;
        bool operator==(const Value&) const = default;
    };

    static constexpr const char* kHeader = "Windows Registry Editor Version 5.00";

    RegDocument() = default;
    // The index points into the document's own blocks: a copy builds its own.
    RegDocument(const RegDocument& other);
    RegDocument& operator=(const RegDocument& other);
    RegDocument(RegDocument&&) noexcept = default;
    RegDocument& operator=(RegDocument&&) noexcept = default;
    ~RegDocument() = default;
    static RegDocument Parse(std::string_view text);
    // The same without a copy of the text.
    static RegDocument ParseBuffer(std::string text);
    std::string Render() const;

    // "HKEY_LOCAL_MACHINE" / "HKLM" and "HKEY_CURRENT_USER" / "HKCU"; nullopt for others.
    static std::optional<std::uint32_t> HiveFromName(std::string_view name);
    // A key path without a trailing "\"; nullopt when a part is empty or holds a line break
    // or NUL (such a key cannot be written as a key line).
    static std::optional<std::string> NormalizePath(std::string_view path);

    // Paths below are normalized ones. A key exists when it has a key line or lies on the way
    // to one; the root of a hive always exists.
    bool KeyExists(std::uint32_t hive, const std::string& path) const;
    // "" when the key has no class; nullopt when it does not exist.
    std::optional<std::string> KeyClass(std::uint32_t hive, const std::string& path) const;
    // Names of the direct subkeys, sorted case-insensitively.
    std::vector<std::string> SubKeys(std::uint32_t hive, const std::string& path) const;
    // The same names without a copy, for enumerating them one by one; null when there are none.
    const std::vector<std::string_view>* SubKeyList(std::uint32_t hive,
                                                    const std::string& path) const;
    // A value given more than once counts with its last line.
    std::optional<Value> FindValue(std::uint32_t hive, const std::string& path,
                                   const std::string& name) const;

    // True when the key was added; an existing key is left as it is.
    bool CreateKey(std::uint32_t hive, const std::string& path, const std::string& className);
    // Replaces the value's lines, or adds them at the end of the key's values (adding a key
    // line when the key has none).
    void SetValue(std::uint32_t hive, const std::string& path, const std::string& name,
                  const Value& value);
    // True when the value was there.
    bool DeleteValue(std::uint32_t hive, const std::string& path, const std::string& name);

    std::vector<std::string> lines() const { return {m_lines.begin(), m_lines.end()}; }

  private:
    struct ValueLines {
        std::string name;
        std::string fold;
        Value value;
        std::size_t first = 0;
        std::size_t last = 0;  // inclusive: hex data may continue over lines
    };
    struct Block {
        std::uint32_t hive = 0;  // 0: a key line this store does not use; its lines are kept
        std::string_view path;   // in the key line
        std::size_t foldAt = 0;  // the folded path in m_folds
        std::size_t foldSize = 0;
        std::size_t keyLine = 0;
        std::size_t end = 0;  // the next key line, or the end of the text
    };
    // Class and value lines of a block, read as the text is read from the top.
    enum class Visit : unsigned char { Next, Stop };
    template <typename OnClass, typename OnValue>
    void ScanBlock(const Block& block, OnClass&& onClass, OnValue&& onValue) const;

    void Reparse();
    // Lookups by key path, rebuilt with the blocks: a store with thousands of keys is asked
    // thousands of times per command.
    void BuildIndex();
    bool ParseValue(std::size_t index, ValueLines& out) const;
    std::optional<ValueLines> FindValueLines(std::uint32_t hive, const std::string& fold,
                                             const std::string& nameFold) const;
    const Block* LastBlockOf(std::uint32_t hive, const std::string& fold) const;
    void InsertKeyBlock(std::uint32_t hive, const std::string& path, const std::string& className);
    std::string Spelled(std::uint32_t hive, const std::string& path,
                        const std::string& existingFold) const;
    void InsertLines(std::size_t pos, const std::vector<std::string>& lines);
    // Removes the lines first..last (inclusive).
    void EraseLines(std::size_t first, std::size_t last);

    enum class LineEnd : unsigned char { None, Lf, CrLf };
    LineEnd DefaultEnd() const { return m_crlf ? LineEnd::CrLf : LineEnd::Lf; }

    // Views into m_chunks: the text as read, and one chunk per batch of added lines. Chunks
    // never change, so a copy of the document shares them.
    std::vector<std::shared_ptr<const std::string>> m_chunks;
    std::vector<std::string_view> m_lines;
    std::vector<LineEnd> m_ends;  // one per line
    bool m_crlf = true;
    std::vector<Block> m_blocks;
    // The folded paths of all blocks, one after the other: a vector, as a move keeps its data
    // where the index's views point.
    std::vector<char> m_folds;
    // The key lines of a hive sorted by folded path (text order among equal paths): a key
    // exists when it has an entry or one lies below it. Sorting views costs far less than a
    // node per key in a store with hundreds of thousands of keys.
    struct IndexEntry {
        std::string_view fold;
        std::size_t block = 0;
    };
    const std::vector<IndexEntry>* IndexOf(std::uint32_t hive) const;
    // The entries of the key's own lines, in text order.
    std::span<const IndexEntry> BlocksOf(std::uint32_t hive, std::string_view fold) const;
    std::string_view FoldOf(const Block& block) const {
        return {m_folds.data() + block.foldAt, block.foldSize};
    }
    std::vector<IndexEntry> m_machine;
    std::vector<IndexEntry> m_user;
    // Subkey lists, made when first asked for: key -> its direct subkeys, each in its first
    // spelling, sorted by folded name.
    struct SubKeyCache {
        std::mutex mutex;
        std::unordered_map<std::string, std::vector<std::string_view>> lists;
    };
    std::shared_ptr<SubKeyCache> m_subKeys;
};

}  // namespace stripstock
