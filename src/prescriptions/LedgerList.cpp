#include "prescriptions/LedgerList.h"

#include <memory>

#include "data/Dao.h"
#include "data/Failure.h"
#include "data/ScopedDatabase.h"
#include "prescriptions/LedgerExport.h"
#include "prescriptions/LedgerStore.h"
#include "text/Regional.h"
#include "text/TextHelpers.h"

namespace stripstock {

std::vector<ListEntry> FillEntryList(Context& ctx) {
    std::vector<ListEntry> entries;
    const auto ledger = ReadLedger(ctx);
    if (!ledger) return entries;
    for (const LedgerRecord& e : *ledger) {
        std::string text = e.date ? FormatShortDate(*e.date) : std::string();
        text += e.Faulty() ? kFaultyLabel : kReceiptLabel;
        text += std::to_string(e.Count()) + "x   " + e.name;
        entries.push_back({std::move(text), e.id});
    }
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
