#include "meters/MeterTables.h"

#include <array>
#include <utility>

namespace stripstock {

namespace {

struct FaultyMeter {
    const char* text;
    std::int16_t code;
};

constexpr std::array<FaultyMeter, 23> kFaultyMeters = {{
    {"Ascensia DEX", 1},
    {"Ascensia Elite XL", 21},
    {"MediSense Pen/Card/Q.I.D.", 4},
    {"MediSense Precision Xtra / XtraOK", 22},
    {"OneTouch II, OneTouch Profile", 7},
    {"EuroFlash", 10},
    {"GlucoTouch", 9},
    {"Accu-Chek Sensor / Comfort", 12},
    {"Accu-Chek Sensor Complete", 13},
    {"Omnitest Sensor", 3},
    {"Disetronic FreeStyle", 23},
    {"OneTouch Ultra", 25},
    {"Glucotrend Premium", 16},
    {"MediSense SoftSense", 26},
    {"Accu-Chek Compact", 24},
    {"Accutrend DM", 11},
    {"GlucoCard Memory PC", 18},
    {"GlucoMen PC", 29},
    {"InDUO", 30},
    {"Ascensia CONTOUR", 33},
    {"IME", 35},
    {"Imcarmed", 38},
    {"Medisense Precision Easy", 39},
}};

}  // namespace

const std::vector<std::string>& FaultyMeterNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (const auto& m : kFaultyMeters) v.emplace_back(m.text);
        return v;
    }();
    return names;
}

std::int16_t MeterCodeAt(std::int16_t position) {
    if (position < 0 || static_cast<std::size_t>(position) >= kFaultyMeters.size()) return 0;
    return kFaultyMeters[static_cast<std::size_t>(position)].code;
}

const std::vector<ListEntry>& MainMeterList() {
    static const std::vector<ListEntry> list = {
        {"Ascensia DEX, BREEZE", 1},
        {"Ascensia Elite XL", 21},
        {"MediSense Pen/Card/Q.I.D.", 4},
        {"MediSense Precision Xtra / XtraOK, SoftSense", 22},
        {"OneTouch II, OneTouch Profile", 7},
        {"EuroFlash", 10},
        {"GlucoTouch", 9},
        {"Accu-Chek Sensor / Comfort", 12},
        {"Accu-Chek Sensor Complete", 13},
        {"Omnitest Sensor", 3},
        {"FreeStyle, FreeStyle Mini", 23},
        {"FreeStyle Freedom", 81},
        {"OneTouch Ultra, UltraSmart", 25},
        {"Glucotrend Premium", 16},
        {"Accu-Chek Compact", 24},
        {"Accu-Chek Compact Plus", 74},
        {"Accu-Chek Aviva", 73},
        {"Accutrend DM", 11},
        {"GlucoCard Memory PC", 18},
        {"GlucoMen PC", 29},
        {"InDUO", 30},
        {"Ascensia CONTOUR", 33},
        {"IME, IME-DC", 35},
        {"Imcarmed", 38},
        {"Medisense Precision Easy", 39},
        {"STADA Glucose Control", 43},
        {"BD Logic", 64},
    };
    return list;
}

}  // namespace stripstock
