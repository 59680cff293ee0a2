#pragma once

#include <cstdint>
#include <string>

namespace stripstock {

// An entry of a list box or combo box: the shown text and the item data behind it.
struct ListEntry {
    std::string text;
    std::int32_t itemData = 0;
};

}  // namespace stripstock
