#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/Context.h"

namespace stripstock {

// Device families as the host's import modules number them.
inline constexpr std::int16_t kFamilyBloodPressure = 1;

// The built-in name of a device: blood-glucose meters for families 0 and 2 to 6 (ids 1 to
// 114), blood-pressure monitors for family 1 (14 of the ids 1 to 35). nullopt for any other
// family or an id without a name.
std::optional<std::string> BuiltInDeviceName(std::int16_t family, std::int16_t id);

// The description of the host's import module of that name: its "Desc", else the name when
// the module is registered; an unregistered name gives the name when nameAsDefault is set,
// else the empty text.
std::string GetModuleDesc(const Context& ctx, const std::string& name, bool nameAsDefault);

// A readable name for device id of a family: from the module the built-in table names, then
// the host's import.ini (section "BG" or "BP"), then a module named after the id; empty when
// none has one. Families other than 0 to 6 have no names.
std::string GetImportDesc(const Context& ctx, std::int16_t family, std::int16_t id,
                          bool nameAsDefault);

}  // namespace stripstock
