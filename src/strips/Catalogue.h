#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/Context.h"
#include "text/ListEntry.h"

namespace stripstock {

// Adds an empty "strips" or "teststrips" table to a companion database that lacks one (never
// to a file that holds neither but other tables).
void EnsureStripsTable(Context& ctx);

// The strip definitions as list entries (text = trimmed Desc, item data = ID), in the
// table's own order. Empty when the database cannot be read.
std::vector<ListEntry> LoadStripList(Context& ctx, const std::string& dbPath);

// Text of the entry with that item data; "" when there is none or id < 1.
std::string StripNameIn(const std::vector<ListEntry>& entries, std::int32_t id);

// Item data of the list's entry at selectedRow; 0 when no valid row is selected.
std::int32_t SelectedStripId(const std::vector<ListEntry>& list, int selectedRow);

// The definition to edit for the selected row: its ID when it is 1 or more, else 0 (do
// nothing).
std::int32_t EditTargetId(const std::vector<ListEntry>& list, int selectedRow);

// Deletes the strips row with that ID (only the definition; ledger rows stay). False when
// the database could not be opened or the statement failed (an id without a row is no
// failure); cause, when given, then says why. The caller reloads its strip list either way.
bool DeleteStripDefinition(Context& ctx, std::int32_t id, std::string* cause = nullptr);

// The strip's meter codes as an SQL IN list: "(12,15)", "(7)", or "(**)" with none.
std::string GetMeterInList(Context& ctx, const std::string& dbPath, std::int32_t id);

// The IN list GetMeterInList makes of a stored AppliesTo text ("|12||15|" gives "(12,15)").
std::string MeterInListOf(const std::string& appliesTo);

}  // namespace stripstock
