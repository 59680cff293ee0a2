#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace stripstock {

// What the user is told when a typed text holds bytes that are no UTF-8 or a control
// character (a tab or line break in a name would break every list that shows it).
inline constexpr const char* kInvalidTextMessage =
    "Der Text enthält ungültige Zeichen (Steuerzeichen oder kein UTF-8) !";

// True when text is UTF-8 without control characters (C0, DEL and C1).
bool IsAcceptableUserText(std::string_view text);

// One cell of tab-separated output: backslash, tab, line feed and carriage return are
// written as \\, \t, \n and \r, so a stored value can never split a row or a line.
std::string EscapeTsvCell(std::string_view text);

// UTF-16 bytes (without byte-order mark) as code units; an odd last byte is left out.
std::u16string Utf16Units(std::string_view bytes, bool bigEndian);

// UTF-16 bytes (without byte-order mark) -> UTF-8; nullopt for an odd length or a broken
// surrogate pair.
std::optional<std::string> Utf16BytesToUtf8(std::string_view bytes, bool bigEndian);

// UTF-16 -> UTF-8 for text read from files others wrote: a surrogate without its partner
// becomes U+FFFD instead of failing the whole text.
std::string Utf16ToUtf8Replacing(std::u16string_view units);

// UTF-8 -> UTF-16 bytes without byte-order mark; the text must be UTF-8.
std::string Utf8ToUtf16Bytes(std::string_view text, bool bigEndian);

}  // namespace stripstock
