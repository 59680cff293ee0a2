#include "strips/Catalogue.h"

#include <memory>
#include <string_view>

#include "data/Dao.h"
#include "data/Schema.h"
#include "data/Session.h"
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

void EnsureStripsTable(Context& ctx) {
    const std::shared_ptr<dao::DBEngine> engine = CreateOwnEngine(ctx);
    if (!engine) return;

    std::shared_ptr<dao::Database> db;
    try {
        db = engine->OpenDatabase(ctx.StripDbPath, false, false);
    } catch (const dao::JetError& e) {
        DebugLog("EnsureStripsTable", e.what());
        return;
    }
    if (!db) return;

    bool tableMissing = false;
    try {
        db->Execute("Select * FROM strips");
    } catch (const dao::JetError& e) {
        // Only a missing table is repaired; any other outcome means the table is there
        // (a select cannot be executed) or the file is not ours to change.
        tableMissing = e.number() == dao::kErrInputTableNotFound;
    }
    if (tableMissing) {
        try {
            AppendStripsTable(*db);
        } catch (const dao::JetError& e) {
            DebugLog("EnsureStripsTable", e.what());
        }
    }
    try {
        db->Close();
    } catch (const dao::JetError& e) {
        DebugLog("EnsureStripsTable", e.what());
    }
}

std::vector<ListEntry> LoadStripList(Context& ctx, const std::string& dbPath) {
    std::vector<ListEntry> entries;
    SessionObjects& s = ctx.session;
    SessionGuard guard(s);
    if (db_init(ctx, s.DbEngine, s.Db, dbPath, true, false) != 0) return entries;
    if (db_OpenRecordset(s.Db, s.Rs, "Select * from strips", dao::dbOpenDynaset) != 0 || !s.Rs) {
        return entries;
    }
    try {
        while (!s.Rs->Eof()) {
            ListEntry entry;
            // Every row gets exactly one entry; a Null name shows as an empty text.
            const dao::Value desc = s.Rs->GetField("desc");
            if (!dao::IsNull(desc)) entry.text = trim(dao::ToText(desc));
            entry.itemData = dao::ToLong(s.Rs->GetField("id"));
            entries.push_back(std::move(entry));
            s.Rs->MoveNext();
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

bool DeleteStripDefinition(Context& ctx, std::int32_t id) {
    SessionObjects& s = ctx.session;
    SessionGuard guard(s);
    if (db_init(ctx, s.DbEngine, s.Db, ctx.StripDbPath, false, false) != 0 || !s.Db) return false;
    try {
        s.Db->Execute("DELETE * from strips WHERE id=" + std::to_string(id));
        return true;
    } catch (const dao::JetError& e) {
        DebugLog("DeleteStripDefinition", e.what());
        return false;
    }
}

std::string GetMeterInList(Context& ctx, const std::string& dbPath, std::int32_t id) {
    std::string appliesTo;
    {
        SessionObjects& s = ctx.session;
        SessionGuard guard(s);
        if (db_init(ctx, s.DbEngine, s.Db, dbPath, true, false) == 0 &&
            db_OpenRecordset(s.Db, s.Rs, "SELECT * FROM strips WHERE id=" + std::to_string(id),
                             dao::dbOpenDynaset) == 0 &&
            s.Rs) {
            try {
                s.Rs->MoveFirst();
                appliesTo = dao::ToText(s.Rs->GetField("appliesto"));
            } catch (const dao::JetError& e) {
                // No such row or an empty column: the list stays empty.
                DebugLog("GetMeterInList", e.what());
            }
        }
    }

    std::string text = trim(ReplaceOnePass(appliesTo, "||", "|"));
    text = ReplaceOnePass(text, "|", ",");
    text = "*" + text + "*";
    text = ReplaceOnePass(text, "*,", "");
    text = ReplaceOnePass(text, ",*", "");
    return "(" + text + ")";
}

}  // namespace stripstock
