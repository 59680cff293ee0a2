#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace stripstock {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Strips characters with codes below 20 and blanks from both ends; a text that starts
// with NUL is empty.
std::string trim(std::string text);

// Collapses runs of separators into one and keeps a leading network-share prefix.
void RemoveSlashes(std::string& path, char separator = '\\');

// part 0: drive root, 1: directory (with its final separator), 2: file name; others: "".
std::string ExtractFromPath(const std::string& path, int part, char separator = '\\');

// Replaces every occurrence, searching again from the start after each replacement.
// Returns 0 and leaves the text alone when search is empty, equals the replacement or
// occurs inside it (the loop would never end).
int ReplaceAll(std::string& text, const std::string& search, const std::string& replacement);

// True when the file can be opened for reading (a folder is not a file).
bool FileExists(const std::string& path);

// The program's strings are UTF-8 on every platform, while Windows reads a narrow path in its
// code page. Text that is no UTF-8 is taken as such a narrow path.
std::filesystem::path Utf8Path(const std::string& path);

// The other way round: a path as the program's UTF-8 text.
std::string PathToUtf8(const std::filesystem::path& path);

// Characters, not bytes, of UTF-8 text.
std::size_t Utf8Length(std::string_view text);

// folder + separator (unless folder already ends with it) + file.
std::string JoinPath(const std::string& folder, const std::string& file,
                     char separator = kPathSeparator);

// Writes "stripstock: <where>: <what>" to stderr when STRIPSTOCK_DEBUG=1.
void DebugLog(const std::string& where, const std::string& what);

}  // namespace stripstock
