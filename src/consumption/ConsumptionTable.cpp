#include "consumption/ConsumptionTable.h"

#include <cstdint>
#include <optional>

#include "consumption/ComputeConsumption.h"
#include "consumption/ComputeStripStock.h"
#include "text/Regional.h"

namespace stripstock {

namespace {

std::string DateCell(double oleDate) {
    return oleDate != 0.0 ? FormatShortDate(oleDate) : std::string();
}

// No figure: what the per-strip computation reports as kNoStockFigure, or a stock that the
// 32-bit figure cannot hold.
bool IsFigure(const std::optional<std::int32_t>& stock) {
    return stock && *stock != kNoStockFigure;
}

}  // namespace

ConsumptionTable FillConsumptionList(Context& ctx, const std::vector<ListEntry>& stripList) {
    const ConsumptionFigures figures = ComputeConsumption(ctx, stripList);
    return ConsumptionTableOf(ctx.CalcStartDate, stripList, figures);
}

ConsumptionTable ConsumptionTableOf(double startDate, const std::vector<ListEntry>& stripList,
                                    const ConsumptionFigures& figures) {
    ConsumptionTable table;
    const bool diaryRead = figures.diaryFailure.empty();
    table.diaryFailure = figures.diaryFailure;

    const std::optional<std::int32_t> totalStock = figures.total.Stock();
    // Without a total figure no stock can be shown, nor compared against.
    const bool totalKnown = IsFigure(totalStock) && *totalStock >= 1;
    std::int64_t remainder = figures.total.used;

    if (startDate != 0.0) {
        table.startingDate = FormatShortDate(startDate);
    }
    table.owner = figures.owner.DisplayName();

    // Without the diary no count is known, so neither is any stock.
    auto usedCell = [&](std::int32_t used) { return diaryRead ? std::to_string(used) : ""; };
    std::string totalStockCell;
    if (diaryRead) {
        totalStockCell = totalKnown ? std::to_string(*totalStock) : "n/a";
    }
    table.rows.push_back({kTotalLabel, usedCell(figures.total.used), totalStockCell,
                          DateCell(figures.total.lastPrescription)});

    bool ofWhichShown = false;
    for (std::size_t i = 0; i < stripList.size() && i < figures.strips.size(); ++i) {
        if (!figures.strips[i]) {
            continue;
        }
        const StockFigures& strip = *figures.strips[i];
        const std::optional<std::int32_t> stock = strip.Stock();
        std::string stockCell;
        if (diaryRead) {
            // A stock beyond 32 bits is a figure that cannot be shown, not a reason to hide
            // the row.
            if (stock && (*stock == kNoStockFigure || (strip.used < 1 && *stock < 1))) {
                continue;
            }
            if (!stock) {
                stockCell = "n/a";
            } else if (totalKnown && *stock >= *totalStock) {
                stockCell = "max." + std::to_string(*stock);
            } else if (*stock < 1) {
                stockCell = "-";
            } else {
                stockCell = std::to_string(*stock);
            }
        } else if (strip.received == 0 && strip.lastPrescription == 0.0) {
            // Only the companion's figures are known: a strip without any of them says nothing.
            continue;
        }
        if (!ofWhichShown) {
            table.rows.push_back({kOfWhichLabel, {}, {}, {}});
            ofWhichShown = true;
        }
        remainder -= strip.used;
        table.rows.push_back(
            {stripList[i].text, usedCell(strip.used), stockCell, DateCell(strip.lastPrescription)});
    }

    if (diaryRead && remainder > 0) {
        table.rows.push_back({kUnassignedLabel, std::to_string(remainder), {}, {}});
    }
    return table;
}

}  // namespace stripstock
