#pragma once

#include <QWidget>
#include <vector>

#include "consumption/Forecast.h"
#include "host/Context.h"
#include "text/ListEntry.h"

class QHBoxLayout;
class QLabel;
class QSpinBox;
class QTreeWidget;

namespace stripstock {

class ForecastChart;

// The "Reichweite" tab: which definitions need a new prescription, how long each one's stock
// lasts, the stock over time as a chart, and the two settings the figures depend on.
class ForecastView : public QWidget {
    Q_OBJECT

  public:
    ForecastView(Context& ctx, const std::vector<ListEntry>& stripList, QWidget* parent = nullptr);

    // Shows figures made elsewhere (the main window's rebuild); the spin boxes take their
    // settings without writing them.
    void Show(const Forecast& forecast, const History& history);
    // Makes the figures afresh from the databases with the settings shown.
    void Refresh();

    // The row at the tab's top right that holds the tab's buttons.
    QHBoxLayout* ButtonRow() const { return m_buttons; }

  signals:
    // The user changed a setting; it is stored and the figures are made again.
    void settingsChanged();

  private:
    void ShowForecast(const Forecast& forecast);
    // The table is as high as its rows, so that the chart gets the rest.
    void FitTableToRows();
    void OnSettingEdited();
    ForecastSettings ShownSettings() const;

    Context& m_ctx;
    const std::vector<ListEntry>& m_stripList;
    History m_history;  // the chart's lines stay as they are when only a setting changes
    bool m_showing = false;

    QLabel* m_lblWarning = nullptr;
    QHBoxLayout* m_buttons = nullptr;
    QTreeWidget* m_lvForecast = nullptr;
    ForecastChart* m_chart = nullptr;
    QSpinBox* m_warnDays = nullptr;
    QSpinBox* m_rateDays = nullptr;
};

}  // namespace stripstock
