#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/Context.h"
#include "text/ListEntry.h"

namespace stripstock {

// The faulty-measurement dialog's 23 meter names, in list order. The list carries no item
// data: a position becomes a meter type code through MeterCodeAt.
const std::vector<std::string>& FaultyMeterNames();

// The meter type code at a position of FaultyMeterNames(); 0 outside 0..22 (-1 = nothing selected).
std::int16_t MeterCodeAt(std::int16_t position);

// The main window's 27 meters, in list order, each with its meter type code as item data.
const std::vector<ListEntry>& MainMeterList();

}  // namespace stripstock
