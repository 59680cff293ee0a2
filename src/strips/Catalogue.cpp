#include "strips/Catalogue.h"

#include <memory>
#include <string_view>

#include "data/Dao.h"
#include "data/Failure.h"
#include "data/Schema.h"
#include "data/ScopedDatabase.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

// Replaces every occurrence in one pass from left to right; replaced text is not searched
// again, so "|||" with "||" -> "|" gives "||".
std::string ReplaceOnePass(std::string_view text, std::string_view search,
                           std::string_view replacement) {
    if (search.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = text.find(search, pos);
        if (hit == std::string_view::npos) break;
        out.append(text.substr(pos, hit - pos));
        out.append(replacement);
        pos = hit + search.size();
    }
    out.append(text.substr(pos));
    return out;
}

}  // namespace

void EnsureStripsTable(Context& ctx) { EnsureCompanionTables(ctx); }

std::vector<ListEntry> LoadStripList(Context& ctx, const std::string& dbPath) {
    std::vector<ListEntry> entries;
    auto companion =
        ScopedDatabase::ThroughSession(ctx, dbPath, /*readOnly=*/true, "LoadStripList");
    const auto rs = companion.OpenRecordset("Select * from strips", dao::dbOpenDynaset);
    if (!rs) return entries;
    try {
        while (!rs->Eof()) {
            ListEntry entry;
            // Every row gets exactly one entry; a Null name shows as an empty text.
            const dao::Value desc = rs->GetField("desc");
            if (!dao::IsNull(desc)) entry.text = trim(dao::ToText(desc));
            entry.itemData = dao::ToLong(rs->GetField("id"));
            entries.push_back(std::move(entry));
            rs->MoveNext();
        }
    } catch (const dao::JetError& e) {
        DebugLog("LoadStripList", e.what());
    }
    return entries;
}

std::string StripNameIn(const std::vector<ListEntry>& entries, std::int32_t id) {
    if (id < 1) return {};
    for (const ListEntry& entry : entries) {
        if (entry.itemData == id) return entry.text;
    }
    return {};
}

std::int32_t SelectedStripId(const std::vector<ListEntry>& list, int selectedRow) {
    if (selectedRow < 0 || static_cast<std::size_t>(selectedRow) >= list.size()) return 0;
    return list[static_cast<std::size_t>(selectedRow)].itemData;
}

std::int32_t EditTargetId(const std::vector<ListEntry>& list, int selectedRow) {
    const std::int32_t id = SelectedStripId(list, selectedRow);
    return id >= 1 ? id : 0;
}

bool DeleteStripDefinition(Context& ctx, std::int32_t id, std::string* cause) {
    auto companion = ScopedDatabase::ThroughSession(ctx, ctx.StripDbPath, /*readOnly=*/false,
                                                    "DeleteStripDefinition");
    if (!companion) {
        if (cause)
            *cause = !companion.cause().empty()
                         ? companion.cause()
                         : OpenFailureCause(ctx.StripDbPath, companion.status(), companion.error());
        return false;
    }
    try {
        companion->Execute("DELETE * from strips WHERE id=" + std::to_string(id));
        return true;
    } catch (const dao::JetError& e) {
        DebugLog("DeleteStripDefinition", e.what());
        if (cause) *cause = FailureCause(ctx.StripDbPath, e);
        return false;
    }
}

std::string GetMeterInList(Context& ctx, const std::string& dbPath, std::int32_t id) {
    std::string appliesTo;
    {
        auto companion =
            ScopedDatabase::ThroughSession(ctx, dbPath, /*readOnly=*/true, "GetMeterInList");
        if (const auto rs = companion.OpenRecordset(
                "SELECT * FROM strips WHERE id=" + std::to_string(id), dao::dbOpenDynaset)) {
            try {
                rs->MoveFirst();
                appliesTo = dao::ToText(rs->GetField("appliesto"));
            } catch (const dao::JetError& e) {
                // No such row or an empty column: the list stays empty.
                DebugLog("GetMeterInList", e.what());
            }
        }
    }

    return MeterInListOf(appliesTo);
}

std::string MeterInListOf(const std::string& appliesTo) {
    std::string text = trim(ReplaceOnePass(appliesTo, "||", "|"));
    text = ReplaceOnePass(text, "|", ",");
    text = "*" + text + "*";
    text = ReplaceOnePass(text, "*,", "");
    text = ReplaceOnePass(text, ",*", "");
    return "(" + text + ")";
}

}  // namespace stripstock
