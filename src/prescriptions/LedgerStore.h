#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "data/Dao.h"
#include "host/Context.h"
#include "prescriptions/EntryOutcome.h"
#include "text/TextHelpers.h"

namespace stripstock {

// Appends one row to "teststrips" (Date, Type unless nullopt, Amount). True only when the row
// was stored; on false nothing was added and cause, when given, says why ("<path>: ...").
bool AppendLedgerRow(const Context& ctx, double date, std::optional<std::int32_t> type,
                     std::int16_t amount, std::string* cause = nullptr);

// Runs readRow for every row of rs. A row that cannot be read (a text or blob where a date or
// number belongs, a number beyond 32 bits) is skipped and logged, so one damaged row never
// hides the others.
template <typename ReadRow>
void ForEachRow(dao::Recordset& rs, const char* where, ReadRow&& readRow) {
    try {
        for (; !rs.Eof(); rs.MoveNext()) {
            try {
                readRow();
            } catch (const dao::JetError& e) {
                DebugLog(where, std::string("damaged row skipped: ") + e.what());
            }
        }
    } catch (const dao::JetError& e) {
        DebugLog(where, e.what());
    }
}

// A storage failure message with its cause on a second line.
std::string WithCause(const std::string& message, const std::string& cause);

// The first day a date field takes: earlier dates are typing errors (1.3.224 for 1.3.2024)
// that would move the start of the consumption period by centuries.
inline constexpr double kFirstEntryDate = 2.0;  // 1.1.1900

// The checked input of an entry dialog: either a refusal to show, or the date and count.
struct EntryInput {
    std::optional<EntryOutcome> refusal;
    double date = 0.0;
    std::int16_t count = 0;
};

// Date first (not a date, the zero date, or before 1.1.1900), then the count (not a 16-bit
// number, or below 1). Texts with control characters or bytes that are no UTF-8 are refused
// with kInvalidTextMessage.
EntryInput CheckEntryInput(const std::string& dateText, const std::string& countText,
                           const std::string& countMessage);

// position when the list of count entries has it, else nullopt.
std::optional<int> PositionInList(std::optional<std::int16_t> position, std::size_t count);

}  // namespace stripstock
