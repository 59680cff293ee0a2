#pragma once

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
};

// Reads the command line and the host's registry branch into ctx (HostKeyName, HostRegKey,
// AddonRegKey, DiaryDbPath, DbPassword), creating the host and add-on keys when missing.
HostSettingsResult LoadHostSettings(Context& ctx, const std::string& commandLine);

}  // namespace stripstock
