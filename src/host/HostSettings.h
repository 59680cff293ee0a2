#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/Context.h"

namespace stripstock {

inline constexpr const char* kDefaultHostKeyName = "VELLIND4";

struct HostSettingsResult {
    bool diaryOpen = false;  // DiaryDbPath names an existing normal file
    // "LastMeter" as a list position (0 when missing or empty); nullopt when it is no 16-bit
    // number. The caller checks it against its list: a position outside selects nothing.
    std::optional<int> lastMeterPosition;
    // Why the registry store could not be used (for the user); "" when it could.
    std::string storeProblem;
    // Why the diary file named on the command line was refused; empty otherwise.
    std::string refusalReason;
};

// The longest key name the registry takes, in characters.
inline constexpr std::size_t kMaxRegistryKeyName = 255;

// Reads the command line and the host's registry branch into ctx (HostKeyName, HostRegKey,
// AddonRegKey, DiaryDbPath, DbPassword), creating the host and add-on keys when missing.
// A host key name the registry cannot hold as one key (longer than kMaxRegistryKeyName or
// holding "\") is refused before anything is written: no diary, the reason logged.
// A ctx.diaryFile replaces the host's "DataBaseName" and must be a readable file.
HostSettingsResult LoadHostSettings(Context& ctx, const std::string& commandLine);

// "LastMeter" below the add-on's key (HKEY_LOCAL_MACHINE), read with the default "0", trimmed
// and converted; nullopt when it is no 16-bit number.
std::optional<std::int16_t> ReadLastMeter(const Context& ctx);

// Writes the list position in decimal ("-1" for none).
bool WriteLastMeter(const Context& ctx, int position);

}  // namespace stripstock
