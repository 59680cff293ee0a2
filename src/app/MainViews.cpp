#include "app/MainViews.h"

#include <algorithm>
#include <utility>

#include "strips/Catalogue.h"

namespace stripstock {

MainViews RebuildMainViews(Context& ctx, const std::string& selectedNodeKey, Outlook outlook) {
    MainViews views;
    views.stripList = LoadStripList(ctx, ctx.StripDbPath);
    views.prescriptionTree = FillPrescriptionTree(ctx, views.stripList);
    const bool stillThere =
        std::any_of(views.prescriptionTree.begin(), views.prescriptionTree.end(),
                    [&](const TreeNode& node) { return node.key == selectedNodeKey; });
    views.selectedNodeKey = stillThere ? selectedNodeKey : kAllNodeKey;
    views.prescriptionList =
        FillPrescriptionList(ctx, views.stripList, TypeFromNodeKey(views.selectedNodeKey));
    if (outlook == Outlook::Left) {
        views.consumption = FillConsumptionList(ctx, views.stripList);
    } else {
        StockOutlook made = ComputeStockOutlook(ctx, views.stripList, ReadForecastSettings(ctx),
                                                HistoryStep::Month);
        views.consumption = std::move(made.consumption);
        views.forecast = std::move(made.forecast);
        views.history = std::move(made.history);
    }
    views.consumptionHint = ConsumptionHintFor(views.stripList);
    return views;
}

std::string ConsumptionHintFor(const std::vector<ListEntry>& stripList) {
    return stripList.empty() ? kNoStripsHint : "";
}

}  // namespace stripstock
