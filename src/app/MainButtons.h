#pragma once

#include <optional>
#include <string>
#include <vector>

#include "text/ListEntry.h"

namespace stripstock {

inline constexpr const char* kDeleteStripQuestion =
    "Soll der Teststreifen wirklich gelöscht werden";

// What a click on a member of the main window's button array Command1 does. Every action that
// changes data is followed by a rebuild of all views.
enum class Command1Action {
    None,                // unknown indices
    NewPrescription,     // 0: new-prescription dialog
    EditLedger,          // 1: the ledger dialog, where entries are deleted and faults entered
    DeletePrescription,  // 2: ask kDeleteEntryQuestion, on Yes DeleteEntry of the selected row
    NewStrip,            // 3: properties dialog for a new definition
    EditStrip,           // 4 (and a double-click on the list): EditTargetId, dialog if above 0
    DeleteStrip,         // 5: ask DeleteStripQuestion, on Yes DeleteStripDefinition
    FaultyMeasurements,  // 6: faulty-measurement dialog
};

Command1Action Command1ActionFor(int index);

// The question before deleting the selected strip definition, naming it on a second line;
// nullopt when no definition is selected, so that nothing is asked and nothing deleted.
std::optional<std::string> DeleteStripQuestion(const std::vector<ListEntry>& list, int selectedRow);

}  // namespace stripstock
