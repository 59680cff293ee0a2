#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "host/Context.h"
#include "text/ListEntry.h"

namespace stripstock {

// One line of the "Verbrauch" list, its four cells as shown.
struct ConsumptionRow {
    std::string label;
    std::string used;
    std::string stock;
    std::string lastPrescription;

    bool operator==(const ConsumptionRow&) const = default;
};

// What the "Verbrauch" tab shows after a fill.
struct ConsumptionTable {
    std::string owner;  // first name, blank, name of the diary owner
    // Start of the consumption period as short date; nullopt while it is not known, in which
    // case the label keeps whatever it showed before.
    std::optional<std::string> startingDate;
    std::vector<ConsumptionRow> rows;
    // Why the diary could not be read, one German line; empty when it was. Then the Verbrauch
    // and Bestand cells stay empty and no "Nicht zugeordnet" row is shown.
    std::string diaryFailure;
};

struct ConsumptionColumn {
    const char* header;
    int widthTwips;
};

inline constexpr std::array<ConsumptionColumn, 4> kConsumptionColumns{{
    {"Teststreifen", 2000},
    {"Verbrauch", 1800},
    {"Bestand", 1500},
    {"Letzte Verordnung", 2000},
}};

inline constexpr const char* kTotalLabel = "Insgesamt";
inline constexpr const char* kOfWhichLabel = "davon";
inline constexpr const char* kUnassignedLabel = "Nicht zugeordnet";

// Computes the total (fixing ctx.CalcStartDate on the first run that finds ledger rows), reads
// the diary owner and computes every strip definition of the strip list, in list order, all
// in one pass over each database (ComputeConsumption).
ConsumptionTable FillConsumptionList(Context& ctx, const std::vector<ListEntry>& stripList);

struct ConsumptionFigures;
// The table of figures already computed for stripList (startDate: ctx.CalcStartDate after the
// computation).
ConsumptionTable ConsumptionTableOf(double startDate, const std::vector<ListEntry>& stripList,
                                    const ConsumptionFigures& figures);

}  // namespace stripstock
