#pragma once

// The day-by-day figures behind the forecast and the history: the diary's readings per meter
// and day and the ledger's rows, read over the consumption table's own period so that their
// sums are its figures.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Dao.h"
#include "host/Context.h"

namespace stripstock {

// The readings of one meter (nullopt: no whole-numbered meter) on one day.
struct ReadingCount {
    double day = 0.0;
    std::optional<std::int64_t> method;
    std::int64_t count = 0;
};

// One ledger row: a prescription (amount > 0) or a faulty measurement (amount < 0).
struct LedgerEntry {
    double day = 0.0;  // the whole day of its date
    std::optional<std::int64_t> type;
    std::int64_t amount = 0;
};

struct LedgerReads {
    double today = 0.0;
    // The first whole day of the consumption period; -infinity while it has no start.
    double periodStartDay = 0.0;
    std::vector<ReadingCount> readings;
    std::vector<LedgerEntry> ledger;
    std::string diaryFailure;  // why the grouped read of the diary failed; "" when it did not
};

// The whole day a reading counts on. A vdate that is no date of the calendar, which count(vdate)
// still counts while the period has no start, counts on today.
double ReadingDay(const dao::Value& vdate, double today);

// Reads the ledger over ctx.CalcStartDate..now exactly as the consumption table bounds its
// queries, with one query on the companion already open (null: no rows). The readings are the
// ones given, or when none are given read with one grouped query on the diary.
LedgerReads ReadLedgerAndReadings(const Context& ctx, const std::shared_ptr<dao::Database>& diary,
                                  const std::shared_ptr<dao::Database>& companion,
                                  std::optional<std::vector<ReadingCount>> readings = {});

}  // namespace stripstock
