#pragma once

#include <QWidget>
#include <memory>
#include <utility>
#include <vector>

#include "app/MainViews.h"
#include "app/Startup.h"
#include "host/Context.h"

class QComboBox;
class QLabel;
class QTabWidget;

namespace stripstock {

class ConsumptionView;
class ForecastView;
class PrescriptionsView;
class ReportActions;
class StripDefinitionsView;

// frmteststripmain: the labels above the tabs, the tabs and the hidden meter list and chart
// area. It only wires the tabs together; each tab is a class of its own.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    MainWindow(Context& ctx, const StartupResult& startup, QWidget* parent = nullptr);

    // Runs the start-up with the hourglass. When the host has no diary open it shows the
    // refusal and returns nullptr; otherwise the window, filled, placed as the last run left
    // it and not yet shown.
    static std::unique_ptr<MainWindow> Start(Context& ctx, const QString& commandLine);

  public slots:
    // The button array Command1 of both tabs.
    void Command1_Click(int index);
    void RefreshConsumption();
    // Rebuilds every view from the databases after a change. The strip list selects its first
    // entry after a change of the strip definitions, and otherwise keeps its selection.
    void RefreshViews(bool stripsChanged = false);

  signals:
    void consumptionRefreshed();
    void viewsRefreshed();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildHeader();
    void BuildMeterList(const StartupResult& startup);
    void BuildChartArea();
    void RestorePlacement();
    void ShowViews(const MainViews& views, bool stripsChanged);
    void ShowConsumption(const ConsumptionTable& table);
    void OnMeterClick();
    void ChartWidget(QWidget* widget);

    Context& m_ctx;
    std::vector<ListEntry> m_stripList;  // the strip definitions as last loaded
    QLabel* m_lblOwner = nullptr;
    QLabel* m_lblStartingdate = nullptr;
    QComboBox* m_cbMeters = nullptr;
    QTabWidget* m_vsTab = nullptr;
    ConsumptionView* m_consumption = nullptr;
    PrescriptionsView* m_prescriptions = nullptr;
    ReportActions* m_reports = nullptr;
    StripDefinitionsView* m_strips = nullptr;
    ForecastView* m_forecast = nullptr;
    // The chart area's widgets with their designed tops, kept below the client area.
    std::vector<std::pair<QWidget*, int>> m_chart;
};

}  // namespace stripstock
