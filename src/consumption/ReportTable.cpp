#include "consumption/ReportTable.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "data/Session.h"
#include "text/OleDate.h"
#include "text/Regional.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

// The first day of the quarter that day lies in, moved by whole quarters.
double QuarterStart(double day, int quartersLater = 0) {
    const CivilDateTime civil = FromOleDate(day);
    int index = civil.year * 4 + (civil.month - 1) / 3 + quartersLater;
    return ToOleDate({index / 4, index % 4 * 3 + 1, 1, 0, 0, 0});
}

std::string QuarterTitle(double first) {
    const CivilDateTime civil = FromOleDate(first);
    return std::to_string((civil.month - 1) / 3 + 1) + ". Quartal " + std::to_string(civil.year);
}

bool InPeriod(const HistoryRow& row, const ReportPeriod& period) {
    return row.last >= period.from && row.first <= period.to;
}

bool HasFigures(const HistoryRow& row) {
    return row.received != 0 || row.readings != 0 || row.faulty != 0 || row.stockAtEnd != 0;
}

ReportFigures Figures(const HistoryRow& row) {
    return {row.received, row.readings, row.faulty, row.stockAtEnd};
}

// Sums of the period's quarters; the stock is the last quarter's.
ReportLine PeriodLine(const StripHistory& strip, const ReportPeriod& period, std::string name) {
    ReportLine line{std::move(name), {}};
    for (const HistoryRow& row : strip.rows) {
        if (!InPeriod(row, period)) continue;
        line.figures.received += row.received;
        line.figures.used += row.readings;
        line.figures.faulty += row.faulty;
        line.figures.stockAtEnd = row.stockAtEnd;
    }
    return line;
}

const HistoryRow* RowOf(const StripHistory& strip, const std::string& period) {
    for (const HistoryRow& row : strip.rows)
        if (row.period == period) return &row;
    return nullptr;
}

}  // namespace

ReportPeriod DefaultReportPeriod(double today) {
    const double thisQuarter = QuarterStart(today);
    return {QuarterStart(today, -4), thisQuarter - 1.0};
}

ReportPeriod WholeQuarters(ReportPeriod period, double today) {
    if (period.from > period.to) std::swap(period.from, period.to);
    const double day = OleDateOnly(today);
    return {QuarterStart(period.from), std::min(QuarterStart(period.to, 1) - 1.0, day)};
}

ReportTable BuildReportTable(const History& history, ReportPeriod period,
                             const std::vector<ReportEntry>& ledger, std::string owner,
                             double today) {
    ReportTable table;
    table.owner = std::move(owner);
    table.period = WholeQuarters(period, today);
    table.madeOn = OleDateOnly(today);
    table.diaryFailure = history.diaryFailure;
    const ReportPeriod& p = table.period;

    // A definition is shown in every quarter once it has a figure in any of them, so the
    // quarters read alike.
    std::vector<const StripHistory*> shown;
    for (const StripHistory& strip : history.strips) {
        if (std::any_of(strip.rows.begin(), strip.rows.end(),
                        [&](const HistoryRow& row) { return InPeriod(row, p) && HasFigures(row); }))
            shown.push_back(&strip);
    }

    for (const HistoryRow& row : history.total.rows) {
        if (!InPeriod(row, p)) continue;
        ReportQuarter quarter;
        quarter.title = QuarterTitle(row.first);
        quarter.first = row.first;
        quarter.last = row.last;
        quarter.total = {kReportTotalLabel, Figures(row)};
        for (const StripHistory* strip : shown) {
            const HistoryRow* own = RowOf(*strip, row.period);
            quarter.lines.push_back({strip->name, own ? Figures(*own) : ReportFigures{}});
        }
        table.quarters.push_back(std::move(quarter));
    }
    for (const StripHistory* strip : shown)
        table.totals.push_back(PeriodLine(*strip, p, strip->name));
    table.total = PeriodLine(history.total, p, kReportTotalLabel);

    // The chart starts with the stock the period began with; between two points the readings
    // took it down evenly.
    const auto& curve = history.total.curve;
    const auto firstIn = std::find_if(curve.begin(), curve.end(),
                                      [&](const StockPoint& s) { return s.date >= p.from; });
    if (firstIn != curve.begin() && firstIn != curve.end() && firstIn->date > p.from) {
        const StockPoint& before = *std::prev(firstIn);
        const double share = (p.from - before.date) / (firstIn->date - before.date);
        table.curve.push_back(
            {p.from, before.stock + std::llround(share * double(firstIn->stock - before.stock))});
    }
    for (auto it = firstIn; it != curve.end() && it->date < p.to + 1.0; ++it)
        table.curve.push_back(*it);

    for (const ReportEntry& entry : ledger) {
        if (entry.date < p.from || entry.date >= p.to + 1.0) continue;
        if (entry.count < 0)
            table.faulty.push_back({entry.date, -entry.count, entry.name});
        else
            table.prescriptions.push_back(entry);
    }
    const auto byDate = [](const ReportEntry& a, const ReportEntry& b) { return a.date < b.date; };
    std::stable_sort(table.prescriptions.begin(), table.prescriptions.end(), byDate);
    std::stable_sort(table.faulty.begin(), table.faulty.end(), byDate);
    return table;
}

ReportTable ComputeReportTable(Context& ctx, const std::vector<ListEntry>& stripList,
                               ReportPeriod period, const std::vector<ReportEntry>& ledger) {
    const History history = ComputeHistory(ctx, stripList, HistoryStep::Quarter);
    PatientRecord patient;
    db_GetPatient(ctx, ctx.DiaryDbPath, patient);
    return BuildReportTable(history, period, ledger, trim(patient.DisplayName()), ctx.clock());
}

std::string PeriodText(const ReportPeriod& period) {
    return FormatShortDate(period.from) + " – " + FormatShortDate(period.to);
}

}  // namespace stripstock
