#pragma once

#include <string>
#include <vector>

#include "host/Context.h"
#include "prescriptions/EntryOutcome.h"
#include "text/ListEntry.h"

namespace stripstock {

inline constexpr const char* kNewPrescriptionAmountMessage =
    "Bitte geben Sie die Menge der Teststreifen ein !";
inline constexpr const char* kNewPrescriptionStoreFailedMessage =
    "Die Verordnung konnte nicht gespeichert werden !";

// What the new prescription dialog shows when it opens: the strip definitions (item data = ID)
// and the selected position, -1 when the catalogue is empty.
struct NewPrescriptionForm {
    std::vector<ListEntry> strips;
    int selected = -1;
};

// The strip list of the companion database, at the position remembered in "LastMeter" when the
// list has it, else at its first entry.
NewPrescriptionForm LoadNewPrescription(Context& ctx);

// "&OK": checks the date, then the amount; stores the prescription (Type = the selected strip's
// ID, left at its default without a selection) and remembers the selected position. A row that
// cannot be stored keeps the dialog open with a message and leaves "LastMeter" alone.
EntryOutcome ConfirmNewPrescription(Context& ctx, const NewPrescriptionForm& form,
                                    const std::string& amountText, const std::string& dateText,
                                    int selected);

}  // namespace stripstock
