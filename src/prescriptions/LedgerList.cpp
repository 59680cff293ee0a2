#include "prescriptions/LedgerList.h"

#include <memory>

#include "data/Dao.h"
#include "data/Failure.h"
#include "data/ScopedDatabase.h"
#include "meters/ImportDesc.h"
#include "prescriptions/LedgerStore.h"
#include "strips/Catalogue.h"
#include "text/Regional.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

constexpr const char* kAllEntriesSql = "Select * FROM teststrips ORDER by date DESC";

// Prescriptions carry a strip definition's ID; the name is the definition's as stored now,
// empty when it has been deleted.
std::int32_t LongOrZero(const dao::Value& v) { return dao::IsNull(v) ? 0 : dao::ToLong(v); }

}  // namespace

std::vector<ListEntry> FillEntryList(Context& ctx) {
    std::vector<ListEntry> entries;
    // Read before the ledger is opened: the catalogue goes through the shared session.
    const std::vector<ListEntry> catalogue = LoadStripList(ctx, ctx.StripDbPath);

    // Reading takes the diary's password too: a diary that is its own companion has one (a
    // companion without a password opens with any connect string).
    const std::string connect =
        "MS Access;pwd=" +
        (ctx.DbPassword.empty() ? std::string(kBuiltInPassword) : ctx.DbPassword);
    auto ledger = ScopedDatabase::WithOwnEngine(ctx, ctx.StripDbPath, /*readOnly=*/true,
                                                "FillEntryList", connect);
    const auto rs = ledger.OpenRecordset(kAllEntriesSql, dao::dbOpenDynaset);
    if (!rs) return entries;
    ForEachRow(*rs, "FillEntryList", [&] {
        const dao::Value date = rs->GetField("date");
        const std::int32_t amount = LongOrZero(rs->GetField("amount"));
        const std::int32_t type = LongOrZero(rs->GetField("type"));
        const std::int32_t id = dao::ToLong(rs->GetField("id"));

        std::string text = dao::IsNull(date) ? std::string() : FormatShortDate(dao::ToDate(date));
        text += amount < 0 ? kFaultyLabel : kReceiptLabel;
        // -2147483648 has no positive counterpart in 32 bits.
        text += std::to_string(amount < 0 ? -static_cast<std::int64_t>(amount) : amount) + "x   ";
        text += amount < 0 ? GetImportDesc(ctx, 0, static_cast<std::int16_t>(type), true)
                           : StripNameIn(catalogue, type);
        entries.push_back({std::move(text), id});
    });
    return entries;
}

bool DeleteEntry(Context& ctx, std::int32_t id, std::string* cause) {
    auto ledger =
        ScopedDatabase::WithOwnEngine(ctx, ctx.StripDbPath, /*readOnly=*/false, "DeleteEntry");
    if (!ledger) {
        if (cause) *cause = OpenFailureCause(ctx.StripDbPath, ledger.status(), ledger.error());
        return false;
    }
    try {
        ledger->Execute("DELETE * FROM teststrips WHERE id=" + std::to_string(id));
        return true;
    } catch (const dao::JetError& e) {
        DebugLog("DeleteEntry", e.what());
        if (cause) *cause = FailureCause(ctx.StripDbPath, e);
        return false;
    }
}

std::optional<std::int32_t> SelectedEntryId(const std::vector<ListEntry>& entries, int selected) {
    if (selected < 0 || static_cast<std::size_t>(selected) >= entries.size()) return std::nullopt;
    return entries[static_cast<std::size_t>(selected)].itemData;
}

}  // namespace stripstock
