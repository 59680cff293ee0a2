#pragma once

// How long the strips last: the rate of use, the run-out date, the low-stock warning and the
// stock's history per month or quarter. Shared by the "Reichweite" tab and the command line.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "consumption/ConsumptionTable.h"
#include "host/Context.h"
#include "text/ListEntry.h"

namespace stripstock {

inline constexpr int kDefaultRateDays = 90;
inline constexpr int kDefaultWarnDays = 14;

// "RateDays" and "WarnDays", text values below the add-on's own key (HKEY_LOCAL_MACHINE).
struct ForecastSettings {
    int rateDays = kDefaultRateDays;  // the window of the rate of use, in days before today
    int warnDays = kDefaultWarnDays;  // a run-out date this close to today asks for a prescription
    bool operator==(const ForecastSettings&) const = default;
};

// Read with the defaults kept for a missing, empty or unusable value; never written here.
ForecastSettings ReadForecastSettings(const Context& ctx);
// Written only when the user changes them; false when the registry refused.
bool WriteForecastSettings(const Context& ctx, const ForecastSettings& settings);

// --- The rules, on plain figures ------------------------------------------------------------

// Strips used per day: used (readings + faulty measurements) over windowDays; 0 when the window
// holds no whole day.
double RatePerDay(std::int64_t used, int windowDays);

struct RunOut {
    bool usedUp = false;         // the stock is 0 or below: "aufgebraucht"
    std::optional<double> date;  // OLE date (whole day) the stock lasts until; none when the
                                 // rate is 0 or the stock unknown
    bool operator==(const RunOut&) const = default;
};
// today + stock / perDay, rounded down to whole days.
RunOut RunOutDate(double today, std::optional<std::int32_t> stock, double perDay);

// Used up, or a run-out date on or before today + warnDays.
bool NeedsPrescription(const RunOut& runOut, double today, int warnDays);

// --- One refresh ------------------------------------------------------------------------------

struct ForecastRow {
    std::int32_t id = -1;               // the strip definition's ID; -1 for the total
    std::string name;                   // as the strip list shows it; "Gesamt" for the total
    std::optional<std::int32_t> stock;  // the consumption table's stock
    std::int64_t usedInWindow = 0;      // readings and faulty measurements in the window
    int windowDays = 0;
    double perDay = 0.0;
    RunOut runOut;
    bool warn = false;
};

struct Forecast {
    ForecastSettings settings;
    double today = 0.0;  // the whole day the figures were made for
    ForecastRow total;
    std::vector<ForecastRow> strips;  // one per strip definition, in the strip list's order
    std::string diaryFailure;         // as the consumption table gives it; "" when read
};

Forecast ComputeForecast(Context& ctx, const std::vector<ListEntry>& stripList,
                         const ForecastSettings& settings);

// "dd.MM.yyyy", "aufgebraucht", or "" when there is no run-out date.
std::string RunOutText(const RunOut& runOut);
// The rate with one decimal, the decimal separator given ('.' for the command line).
std::string PerDayText(double perDay, char decimalSeparator);

// "Neue Verordnung nötig für: A, B" or "Alle Teststreifen reichen länger als 14 Tage." (the
// warning period in use; "1 Tag." for one day); the diary failure when the diary was not read.
std::string WarningLine(const Forecast& forecast);

// --- History ----------------------------------------------------------------------------------

enum class HistoryStep { Month, Quarter };

struct HistoryRow {
    std::string period;  // "2025-03" or "2025-Q1"
    double first = 0.0;  // OLE date of the period's first day (the period start for the first)
    double last = 0.0;   // OLE date of the period's last day (today for the running one)
    std::int64_t received = 0;  // prescriptions
    std::int64_t readings = 0;  // readings of the definition's meters
    std::int64_t faulty = 0;    // faulty measurements counted against the definition
    std::int64_t stockAtEnd = 0;
};

struct StockPoint {
    double date = 0.0;  // OLE date
    std::int64_t stock = 0;
};

struct StripHistory {
    std::int32_t id = -1;
    std::string name;
    std::vector<HistoryRow> rows;   // from the start of the calculation period to today
    std::vector<StockPoint> curve;  // for the chart: each ledger day as a step, month ends
};

struct History {
    StripHistory total;
    std::vector<StripHistory> strips;
    std::string diaryFailure;
};

// The last row's stockAtEnd equals the consumption table's stock of the same definition.
History ComputeHistory(Context& ctx, const std::vector<ListEntry>& stripList, HistoryStep step);

// --- Everything of one refresh at once ---------------------------------------------------------

// The "Verbrauch" table, the forecast and the history from one open of each database, with the
// same figures the functions above give one by one.
struct StockOutlook {
    ConsumptionTable consumption;
    Forecast forecast;
    History history;
};
StockOutlook ComputeStockOutlook(Context& ctx, const std::vector<ListEntry>& stripList,
                                 const ForecastSettings& settings, HistoryStep step);

}  // namespace stripstock
