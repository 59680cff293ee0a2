#include "consumption/Forecast.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "consumption/ComputeConsumption.h"
#include "consumption/LedgerReads.h"
#include "host/Registry.h"
#include "text/OleDate.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

constexpr const char* kWhere = "Forecast";
constexpr const char* kRateDaysName = "RateDays";
constexpr const char* kWarnDaysName = "WarnDays";
constexpr int kMaxSettingDays = 3650;

// A whole number of days from 1 to ten years; anything else keeps the default.
int SettingDays(const Context& ctx, const char* name, int fallback) {
    std::string value = std::to_string(fallback);
    if (ctx.registry) {
        ctx.registry->RegReadValue(kHkeyLocalMachine, ctx.AddonRegKey, name, value);
    }
    value = trim(value);
    int days = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), days);
    if (ec != std::errc() || end != value.data() + value.size() || days < 1 ||
        days > kMaxSettingDays) {
        DebugLog(kWhere, std::string(name) + " unusable: \"" + value + "\"");
        return fallback;
    }
    return days;
}

// The strips a row of the forecast or history counts: all of them, or one definition's
// prescriptions and the readings and faulty measurements of its meters.
struct Selector {
    bool all = true;
    std::int64_t id = -1;
    const std::set<std::int64_t>* codes = nullptr;

    bool Received(const LedgerEntry& row) const {
        return row.amount > 0 && (all || row.type == id);
    }
    bool Faulty(const LedgerEntry& row) const {
        return row.amount < 0 && (all || (row.type && codes->count(*row.type) != 0));
    }
    bool Reading(const ReadingCount& group) const {
        return all || (group.method && codes->count(*group.method) != 0);
    }
};

// Strips used by the selector in whole days first..last.
std::int64_t UsedIn(const LedgerReads& reads, const Selector& selector, double first, double last) {
    std::int64_t used = 0;
    for (const ReadingCount& group : reads.readings) {
        if (group.day >= first && group.day <= last && selector.Reading(group)) {
            used += group.count;
        }
    }
    for (const LedgerEntry& row : reads.ledger) {
        if (row.day >= first && row.day <= last && selector.Faulty(row)) {
            used -= row.amount;
        }
    }
    return used;
}

ForecastRow MakeForecastRow(std::int32_t id, std::string name, std::optional<std::int32_t> stock,
                            const LedgerReads& reads, const Selector& selector, double today,
                            const ForecastSettings& settings, double periodStartDay) {
    ForecastRow row;
    row.id = id;
    row.name = std::move(name);
    row.stock = stock;
    // The whole days before today, but none before the period began.
    const double windowFirst = std::max(today - settings.rateDays, periodStartDay);
    row.windowDays = windowFirst < today ? static_cast<int>(today - windowFirst) : 0;
    // Faulty measurements alone would make a rate of a diary that could not be read.
    const bool counted = row.windowDays > 0 && reads.diaryFailure.empty();
    row.usedInWindow = counted ? UsedIn(reads, selector, windowFirst, today - 1) : 0;
    row.perDay = RatePerDay(row.usedInWindow, row.windowDays);
    row.runOut = RunOutDate(today, row.stock, row.perDay);
    row.warn = NeedsPrescription(row.runOut, today, settings.warnDays);
    return row;
}

Forecast MakeForecast(const ConsumptionFigures& figures, const LedgerReads& reads,
                      const std::vector<ListEntry>& stripList, const ForecastSettings& settings) {
    Forecast out;
    out.settings = settings;
    out.today = reads.today;
    out.diaryFailure = reads.diaryFailure;
    const bool diaryRead = reads.diaryFailure.empty();
    // Without the diary no count is known, so neither is any stock.
    auto stockOf = [&](const StockFigures& f) {
        return diaryRead ? f.Stock() : std::optional<std::int32_t>();
    };
    out.total = MakeForecastRow(-1, "Gesamt", stockOf(figures.total), reads, Selector{},
                                reads.today, settings, reads.periodStartDay);
    for (std::size_t i = 0; i < stripList.size() && i < figures.strips.size(); ++i) {
        if (!figures.strips[i]) {
            continue;  // no strip identifier
        }
        const ListEntry& entry = stripList[i];
        const Selector selector = entry.itemData < 0
                                      ? Selector{}
                                      : Selector{false, entry.itemData, &figures.meterCodes[i]};
        out.strips.push_back(MakeForecastRow(entry.itemData, entry.text,
                                             stockOf(*figures.strips[i]), reads, selector,
                                             reads.today, settings, reads.periodStartDay));
    }
    return out;
}

// --- Periods ----------------------------------------------------------------------------------

// A running number of months or quarters, so that periods follow each other without gaps.
int PeriodIndex(double day, HistoryStep step) {
    const CivilDateTime dt = FromOleDate(day);
    const int month = dt.year * 12 + dt.month - 1;
    return step == HistoryStep::Month ? month : dt.year * 4 + (dt.month - 1) / 3;
}

int FirstMonthOf(int index, HistoryStep step) {
    return step == HistoryStep::Month ? index : (index / 4) * 12 + (index % 4) * 3;
}

double FirstDayOf(int index, HistoryStep step) {
    const int month = FirstMonthOf(index, step);
    return ToOleDate({month / 12, month % 12 + 1, 1});
}

std::string PeriodName(int index, HistoryStep step) {
    const int year = step == HistoryStep::Month ? index / 12 : index / 4;
    std::string yearText = std::to_string(year);
    if (yearText.size() < 4) yearText.insert(0, 4 - yearText.size(), '0');
    if (step == HistoryStep::Quarter) {
        return yearText + "-Q" + std::to_string(index % 4 + 1);
    }
    const int month = index % 12 + 1;
    return yearText + (month < 10 ? "-0" : "-") + std::to_string(month);
}

// The first day the history covers: the period's start, or without one the earliest day
// anything was counted on; never after today.
double HistoryFirstDay(const LedgerReads& reads) {
    double first = reads.periodStartDay;
    if (!std::isfinite(first)) {
        first = reads.today;
        for (const ReadingCount& group : reads.readings) first = std::min(first, group.day);
        for (const LedgerEntry& row : reads.ledger) first = std::min(first, row.day);
    }
    return std::min(first, reads.today);
}

StripHistory MakeStripHistory(std::int32_t id, std::string name, const LedgerReads& reads,
                              const Selector& selector, HistoryStep step) {
    StripHistory out;
    out.id = id;
    out.name = std::move(name);
    const double firstDay = HistoryFirstDay(reads);
    const double today = reads.today;
    const int firstIndex = PeriodIndex(firstDay, step);
    const int lastIndex = PeriodIndex(today, step);
    for (int index = firstIndex; index <= lastIndex; ++index) {
        HistoryRow row;
        row.period = PeriodName(index, step);
        row.first = index == firstIndex ? firstDay : FirstDayOf(index, step);
        row.last = index == lastIndex ? today : FirstDayOf(index + 1, step) - 1;
        out.rows.push_back(std::move(row));
    }
    auto rowOf = [&](double day) -> HistoryRow* {
        // Readings dated after today count only while the period has no start, as the
        // consumption table counts them then: they go into the running period.
        const int index = std::clamp(PeriodIndex(day, step), firstIndex, lastIndex);
        return &out.rows[static_cast<std::size_t>(index - firstIndex)];
    };

    // Day by day: the ledger's step of each day, the readings of each day, and the month ends
    // the chart marks.
    struct DayDelta {
        std::int64_t ledger = 0;
        std::int64_t readings = 0;
        bool ledgerDay = false;
        bool marked = false;
    };
    std::map<double, DayDelta> days;
    for (const ReadingCount& group : reads.readings) {
        if (!selector.Reading(group)) continue;
        rowOf(group.day)->readings += group.count;
        days[std::min(group.day, today)].readings += group.count;
    }
    for (const LedgerEntry& row : reads.ledger) {
        const bool received = selector.Received(row);
        const bool faulty = selector.Faulty(row);
        if (!received && !faulty) continue;
        HistoryRow* period = rowOf(row.day);
        (received ? period->received : period->faulty) += received ? row.amount : -row.amount;
        DayDelta& delta = days[std::min(row.day, today)];
        delta.ledger += row.amount;
        delta.ledgerDay = true;
    }
    std::int64_t stock = 0;
    for (HistoryRow& row : out.rows) {
        stock += row.received - row.faulty - row.readings;
        row.stockAtEnd = stock;
    }

    for (int month = PeriodIndex(firstDay, HistoryStep::Month);
         month <= PeriodIndex(today, HistoryStep::Month); ++month) {
        days[std::min(today, FirstDayOf(month + 1, HistoryStep::Month) - 1)].marked = true;
    }
    days[today].marked = true;
    auto addPoint = [&](double date, std::int64_t value) {
        if (!out.curve.empty() && out.curve.back().date == date &&
            out.curve.back().stock == value) {
            return;
        }
        out.curve.push_back({date, value});
    };
    addPoint(firstDay, 0);
    stock = 0;
    for (const auto& [day, delta] : days) {
        stock -= delta.readings;
        if (delta.ledgerDay) {
            addPoint(day, stock);
            stock += delta.ledger;
            addPoint(day, stock);
        }
        if (delta.marked) addPoint(day, stock);
    }
    return out;
}

History MakeHistory(const ConsumptionFigures& figures, const LedgerReads& reads,
                    const std::vector<ListEntry>& stripList, HistoryStep step) {
    History out;
    out.diaryFailure = reads.diaryFailure;
    out.total = MakeStripHistory(-1, "Gesamt", reads, Selector{}, step);
    for (std::size_t i = 0; i < stripList.size() && i < figures.strips.size(); ++i) {
        if (!figures.strips[i]) continue;
        const ListEntry& entry = stripList[i];
        const Selector selector = entry.itemData < 0
                                      ? Selector{}
                                      : Selector{false, entry.itemData, &figures.meterCodes[i]};
        out.strips.push_back(MakeStripHistory(entry.itemData, entry.text, reads, selector, step));
    }
    return out;
}

struct Pass {
    ConsumptionFigures figures;
    LedgerReads reads;
};

Pass ReadOnce(Context& ctx, const std::vector<ListEntry>& stripList) {
    Pass pass;
    pass.figures = ComputeConsumption(ctx, stripList,
                                      [&](const std::shared_ptr<dao::Database>& diary,
                                          const std::shared_ptr<dao::Database>& companion) {
                                          pass.reads = ReadLedgerAndReadings(ctx, diary, companion);
                                      });
    if (pass.reads.diaryFailure.empty()) {
        pass.reads.diaryFailure = pass.figures.diaryFailure;
    }
    if (!pass.reads.diaryFailure.empty()) {
        // Counts of a diary that could not be read mean nothing.
        pass.reads.readings.clear();
    }
    return pass;
}

}  // namespace

ForecastSettings ReadForecastSettings(const Context& ctx) {
    ForecastSettings settings;
    settings.rateDays = SettingDays(ctx, kRateDaysName, kDefaultRateDays);
    settings.warnDays = SettingDays(ctx, kWarnDaysName, kDefaultWarnDays);
    return settings;
}

bool WriteForecastSettings(const Context& ctx, const ForecastSettings& settings) {
    if (!ctx.registry) return false;
    const bool written = ctx.registry->RegWriteString(kHkeyLocalMachine, ctx.AddonRegKey,
                                                      kRateDaysName, settings.rateDays) &&
                         ctx.registry->RegWriteString(kHkeyLocalMachine, ctx.AddonRegKey,
                                                      kWarnDaysName, settings.warnDays);
    if (!written) DebugLog(kWhere, "settings not written below " + ctx.AddonRegKey);
    return written;
}

double RatePerDay(std::int64_t used, int windowDays) {
    return windowDays > 0 ? static_cast<double>(used) / windowDays : 0.0;
}

RunOut RunOutDate(double today, std::optional<std::int32_t> stock, double perDay) {
    RunOut out;
    if (!stock) return out;
    if (*stock <= 0) {
        out.usedUp = true;
        return out;
    }
    if (!(perDay > 0.0)) return out;
    const double date = today + std::floor(*stock / perDay);
    // A date past the calendar's end is as good as none.
    if (IsOleDateInRange(date)) out.date = date;
    return out;
}

bool NeedsPrescription(const RunOut& runOut, double today, int warnDays) {
    return runOut.usedUp || (runOut.date && *runOut.date <= today + warnDays);
}

std::string RunOutText(const RunOut& runOut) {
    if (runOut.usedUp) return "aufgebraucht";
    if (!runOut.date) return {};
    const CivilDateTime dt = FromOleDate(*runOut.date);
    char text[16];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", dt.day, dt.month, dt.year);
    return text;
}

std::string PerDayText(double perDay, char decimalSeparator) {
    // to_chars: the same text whatever locale the process runs in.
    char text[400];
    const auto [end, ec] =
        std::to_chars(text, text + sizeof text, perDay, std::chars_format::fixed, 1);
    std::string out(text, ec == std::errc() ? end : text);
    if (const auto dot = out.find('.'); dot != std::string::npos) out[dot] = decimalSeparator;
    return out;
}

std::string WarningLine(const Forecast& forecast) {
    std::string names;
    for (const ForecastRow& row : forecast.strips) {
        if (!row.warn) continue;
        names += (names.empty() ? "" : ", ") + row.name;
    }
    if (!names.empty()) return "Neue Verordnung nötig für: " + names;
    const int days = forecast.settings.warnDays;
    return "Alle Teststreifen reichen länger als " + std::to_string(days) +
           (days == 1 ? " Tag." : " Tage.");
}

Forecast ComputeForecast(Context& ctx, const std::vector<ListEntry>& stripList,
                         const ForecastSettings& settings) {
    const Pass pass = ReadOnce(ctx, stripList);
    return MakeForecast(pass.figures, pass.reads, stripList, settings);
}

History ComputeHistory(Context& ctx, const std::vector<ListEntry>& stripList, HistoryStep step) {
    const Pass pass = ReadOnce(ctx, stripList);
    return MakeHistory(pass.figures, pass.reads, stripList, step);
}

StockOutlook ComputeStockOutlook(Context& ctx, const std::vector<ListEntry>& stripList,
                                 const ForecastSettings& settings, HistoryStep step) {
    const Pass pass = ReadOnce(ctx, stripList);
    StockOutlook out;
    out.consumption = ConsumptionTableOf(ctx.CalcStartDate, stripList, pass.figures);
    out.forecast = MakeForecast(pass.figures, pass.reads, stripList, settings);
    out.history = MakeHistory(pass.figures, pass.reads, stripList, step);
    return out;
}

}  // namespace stripstock
