#include "strips/StripsTab.h"

#include <string>

#include "data/Dao.h"
#include "data/Session.h"
#include "strips/SessionGuard.h"
#include "strips/StripProperties.h"
#include "text/TextHelpers.h"

namespace stripstock {

Command1Action Command1ActionFor(int index) {
    switch (index) {
        case 0:
            return Command1Action::NewPrescription;
        case 3:
            return Command1Action::NewStrip;
        case 4:
            return Command1Action::EditStrip;
        case 5:
            return Command1Action::DeleteStrip;
        default:
            return Command1Action::None;
    }
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
    bool deleted = false;
    {
        SessionObjects& s = ctx.session;
        SessionGuard guard(s);
        if (db_init(ctx, s.DbEngine, s.Db, ctx.StripDbPath, false, false) == 0 && s.Db) {
            try {
                s.Db->Execute("DELETE * from strips WHERE id=" + std::to_string(id));
                deleted = true;
            } catch (const dao::JetError& e) {
                DebugLog("DeleteStripDefinition", e.what());
            }
        }
    }
    ReloadMainStripList(ctx);
    return deleted;
}

}  // namespace stripstock
