#include "app/MainViews.h"

#include <algorithm>
#include <utility>

#include "strips/Catalogue.h"

namespace stripstock {

MainViews RebuildMainViews(Context& ctx, const std::string& selectedNodeKey) {
    MainViews views;
    views.stripList = LoadStripList(ctx, ctx.StripDbPath);
    views.prescriptionTree = FillPrescriptionTree(ctx, views.stripList);
    const bool stillThere =
        std::any_of(views.prescriptionTree.begin(), views.prescriptionTree.end(),
                    [&](const TreeNode& node) { return node.key == selectedNodeKey; });
    views.selectedNodeKey = stillThere ? selectedNodeKey : kAllNodeKey;
    views.prescriptionList =
        FillPrescriptionList(ctx, views.stripList, TypeFromNodeKey(views.selectedNodeKey));
    StockOutlook outlook =
        ComputeStockOutlook(ctx, views.stripList, ReadForecastSettings(ctx), HistoryStep::Month);
    views.consumption = std::move(outlook.consumption);
    views.forecast = std::move(outlook.forecast);
    views.history = std::move(outlook.history);
    views.consumptionHint = ConsumptionHintFor(views.stripList);
    return views;
}

std::string ConsumptionHintFor(const std::vector<ListEntry>& stripList) {
    return stripList.empty() ? kNoStripsHint : "";
}

}  // namespace stripstock
