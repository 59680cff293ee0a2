#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "consumption/LedgerReads.h"
#include "data/Session.h"
#include "host/Context.h"
#include "text/ListEntry.h"

namespace stripstock {

// The figures of one row of the consumption table: the total, or one strip definition.
struct StockFigures {
    std::int64_t received = 0;      // summed Amount in the period (64 bits: no overflow to 0)
    std::int32_t used = 0;          // readings counted in the period
    double lastPrescription = 0.0;  // latest prescription date; 0 when there is none

    // received - used; nullopt outside the 32-bit range.
    std::optional<std::int32_t> Stock() const;
    bool operator==(const StockFigures&) const = default;
};

struct ConsumptionFigures {
    StockFigures total;
    // One entry per entry of the strip list, in its order; nullopt for an entry whose item data
    // is no strip identifier (outside 16 bits), which is skipped as the per-strip path skips it.
    std::vector<std::optional<StockFigures>> strips;
    // The meter codes each entry's readings and faulty measurements are counted by, parallel to
    // strips; empty for a definition without meters or a skipped entry.
    std::vector<std::set<std::int64_t>> meterCodes;
    // When asked for: the readings counted above per meter and day, from the same query.
    std::optional<std::vector<ReadingCount>> readingsByDay;
    PatientRecord owner;
    // Why the diary could not be read (German, one line); empty when it was. Then every used
    // figure above is 0 and means nothing.
    std::string diaryFailure;
};

// Every figure of one refresh, exactly as ComputeStripStock gives them for the total and then
// for each entry of stripList in turn (ctx.CalcStartDate is fixed the same way), but with one
// read-only open of each database: the diary's readings are counted once, grouped by meter,
// and the ledger and the meter lists are read with a few grouped queries. Nothing is kept
// for the next refresh.
//
// byDay asks for readingsByDay: the diary's readings are then grouped by meter and day (and
// summed per meter here). alsoRead, when given, runs last on the same opens (either may be null
// when it failed) with the figures made so far, once ctx.CalcStartDate is fixed, so that further
// figures of the same refresh need no opens of their own.
using AlsoRead = std::function<void(const std::shared_ptr<dao::Database>& diary,
                                    const std::shared_ptr<dao::Database>& companion,
                                    const ConsumptionFigures& figures)>;
ConsumptionFigures ComputeConsumption(Context& ctx, const std::vector<ListEntry>& stripList,
                                      const AlsoRead& alsoRead = {}, bool byDay = false);

// "Das Tagebuch konnte nicht gelesen werden: " and the reason for a database error number.
std::string DiaryFailureText(int errorNumber, const std::string& detail);

}  // namespace stripstock
