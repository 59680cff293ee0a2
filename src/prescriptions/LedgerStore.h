#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "data/Dao.h"
#include "host/Context.h"
#include "prescriptions/EntryOutcome.h"

namespace stripstock {

// Opens the companion database with an own engine, not exclusive, without a connect string.
// nullptr when it cannot be opened. The engine is handed back so that it outlives the database.
std::shared_ptr<dao::Database> OpenLedgerDatabase(const Context& ctx, bool readOnly,
                                                  std::shared_ptr<dao::DBEngine>& engine);

// Closes the record set, then the database; a failing close is only logged, since the work is
// done by then. Closing a record set without Update discards a pending new row.
void CloseLedger(const std::shared_ptr<dao::Recordset>& rs,
                 const std::shared_ptr<dao::Database>& db, const char* where);

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

// "LastMeter" below the add-on's key (HKEY_LOCAL_MACHINE), read with the default "0", trimmed
// and converted; nullopt when it is no 16-bit number.
std::optional<std::int16_t> ReadLastMeter(const Context& ctx);

// Writes the list position in decimal ("-1" for none).
bool WriteLastMeter(const Context& ctx, int position);

// position when the list of count entries has it, else nullopt.
std::optional<int> PositionInList(std::optional<std::int16_t> position, std::size_t count);

}  // namespace stripstock
