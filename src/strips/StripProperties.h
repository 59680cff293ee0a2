#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/Context.h"
// The meter list a definition is loaded and saved against.
#include "meters/MeterModules.h"
#include "text/ListEntry.h"

namespace stripstock {

// The longest text a strip definition's columns hold; the dialog's fields accept no more.
inline constexpr int kStripTextMaxLength = 255;

inline constexpr const char* kStripSaveFailedMessage =
    "Der Teststreifen konnte nicht gespeichert werden !";

// The dialog's fields for one strip definition, trimmed, and which meters of the given
// list it suits. found is false for a new definition (id below 1) or an id without a row.
struct StripForm {
    std::string name;
    std::string manufacturer;
    std::string pzn;
    std::vector<bool> selected;  // one per meter of the list it was loaded for
    bool found = false;
};

StripForm LoadStrip(Context& ctx, std::int32_t lStripID, const std::vector<ListEntry>& meters);

// "|code|" for every selected meter, in list order; "" when none is selected.
std::string BuildAppliesTo(const std::vector<ListEntry>& meters, const std::vector<bool>& selected);

// Number of characters of UTF-8 text, as the database's text columns count them.
std::size_t StripTextLength(const std::string& text);

struct SaveOutcome {
    bool saved = false;
    std::string message;        // for the user when not saved; a storage failure's cause follows
                                // on a second line
    bool inputRefused = false;  // a text was refused (control characters, no UTF-8)
};

// Writes the definition: a new row when lStripID is 0, else the row with that ID (an ID
// without a row changes nothing and still counts as done). Texts are stored as typed.
// Nothing is written when a text holds control characters or bytes that are no UTF-8
// (inputRefused, kInvalidTextMessage), the database cannot be opened, a text is longer than
// kStripTextMaxLength or the row is refused; the outcome then carries the message.
SaveOutcome SaveStrip(Context& ctx, std::int32_t lStripID, const std::string& name,
                      const std::string& manufacturer, const std::string& pzn,
                      const std::vector<ListEntry>& meters, const std::vector<bool>& selected);

}  // namespace stripstock
