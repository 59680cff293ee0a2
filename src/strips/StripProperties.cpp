#include "strips/StripProperties.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>

#include "data/Dao.h"
#include "data/Session.h"
#include "host/Registry.h"
#include "host/RegistryBackend.h"
#include "strips/Catalogue.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

constexpr const char* kModulesKey = "\\MODULES";
constexpr std::size_t kMeterCodeField = 3;  // the fourth "|"-separated field of "parameter"

// The number at the start of text, read the way BASIC's Val() reads it: blanks, tabs and line feeds
// are ignored anywhere, "." is the decimal point, reading stops at the first other character
// and text without a leading number is 0.
double ValLikeNumber(std::string_view text) {
    std::string packed;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') packed += c;
    }
    std::string number;
    std::size_t i = 0;
    if (i < packed.size() && (packed[i] == '+' || packed[i] == '-')) number += packed[i++];
    const std::size_t digitsStart = number.size();
    while (i < packed.size() && packed[i] >= '0' && packed[i] <= '9') number += packed[i++];
    if (i < packed.size() && packed[i] == '.') {
        number += packed[i++];
        while (i < packed.size() && packed[i] >= '0' && packed[i] <= '9') number += packed[i++];
    }
    const std::string mantissa = number.substr(digitsStart);
    if (mantissa.empty() || mantissa == ".") return 0.0;
    if (i < packed.size() &&
        (packed[i] == 'e' || packed[i] == 'E' || packed[i] == 'd' || packed[i] == 'D')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < packed.size() && (packed[j] == '+' || packed[j] == '-')) exponent += packed[j++];
        const std::size_t expDigits = exponent.size();
        while (j < packed.size() && packed[j] >= '0' && packed[j] <= '9') exponent += packed[j++];
        if (exponent.size() > expDigits) number += exponent;
    }
    // from_chars, unlike strtod, ignores the process locale (a German one wants a comma).
    if (number.front() == '+') number.erase(0, 1);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small for a double reads as 0, too large as a value no integer holds.
        const bool tiny = number.find("e-") != std::string::npos;
        return tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return value;
}

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
    const std::optional<std::int16_t> kind = ToInt16Rounded(ValLikeNumber("0" + type));
    return kind.has_value() && *kind == 0;
}

// Reads one text column into field, trimmed; a Null or unreadable column leaves it empty.
void ReadTrimmed(const dao::Recordset& rs, std::string_view column, std::string& field) {
    try {
        field = trim(dao::ToText(rs.GetField(column)));
    } catch (const dao::JetError& e) {
        DebugLog("LoadStrip", std::string(column) + ": " + e.what());
    }
}

SaveOutcome NotSaved() { return SaveOutcome{false, kStripSaveFailedMessage}; }

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

StripForm LoadStrip(Context& ctx, std::int32_t lStripID, const std::vector<ListEntry>& meters) {
    StripForm form;
    form.selected.assign(meters.size(), false);
    if (lStripID < 1) return form;

    std::string appliesTo;
    {
        SessionObjects& s = ctx.session;
        SessionGuard guard(s);
        if (db_init(ctx, s.DbEngine, s.Db, ctx.StripDbPath, true, false) != 0) return form;
        if (db_OpenRecordset(s.Db, s.Rs,
                             "Select * FROM strips where id=" + std::to_string(lStripID),
                             dao::dbOpenDynaset) != 0 ||
            !s.Rs) {
            return form;
        }
        try {
            s.Rs->MoveFirst();
        } catch (const dao::JetError& e) {
            DebugLog("LoadStrip", e.what());
            return form;
        }
        form.found = true;
        ReadTrimmed(*s.Rs, "desc", form.name);
        ReadTrimmed(*s.Rs, "pzn", form.pzn);
        ReadTrimmed(*s.Rs, "manufacturer", form.manufacturer);
        ReadTrimmed(*s.Rs, "appliesto", appliesTo);
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
    const std::string appliesTo = BuildAppliesTo(meters, selected);
    // A column that refused its text would be left out of the row silently; refuse the whole
    // definition instead, before anything is opened.
    for (const std::string* text : {&name, &manufacturer, &pzn, &appliesTo}) {
        if (StripTextLength(*text) > static_cast<std::size_t>(kStripTextMaxLength)) {
            return NotSaved();
        }
    }
    if (!ctx.engines) return NotSaved();

    std::shared_ptr<dao::Database> db;
    std::shared_ptr<dao::Recordset> rs;
    auto close = [&] {
        try {
            if (rs) rs->Close();
        } catch (const dao::JetError& e) {
            DebugLog("SaveStrip", e.what());
        }
        try {
            if (db) db->Close();
        } catch (const dao::JetError& e) {
            DebugLog("SaveStrip", e.what());
        }
    };

    try {
        std::shared_ptr<dao::DBEngine> engine = CreateOwnEngine(ctx);
        if (!engine) return NotSaved();
        db = engine->OpenDatabase(ctx.StripDbPath, false, false, "MS Access");
        if (!db) return NotSaved();
        if (lStripID != 0) {
            rs = db->OpenRecordset("Select * FROM strips WHERE ID=" + std::to_string(lStripID),
                                   dao::dbOpenDynaset);
            if (!rs || rs->Eof()) {
                // The definition was deleted meanwhile: there is nothing to update.
                close();
                return SaveOutcome{true, {}};
            }
            rs->Edit();
        } else {
            rs = db->OpenRecordset("Select * FROM strips", dao::dbOpenDynaset);
            if (!rs) {
                close();
                return NotSaved();
            }
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
        close();
        return NotSaved();
    }
    close();
    return SaveOutcome{true, {}};
}

}  // namespace stripstock
