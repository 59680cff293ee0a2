#pragma once

#include <string>

namespace stripstock {

// The field an entry dialog puts the focus on after a refused input.
enum class EntryFocus { None, Amount, Date };

// What an entry dialog does after "&OK": close (the row is stored), or stay open and show
// message with the focus on the field that needs correcting.
struct EntryOutcome {
    bool closed = false;
    std::string message;
    EntryFocus focus = EntryFocus::None;
    // The input was fine but the ledger could not be written; the message says so.
    bool storageFailure = false;
};

inline constexpr const char* kInvalidDateMessage = "Bitte geben Sie ein gültiges Datum ein !";

}  // namespace stripstock
