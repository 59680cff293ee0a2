#include "app/MainWindow.h"

#include <algorithm>

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/AboutBox.h"
#include "app/MainButtons.h"
#include "app/MessageBox.h"
#include "app/ProgramInfo.h"
#include "app/WidgetHelpers.h"
#include "app/WindowPlacement.h"
#include "consumption/ConsumptionView.h"
#include "consumption/ForecastView.h"
#include "prescriptions/FaultyMeasurementDialog.h"
#include "prescriptions/LedgerListDialog.h"
#include "prescriptions/NewPrescriptionDialog.h"
#include "prescriptions/PrescriptionsView.h"
#include "report/ReportActions.h"
#include "strips/StripDefinitionsView.h"

namespace stripstock {

namespace {

constexpr int kDesignedWidth = 9750;
constexpr int kDesignedHeight = 5400;

// The description ends in a line break, which would add an empty line below it; it takes the
// designed height, or what its wrapped text needs.
class DescriptionLabel : public QLabel {
  public:
    using QLabel::QLabel;

    int heightForWidth(int width) const override {
        const QRect room(0, 0, width, QWIDGETSIZE_MAX);
        const int text =
            fontMetrics().boundingRect(room, Qt::TextWordWrap, this->text().trimmed()).height();
        return std::max(Px(600 - 120), text);
    }
    QSize sizeHint() const override {
        return {QLabel::sizeHint().width(), heightForWidth(width())};
    }
};

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromUtf8(name));
    return label;
}

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, const QRect& rect) {
    QLabel* label = AddLabel(parent, name, text);
    label->setGeometry(rect);
    return label;
}

}  // namespace

MainWindow::MainWindow(Context& ctx, const StartupResult& startup, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_stripList(startup.stripList) {
    setObjectName(QStringLiteral("frmteststripmain"));
    setWindowTitle(ToQt(kMainCaption));
    // The designed size is the default and the smallest; the tabs take what the window gains.
    setMinimumSize(Px(kDesignedWidth), Px(kDesignedHeight));
    resize(minimumSize());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Px(120), Px(120), Px(kDesignedWidth - 120 - 9495),
                               Px(kDesignedHeight - 1080 - 4095));
    layout->setSpacing(0);

    BuildHeader();

    m_vsTab = new QTabWidget(this);
    m_vsTab->setObjectName(QStringLiteral("vsTab"));
    layout->addWidget(m_vsTab, 1);
    m_consumption = new ConsumptionView();
    m_prescriptions = new PrescriptionsView(ctx, m_stripList);
    m_strips = new StripDefinitionsView(ctx, m_stripList);
    m_vsTab->addTab(m_consumption, QStringLiteral("Verbrauch"));
    m_vsTab->addTab(m_prescriptions, QStringLiteral("Verordnungen"));
    m_vsTab->addTab(m_strips, QStringLiteral("Teststreifen"));
    m_forecast = new ForecastView(ctx, m_stripList);
    m_vsTab->addTab(m_forecast, QStringLiteral("Reichweite"));
    m_reports = new ReportActions(ctx, m_stripList, this);
    m_forecast->ButtonRow()->addWidget(m_reports->reportButton());
    m_forecast->ButtonRow()->addWidget(m_reports->exportButton());

    BuildMeterList(startup);
    BuildChartArea();

    ShowViews(startup, true);

    connect(m_prescriptions, &PrescriptionsView::commandClicked, this, &MainWindow::Command1_Click);
    connect(m_strips, &StripDefinitionsView::commandClicked, this, &MainWindow::Command1_Click);
    RestorePlacement();
    InstallAboutShortcut(this);
}

std::unique_ptr<MainWindow> MainWindow::Start(Context& ctx, const QString& commandLine) {
    StartupResult startup;
    {
        BusyCursor busy;
        startup = RunStartup(ctx, ToCore(commandLine));
    }
    if (startup.refused) {
        MessageBox::Critical(nullptr, ToQt(RefusalText(startup, "stripstock --diary DATEI")));
        return nullptr;
    }
    return std::make_unique<MainWindow>(ctx, startup);
}

void MainWindow::BuildHeader() {
    auto* layout = qobject_cast<QVBoxLayout*>(this->layout());
    auto* description = new DescriptionLabel(ToQt(kDescription), this);
    description->setObjectName(QStringLiteral("Label1"));
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(description);

    // Owner below its caption at the left, the start date below its caption 3000 further.
    auto* labels = new QGridLayout();
    labels->setSpacing(0);
    labels->setColumnMinimumWidth(0, Px(3120 - 120));
    labels->setColumnStretch(1, 1);
    labels->addWidget(AddLabel(this, "Label2", QStringLiteral("Tagebuchinhaber:")), 0, 0);
    m_lblOwner = AddLabel(this, "lblOwner", QString());
    labels->addWidget(m_lblOwner, 1, 0);
    labels->addWidget(AddLabel(this, "Label3", QStringLiteral("Berechnung beginnt ab:")), 0, 1);
    m_lblStartingdate = AddLabel(this, "lblStartingdate", QString());
    labels->addWidget(m_lblStartingdate, 1, 1);
    for (int row = 0; row < 2; ++row) {
        labels->setRowMinimumHeight(row, Px(240));
    }
    layout->addLayout(labels);
}

void MainWindow::BuildMeterList(const StartupResult& startup) {
    // Lies over the tab area and is never shown; it only keeps the remembered meter.
    m_cbMeters = new QComboBox(this);
    m_cbMeters->setObjectName(QStringLiteral("cbMeters"));
    m_cbMeters->setGeometry(TwipsRect(1080, 1680, 2655, 315));
    m_cbMeters->hide();
    for (const ListEntry& entry : startup.meterList) {
        m_cbMeters->addItem(ToQt(entry.text), entry.itemData);
    }
    // Selected before the click reaction is connected: the start-up never refreshes.
    m_cbMeters->setCurrentIndex(startup.meterSelection);
    connect(m_cbMeters, &QComboBox::activated, this, &MainWindow::OnMeterClick);
}

void MainWindow::BuildChartArea() {
    // The chart sits below the visible client area, however large the window, and draws
    // nothing.
    ChartWidget(AddLabel(this, "lblChart", QStringLiteral("Teststreifenverbrauch im Jahr 2010"),
                         TwipsRect(120, 5640, 3495, 255)));
    const struct {
        const char* shape;
        const char* label;
        const char* text;
        const char* colour;
        int left;
    } legend[] = {
        {"Shape1_0", "Label4_0", "Verbrauchte Teststreifen", "#c00000", 3720},
        {"Shape1_1", "Label4_1", "Verordnete Teststreifen", "#0000c0", 6480},
    };
    for (const auto& entry : legend) {
        auto* swatch = new QFrame(this);
        swatch->setObjectName(QString::fromUtf8(entry.shape));
        swatch->setGeometry(TwipsRect(entry.left, 5670, 255, 195));
        swatch->setStyleSheet(QStringLiteral("background-color: %1;").arg(ToQt(entry.colour)));
        ChartWidget(swatch);
        ChartWidget(AddLabel(this, entry.label, ToQt(entry.text),
                             TwipsRect(entry.left + 360, 5640, 2295, 255)));
    }

    auto* picture = new QFrame(this);
    picture->setObjectName(QStringLiteral("picTeststrips"));
    picture->setFrameShape(QFrame::Box);
    picture->setGeometry(TwipsRect(600, 5880, 8535, 2895));
    ChartWidget(picture);
    const struct {
        const char* name;
        const char* caption;
        int left;
    } buttons[] = {{"cmdPic_0", "<", 120}, {"cmdPic_1", ">", 9240}};
    for (const auto& entry : buttons) {
        auto* button = new QPushButton(ToQt(entry.caption), this);
        button->setObjectName(QString::fromUtf8(entry.name));
        // The chart draws nothing, so its buttons have nothing to redraw.
        button->setGeometry(TwipsRect(entry.left, 5880, 375, 375));
        // Out of sight, so out of the tab chain as well.
        button->setFocusPolicy(Qt::NoFocus);
        ChartWidget(button);
    }
}

void MainWindow::ChartWidget(QWidget* widget) { m_chart.emplace_back(widget, widget->y()); }

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The description ends in a line break that would add an empty line below it.
    auto* description = findChild<QLabel*>(QStringLiteral("Label1"));
    const QRect room(0, 0, description->width(), QWIDGETSIZE_MAX);
    description->setFixedHeight(std::max(
        Px(600 - 120), description->fontMetrics()
                           .boundingRect(room, Qt::TextWordWrap, description->text().trimmed())
                           .height()));
    const int grown = height() - Px(kDesignedHeight);
    for (const auto& [widget, top] : m_chart) {
        widget->move(widget->x(), top + grown);
    }
}

void MainWindow::RestorePlacement() {
    const std::optional<WindowPlacement> placement = ReadWindowPlacement(m_ctx);
    if (!placement) {
        return;
    }
    resize(QSize(placement->width, placement->height).expandedTo(minimumSize()));
    // A place on a screen that is gone would hide the window: its title bar must be on one.
    const QRect titleBar(placement->left, placement->top, placement->width, Px(375));
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(titleBar)) {
            move(placement->left, placement->top);
            break;
        }
    }
    if (placement->maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The position is the frame's, as move() takes it; the size the client area's.
    const QRect normal = isMaximized() ? normalGeometry() : geometry();
    const QPoint frame = geometry().topLeft() - pos();
    WriteWindowPlacement(m_ctx, {normal.x() - frame.x(), normal.y() - frame.y(), normal.width(),
                                 normal.height(), isMaximized()});
    QWidget::closeEvent(event);
}

void MainWindow::ShowViews(const MainViews& views, bool stripsChanged) {
    m_stripList = views.stripList;
    m_strips->ShowStripList(!stripsChanged);
    m_prescriptions->ShowTree(views.prescriptionTree, views.selectedNodeKey,
                              views.prescriptionList);
    ShowConsumption(views.consumption);
    m_consumption->ShowHint(ToQt(views.consumptionHint));
    m_forecast->Show(views.forecast, views.history);
}

void MainWindow::RefreshViews(bool stripsChanged) {
    MainViews views;
    {
        BusyCursor busy;
        views = RebuildMainViews(m_ctx, m_prescriptions->SelectedNodeKey());
    }
    ShowViews(views, stripsChanged);
    emit viewsRefreshed();
}

void MainWindow::ShowConsumption(const ConsumptionTable& table) {
    m_consumption->Show(table);
    m_lblOwner->setText(ToQt(table.owner));
    if (table.startingDate) {
        m_lblStartingdate->setText(ToQt(*table.startingDate));
    }
}

void MainWindow::RefreshConsumption() {
    BusyCursor busy;
    ShowConsumption(FillConsumptionList(m_ctx, m_stripList));
    m_forecast->Refresh();
    emit consumptionRefreshed();
}

void MainWindow::OnMeterClick() {
    if (m_ctx.IsLoading) {
        return;
    }
    RefreshConsumption();
}

void MainWindow::Command1_Click(int index) {
    switch (Command1ActionFor(index)) {
        case Command1Action::NewPrescription: {
            NewPrescriptionDialog dialog(m_ctx, this);
            dialog.exec();
            RefreshViews();
            break;
        }
        case Command1Action::EditLedger: {
            LedgerListDialog dialog(m_ctx, this);
            dialog.exec();
            RefreshViews();
            break;
        }
        case Command1Action::DeletePrescription:
            if (m_prescriptions->DeleteSelectedPrescription()) {
                RefreshViews();
            }
            break;
        case Command1Action::FaultyMeasurements: {
            FaultyMeasurementDialog dialog(m_ctx, this);
            dialog.exec();
            RefreshViews();
            break;
        }
        case Command1Action::NewStrip:
            if (m_strips->NewDefinition()) {
                RefreshViews(true);
            }
            break;
        case Command1Action::EditStrip:
            if (m_strips->EditDefinition()) {
                RefreshViews(true);
            }
            break;
        case Command1Action::DeleteStrip:
            if (m_strips->DeleteDefinition()) {
                RefreshViews(true);
            }
            break;
        case Command1Action::None:
            break;
    }
}

}  // namespace stripstock
