#include "prescriptions/LedgerStore.h"

#include <string_view>

#include "data/Session.h"
#include "host/Registry.h"
#include "host/RegistryBackend.h"
#include "text/Regional.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

constexpr const char* kLastMeterName = "LastMeter";

// A close that fails after the work is done changes nothing for the caller.
template <typename T>
void CloseQuietly(const std::shared_ptr<T>& object, const char* where) {
    if (!object) return;
    try {
        object->Close();
    } catch (const dao::JetError& e) {
        DebugLog(where, e.what());
    }
}

}  // namespace

std::shared_ptr<dao::Database> OpenLedgerDatabase(const Context& ctx, bool readOnly,
                                                  std::shared_ptr<dao::DBEngine>& engine) {
    engine = CreateOwnEngine(ctx);
    if (!engine || ctx.StripDbPath.empty()) return nullptr;
    try {
        return engine->OpenDatabase(ctx.StripDbPath, false, readOnly);
    } catch (const dao::JetError& e) {
        DebugLog("OpenLedgerDatabase", e.what());
        return nullptr;
    }
}

void CloseLedger(const std::shared_ptr<dao::Recordset>& rs,
                 const std::shared_ptr<dao::Database>& db, const char* where) {
    CloseQuietly(rs, where);
    CloseQuietly(db, where);
}

bool AppendLedgerRow(const Context& ctx, double date, std::optional<std::int32_t> type,
                     std::int16_t amount) {
    std::shared_ptr<dao::DBEngine> engine;
    auto db = OpenLedgerDatabase(ctx, false, engine);
    if (!db) return false;

    bool stored = false;
    std::shared_ptr<dao::Recordset> rs;
    try {
        rs = db->OpenRecordset("teststrips", dao::dbOpenDynaset);
        rs->AddNew();
        rs->SetField("date", date);
        // A type the field cannot hold is refused here, before Update, so no row is added.
        if (type) rs->SetField("type", static_cast<std::int64_t>(*type));
        rs->SetField("amount", static_cast<std::int64_t>(amount));
        rs->Update();
        stored = true;
    } catch (const dao::JetError& e) {
        DebugLog("AppendLedgerRow", e.what());
    }
    CloseLedger(rs, db, "AppendLedgerRow");
    return stored;
}

EntryInput CheckEntryInput(const std::string& dateText, const std::string& countText,
                           const std::string& countMessage) {
    EntryInput input;
    const auto date = ParseDate(dateText);
    if (!date || IsZeroDate(*date)) {
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

std::optional<std::int16_t> ReadLastMeter(const Context& ctx) {
    std::string value = "0";
    if (ctx.registry) {
        ctx.registry->RegReadValue(kHkeyLocalMachine, ctx.AddonRegKey, kLastMeterName, value);
    }
    return ParseInt16(trim(value));
}

bool WriteLastMeter(const Context& ctx, int position) {
    if (!ctx.registry) return false;
    const bool written = ctx.registry->RegWriteString(kHkeyLocalMachine, ctx.AddonRegKey,
                                                      kLastMeterName, std::to_string(position));
    if (!written) DebugLog("WriteLastMeter", "LastMeter not written below " + ctx.AddonRegKey);
    return written;
}

std::optional<int> PositionInList(std::optional<std::int16_t> position, std::size_t count) {
    if (!position || *position < 0 || static_cast<std::size_t>(*position) >= count) {
        return std::nullopt;
    }
    return *position;
}

}  // namespace stripstock
