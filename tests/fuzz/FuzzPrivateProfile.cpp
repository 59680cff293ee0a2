// Feeds arbitrary import files to the private-profile reader: every input gives a UTF-8
// result no longer than the buffer allows, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "meters/PrivateProfile.h"
#include "text/Cp1252.h"
#include "text/TextHelpers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path =
        (std::filesystem::temp_directory_path() /
         ("stripstock-fuzz-profile-" + std::to_string(::getpid()) + ".ini"))
            .string();
    // The first line names section and key ("section|key"), the rest is the file.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t eol = input.find('\n');
    const std::string head = input.substr(0, eol);
    const std::string file = eol == std::string::npos ? std::string() : input.substr(eol + 1);
    const std::size_t bar = head.find('|');
    const std::string section = head.substr(0, bar);
    const std::string key = bar == std::string::npos ? "1" : head.substr(bar + 1);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << file;
    }
    for (const std::size_t buffer : {std::size_t{1}, std::size_t{8}, std::size_t{255}}) {
        const std::string value =
            stripstock::GetPrivateProfileString(section, key, "default", buffer, path);
        if (!stripstock::IsUtf8(value) && stripstock::IsUtf8(file)) std::abort();
        if (stripstock::Utf8Length(value) > (buffer > 0 ? buffer - 1 : 0) && value != "default")
            std::abort();
    }
    return 0;
}
