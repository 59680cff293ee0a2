#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/Context.h"

namespace stripstock {

// Adds an empty "strips" table to a companion database that lacks one.
void EnsureStripsTable(Context& ctx);

// The strip definitions as list entries (text = trimmed Desc, item data = ID), in the
// table's own order. Empty when the database cannot be read.
std::vector<ListEntry> LoadStripList(Context& ctx, const std::string& dbPath);

// Text of the entry with that item data; "" when there is none or id < 1.
std::string StripNameIn(const std::vector<ListEntry>& entries, std::int32_t id);

// Text of the entry of the main window's strip list (ctx.stripList) with that item data;
// "" when there is none or id < 1.
std::string StripNameById(const Context& ctx, std::int32_t id);

// The strip's meter codes as an SQL IN list: "(12,15)", "(7)", or "(**)" with none.
std::string GetMeterInList(Context& ctx, const std::string& dbPath, std::int32_t id);

}  // namespace stripstock
