#include "meters/ImportDesc.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "host/Registry.h"
#include "meters/PrivateProfile.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

// Blood-glucose meters by device number, ids 1 to 114 without gaps (index = id - 1).
constexpr std::array<const char*, 114> kBloodGlucoseNames = {
    "Ascensia DEX",                  // 1
    "Glucoval Compact",              // 2
    "Omnitest Sensor",               // 3
    "MediSense QID",                 // 4
    "MediSense Card Sensor",         // 5
    "MediSense Pen Sensor",          // 6
    "OneTouch II",                   // 7
    "OneTouch Profile",              // 8
    "GlucoTouch",                    // 9
    "EuroFlash",                     // 10
    "Accutrend DM",                  // 11
    "Accutrend Sensor",              // 12
    "Accutrend Sensor Complete",     // 13
    "Reflolux S",                    // 14
    "Accutrend G/ GC",               // 15
    "Glucotrend Premium",            // 16
    "Accutrend Comfort",             // 17
    "GlucoCard PC",                  // 18
    "ActiVita Combi",                // 19
    "Sensimac",                      // 20
    "Ascensia Elite XL",             // 21
    "MediSense Precision Xtra",      // 22
    "FreeStyle",                     // 23
    "Accutrend Compact",             // 24
    "OneTouch Ultra",                // 25
    "MediSense SoftSense",           // 26
    "OneTouch BasicPlus",            // 27
    "Accu-Chek Active",              // 28
    "Glucomen PC",                   // 29
    "InDuo",                         // 30
    "Papillon",                      // 31
    "Medisense Precision XtraOK",    // 32
    "Ascensia Contour",              // 33
    "Ascensia Breeze",               // 34
    "IME",                           // 35
    "OneTouch UltraSmart",           // 36
    "BD Latitude",                   // 37
    "Imcarmed",                      // 38
    "Medisense Precision Easy",      // 39
    "Prestige IQ",                   // 40
    "HemoCue HomeGlucose",           // 41
    "Omnitest EZ",                   // 42
    "STADA Glucose Control",         // 43
    "Ascensia Confirm",              // 44
    "HypoGuard Advance",             // 45
    "FreeStyle Flash",               // 46
    "Accu-Chek Go",                  // 47
    "Medical Watchdog",              // 48
    "Accutrend Sensor III",          // 49
    "MediSense Precision Xceed",     // 50
    "Sensolite",                     // 51
    "GlucoTalk",                     // 52
    "SensoLite Nova",                // 53
    "SensoCard",                     // 54
    "SensoCard Plus",                // 55
    "SensoLite Nova Plus",           // 56
    "D Cont Personal Plussz Voice",  // 57
    "GlucoSmart",                    // 58
    "EasyGluco",                     // 59
    "IME-DC",                        // 60
    "FreeStyle Cozmonitor",          // 61
    "GlUCOSTADA",                    // 62
    "FreeStyle Papillon Mini",       // 63
    "BD Logic",                      // 64
    "Balance Olympia",               // 65
    "TrueTrack SmartSystem",         // 66
    "Major II",                      // 67
    "Bionime GM 300",                // 68
    "MultiCare",                     // 69
    "Optium",                        // 70
    "Optium Xceed",                  // 71
    "Senova",                        // 72
    "Accu-Chek Aviva",               // 73
    "Accu-Chek Compact Plus I",      // 74
    "Omnitest Plus",                 // 75
    "Finetouch",                     // 76
    "Glucolab",                      // 77
    "EasyGlyco TM15",                // 78
    "GlucoDr",                       // 79
    "GlucoSurrir",                   // 80
    "FreeStyle Freedom",             // 81
    "FreeStyle Navigator",           // 82
    "smartLAB smile",                // 83
    "Paradigm Link",                 // 84
    "GlucoCard X-meter",             // 85
    "X-meter",                       // 86
    "OneTouch Ultra2",               // 87
    "Smart-X",                       // 88
    "MicroDot",                      // 89
    "Wellion Linus",                 // 90
    "Glucomen Visio",                // 91
    "Ascensia Contour2",             // 92
    "Agamatrix Keynote",             // 93
    "Gluco-test",                    // 94
    "Finetest",                      // 95
    "Smartlab Sprint",               // 96
    "IME Fidelity",                  // 97
    "FreeStyle Lite",                // 98
    "Ascensia BREEZE 2",             // 99
    "Smartlab Genius",               // 100
    "Klinion GM211",                 // 101
    "GlucoSure STAR",                // 102
    "Accu-Chek Compact Plus",        // 103
    "Accu-Chek Performa",            // 104
    "Accu-Chek Voicemate Plus",      // 105
    "FreeStyle Freedom Lite",        // 106
    "OneTouch UltraMini",            // 107
    "OneTouch UltraEasy",            // 108
    "Ascensia CONTOURLINK",          // 109
    "MWD PenSensor",                 // 110
    "GlucoHexal",                    // 111
    "SmartLab Global",               // 112
    "OneTouch Vita",                 // 113
    "GlucoSure Voice",               // 114
};

// Blood-pressure monitors: ids 1 to 35, of which only these have a name.
constexpr std::pair<std::int16_t, const char*> kBloodPressureNames[] = {
    {1, "Visomat Handy PC"},  {2, "mediwatch PC"},    {3, "boso medicus PC"},
    {4, "boso medilife PC"},  {5, "TM2430-PC"},       {6, "NAIS Diagnostec Professional"},
    {7, "NAIS memory PC"},    {8, "NAIS EW3041"},     {11, "ActiVita Mobil"},
    {12, "ActiVita Station"}, {19, "ActiVita Combi"}, {33, "OMRON 705 IT"},
    {34, "OMRON 637 IT"},     {35, "OMRON M9"},
};

constexpr std::int16_t kBloodPressureLastId = 35;
constexpr std::size_t kProfileBufferSize = 255;

enum class Section { None, BloodGlucose, BloodPressure };

Section SectionOf(std::int16_t family) {
    if (family == kFamilyBloodPressure) return Section::BloodPressure;
    if (family == 0 || (family >= 2 && family <= 6)) return Section::BloodGlucose;
    return Section::None;
}

// The host's import.ini, from the folder in the value "path" of the host key. Without a
// folder there is no file to read: the bare name would point at the root of the drive.
std::string ImportIniPath(const Context& ctx) {
    std::string folder;
    ctx.registry->RegReadValue(kHkeyLocalMachine, ctx.HostRegKey, "path", folder);
    if (trim(folder).empty()) return {};
    std::string path = JoinPath(folder, "import.ini", kPathSeparator);
    RemoveSlashes(path, kPathSeparator);
    return path;
}

}  // namespace

std::optional<std::string> BuiltInDeviceName(std::int16_t family, std::int16_t id) {
    switch (SectionOf(family)) {
        case Section::BloodGlucose:
            if (id >= 1 && static_cast<std::size_t>(id) <= kBloodGlucoseNames.size())
                return std::string(kBloodGlucoseNames[static_cast<std::size_t>(id - 1)]);
            return std::nullopt;
        case Section::BloodPressure: {
            if (id < 1 || id > kBloodPressureLastId) return std::nullopt;
            const auto it =
                std::find_if(std::begin(kBloodPressureNames), std::end(kBloodPressureNames),
                             [id](const auto& row) { return row.first == id; });
            if (it == std::end(kBloodPressureNames)) return std::nullopt;
            return std::string(it->second);
        }
        case Section::None:
            break;
    }
    return std::nullopt;
}

std::string GetModuleDesc(const Context& ctx, const std::string& name, bool nameAsDefault) {
    std::string result;
    if (ctx.registry) {
        const std::string moduleKey = ctx.HostRegKey + "\\modules\\" + name;
        if (ctx.registry->RegKeyExists(kHkeyLocalMachine, moduleKey)) {
            result = name;
            ctx.registry->RegReadValue(kHkeyLocalMachine, moduleKey, "Desc", result);
        }
    } else {
        DebugLog("GetModuleDesc", "no registry in the context");
    }
    if (nameAsDefault && result.empty()) result = name;
    return result;
}

std::string GetImportDesc(const Context& ctx, std::int16_t family, std::int16_t id,
                          bool nameAsDefault) {
    const Section section = SectionOf(family);
    if (section == Section::None) return {};

    std::string result;
    if (const auto builtIn = BuiltInDeviceName(family, id))
        result = GetModuleDesc(ctx, *builtIn, nameAsDefault);

    if (result.empty() && ctx.registry) {
        const std::string file = ImportIniPath(ctx);
        if (!file.empty()) {
            result = GetPrivateProfileString(section == Section::BloodPressure ? "BP" : "BG",
                                             std::to_string(id), "", kProfileBufferSize, file);
        }
    }

    if (result.empty()) result = GetModuleDesc(ctx, std::to_string(id), false);
    return result;
}

}  // namespace stripstock
