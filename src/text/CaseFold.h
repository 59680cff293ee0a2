#pragma once

#include <string>
#include <string_view>

namespace stripstock {

// Case folding, in two widths. Names the program reads from SQL, connect strings and the
// .reg syntax are ASCII; file, key, section and value names may hold any letter.

// ASCII letters only; every other byte is left as it is.
char AsciiLower(char c);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// Upper case for ASCII and the Latin-1 letters of UTF-8 text (ä -> Ä), as the file
// names of the diary need it.
std::string UCase(std::string_view text);

// UCase, and the further letters of Windows-1252 (ÿ š œ ž -> Ÿ Š Œ Ž): how registry key and
// value names compare.
std::string UCaseCp1252(std::string_view text);

// A blank between the words of a typed text or a .reg line: space or tab.
bool IsBlank(char c);

}  // namespace stripstock
