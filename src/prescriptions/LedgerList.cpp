#include "prescriptions/LedgerList.h"

#include <memory>

#include "data/Dao.h"
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

    std::shared_ptr<dao::DBEngine> engine;
    auto db = OpenLedgerDatabase(ctx, true, engine);
    if (!db) return entries;

    std::shared_ptr<dao::Recordset> rs;
    try {
        rs = db->OpenRecordset(kAllEntriesSql, dao::dbOpenDynaset);
        for (; !rs->Eof(); rs->MoveNext()) {
            const dao::Value date = rs->GetField("date");
            const std::int32_t amount = LongOrZero(rs->GetField("amount"));
            const std::int32_t type = LongOrZero(rs->GetField("type"));

            std::string text =
                dao::IsNull(date) ? std::string() : FormatShortDate(dao::ToDate(date));
            text += amount < 0 ? kFaultyLabel : kReceiptLabel;
            text += std::to_string(amount < 0 ? -amount : amount) + "x   ";
            text += amount < 0 ? GetImportDesc(ctx, 0, static_cast<std::int16_t>(type), true)
                               : StripNameIn(catalogue, type);
            entries.push_back({std::move(text), dao::ToLong(rs->GetField("id"))});
        }
    } catch (const dao::JetError& e) {
        DebugLog("FillEntryList", e.what());
    }
    CloseLedger(rs, db, "FillEntryList");
    return entries;
}

bool DeleteEntry(Context& ctx, std::int32_t id) {
    std::shared_ptr<dao::DBEngine> engine;
    auto db = OpenLedgerDatabase(ctx, false, engine);
    if (!db) return false;

    bool done = false;
    try {
        db->Execute("DELETE * FROM teststrips WHERE id=" + std::to_string(id));
        done = true;
    } catch (const dao::JetError& e) {
        DebugLog("DeleteEntry", e.what());
    }
    CloseLedger(nullptr, db, "DeleteEntry");
    return done;
}

std::optional<std::int32_t> SelectedEntryId(const std::vector<ListEntry>& entries, int selected) {
    if (selected < 0 || static_cast<std::size_t>(selected) >= entries.size()) return std::nullopt;
    return entries[static_cast<std::size_t>(selected)].itemData;
}

}  // namespace stripstock
