#pragma once

#include <cstddef>
#include <string>

namespace stripstock {

// Reads one value from an INI file as the Windows profile functions do: section and key
// names ignore case and surrounding blanks, the first section and the first key of a name
// win, lines starting with ';' are comments, a value in matching quotes loses them, and the
// result is cut to bufferSize - 1 characters. A missing file or key gives defaultValue
// (without trailing blanks). Files are Windows-1252 unless they start with a UTF-8 or UTF-16
// byte-order mark; the result is UTF-8.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, std::size_t bufferSize,
                                    const std::string& filePath);

}  // namespace stripstock
