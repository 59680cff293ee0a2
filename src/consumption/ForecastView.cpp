#include "consumption/ForecastView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <string>
#include <utility>

#include "app/WidgetHelpers.h"
#include "consumption/ForecastChart.h"
#include "text/Regional.h"

namespace stripstock {

namespace {

enum Column { kName, kStock, kPerDay, kRunOut, kColumnCount };

// The settings take what the registry read accepts: at least a day, at most ten years.
constexpr int kMaxSettingDays = 3650;

QTreeWidgetItem* MakeItem(const ForecastRow& row, const QIcon& warning) {
    auto* item = new QTreeWidgetItem(
        QStringList{ToQt(row.name), row.stock ? QString::number(*row.stock) : QString(),
                    ToQt(PerDayText(row.perDay, CurrentRegion().decimalSeparator)),
                    ToQt(RunOutText(row.runOut))});
    for (int column = kStock; column < kColumnCount; ++column) {
        item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (row.warn) {
        item->setIcon(kName, warning);
        QFont bold = item->font(kName);
        bold.setBold(true);
        for (int column = 0; column < kColumnCount; ++column) {
            item->setFont(column, bold);
        }
    }
    item->setToolTip(kName, item->text(kName));
    return item;
}

QSpinBox* AddSetting(QHBoxLayout* row, const char* name, const QString& caption) {
    auto* label = new QLabel(caption);
    auto* box = new QSpinBox();
    box->setObjectName(QString::fromUtf8(name));
    box->setRange(1, kMaxSettingDays);
    // Stored once the user has settled on a number, not at every digit typed.
    box->setKeyboardTracking(false);
    label->setBuddy(box);
    row->addWidget(label);
    row->addWidget(box);
    return box;
}

}  // namespace

ForecastView::ForecastView(Context& ctx, const std::vector<ListEntry>& stripList, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_stripList(stripList) {
    m_lblWarning = new QLabel(this);
    m_lblWarning->setObjectName(QStringLiteral("lblWarning"));
    m_lblWarning->setWordWrap(true);

    // Room for the tab's buttons, at the right of the warning line.
    m_buttons = new QHBoxLayout();
    m_buttons->setObjectName(QStringLiteral("forecastButtons"));
    auto* top = new QHBoxLayout();
    top->addWidget(m_lblWarning, 1);
    top->addLayout(m_buttons);

    m_lvForecast = new QTreeWidget();
    m_lvForecast->setObjectName(QStringLiteral("lvForecast"));
    m_lvForecast->setRootIsDecorated(false);
    m_lvForecast->setItemsExpandable(false);
    m_lvForecast->setAllColumnsShowFocus(true);
    m_lvForecast->setHeaderLabels({QStringLiteral("Teststreifen"), QStringLiteral("Bestand"),
                                   QStringLiteral("Verbrauch pro Tag"),
                                   QStringLiteral("Reicht bis")});
    QHeaderView* header = m_lvForecast->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(kName, QHeaderView::Stretch);
    for (int column = kStock; column < kColumnCount; ++column) {
        m_lvForecast->headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }

    m_chart = new ForecastChart(this);
    m_chart->setMinimumHeight(Px(1500));

    auto* settings = new QHBoxLayout();
    m_warnDays = AddSetting(settings, "spnWarnDays", QStringLiteral("Warnen ab (Tage):"));
    settings->addSpacing(Px(240));
    m_rateDays =
        AddSetting(settings, "spnRateDays", QStringLiteral("Verbrauch der letzten (Tage):"));
    settings->addStretch(1);
    const ForecastSettings defaults;
    m_warnDays->setValue(defaults.warnDays);
    m_rateDays->setValue(defaults.rateDays);
    connect(m_warnDays, &QSpinBox::valueChanged, this, &ForecastView::OnSettingEdited);
    connect(m_rateDays, &QSpinBox::valueChanged, this, &ForecastView::OnSettingEdited);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Px(120), Px(120), Px(120), Px(120));
    layout->addLayout(top);
    // The table takes what its rows need, the chart the rest.
    layout->addWidget(m_lvForecast);
    layout->addWidget(m_chart, 1);
    layout->addLayout(settings);
}

void ForecastView::Show(const Forecast& forecast, const History& history) {
    m_history = history;
    ShowForecast(forecast);
}

void ForecastView::Refresh() {
    StockOutlook outlook =
        ComputeStockOutlook(m_ctx, m_stripList, ShownSettings(), HistoryStep::Month);
    m_history = std::move(outlook.history);
    ShowForecast(outlook.forecast);
}

ForecastSettings ForecastView::ShownSettings() const {
    ForecastSettings settings;
    settings.warnDays = m_warnDays->value();
    settings.rateDays = m_rateDays->value();
    return settings;
}

void ForecastView::ShowForecast(const Forecast& forecast) {
    m_showing = true;
    m_warnDays->setValue(forecast.settings.warnDays);
    m_rateDays->setValue(forecast.settings.rateDays);
    m_showing = false;

    // Also says why nothing is known when the diary could not be read.
    m_lblWarning->setText(ToQt(WarningLine(forecast)));

    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    m_lvForecast->clear();
    // The total first, as the consumption table has it.
    m_lvForecast->addTopLevelItem(MakeItem(forecast.total, warning));
    for (const ForecastRow& row : forecast.strips) {
        m_lvForecast->addTopLevelItem(MakeItem(row, warning));
    }
    m_chart->Show(forecast, m_history);
    FitTableToRows();
}

void ForecastView::FitTableToRows() {
    int height = m_lvForecast->header()->sizeHint().height() + 2 * m_lvForecast->frameWidth();
    for (int row = 0; row < m_lvForecast->topLevelItemCount(); ++row) {
        height += m_lvForecast->sizeHintForRow(row);
    }
    m_lvForecast->setMaximumHeight(height);
}

void ForecastView::OnSettingEdited() {
    if (m_showing) {
        return;
    }
    const ForecastSettings settings = ShownSettings();
    WriteForecastSettings(m_ctx, settings);
    ShowForecast(ComputeForecast(m_ctx, m_stripList, settings));
    emit settingsChanged();
}

}  // namespace stripstock
