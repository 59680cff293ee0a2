#pragma once

#include <string>
#include <string_view>

namespace stripstock {

// Windows-1252 bytes -> UTF-8 (the five unassigned bytes map to the C1 controls, as Windows does).
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 -> Windows-1252; characters the code page lacks become '?'.
std::string Utf8ToCp1252(std::string_view text);

}  // namespace stripstock
