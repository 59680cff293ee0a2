#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "data/Dao.h"
#include "host/Context.h"
#include "prescriptions/EntryOutcome.h"

namespace stripstock {

// Appends one row to "teststrips" (Date, Type unless nullopt, Amount). True only when the row
// was stored; on false nothing was added.
bool AppendLedgerRow(const Context& ctx, double date, std::optional<std::int32_t> type,
                     std::int16_t amount);

// The checked input of an entry dialog: either a refusal to show, or the date and count.
struct EntryInput {
    std::optional<EntryOutcome> refusal;
    double date = 0.0;
    std::int16_t count = 0;
};

// Date first (not a date, or the zero date), then the count (not a 16-bit number, or below 1).
EntryInput CheckEntryInput(const std::string& dateText, const std::string& countText,
                           const std::string& countMessage);

// position when the list of count entries has it, else nullopt.
std::optional<int> PositionInList(std::optional<std::int16_t> position, std::size_t count);

}  // namespace stripstock
