#pragma once

#include <cstdint>
#include <string>

#include "host/Context.h"

namespace stripstock {

// What ComputeStripStock returns when it has no figure; the table leaves such a strip out.
inline constexpr std::int32_t kNoStockFigure = 100000;

// Strips received minus strips used since startDate, for all strips (stripType < 0) or for
// one strip definition (stripType = its ID).
//
// - startDate: pass ctx.CalcStartDate itself; the first run that finds a ledger row sets it
//   to the earliest ledger date, later runs leave it alone.
// - lastPrescription: latest prescription date (Amount > 0), 0 when there is none.
// - used: blood-glucose readings in the diary since startDate (for a strip: those of its
//   meters only).
//
// Received is the summed Amount up to the current minute, taken in 64 bits. For one strip
// definition that is its prescriptions plus the faulty measurements booked on its meters. Each
// failing step leaves its figure at the default (received 0, used 0, lastPrescription 0); a stock
// outside the 32-bit range gives kNoStockFigure.
std::int32_t ComputeStripStock(Context& ctx, std::int16_t& stripType, double& startDate,
                               double& lastPrescription, std::int32_t& used);

// True for "(c1,c2,...)" with decimal codes only: the one form of meter list that may be
// appended to SQL text. "(**)", the list of a definition without meters, is not one.
bool IsMeterInList(const std::string& list);

}  // namespace stripstock
