#pragma once

#include <string>
#include <vector>

#include "host/Context.h"
#include "prescriptions/EntryOutcome.h"

namespace stripstock {

inline constexpr const char* kFaultyCountMessage =
    "Bitte geben Sie die Anzahl der Fehlmessungen ein !";
inline constexpr const char* kFaultyStoreFailedMessage =
    "Die Fehlmessungen konnten nicht gespeichert werden !";

// What the faulty measurement dialog shows when it opens: the 23 meter names of its fixed table
// and the selected position, -1 for none.
struct FaultyForm {
    std::vector<std::string> meters;
    int selected = -1;
};

// The meter names, at the position remembered in "LastMeter" when the list has it; otherwise
// nothing is selected.
FaultyForm LoadFaultyMeasurement(Context& ctx);

// "&OK": checks the date, then the count; stores Amount = -count with the meter's type code
// (0 without a selection) and remembers the selected position. A row that cannot be stored
// keeps the dialog open with a message and leaves "LastMeter" alone.
EntryOutcome ConfirmFaultyMeasurement(Context& ctx, const std::string& countText,
                                      const std::string& dateText, int selected);

}  // namespace stripstock
