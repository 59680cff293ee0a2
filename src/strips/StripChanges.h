#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "strips/StripProperties.h"

namespace stripstock {

// The fields a caller gives for a strip definition; one left out keeps its stored value.
struct StripChanges {
    std::optional<std::string> name;
    std::optional<std::string> manufacturer;
    std::optional<std::string> pzn;
    std::optional<std::vector<bool>> selected;  // one per meter of the list; all false clears
};

// Saves a definition from some of its fields, as the properties dialog would after changing
// only those: the stored definition is loaded (LoadStrip), the given fields replace its
// values, and SaveStrip writes all of them. lStripID 0 adds a new definition (fields left out
// empty). Nothing is written when the stored definition cannot be loaded, whether the row is
// missing or the database unreadable, so that a field left out is never blanked.
SaveOutcome SaveStripChanges(Context& ctx, std::int32_t lStripID, const StripChanges& changes,
                             const std::vector<ListEntry>& meters);

}  // namespace stripstock
