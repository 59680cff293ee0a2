#include "consumption/ConsumptionTable.h"

#include <cstdint>
#include <limits>

#include "consumption/ComputeStripStock.h"
#include "data/Session.h"
#include "text/Regional.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

std::string DateCell(double oleDate) {
    return oleDate != 0.0 ? FormatShortDate(oleDate) : std::string();
}

}  // namespace

ConsumptionTable FillConsumptionList(Context& ctx, const std::vector<ListEntry>& stripList) {
    ConsumptionTable table;

    std::int16_t allStrips = -1;
    double totalLast = 0.0;
    std::int32_t totalUsed = 0;
    const std::int32_t totalStock =
        ComputeStripStock(ctx, allStrips, ctx.CalcStartDate, totalLast, totalUsed);
    // Without a total figure no stock can be shown, nor compared against.
    const bool totalKnown = totalStock != kNoStockFigure && totalStock >= 1;
    std::int64_t remainder = totalUsed;

    if (ctx.CalcStartDate != 0.0) {
        table.startingDate = FormatShortDate(ctx.CalcStartDate);
    }

    PatientRecord owner;
    db_GetPatient(ctx, ctx.DiaryDbPath, owner);
    table.owner = owner.DisplayName();

    table.rows.push_back({kTotalLabel, std::to_string(totalUsed),
                          totalKnown ? std::to_string(totalStock) : "n/a", DateCell(totalLast)});

    // Like the list's own variables, these run on from one entry to the next; every
    // computation overwrites them.
    std::int32_t used = 0;
    double last = 0.0;
    bool ofWhichShown = false;
    for (const ListEntry& entry : stripList) {
        if (entry.itemData < std::numeric_limits<std::int16_t>::min() ||
            entry.itemData > std::numeric_limits<std::int16_t>::max()) {
            DebugLog("FillConsumptionList",
                     "strip id out of range: " + std::to_string(entry.itemData));
            continue;
        }
        auto stripType = static_cast<std::int16_t>(entry.itemData);
        const std::int32_t stock = ComputeStripStock(ctx, stripType, ctx.CalcStartDate, last, used);
        if (stock == kNoStockFigure || (used < 1 && stock < 1)) {
            continue;
        }
        if (!ofWhichShown) {
            table.rows.push_back({kOfWhichLabel, {}, {}, {}});
            ofWhichShown = true;
        }
        std::string stockCell;
        if (totalKnown && stock >= totalStock) {
            stockCell = "max." + std::to_string(stock);
        } else if (stock < 1) {
            stockCell = "-";
        } else {
            stockCell = std::to_string(stock);
        }
        remainder -= used;
        table.rows.push_back({entry.text, std::to_string(used), stockCell, DateCell(last)});
    }

    if (remainder > 0) {
        table.rows.push_back({kUnassignedLabel, std::to_string(remainder), {}, {}});
    }
    return table;
}

}  // namespace stripstock
