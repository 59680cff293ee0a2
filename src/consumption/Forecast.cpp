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

// Readings by day as running totals, so that the readings of any span are two lookups.
class ReadingSeries {
  public:
    void Add(double day, std::int64_t count) { m_days.emplace_back(day, count); }
    void Finish() {
        std::sort(m_days.begin(), m_days.end());
        std::int64_t sum = 0;
        m_through.reserve(m_days.size());
        for (const auto& entry : m_days) m_through.push_back(sum += entry.second);
    }
    // Readings on days up to and including day.
    std::int64_t Through(double day) const {
        const auto it = std::upper_bound(
            m_days.begin(), m_days.end(), day,
            [](double d, const std::pair<double, std::int64_t>& entry) { return d < entry.first; });
        if (it == m_days.begin()) return 0;
        return m_through[static_cast<std::size_t>(it - m_days.begin() - 1)];
    }
    std::int64_t Total() const { return m_through.empty() ? 0 : m_through.back(); }
    double FirstDay(double otherwise) const {
        return m_days.empty() ? otherwise : m_days.front().first;
    }

  private:
    std::vector<std::pair<double, std::int64_t>> m_days;
    std::vector<std::int64_t> m_through;
};

// The readings of one refresh: in all, and per whole-numbered meter.
struct ReadingIndex {
    ReadingSeries all;
    std::map<std::int64_t, ReadingSeries> byMethod;

    explicit ReadingIndex(const std::vector<ReadingCount>& readings) {
        for (const ReadingCount& group : readings) {
            all.Add(group.day, group.count);
            if (group.method) byMethod[*group.method].Add(group.day, group.count);
        }
        all.Finish();
        for (auto& entry : byMethod) entry.second.Finish();
    }
};

// The strips a row of the forecast or history counts: all of them, or one definition's
// prescriptions and the readings and faulty measurements of its meters.
class Selector {
  public:
    // No entry, or an entry with a negative identifier (as in the consumption table): all strips.
    Selector(const ReadingIndex& readings, const ListEntry* entry,
             const std::set<std::int64_t>* codes)
        : m_index(&readings) {
        if (entry == nullptr || entry->itemData < 0) return;
        m_all = false;
        m_id = entry->itemData;
        m_codes = codes;
        for (const std::int64_t code : *codes) {
            if (const auto it = readings.byMethod.find(code); it != readings.byMethod.end()) {
                m_meters.push_back(&it->second);
            }
        }
    }

    bool Received(const LedgerEntry& row) const {
        return row.amount > 0 && (m_all || row.type == m_id);
    }
    bool Faulty(const LedgerEntry& row) const {
        return row.amount < 0 && (m_all || (row.type && m_codes->count(*row.type) != 0));
    }
    std::int64_t ReadingsThrough(double day) const {
        if (m_all) return m_index->all.Through(day);
        std::int64_t sum = 0;
        for (const ReadingSeries* series : m_meters) sum += series->Through(day);
        return sum;
    }
    std::int64_t Readings() const {
        if (m_all) return m_index->all.Total();
        std::int64_t sum = 0;
        for (const ReadingSeries* series : m_meters) sum += series->Total();
        return sum;
    }

  private:
    const ReadingIndex* m_index;
    bool m_all = true;
    std::int64_t m_id = -1;
    const std::set<std::int64_t>* m_codes = nullptr;
    std::vector<const ReadingSeries*> m_meters;  // the series of the codes that have readings
};

// Strips used by the selector in whole days first..last.
std::int64_t UsedIn(const LedgerReads& reads, const Selector& selector, double first, double last) {
    std::int64_t used = selector.ReadingsThrough(last) - selector.ReadingsThrough(first - 1);
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
                      const ReadingIndex& index, const std::vector<ListEntry>& stripList,
                      const ForecastSettings& settings) {
    Forecast out;
    out.settings = settings;
    out.today = reads.today;
    out.diaryFailure = reads.diaryFailure;
    const bool diaryRead = reads.diaryFailure.empty();
    // Without the diary no count is known, so neither is any stock.
    auto stockOf = [&](const StockFigures& f) {
        return diaryRead ? f.Stock() : std::optional<std::int32_t>();
    };
    out.total = MakeForecastRow(-1, "Gesamt", stockOf(figures.total), reads,
                                Selector(index, nullptr, nullptr), reads.today, settings,
                                reads.periodStartDay);
    for (std::size_t i = 0; i < stripList.size() && i < figures.strips.size(); ++i) {
        if (!figures.strips[i]) {
            continue;  // no strip identifier
        }
        const ListEntry& entry = stripList[i];
        const Selector selector(index, &entry, &figures.meterCodes[i]);
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
double HistoryFirstDay(const LedgerReads& reads, const ReadingIndex& index) {
    double first = reads.periodStartDay;
    if (!std::isfinite(first)) {
        first = index.all.FirstDay(reads.today);
        for (const LedgerEntry& row : reads.ledger) first = std::min(first, row.day);
    }
    return std::min(first, reads.today);
}

StripHistory MakeStripHistory(std::int32_t id, std::string name, const LedgerReads& reads,
                              const Selector& selector, double firstDay, HistoryStep step) {
    StripHistory out;
    out.id = id;
    out.name = std::move(name);
    const double today = reads.today;
    const int firstIndex = PeriodIndex(firstDay, step);
    const int lastIndex = PeriodIndex(today, step);
    // Readings dated after today are counted only while the period has no start, as the
    // consumption table counts them then: they go into the running period. None can lie
    // before the first day.
    const double inf = std::numeric_limits<double>::infinity();
    for (int index = firstIndex; index <= lastIndex; ++index) {
        HistoryRow row;
        row.period = PeriodName(index, step);
        row.first = index == firstIndex ? firstDay : FirstDayOf(index, step);
        row.last = index == lastIndex ? today : FirstDayOf(index + 1, step) - 1;
        row.readings = selector.ReadingsThrough(index == lastIndex ? inf : row.last) -
                       selector.ReadingsThrough(index == firstIndex ? -inf : row.first - 1);
        out.rows.push_back(std::move(row));
    }

    // The ledger's step of each day it has rows on.
    std::map<double, std::int64_t> steps;
    for (const LedgerEntry& row : reads.ledger) {
        const bool received = selector.Received(row);
        const bool faulty = selector.Faulty(row);
        if (!received && !faulty) continue;
        const int index = std::clamp(PeriodIndex(row.day, step), firstIndex, lastIndex);
        HistoryRow& period = out.rows[static_cast<std::size_t>(index - firstIndex)];
        if (received) {
            period.received += row.amount;
        } else {
            period.faulty -= row.amount;
        }
        steps[std::min(row.day, today)] += row.amount;
    }
    std::int64_t stock = 0;
    for (HistoryRow& row : out.rows) {
        stock += row.received - row.faulty - row.readings;
        row.stockAtEnd = stock;
    }

    // The chart: the start, each ledger day as a step (the day's readings before it), each
    // month's end and today; no point per reading day.
    std::vector<double> monthEnds;
    for (int month = PeriodIndex(firstDay, HistoryStep::Month);
         month < PeriodIndex(today, HistoryStep::Month); ++month) {
        monthEnds.push_back(FirstDayOf(month + 1, HistoryStep::Month) - 1);
    }
    auto addPoint = [&](double date, std::int64_t value) {
        if (!out.curve.empty() && out.curve.back().date == date &&
            out.curve.back().stock == value) {
            return;
        }
        out.curve.push_back({date, value});
    };
    addPoint(firstDay, 0);
    std::int64_t ledger = 0;
    auto nextStep = steps.begin();
    auto nextMonthEnd = monthEnds.begin();
    while (nextStep != steps.end() || nextMonthEnd != monthEnds.end()) {
        if (nextMonthEnd == monthEnds.end() ||
            (nextStep != steps.end() && nextStep->first <= *nextMonthEnd)) {
            const std::int64_t used = selector.ReadingsThrough(nextStep->first);
            addPoint(nextStep->first, ledger - used);
            ledger += nextStep->second;
            addPoint(nextStep->first, ledger - used);
            ++nextStep;
        } else {
            addPoint(*nextMonthEnd, ledger - selector.ReadingsThrough(*nextMonthEnd));
            ++nextMonthEnd;
        }
    }
    addPoint(today, ledger - selector.Readings());
    return out;
}

History MakeHistory(const ConsumptionFigures& figures, const LedgerReads& reads,
                    const ReadingIndex& index, const std::vector<ListEntry>& stripList,
                    HistoryStep step) {
    History out;
    out.diaryFailure = reads.diaryFailure;
    const double firstDay = HistoryFirstDay(reads, index);
    out.total =
        MakeStripHistory(-1, "Gesamt", reads, Selector(index, nullptr, nullptr), firstDay, step);
    for (std::size_t i = 0; i < stripList.size() && i < figures.strips.size(); ++i) {
        if (!figures.strips[i]) continue;
        const ListEntry& entry = stripList[i];
        const Selector selector(index, &entry, &figures.meterCodes[i]);
        out.strips.push_back(
            MakeStripHistory(entry.itemData, entry.text, reads, selector, firstDay, step));
    }
    return out;
}

struct Pass {
    ConsumptionFigures figures;
    LedgerReads reads;
};

Pass ReadOnce(Context& ctx, const std::vector<ListEntry>& stripList) {
    Pass pass;
    // The readings per day come with the consumption table's own count of them.
    pass.figures = ComputeConsumption(
        ctx, stripList,
        [&](const std::shared_ptr<dao::Database>& diary,
            const std::shared_ptr<dao::Database>& companion, const ConsumptionFigures& figures) {
            pass.reads = ReadLedgerAndReadings(ctx, diary, companion, figures.readingsByDay);
        },
        /*byDay=*/true);
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
    // Without the diary nothing is known to last.
    if (!forecast.diaryFailure.empty()) return forecast.diaryFailure;
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
    const ReadingIndex index(pass.reads.readings);
    return MakeForecast(pass.figures, pass.reads, index, stripList, settings);
}

History ComputeHistory(Context& ctx, const std::vector<ListEntry>& stripList, HistoryStep step) {
    const Pass pass = ReadOnce(ctx, stripList);
    const ReadingIndex index(pass.reads.readings);
    return MakeHistory(pass.figures, pass.reads, index, stripList, step);
}

StockOutlook ComputeStockOutlook(Context& ctx, const std::vector<ListEntry>& stripList,
                                 const ForecastSettings& settings, HistoryStep step) {
    const Pass pass = ReadOnce(ctx, stripList);
    StockOutlook out;
    out.consumption = ConsumptionTableOf(ctx.CalcStartDate, stripList, pass.figures);
    const ReadingIndex index(pass.reads.readings);
    out.forecast = MakeForecast(pass.figures, pass.reads, index, stripList, settings);
    out.history = MakeHistory(pass.figures, pass.reads, index, stripList, step);
    return out;
}

}  // namespace stripstock
