#pragma once

#include <cstdint>
#include <vector>

#include "app/Context.h"

namespace stripstock {

inline constexpr const char* kDeleteStripQuestion =
    "Soll der Teststreifen wirklich gelöscht werden";

// What a click on a member of the main window's button array Command1 does.
enum class Command1Action {
    None,             // indices 1, 2, 6 and unknown ones
    NewPrescription,  // 0: new-prescription dialog, then refresh the consumption table
    NewStrip,         // 3: properties dialog with lStripID 0, then ReloadMainStripList
    EditStrip,        // 4 (and a double-click on the list): EditTargetId, dialog if above 0
    DeleteStrip,      // 5: ask kDeleteStripQuestion, on Yes DeleteStripDefinition
};

Command1Action Command1ActionFor(int index);

// Item data of the list's entry at selectedRow; 0 when no valid row is selected.
std::int32_t SelectedStripId(const std::vector<ListEntry>& list, int selectedRow);

// The definition to edit for the selected row: its ID when it is 1 or more, else 0 (do
// nothing).
std::int32_t EditTargetId(const std::vector<ListEntry>& list, int selectedRow);

// Deletes the strips row with that ID (only the definition; ledger rows stay) and reloads
// ctx.stripList, whether or not the delete succeeded. False when the database could not be
// opened or the statement failed (an id without a row is no failure).
bool DeleteStripDefinition(Context& ctx, std::int32_t id);

}  // namespace stripstock
