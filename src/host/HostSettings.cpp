#include "host/HostSettings.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "host/DiaryFile.h"
#include "host/Registry.h"
#include "text/Regional.h"
#include "text/TextHelpers.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace stripstock {

namespace {

namespace fs = std::filesystem;

constexpr const char* kLastMeterName = "LastMeter";

// What a directory search for normal files finds: a file, not a folder, neither hidden nor a
// system file. The path is taken literally; wildcards are not expanded.
bool IsNormalFile(const std::string& path) {
    const fs::path p = Utf8Path(path);
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) {
        return false;
    }
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(p.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes &
            (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY)) == 0;
#else
    const std::u8string name = p.filename().u8string();
    return !name.empty() && name.front() != u8'.';
#endif
}

}  // namespace

HostSettingsResult LoadHostSettings(Context& ctx, const std::string& commandLine) {
    HostSettingsResult result;

    ctx.HostKeyName = commandLine.substr(0, commandLine.find('|'));
    if (ctx.HostKeyName.empty()) {
        ctx.HostKeyName = kDefaultHostKeyName;
    }
    ctx.HostRegKey = std::string("SOFTWARE\\Tarvenholme\\") + ctx.HostKeyName;
    ctx.AddonRegKey = ctx.HostRegKey + "\\bonus\\" + "TestStrip";
    ctx.DbPassword = kBuiltInPassword;

    // A read-only start must not grow the registry by keys the host could never have made.
    if (Utf8Length(ctx.HostKeyName) > kMaxRegistryKeyName ||
        ctx.HostKeyName.find('\\') != std::string::npos) {
        DebugLog("LoadHostSettings", "host key name refused: longer than " +
                                         std::to_string(kMaxRegistryKeyName) +
                                         " characters or holding \"\\\"");
        ctx.DiaryDbPath.clear();
        return result;
    }

    std::string databaseName;
    if (ctx.registry) {
        Registry& reg = *ctx.registry;
        // Without the rights to create them nothing changes below: the reads just find nothing.
        if (!reg.RegKeyExists(kHkeyLocalMachine, ctx.HostRegKey)) {
            reg.RegAddKey(kHkeyLocalMachine, ctx.HostRegKey, "");
        }
        if (!reg.RegKeyExists(kHkeyLocalMachine, ctx.AddonRegKey)) {
            reg.RegAddKey(kHkeyLocalMachine, ctx.AddonRegKey, "");
        }
        // A non-empty value of the current user replaces the machine's.
        reg.RegReadValue(kHkeyLocalMachine, ctx.HostRegKey, "DataBaseName", databaseName);
        reg.RegReadValue(kHkeyCurrentUser, ctx.HostRegKey, "DataBaseName", databaseName);
        result.storeProblem = reg.backend().StoreProblem();
    } else {
        DebugLog("LoadHostSettings", "no registry in the context");
    }

    ctx.DiaryDbPath = trim(databaseName);

    if (const auto position = ReadLastMeter(ctx)) {
        result.lastMeterPosition = *position;
    }

    if (!ctx.diaryFile.empty()) {
        // The file is the user's own choice, not the host's directory search: a hidden name
        // is fine, a file that cannot be read is refused with the reason.
        if (auto problem = DiaryFileProblem(ctx.diaryFile)) {
            ctx.DiaryDbPath.clear();
            result.refusalReason = std::move(*problem);
        } else {
            ctx.DiaryDbPath = ctx.diaryFile;
        }
    } else if (!ctx.DiaryDbPath.empty() && !IsNormalFile(ctx.DiaryDbPath)) {
        ctx.DiaryDbPath.clear();
    }
    result.diaryOpen = !ctx.DiaryDbPath.empty();
    return result;
}

std::optional<std::int16_t> ReadLastMeter(const Context& ctx) {
    std::string value = "0";
    if (ctx.registry) {
        ctx.registry->RegReadValue(kHkeyLocalMachine, ctx.AddonRegKey, kLastMeterName, value);
    }
    return ParseInt16(trim(value));
}

bool WriteLastMeter(const Context& ctx, int position) {
    if (!ctx.registry) return false;
    const bool written = ctx.registry->RegWriteString(kHkeyLocalMachine, ctx.AddonRegKey,
                                                      kLastMeterName, std::to_string(position));
    if (!written) DebugLog("WriteLastMeter", "LastMeter not written below " + ctx.AddonRegKey);
    return written;
}

}  // namespace stripstock
