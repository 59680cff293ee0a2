#pragma once

namespace stripstock {

inline constexpr const char* kDeleteStripQuestion =
    "Soll der Teststreifen wirklich gelöscht werden";

// What a click on a member of the main window's button array Command1 does.
enum class Command1Action {
    None,             // indices 1, 2, 6 and unknown ones
    NewPrescription,  // 0: new-prescription dialog, then refresh the consumption table
    NewStrip,         // 3: properties dialog for a new definition, then reload the strip list
    EditStrip,        // 4 (and a double-click on the list): EditTargetId, dialog if above 0
    DeleteStrip,      // 5: ask kDeleteStripQuestion, on Yes DeleteStripDefinition
};

Command1Action Command1ActionFor(int index);

}  // namespace stripstock
