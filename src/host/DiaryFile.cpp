#include "host/DiaryFile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "text/TextHelpers.h"

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace stripstock {

namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string{} : std::string(value);
}

std::string FromFsPath(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::optional<std::string> DiaryFileProblem(const std::string& path) {
    const fs::path p = Utf8Path(path);
    std::error_code ec;
    const fs::file_status status = fs::status(p, ec);
    if (path.empty() || !fs::exists(status)) {
        return "Die Datei ist nicht vorhanden: " + path;
    }
    if (!fs::is_regular_file(status)) {
        return "Das ist keine Datei: " + path;
    }
    std::ifstream in(p, std::ios::binary);
    char first = 0;
    // An empty file opens and reads nothing; it is readable all the same.
    if (!in.is_open() || (!in.read(&first, 1) && !in.eof())) {
        return "Die Datei kann nicht gelesen werden: " + path;
    }
    return std::nullopt;
}

std::string DefaultUserDataDir() {
    // A relative XDG_DATA_HOME is invalid and ignored.
    if (const std::string xdg = Env("XDG_DATA_HOME"); !xdg.empty() && Utf8Path(xdg).is_absolute()) {
        return FromFsPath(Utf8Path(xdg) / "stripstock");
    }
#ifdef _WIN32
    if (const std::string local = Env("LOCALAPPDATA"); !local.empty()) {
        return FromFsPath(Utf8Path(local) / "stripstock");
    }
    std::string home = Env("USERPROFILE");
#else
    std::string home = Env("HOME");
    if (home.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
            home = pw->pw_dir;
        }
    }
#endif
    return FromFsPath(Utf8Path(home) / ".local" / "share" / "stripstock");
}

}  // namespace stripstock
