#include "prescriptions/LedgerStore.h"

#include <string_view>

#include "data/Failure.h"
#include "data/ScopedDatabase.h"
#include "text/Regional.h"
#include "text/TextHelpers.h"
#include "text/UserText.h"

namespace stripstock {

namespace {

// Why the companion could not be opened, for the second line of a failure message.
std::string CompanionOpenCause(const Context& ctx, const ScopedDatabase& db) {
    return OpenFailureCause(ctx.StripDbPath, db.status(), db.error());
}

}  // namespace

std::string WithCause(const std::string& message, const std::string& cause) {
    return cause.empty() ? message : message + "\n" + cause;
}

bool AppendLedgerRow(const Context& ctx, double date, std::optional<std::int32_t> type,
                     std::int16_t amount, std::string* cause) {
    // The entry dialogs keep engine objects of their own, not the shared session.
    auto ledger =
        ScopedDatabase::WithOwnEngine(ctx, ctx.StripDbPath, /*readOnly=*/false, "AppendLedgerRow");
    if (!ledger) {
        if (cause) *cause = CompanionOpenCause(ctx, ledger);
        return false;
    }
    const auto rs = ledger.OpenRecordset("teststrips", dao::dbOpenDynaset);
    if (!rs) {
        if (cause) *cause = ctx.StripDbPath + ": " + "die Tabelle teststrips fehlt";
        return false;
    }
    try {
        rs->AddNew();
        rs->SetField("date", date);
        // A type the field cannot hold is refused here, before Update, so no row is added.
        if (type) rs->SetField("type", static_cast<std::int64_t>(*type));
        rs->SetField("amount", static_cast<std::int64_t>(amount));
        rs->Update();
        return true;
    } catch (const dao::JetError& e) {
        // Closing without Update discards the pending row.
        DebugLog("AppendLedgerRow", e.what());
        if (cause) *cause = FailureCause(ctx.StripDbPath, e);
        return false;
    }
}

EntryInput CheckEntryInput(const std::string& dateText, const std::string& countText,
                           const std::string& countMessage) {
    EntryInput input;
    for (const std::string* text : {&dateText, &countText}) {
        if (!IsAcceptableUserText(*text)) {
            input.refusal =
                EntryOutcome{false, kInvalidTextMessage,
                             text == &dateText ? EntryFocus::Date : EntryFocus::Amount, false};
            return input;
        }
    }
    const auto date = ParseDate(dateText);
    if (!date || IsZeroDate(*date) || *date < kFirstEntryDate) {
        input.refusal = EntryOutcome{false, kInvalidDateMessage, EntryFocus::Date, false};
        return input;
    }
    const auto count = ParseInt16(countText);
    if (!count || *count < 1) {
        input.refusal = EntryOutcome{false, countMessage, EntryFocus::Amount, false};
        return input;
    }
    input.date = *date;
    input.count = *count;
    return input;
}

std::optional<int> PositionInList(std::optional<std::int16_t> position, std::size_t count) {
    if (!position || *position < 0 || static_cast<std::size_t>(*position) >= count) {
        return std::nullopt;
    }
    return *position;
}

}  // namespace stripstock
