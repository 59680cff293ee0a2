#pragma once

#include <QChartView>
#include <QDate>
#include <cstdint>

#include "consumption/Forecast.h"

class QCategoryAxis;
class QValueAxis;

namespace stripstock {

// The stock over time, one line per strip definition with each prescription a step up, and
// from today a dashed line down to the run-out date.
class ForecastChart : public QChartView {
    Q_OBJECT

  public:
    explicit ForecastChart(QWidget* parent = nullptr);

    // Replaces every line. The definitions keep their colour from fill to fill as long as their
    // order in the strip list stays.
    void Show(const Forecast& forecast, const History& history);

    // The chart's x value of an OLE date: the local midnight of its day, in milliseconds.
    static qreal ChartX(double oleDate);

    // The suffix of a dashed line's name after the definition's name.
    static QString ForecastSuffix();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Labels as many as the size allows; the legend and the axis titles only where there is
    // room for the plot besides them.
    void FitToSize();

    QCategoryAxis* m_dates = nullptr;
    QValueAxis* m_stocks = nullptr;
    // What the lines span, for the axes.
    QDate m_first;
    QDate m_last;
    std::int64_t m_lowest = 0;
    std::int64_t m_highest = 0;
};

}  // namespace stripstock
