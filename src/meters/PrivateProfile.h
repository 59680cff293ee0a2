#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

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

// The line grammar of profile files, for the reader above and for whoever writes them.

// Blanks as the profile functions see them; ^Z ends old DOS files.
bool IsProfileBlank(char c);
std::string_view TrimProfileBlanks(std::string_view s);

// Section and key names compare ignoring case (the file's name against a trimmed one).
bool SameProfileName(std::string_view a, std::string_view b);

// One line of a profile file, trimmed.
struct ProfileLine {
    enum class Kind { Skipped, Section, Key };  // Skipped: empty or a ";" comment
    Kind kind = Kind::Skipped;
    // A section's name between "[" and the last "]" as it stands; a key's name, trimmed. A
    // line with no "[...]" and no "=" is a key without a value.
    std::string_view name;
    std::optional<std::string_view> value;  // after the first "=", without leading blanks
};
ProfileLine ParseProfileLine(std::string_view line);

}  // namespace stripstock
