#include "strips/StripChanges.h"

namespace stripstock {

SaveOutcome SaveStripChanges(Context& ctx, std::int32_t lStripID, const StripChanges& changes,
                             const std::vector<ListEntry>& meters) {
    StripForm stored;
    stored.selected.assign(meters.size(), false);
    if (lStripID != 0) {
        stored = LoadStrip(ctx, lStripID, meters);
        if (!stored.found) return SaveOutcome{false, kStripSaveFailedMessage};
    }
    return SaveStrip(ctx, lStripID, changes.name.value_or(stored.name),
                     changes.manufacturer.value_or(stored.manufacturer),
                     changes.pzn.value_or(stored.pzn), meters,
                     changes.selected.value_or(stored.selected));
}

}  // namespace stripstock
