#pragma once

#include <string>
#include <vector>

#include "app/MainViews.h"
#include "host/Context.h"
#include "text/ListEntry.h"

namespace stripstock {

inline constexpr const char* kMainCaption = "Teststreifenverwaltung";
inline constexpr const char* kRefusalMessage =
    "Dieses Programm erfordert ein in VELLIND geöffnetes Tagebuch";
inline constexpr const char* kCompanionUnreadableMessage =
    "Die Teststreifendatenbank konnte nicht gelesen werden: ";
inline constexpr const char* kDescription =
    "Dieses Programm zeigt den Verbrauch an Blutzuckermess-Streifen, soweit dies mit VELLIND "
    "dokumentiert wurde.\r\n";

// What the main window shows after the start-up: the views, the list showing the root's
// prescriptions, and the meter list.
struct StartupResult : MainViews {
    bool refused = false;              // no diary open in the host: show the refusal, end
    std::string refusalReason;         // why a --diary file was refused; empty otherwise
    std::vector<ListEntry> meterList;  // cbMeters: 27 entries, code as item data
    int meterSelection = -1;           // position to select in cbMeters, -1 = none
    std::string refusalCause;  // second line of the refusal when the registry store is at fault
    // Why the companion database cannot be read (German); "" when it can. Lists read from it
    // are empty then, and the read commands report this instead of an empty result.
    std::string companionProblem;
};

// The whole start-up: meter list, host settings, refusal, companion database path and
// creation, strips table, strip list, prescription tree and list,
// consumption table. IsLoading is true until the host settings are accepted.
StartupResult RunStartup(Context& ctx, const std::string& commandLine,
                         Outlook outlook = Outlook::Made);

// A context with the real services: the registry store of the environment, both engine
// class names, the local clock, the platform's path separator and the user's data folder.
Context MakeContext(const std::string& programDir);

// The companion database's file name for a diary path: its file name, upper-cased, with every
// ".VLD" replaced by ".VLT".
std::string CompanionFileName(const std::string& diaryPath, char separator);

}  // namespace stripstock
