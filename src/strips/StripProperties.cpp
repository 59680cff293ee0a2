#include "strips/StripProperties.h"

#include <string_view>

#include "data/Dao.h"
#include "data/Failure.h"
#include "data/ScopedDatabase.h"
#include "text/TextHelpers.h"
#include "text/UserText.h"

namespace stripstock {

namespace {

// Reads one text column into field, trimmed; a Null or unreadable column leaves it empty.
void ReadTrimmed(const dao::Recordset& rs, std::string_view column, std::string& field) {
    try {
        field = trim(dao::ToText(rs.GetField(column)));
    } catch (const dao::JetError& e) {
        DebugLog("LoadStrip", std::string(column) + ": " + e.what());
    }
}

SaveOutcome NotSaved(const std::string& cause = {}) {
    return SaveOutcome{false, cause.empty() ? std::string(kStripSaveFailedMessage)
                                            : std::string(kStripSaveFailedMessage) + "\n" + cause};
}

}  // namespace

StripForm LoadStrip(Context& ctx, std::int32_t lStripID, const std::vector<ListEntry>& meters) {
    StripForm form;
    form.selected.assign(meters.size(), false);
    if (lStripID < 1) return form;

    std::string appliesTo;
    {
        auto companion =
            ScopedDatabase::ThroughSession(ctx, ctx.StripDbPath, /*readOnly=*/true, "LoadStrip");
        const auto rs = companion.OpenRecordset(
            "Select * FROM strips where id=" + std::to_string(lStripID), dao::dbOpenDynaset);
        if (!rs) return form;
        try {
            rs->MoveFirst();
        } catch (const dao::JetError& e) {
            DebugLog("LoadStrip", e.what());
            return form;
        }
        form.found = true;
        ReadTrimmed(*rs, "desc", form.name);
        ReadTrimmed(*rs, "pzn", form.pzn);
        ReadTrimmed(*rs, "manufacturer", form.manufacturer);
        ReadTrimmed(*rs, "appliesto", appliesTo);
    }

    for (std::size_t i = 0; i < meters.size(); ++i) {
        const std::string code = "|" + std::to_string(meters[i].itemData) + "|";
        if (appliesTo.find(code) != std::string::npos) form.selected[i] = true;
    }
    return form;
}

std::string BuildAppliesTo(const std::vector<ListEntry>& meters,
                           const std::vector<bool>& selected) {
    std::string text;
    for (std::size_t i = 0; i < meters.size() && i < selected.size(); ++i) {
        if (selected[i]) text += "|" + std::to_string(meters[i].itemData) + "|";
    }
    return text;
}

std::size_t StripTextLength(const std::string& text) { return Utf8Length(text); }

SaveOutcome SaveStrip(Context& ctx, std::int32_t lStripID, const std::string& name,
                      const std::string& manufacturer, const std::string& pzn,
                      const std::vector<ListEntry>& meters, const std::vector<bool>& selected) {
    // A line break or tab in a name would split every list that shows it.
    for (const std::string* text : {&name, &manufacturer, &pzn}) {
        if (!IsAcceptableUserText(*text)) return SaveOutcome{false, kInvalidTextMessage, true};
    }
    const std::string appliesTo = BuildAppliesTo(meters, selected);
    // A column that refused its text would be left out of the row silently; refuse the whole
    // definition instead, before anything is opened.
    for (const std::string* text : {&name, &manufacturer, &pzn, &appliesTo}) {
        if (StripTextLength(*text) > static_cast<std::size_t>(kStripTextMaxLength)) {
            return NotSaved();
        }
    }
    // The dialog keeps engine objects of its own, not the shared session.
    auto companion = ScopedDatabase::WithOwnEngine(ctx, ctx.StripDbPath, /*readOnly=*/false,
                                                   "SaveStrip", "MS Access");
    if (!companion)
        return NotSaved(OpenFailureCause(ctx.StripDbPath, companion.status(), companion.error()));
    const auto rs = companion.OpenRecordset(
        lStripID != 0 ? "Select * FROM strips WHERE ID=" + std::to_string(lStripID)
                      : std::string("Select * FROM strips"),
        dao::dbOpenDynaset);
    if (!rs) return NotSaved();
    try {
        if (lStripID != 0) {
            // The definition was deleted meanwhile: there is nothing to update.
            if (rs->Eof()) return SaveOutcome{true, {}};
            rs->Edit();
        } else {
            rs->AddNew();
        }
        rs->SetField("desc", name);
        rs->SetField("pzn", pzn);
        rs->SetField("manufacturer", manufacturer);
        rs->SetField("appliesto", appliesTo);
        rs->Update();
    } catch (const dao::JetError& e) {
        // Closing without Update discards the pending row, so nothing half-written remains.
        DebugLog("SaveStrip", e.what());
        return NotSaved(FailureCause(ctx.StripDbPath, e));
    }
    return SaveOutcome{true, {}};
}

}  // namespace stripstock
