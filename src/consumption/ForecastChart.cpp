#include "consumption/ForecastChart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QCursor>
#include <QGraphicsLayout>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "app/WidgetHelpers.h"

namespace stripstock {

namespace {

// Told apart on screen and in print; a definition keeps its colour by its place in the list.
const QColor kColours[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28),
                           QColor(0x2c, 0xa0, 0x2c), QColor(0xff, 0x7f, 0x0e),
                           QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                           QColor(0xe3, 0x77, 0xc2), QColor(0x17, 0xbe, 0xcf)};

// Far-off run-out dates would squeeze the past into a corner; the line runs on out of sight.
constexpr int kForecastDaysShown = 366;
// Below this height the plot needs every pixel: no legend (a line names itself under the mouse)
// and no axis titles.
constexpr int kRoomyHeight = 220;
// Room a label needs so that its neighbours never crowd it.
constexpr int kPixelsPerDateLabel = 80;
constexpr int kPixelsPerStockLabel = 30;

QDate DayOf(double oleDate) {
    return QDate(1899, 12, 30).addDays(static_cast<qint64>(std::floor(oleDate)));
}

QPen LinePen(const QColor& colour, Qt::PenStyle style) {
    QPen pen(colour);
    pen.setWidthF(2.0);
    pen.setStyle(style);
    return pen;
}

const ForecastRow* RowOf(const Forecast& forecast, std::int32_t id) {
    const auto found = std::find_if(forecast.strips.begin(), forecast.strips.end(),
                                    [id](const ForecastRow& row) { return row.id == id; });
    return found == forecast.strips.end() ? nullptr : &*found;
}

void HideFromLegend(QChart* chart, QAbstractSeries* series) {
    for (QLegendMarker* marker : chart->legend()->markers(series)) {
        marker->setVisible(false);
    }
}

// 1, 2, 5 times a power of ten, at least raw.
double NiceStep(double raw) {
    const double power = std::pow(10.0, std::floor(std::log10(std::max(raw, 1.0))));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (raw <= factor * power) {
            return factor * power;
        }
    }
    return 10.0 * power;
}

qreal MonthX(QDate month) { return static_cast<qreal>(month.startOfDay().toMSecsSinceEpoch()); }

// Month starts from the first day's month to a month after the last day, labelled "MM.yyyy",
// one every so many months that at most maxLabels show.
void FillDateAxis(QCategoryAxis* axis, QDate first, QDate last, int maxLabels) {
    for (const QString& label : axis->categoriesLabels()) {
        axis->remove(label);
    }
    const QDate from(first.year(), first.month(), 1);
    const QDate after = QDate(last.year(), last.month(), 1).addMonths(1);
    const int months = (after.year() - from.year()) * 12 + after.month() - from.month();
    const int step = std::max(1, (months + maxLabels - 2) / std::max(1, maxLabels - 1));
    const QDate to = from.addMonths((months + step - 1) / step * step);
    axis->setStartValue(MonthX(from));
    for (QDate month = from; month <= to; month = month.addMonths(step)) {
        axis->append(month.toString(QStringLiteral("MM.yyyy")), MonthX(month));
    }
    axis->setRange(MonthX(from), MonthX(to));
}

// Whole numbers from the lowest stock (or 0) to the highest, in steps of a nice size.
void FillStockAxis(QValueAxis* axis, std::int64_t lowest, std::int64_t highest, int maxLabels) {
    const double low = static_cast<double>(std::min<std::int64_t>(lowest, 0));
    const double high = static_cast<double>(std::max<std::int64_t>(highest, 10));
    const double step = NiceStep((high - low) / std::max(1, maxLabels - 1));
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0.0);
    axis->setTickInterval(step);
    axis->setRange(std::floor(low / step) * step, std::ceil(high / step) * step);
}

}  // namespace

ForecastChart::ForecastChart(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("chartForecast"));
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    // The tab is small at the window's designed size: the plot takes every pixel it can.
    // The right margin keeps the last month's label in sight.
    chart()->setMargins(QMargins(2, 2, 24, 2));
    chart()->layout()->setContentsMargins(0, 0, 0, 0);
    chart()->setBackgroundRoundness(0);

    m_dates = new QCategoryAxis();
    m_dates->setObjectName(QStringLiteral("axisDate"));
    m_dates->setTitleText(QStringLiteral("Datum"));
    m_dates->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_stocks = new QValueAxis();
    m_stocks->setObjectName(QStringLiteral("axisStock"));
    m_stocks->setTitleText(QStringLiteral("Bestand"));
    m_stocks->setLabelFormat(QStringLiteral("%d"));
    chart()->addAxis(m_dates, Qt::AlignBottom);
    chart()->addAxis(m_stocks, Qt::AlignLeft);
    m_first = m_last = QDate::currentDate();
    FitToSize();
}

void ForecastChart::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    FitToSize();
}

void ForecastChart::FitToSize() {
    const bool roomy = height() >= kRoomyHeight;
    chart()->legend()->setVisible(roomy);
    m_dates->setTitleVisible(roomy);
    m_stocks->setTitleVisible(roomy);
    // What the labels, titles and legend around the plot take.
    const int plotHeight = height() - (roomy ? 110 : 40);
    const int plotWidth = width() - (roomy ? 90 : 60);
    FillDateAxis(m_dates, m_first, m_last, std::clamp(plotWidth / kPixelsPerDateLabel, 2, 12));
    FillStockAxis(m_stocks, m_lowest, m_highest,
                  std::clamp(plotHeight / kPixelsPerStockLabel, 2, 8));
}

qreal ForecastChart::ChartX(double oleDate) {
    return static_cast<qreal>(DayOf(oleDate).startOfDay().toMSecsSinceEpoch());
}

QString ForecastChart::ForecastSuffix() { return QStringLiteral(" (Prognose)"); }

void ForecastChart::Show(const Forecast& forecast, const History& history) {
    QChart* chart = this->chart();
    chart->removeAllSeries();

    m_first = m_last = DayOf(forecast.today);
    m_lowest = m_highest = 0;
    const QDate lastShown = m_first.addDays(kForecastDaysShown);
    std::vector<std::pair<QLineSeries*, bool>> lines;  // with whether the legend names it
    bool anyForecast = false;
    std::size_t index = 0;
    for (const StripHistory& strip : history.strips) {
        const QColor colour = kColours[index++ % std::size(kColours)];
        auto* line = new QLineSeries();
        line->setName(ToQt(strip.name));
        line->setPen(LinePen(colour, Qt::SolidLine));
        for (const StockPoint& point : strip.curve) {
            line->append(ChartX(point.date), static_cast<qreal>(point.stock));
            m_first = std::min(m_first, DayOf(point.date));
            m_lowest = std::min(m_lowest, point.stock);
            m_highest = std::max(m_highest, point.stock);
        }
        lines.emplace_back(line, true);

        const ForecastRow* row = RowOf(forecast, strip.id);
        if (row == nullptr || row->runOut.usedUp || !row->runOut.date || !row->stock) {
            continue;
        }
        auto* dashed = new QLineSeries();
        dashed->setName(ToQt(strip.name) + ForecastSuffix());
        dashed->setPen(LinePen(colour, Qt::DashLine));
        dashed->append(ChartX(forecast.today), static_cast<qreal>(*row->stock));
        dashed->append(ChartX(*row->runOut.date), 0.0);
        m_last = std::max(m_last, std::min(DayOf(*row->runOut.date), lastShown));
        m_highest = std::max<std::int64_t>(m_highest, *row->stock);
        lines.emplace_back(dashed, false);
        anyForecast = true;
    }
    if (anyForecast) {
        // Names the dashed lines once in the legend, instead of once per definition.
        auto* key = new QLineSeries();
        key->setName(QStringLiteral("Prognose (gestrichelt)"));
        key->setPen(LinePen(Qt::darkGray, Qt::DashLine));
        lines.emplace_back(key, true);
    }

    FitToSize();
    for (const auto& [series, named] : lines) {
        QLineSeries* line = series;
        chart->addSeries(line);
        line->attachAxis(m_dates);
        line->attachAxis(m_stocks);
        connect(line, &QLineSeries::hovered, this, [line](const QPointF&, bool entered) {
            if (entered) {
                QToolTip::showText(QCursor::pos(), line->name());
            } else {
                QToolTip::hideText();
            }
        });
        if (!named) {
            HideFromLegend(chart, line);
        }
    }
}

}  // namespace stripstock
