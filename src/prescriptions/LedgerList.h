#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/Context.h"
#include "text/ListEntry.h"

namespace stripstock {

inline constexpr const char* kDeleteEntryQuestion = "Soll der Eintrag wirklich gelöscht werden ?";
inline constexpr const char* kReceiptLabel = "  Bezug: ";
inline constexpr const char* kFaultyLabel = "  Fehlmessung: ";

// Every ledger row, newest first: "<short date>  Bezug: <n>x   <strip name>" for prescriptions
// (Amount >= 0), "<short date>  Fehlmessung: <n>x   <meter name>" for faulty measurements.
// Item data = the row's ID. Empty when the companion database cannot be read.
std::vector<ListEntry> FillEntryList(Context& ctx);

// Deletes the ledger row with that ID; an ID without a row removes nothing. False when the
// companion database could not be opened or the statement failed; cause, when given, says why.
bool DeleteEntry(Context& ctx, std::int32_t id, std::string* cause = nullptr);

// The ID behind the selected entry; nullopt without a selection, in which case nothing is
// deleted.
std::optional<std::int32_t> SelectedEntryId(const std::vector<ListEntry>& entries, int selected);

}  // namespace stripstock
