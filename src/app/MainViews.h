#pragma once

#include <string>
#include <vector>

#include "consumption/ConsumptionTable.h"
#include "consumption/Forecast.h"
#include "host/Context.h"
#include "prescriptions/PrescriptionTree.h"
#include "text/ListEntry.h"

namespace stripstock {

inline constexpr const char* kNoStripsHint =
    "Legen Sie unter „Teststreifen“ Ihre Teststreifen an und erfassen Sie unter „Verordnungen“ "
    "die erhaltenen Packungen.";

// Everything the main window shows that comes from the databases.
struct MainViews {
    std::vector<ListEntry> stripList;               // the strip definitions, as the lists show them
    std::vector<TreeNode> prescriptionTree;         // tvTeststrips, root first
    std::string selectedNodeKey;                    // the node whose prescriptions the list holds
    std::vector<PrescriptionRow> prescriptionList;  // lvPrescriptions
    ConsumptionTable consumption;                   // the "Verbrauch" tab and its two labels
    std::string consumptionHint;                    // the line below the table; "" for none
    Forecast forecast;                              // the "Reichweite" tab
    History history;                                // its chart, by month
};

// Whether a rebuild also makes the forecast and its history. The window always shows them; a
// command that prints neither is spared the per-day reading of the diary they need.
enum class Outlook { Made, Left };

// Rebuilds every view from the databases, in the start-up's order: strip list, tree, the list
// of the node keyed selectedNodeKey (of the root when the tree no longer has that node), and
// the consumption table with the forecast and history made from the same reads (left empty
// with Outlook::Left). CalcStartDate, once known, stays as it is.
MainViews RebuildMainViews(Context& ctx, const std::string& selectedNodeKey,
                           Outlook outlook = Outlook::Made);

// The hint for a first run: shown while there is no strip definition.
std::string ConsumptionHintFor(const std::vector<ListEntry>& stripList);

}  // namespace stripstock
