#include "app/MainWindow.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "app/MainButtons.h"
#include "app/MessageBox.h"
#include "app/WidgetHelpers.h"
#include "consumption/ConsumptionView.h"
#include "prescriptions/NewPrescriptionDialog.h"
#include "prescriptions/PrescriptionsView.h"
#include "strips/Catalogue.h"
#include "strips/StripDefinitionsView.h"

namespace stripstock {

namespace {

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, const QRect& rect) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setGeometry(rect);
    return label;
}

}  // namespace

MainWindow::MainWindow(Context& ctx, const StartupResult& startup, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_stripList(startup.stripList) {
    setObjectName(QStringLiteral("frmteststripmain"));
    setWindowTitle(ToQt(kMainCaption));
    setFixedSize(Px(9750), Px(5400));

    BuildHeader();

    m_vsTab = new QTabWidget(this);
    m_vsTab->setObjectName(QStringLiteral("vsTab"));
    m_vsTab->setGeometry(TwipsRect(120, 1080, 9495, 4095));
    m_consumption = new ConsumptionView();
    m_prescriptions = new PrescriptionsView(ctx, m_stripList);
    m_strips = new StripDefinitionsView(ctx, m_stripList);
    m_vsTab->addTab(m_consumption, QStringLiteral("Verbrauch"));
    m_vsTab->addTab(m_prescriptions, QStringLiteral("Verordnungen"));
    m_vsTab->addTab(m_strips, QStringLiteral("Teststreifen"));

    BuildMeterList(startup);
    BuildChartArea();

    m_strips->ShowStripList();
    m_prescriptions->ShowTree(startup.prescriptionTree, startup.prescriptionList);
    ShowConsumption(startup.consumption);

    connect(m_prescriptions, &PrescriptionsView::commandClicked, this, &MainWindow::Command1_Click);
    connect(m_strips, &StripDefinitionsView::commandClicked, this, &MainWindow::Command1_Click);
}

std::unique_ptr<MainWindow> MainWindow::Start(Context& ctx, const QString& commandLine) {
    StartupResult startup;
    {
        BusyCursor busy;
        startup = RunStartup(ctx, ToCore(commandLine));
    }
    if (startup.refused) {
        MessageBox::Critical(nullptr, ToQt(kRefusalMessage));
        return nullptr;
    }
    return std::make_unique<MainWindow>(ctx, startup);
}

void MainWindow::BuildHeader() {
    auto* description =
        AddLabel(this, "Label1", ToQt(kDescription), TwipsRect(120, 120, 8415, 495));
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    AddLabel(this, "Label2", QStringLiteral("Tagebuchinhaber:"), TwipsRect(120, 600, 2895, 255));
    m_lblOwner = AddLabel(this, "lblOwner", QString(), TwipsRect(120, 840, 2895, 255));
    AddLabel(this, "Label3", QStringLiteral("Berechnung beginnt ab:"),
             TwipsRect(3120, 600, 2895, 255));
    m_lblStartingdate =
        AddLabel(this, "lblStartingdate", QString(), TwipsRect(3120, 840, 2895, 255));
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
    // The chart sits below the visible client area and draws nothing.
    AddLabel(this, "lblChart", QStringLiteral("Teststreifenverbrauch im Jahr 2010"),
             TwipsRect(120, 5640, 3495, 255));
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
        AddLabel(this, entry.label, ToQt(entry.text), TwipsRect(entry.left + 360, 5640, 2295, 255));
    }

    auto* picture = new QFrame(this);
    picture->setObjectName(QStringLiteral("picTeststrips"));
    picture->setFrameShape(QFrame::Box);
    picture->setGeometry(TwipsRect(600, 5880, 8535, 2895));
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
    }
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
            RefreshConsumption();
            break;
        }
        case Command1Action::NewStrip:
            m_strips->NewDefinition();
            break;
        case Command1Action::EditStrip:
            m_strips->EditDefinition();
            break;
        case Command1Action::DeleteStrip:
            m_strips->DeleteDefinition();
            break;
        case Command1Action::None:
            break;
    }
}

}  // namespace stripstock
