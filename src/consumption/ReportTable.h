#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "consumption/Forecast.h"
#include "host/Context.h"
#include "text/ListEntry.h"

namespace stripstock {

// Whole days, both included, as OLE dates.
struct ReportPeriod {
    double from = 0.0;
    double to = 0.0;
    bool operator==(const ReportPeriod&) const = default;
};

// The four complete quarters before the one today lies in.
ReportPeriod DefaultReportPeriod(double today);

// The figures are kept per quarter, so a period is widened to the whole quarters it touches;
// a quarter still running ends today.
ReportPeriod WholeQuarters(ReportPeriod period, double today);

struct ReportFigures {
    std::int64_t received = 0;
    std::int64_t used = 0;  // readings
    std::int64_t faulty = 0;
    std::int64_t stockAtEnd = 0;
    bool operator==(const ReportFigures&) const = default;
};

struct ReportLine {
    std::string strip;  // the definition's name; "Gesamt" for all strips
    ReportFigures figures;
    bool operator==(const ReportLine&) const = default;
};

struct ReportQuarter {
    std::string title;  // "1. Quartal 2025"
    double first = 0.0;
    double last = 0.0;
    std::vector<ReportLine> lines;  // the definitions with figures, in the strip list's order
    ReportLine total;               // all strips
};

// A ledger row of the period, as the report lists it.
struct ReportEntry {
    double date = 0.0;
    std::int64_t count = 0;
    std::string name;  // the strip definition, or the meter of a faulty measurement
    bool operator==(const ReportEntry&) const = default;
};

struct ReportTable {
    std::string owner;
    ReportPeriod period;  // whole quarters
    double madeOn = 0.0;
    std::vector<ReportQuarter> quarters;
    std::vector<ReportLine> totals;  // per definition over the period; stock at its end
    ReportLine total;                // all strips over the period
    std::vector<ReportEntry> prescriptions;
    std::vector<ReportEntry> faulty;
    std::vector<StockPoint> curve;  // the stock of all strips over the period, for the chart
    std::string diaryFailure;       // why the readings are missing; "" when read
};

inline constexpr const char* kReportTotalLabel = "Gesamt";

// The report from figures already computed: the quarters of history within the period (whole
// quarters), definitions without any figure in the period left out, and the ledger rows of
// the period, oldest first. ledger holds prescriptions with count > 0 and faulty measurements
// with count < 0.
ReportTable BuildReportTable(const History& history, ReportPeriod period,
                             const std::vector<ReportEntry>& ledger, std::string owner,
                             double today);

// The same from the diary and the companion: ComputeHistory by quarter, so the figures agree
// with the consumption table, and the diary owner.
ReportTable ComputeReportTable(Context& ctx, const std::vector<ListEntry>& stripList,
                               ReportPeriod period, const std::vector<ReportEntry>& ledger);

// "01.01.2025 – 31.12.2025"
std::string PeriodText(const ReportPeriod& period);

}  // namespace stripstock
