#include "meters/MeterModules.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

#include "host/Registry.h"
#include "host/RegistryBackend.h"
#include "text/Regional.h"

namespace stripstock {

namespace {

constexpr const char* kModulesKey = "\\MODULES";
constexpr std::size_t kMeterCodeField = 3;  // the fourth "|"-separated field of "parameter"

// A real as a 16-bit integer variable takes it: halves go to the even neighbour; nullopt
// where the value does not fit.
std::optional<std::int16_t> ToInt16Rounded(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double rounded = std::nearbyint(value);  // default mode: to nearest, ties to even
    if (rounded < std::numeric_limits<std::int16_t>::min() ||
        rounded > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

// The meter type code field: an optionally signed decimal number between blanks that fits
// 16 bits; anything else is no code.
std::optional<std::int16_t> ParseMeterCode(std::string_view field) {
    while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
    while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
    bool negative = false;
    if (!field.empty() && (field.front() == '+' || field.front() == '-')) {
        negative = field.front() == '-';
        field.remove_prefix(1);
    }
    if (field.empty() || field.size() > 6) return std::nullopt;
    long value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

std::vector<std::string_view> SplitAtBar(std::string_view text) {
    std::vector<std::string_view> fields;
    if (text.empty()) return fields;  // an empty text has no fields at all
    std::size_t start = 0;
    while (true) {
        const std::size_t bar = text.find('|', start);
        if (bar == std::string_view::npos) {
            fields.push_back(text.substr(start));
            break;
        }
        fields.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    return fields;
}

std::int16_t MeterCodeOf(const std::string& parameter) {
    const std::vector<std::string_view> fields = SplitAtBar(parameter);
    if (fields.size() <= kMeterCodeField) return -1;
    return ParseMeterCode(fields[kMeterCodeField]).value_or(-1);
}

// A module is offered only when "0" followed by its "type" reads as 0.
bool IsMeterModuleType(const std::string& type) {
    const std::optional<std::int16_t> kind = ToInt16Rounded(BasicVal("0" + type));
    return kind.has_value() && *kind == 0;
}

}  // namespace

std::vector<ListEntry> LoadMeterList(const Context& ctx) {
    std::vector<ListEntry> meters;
    if (!ctx.registry) return meters;
    const Registry& reg = *ctx.registry;

    std::vector<std::string> names(1);
    reg.GetAllKeys(kHkeyLocalMachine, ctx.HostRegKey + kModulesKey, names);

    for (const std::string& name : names) {
        // An empty name stands for a subkey that could not be enumerated, not for a module.
        if (name.empty()) continue;
        const std::string modulePath = ctx.HostRegKey + kModulesKey + "\\" + name;

        std::string type;
        reg.RegReadValue(kHkeyLocalMachine, modulePath, "type", type);
        if (!IsMeterModuleType(type)) continue;

        std::string parameter;
        reg.RegReadValue(kHkeyLocalMachine, modulePath, "parameter", parameter);
        const std::int16_t code = MeterCodeOf(parameter);
        if (code <= 0) continue;

        std::string desc;
        reg.RegReadValue(kHkeyLocalMachine, modulePath, "desc", desc);
        meters.push_back(ListEntry{desc, code});
    }
    return meters;
}

}  // namespace stripstock
