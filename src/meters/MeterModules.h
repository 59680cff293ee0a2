#pragma once

#include <vector>

#include "host/Context.h"
#include "text/ListEntry.h"

namespace stripstock {

// The meters the host has registered as import modules (text = description, item data =
// meter type code above 0), in the order the registry enumerates them.
std::vector<ListEntry> LoadMeterList(const Context& ctx);

}  // namespace stripstock
