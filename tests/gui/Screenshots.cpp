// Pictures of the windows for the documentation: a host with long strip names, the main window
// at its default size on each tab and enlarged, and the dialogs it opens. Run on a real display
// or under Xvfb (scripts/screenshots); the pictures go to the folder named on the command line.
// With --demo DIR it pictures instead the "Reichweite" tab of the demo host that scripts/demo
// made in DIR, on the registry store STRIPSTOCK_REGISTRY names.

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "GuiFixture.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "data/Schema.h"
#include "prescriptions/LedgerListDialog.h"
#include "prescriptions/LedgerStore.h"
#include "prescriptions/NewPrescriptionDialog.h"
#include "strips/StripProperties.h"
#include "strips/StripPropertiesDialog.h"
#include "text/OleDate.h"
#include "tools/HostSim.h"

using namespace stripstock;
using namespace stripstock::test;

namespace {

void SeedLongNames(TestHost& host) {
    host.AddModule("COMPACT", "0", "COM1|9600|8N1|24", "Accu-Chek Compact");
    host.AddModule("PLUS", "0", "COM1|9600|8N1|74", "Accu-Chek Compact Plus");
    host.AddModule("CONTOUR", "0", "COM1|9600|8N1|33", "Ascensia CONTOUR");
    Context ctx = host.MakeContext();
    ctx.StripDbPath = host.programDir + "/MEIER.VLT";
    CreateCompanionDatabase(ctx, ctx.StripDbPath);
    SaveStrip(ctx, 0, "Accu-Chek Compact Teststreifen", "Roche Diagnostics", "01234567",
              {{"Compact", 24}}, {true});
    SaveStrip(ctx, 0, "Accu-Chek Compact Plus Teststr.", "Roche Diagnostics", "02345678",
              {{"Compact Plus", 74}}, {true});
    SaveStrip(ctx, 0, "Contour Next Sensoren 50 Stück", "Ascensia", "03456789", {{"Contour", 33}},
              {true});
    AppendLedgerRow(ctx, Day(2009, 11, 2), 1, 200);
    AppendLedgerRow(ctx, Day(2009, 12, 14), 2, 150);
    AppendLedgerRow(ctx, Day(2010, 1, 20), 3, 100);
    AppendLedgerRow(ctx, Day(2010, 2, 15), 1, 200);
    AppendLedgerRow(ctx, Day(2010, 2, 20), 24, -3);
    hostsim::AddReadings(host.diary, 24, Day(2010, 1, 10), 180);
    hostsim::AddReadings(host.diary, 74, Day(2010, 1, 11), 95);
    hostsim::AddReadings(host.diary, 33, Day(2010, 2, 11), 40);
    hostsim::AddReadings(host.diary, 7, Day(2010, 2, 12), 6);
}

// What the display shows of the window, as a screen grab would (not the widget's own painting).
void Save(QWidget* widget, const QString& folder, const char* name) {
    QTest::qWait(200);
    const QString path = QDir(folder).filePath(QString::fromUtf8(name) + QStringLiteral(".png"));
    if (!widget->screen()->grabWindow(widget->winId()).save(path)) {
        std::fprintf(stderr, "not saved: %s\n", qPrintable(path));
    }
}

// The demo host as its user meets it, with a window large enough for the chart to be read.
int SaveDemo(const QString& demoDir, const QString& folder) {
    Context ctx = MakeContext(QDir(demoDir).filePath(QStringLiteral("program")).toStdString());
    const auto window = MainWindow::Start(ctx, QStringLiteral("VELLIND4|demo"));
    if (!window) {
        return 1;
    }
    window->resize(960, 720);
    window->show();
    auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("vsTab"));
    tabs->setCurrentIndex(tabs->count() - 1);
    Save(window.get(), folder, "reichweite");
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const bool demo = args.size() == 4 && args[2] == QStringLiteral("--demo");
    if (args.size() != 2 && !demo) {
        std::fprintf(stderr, "usage: stripstock-screenshots FOLDER [--demo DIR]\n");
        return 2;
    }
    const QString folder = args[1];
    QDir().mkpath(folder);
    if (demo) {
        return SaveDemo(args[3], folder);
    }

    TestHost host;
    host.OpenDiary();
    SeedLongNames(host);
    Context ctx = host.MakeContext();
    const auto window = MainWindow::Start(ctx, QString());
    if (!window) {
        return 1;
    }
    window->show();
    auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("vsTab"));
    const char* tabNames[] = {"main-verbrauch", "main-verordnungen", "main-teststreifen",
                              "main-reichweite"};
    for (int i = 0; i < 4; ++i) {
        tabs->setCurrentIndex(i);
        Save(window.get(), folder, tabNames[i]);
    }
    window->resize(900, 480);
    const char* largeNames[] = {"main-verbrauch-large", "main-verordnungen-large",
                                "main-teststreifen-large", "main-reichweite-large"};
    for (int i = 0; i < 4; ++i) {
        tabs->setCurrentIndex(i);
        Save(window.get(), folder, largeNames[i]);
    }

    {
        LedgerListDialog ledger(ctx, window.get());
        ledger.show();
        Save(&ledger, folder, "ledger");
        ledger.resize(700, 360);
        Save(&ledger, folder, "ledger-large");
    }
    {
        StripPropertiesDialog properties(ctx, 1, window.get());
        properties.show();
        Save(&properties, folder, "strip-properties");
    }
    {
        NewPrescriptionDialog entry(ctx, window.get());
        entry.show();
        Save(&entry, folder, "new-prescription");
    }

    // The first run: no strip definitions yet.
    TestHost fresh;
    fresh.OpenDiary();
    Context freshCtx = fresh.MakeContext();
    const auto first = MainWindow::Start(freshCtx, QString());
    first->show();
    Save(first.get(), folder, "main-first-run");
    return 0;
}
