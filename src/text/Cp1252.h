#pragma once

#include <string>
#include <string_view>

namespace stripstock {

// Windows-1252 bytes -> UTF-8 (the five unassigned bytes map to the C1 controls, as Windows does).
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 -> Windows-1252; characters the code page lacks become '?'.
std::string Utf8ToCp1252(std::string_view text);

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points
// beyond U+10FFFF).
bool IsUtf8(std::string_view bytes);

}  // namespace stripstock
