#include "text/TextHelpers.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <system_error>

#include "text/Cp1252.h"

namespace stripstock {

namespace {

// Control characters below 20 (not 32) and the blank are trimmed; 20..31 stay.
bool IsTrimmable(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code < 20 || code == 32;
}

}  // namespace

std::string trim(std::string text) {
    if (text.empty() || text.front() == '\0') {
        return {};
    }
    std::size_t end = text.size();
    while (end > 0 && IsTrimmable(text[end - 1])) {
        --end;
    }
    std::size_t begin = 0;
    while (begin < end && IsTrimmable(text[begin])) {
        ++begin;
    }
    return text.substr(begin, end - begin);
}

void RemoveSlashes(std::string& path, char separator) {
    const std::string single(1, separator);
    ReplaceAll(path, single + single, single);
    // A path that began with a separator was a network share (or became one): keep "\\".
    if (!path.empty() && path.front() == separator) {
        path.insert(path.begin(), separator);
    }
}

std::string ExtractFromPath(const std::string& path, int part, char separator) {
    const std::size_t lastSep = path.rfind(separator);
    switch (part) {
        case 0: {
            std::string root = path.substr(0, 2);
            if (root.size() < 2 || root[1] != separator) {
                root += separator;
            }
            return root;
        }
        case 1:
            return lastSep == std::string::npos ? std::string{} : path.substr(0, lastSep + 1);
        case 2:
            return lastSep == std::string::npos ? path : path.substr(lastSep + 1);
        default:
            // Selector 3 names no part of a path; it gives "" like any other unknown selector.
            return {};
    }
}

int ReplaceAll(std::string& text, const std::string& search, const std::string& replacement) {
    // Each search restarts at the front, so these cases would replace forever.
    if (search.empty() || search == replacement || replacement.find(search) != std::string::npos) {
        return 0;
    }
    // The count is a 16-bit figure; a rewrite that keeps producing new occurrences stops there.
    constexpr int kMaxCount = std::numeric_limits<std::int16_t>::max();
    int count = 0;
    std::size_t pos = text.find(search);
    while (pos != std::string::npos) {
        if (count == kMaxCount) {
            DebugLog("ReplaceAll", "stopped after 32767 replacements");
            break;
        }
        text.replace(pos, search.size(), replacement);
        ++count;
        // The text before pos held no occurrence, so a new one can start no earlier than
        // search.size() - 1 characters before it: same result as searching from the front.
        const std::size_t back = search.size() - 1;
        pos = text.find(search, pos > back ? pos - back : 0);
    }
    return count;
}

bool FileExists(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const std::filesystem::path file = Utf8Path(path);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        return false;
    }
    std::ifstream stream(file, std::ios::in | std::ios::binary);
    return stream.is_open();
}

std::filesystem::path Utf8Path(const std::string& path) {
    // Bytes that are no UTF-8 would make the conversion throw on Windows; they can only be
    // text in the system code page, which is what a narrow path means there.
    if (!IsUtf8(path)) {
        return std::filesystem::path(path);
    }
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string PathToUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::size_t Utf8Length(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

std::string JoinPath(const std::string& folder, const std::string& file, char separator) {
    // No folder means the file name alone, not a name at the root.
    if (folder.empty()) {
        return file;
    }
    if (folder.back() == separator) {
        return folder + file;
    }
    return folder + separator + file;
}

void DebugLog(const std::string& where, const std::string& what) {
    const char* flag = std::getenv("STRIPSTOCK_DEBUG");
    if (flag != nullptr && std::string_view(flag) == "1") {
        std::cerr << "stripstock: " << where << ": " << what << '\n';
    }
}

}  // namespace stripstock
