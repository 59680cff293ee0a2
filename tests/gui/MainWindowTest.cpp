#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "GuiFixture.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"

using namespace stripstock;
using namespace stripstock::test;
using namespace Qt::StringLiterals;

namespace {

// An open diary with two strip definitions (1 "Contour" for meter 33, 2 "Compact" for meter
// 24), one prescription of each, and readings of meter 33 and of meter 7, which no definition
// covers.
void SeedLedger(TestHost& host) {
    host.OpenDiary();
    host.CreateCompanion();
    host.AddStrip("Contour", "|33|", "Ascensia", "111");
    host.AddStrip("Compact", "|24|", "Roche", "222");
    host.AddLedger(Day(2010, 2, 1), 1, 50);
    host.AddLedger(Day(2010, 2, 15), 2, 25);
    host.AddReadings(33, Day(2010, 2, 10), 5);
    host.AddReadings(7, Day(2010, 2, 11), 3);
}

}  // namespace

class MainWindowTest : public QObject, public WindowTest {
    Q_OBJECT

  private slots:
    void init() { NewHost(); }

    void refusesWithoutDiaryOrWithAMissingDiaryFile() {
        QVERIFY(Start() == nullptr);
        const QList<MessageBox::Record> shown = MessageBox::TakeRecords();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text,
                 QStringLiteral("Dieses Programm erfordert ein in VELLIND geöffnetes Tagebuch\n"
                                "Ohne VELLIND mit einer Tagebuchdatei starten: "
                                "stripstock --diary DATEI"));
        QCOMPARE(shown[0].title, QStringLiteral("Teststreifenverwaltung"));
        QCOMPARE(shown[0].icon, MessageBox::Icon::Critical);
        QCOMPARE(shown[0].buttons, QList<MessageBox::Button>{MessageBox::Button::Ok});
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            QVERIFY(qobject_cast<MainWindow*>(widget) == nullptr);
        }

        m_host->OpenDiary();
        m_ctx = m_host->MakeContext();
        m_ctx.diaryFile = m_host->Path("fehlt.vld");
        QVERIFY(MainWindow::Start(m_ctx, QString()) == nullptr);
        QCOMPARE(OnlyMessage(),
                 QStringLiteral("Dieses Programm erfordert ein in VELLIND geöffnetes Tagebuch\n"
                                "Die Datei ist nicht vorhanden: ") +
                     QString::fromStdString(m_ctx.diaryFile));
    }

    void anEmptyDiaryShowsThreeTabsEveryButtonAndTheAboutBoxOnF1() {
        m_host->OpenDiary();
        const auto window = Start();
        QVERIFY(window);
        QCOMPARE(window->objectName(), QStringLiteral("frmteststripmain"));
        auto* tabs = Find<QTabWidget>(window.get(), "vsTab");
        QCOMPARE((QStringList{tabs->tabText(0), tabs->tabText(1), tabs->tabText(2)}),
                 (QStringList{u"Verbrauch"_s, u"Verordnungen"_s, u"Teststreifen"_s}));
        QVERIFY(Find<QWidget>(window.get(), "cbMeters")->isHidden());
        for (const char* name : {"Command1_0", "Command1_1", "Command1_2", "Command1_6",
                                 "Command1_3", "Command1_4", "Command1_5"}) {
            QVERIFY2(!Find<QWidget>(window.get(), name)->isHidden(), name);
        }
        // The chart area lies below the client area.
        for (const char* name : {"lblChart", "Label4_0", "Shape1_1", "picTeststrips", "cmdPic_1"}) {
            QVERIFY2(Find<QWidget>(window.get(), name)->y() >= window->height(), name);
        }

        // No starting date is known: the label keeps what it shows.
        auto* startingDate = Find<QLabel>(window.get(), "lblStartingdate");
        QCOMPARE(startingDate->text(), QString());
        startingDate->setText(QStringLiteral("before"));
        window->RefreshConsumption();
        QCOMPARE(startingDate->text(), QStringLiteral("before"));
        QCOMPARE(RowTexts(Find<QTreeWidget>(window.get(), "lv"), 0),
                 (QStringList{u"Insgesamt"_s, u"0"_s, u"n/a"_s, u""_s}));

        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const QSize designed = window->size();
        ModalWatcher watcher;
        QString title;
        QString text;
        watcher.Next([&](QDialog* dialog) {
            title = dialog->windowTitle();
            text = qobject_cast<QMessageBox*>(dialog)->text();
            dialog->accept();
        });
        QTest::keyClick(window.get(), Qt::Key_F1);
        QTRY_COMPARE_WITH_TIMEOUT(watcher.seen.size(), 1, 5000);
        QCOMPARE(title, QStringLiteral("Info über Teststreifenverwaltung"));
        QCOMPARE(text, QStringLiteral("StripStock " STRIPSTOCK_VERSION "\nVerwaltet Bezug, "
                                      "Verbrauch und Bestand von Blutzucker-Teststreifen."));
        // The designed window is unchanged: no menu bar, the same size.
        QVERIFY(window->findChild<QMenuBar*>() == nullptr);
        QCOMPARE(window->size(), designed);
    }

    void restoresMeterSelectionWithoutRefresh_data() {
        QTest::addColumn<QString>("lastMeter");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("11") << u"11"_s << 11 << u"FreeStyle Freedom"_s << 81;
        QTest::newRow("missing") << QString() << 0 << u"Ascensia DEX, BREEZE"_s << 1;
        QTest::newRow("beyond") << u"27"_s << -1 << QString() << 0;
    }

    void restoresMeterSelectionWithoutRefresh() {
        QFETCH(QString, lastMeter);
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(int, code);
        m_host->OpenDiary();
        if (!lastMeter.isNull()) {
            m_host->SetLastMeter(lastMeter.toStdString());
        }
        const auto window = Start();
        QVERIFY(window);
        QSignalSpy refreshed(window.get(), &MainWindow::consumptionRefreshed);
        auto* meters = Find<QComboBox>(window.get(), "cbMeters");
        QCOMPARE(meters->count(), 27);
        QCOMPARE(meters->currentIndex(), index);
        QCOMPARE(meters->currentText(), text);
        QCOMPARE(meters->currentData().toInt(), code);
        QCOMPARE(refreshed.count(), 0);
        emit meters->activated(3);  // a user's choice after the start-up refreshes
        QCOMPARE(refreshed.count(), 1);
    }

    void showsConsumptionCellsAndTheListFollowsNodeClicks() {
        SeedLedger(*m_host);
        const auto window = Start();
        QVERIFY(window);
        auto* lv = Find<QTreeWidget>(window.get(), "lv");
        QCOMPARE(HeaderTexts(lv), (QStringList{u"Teststreifen"_s, u"Verbrauch"_s, u"Bestand"_s,
                                               u"Letzte Verordnung"_s}));
        // The figures keep their designed widths; the names take the rest.
        QCOMPARE((QList<int>{lv->columnWidth(1), lv->columnWidth(2), lv->columnWidth(3)}),
                 (QList<int>{120, 100, 133}));
        QVERIFY(lv->columnWidth(0) > 133);
        const QList<QStringList> rows{
            {u"Insgesamt"_s, u"8"_s, u"67"_s, u"15.02.2010"_s},
            {u"davon"_s, u""_s, u""_s, u""_s},
            {u"Contour"_s, u"5"_s, u"45"_s, u"01.02.2010"_s},
            {u"Compact"_s, u"0"_s, u"25"_s, u"15.02.2010"_s},
            {u"Nicht zugeordnet"_s, u"3"_s, u""_s, u""_s},
        };
        QCOMPARE(lv->topLevelItemCount(), rows.size());
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(RowTexts(lv, i), rows[i]);
            QCOMPARE(lv->topLevelItem(i)->toolTip(0), rows[i][0]);
        }
        QCOMPARE(Find<QLabel>(window.get(), "lblOwner")->text(),
                 QStringLiteral("Erika Mustermann"));
        QCOMPARE(Find<QLabel>(window.get(), "lblStartingdate")->text(),
                 QStringLiteral("01.02.2010"));

        Find<QTabWidget>(window.get(), "vsTab")->setCurrentIndex(1);
        auto* tree = Find<QTreeWidget>(window.get(), "tvTeststrips");
        auto* list = Find<QTreeWidget>(window.get(), "lvPrescriptions");
        QCOMPARE(tree->topLevelItemCount(), 1);
        QTreeWidgetItem* root = tree->topLevelItem(0);
        QCOMPARE(root->text(0), QStringLiteral("Alle"));
        QVERIFY(root->isExpanded());
        QCOMPARE(NodeTexts(tree), (QStringList{u"K1=Contour"_s, u"K2=Compact"_s}));
        QCOMPARE(list->headerItem()->text(2), QStringLiteral("Streifen"));
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(RowTexts(list, 0), (QStringList{u"15.02.2010"_s, u"25"_s, u"Compact"_s}));
        QCOMPARE(list->topLevelItem(1)->data(0, Qt::UserRole).toString(), QStringLiteral("K1"));
        ClickNode(tree, root->child(0));
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(RowTexts(list, 0), (QStringList{u"01.02.2010"_s, u"50"_s, u"Contour"_s}));
        QCOMPARE(list->columnCount(), 3);
        // Cut-short names show in full as tool tips.
        QCOMPARE(list->topLevelItem(0)->toolTip(2), QStringLiteral("Contour"));
        QCOMPARE(root->child(0)->toolTip(0), QStringLiteral("Contour"));

        // A row added meanwhile shows at the next click, even on the same node; the tree stays.
        m_host->AddLedger(Day(2010, 2, 20), 1, 10);
        ClickNode(tree, root->child(0));
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(RowTexts(list, 0), (QStringList{u"20.02.2010"_s, u"10"_s, u"Contour"_s}));
        ClickNode(tree, root);
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(root->childCount(), 2);

        // A new prescription shows at once under the selected node; "LastMeter" 1 selects
        // "Compact" in the dialog.
        ClickNode(tree, root->child(1));
        QCOMPARE(Column(list, 1), QStringList{u"25"_s});
        m_host->SetLastMeter("1");
        ModalWatcher watcher;
        watcher.Next([](QDialog* dialog) { Confirm(dialog, u"100"_s, u"20.2.2010"_s); });
        Find<QPushButton>(window.get(), "Command1_0")->click();
        QCOMPARE(tree->currentItem()->data(0, Qt::UserRole).toString(), u"K2"_s);
        QCOMPARE(Column(list, 1), (QStringList{u"100"_s, u"25"_s}));
        QCOMPARE(Column(lv, 2).first(), u"177"_s);
        // A strip type's first prescription gets its node at once.
        m_host->AddLedger(Day(2010, 2, 21), 3, 10);
        watcher.Next([](QDialog* dialog) { dialog->reject(); });
        Find<QPushButton>(window.get(), "Command1_0")->click();
        QCOMPARE(NodeTexts(tree), (QStringList{u"K1=Contour"_s, u"K2=Compact"_s, u"K3="_s}));
    }

    void newPrescriptionAndStripButtonsRefreshTheViews() {
        SeedLedger(*m_host);
        const auto window = Start();
        QVERIFY(window);
        QSignalSpy refreshed(window.get(), &MainWindow::viewsRefreshed);
        ModalWatcher watcher;
        watcher.Next([](QDialog* dialog) { Confirm(dialog, u"20"_s, u"20.2.2010"_s); });
        Find<QPushButton>(window.get(), "Command1_0")->click();
        QCOMPARE(watcher.seen, QStringList{u"frmNew"_s});
        QCOMPARE(refreshed.count(), 1);
        QCOMPARE(RowTexts(Find<QTreeWidget>(window.get(), "lv"), 0),
                 (QStringList{u"Insgesamt"_s, u"8"_s, u"87"_s, u"20.02.2010"_s}));
        QCOMPARE(Find<QTreeWidget>(window.get(), "lvPrescriptions")->topLevelItemCount(), 3);

        Find<QTabWidget>(window.get(), "vsTab")->setCurrentIndex(2);
        auto* strips = Find<QListWidget>(window.get(), "lbTestStripdefs");
        QCOMPARE(ListTexts(strips), (QStringList{u"Contour"_s, u"Compact"_s}));
        QCOMPARE(strips->currentRow(), 0);
        // "&Neu..." closed with "&Abbruch" still reloads and selects the first entry.
        strips->setCurrentRow(1);
        window->Command1_Click(3);
        QCOMPARE(watcher.seen, (QStringList{u"frmNew"_s, u"frmTestStripProperties"_s}));
        QCOMPARE(strips->currentRow(), 0);

        // "&Bearbeiten..." edits the selected definition; saving reloads the list.
        strips->setCurrentRow(1);
        watcher.Next([](QDialog* dialog) {
            QCOMPARE(Find<QLineEdit>(dialog, "txtName")->text(), QStringLiteral("Compact"));
            Find<QLineEdit>(dialog, "txtName")->setText(QStringLiteral("Compact Plus"));
            Find<QPushButton>(dialog, "cmd_0")->click();
        });
        Find<QPushButton>(window.get(), "Command1_4")->click();
        QCOMPARE(ListTexts(strips), (QStringList{u"Contour"_s, u"Compact Plus"_s}));
        QCOMPARE(strips->currentRow(), 0);
        // The new name shows in the table, the tree and the list at once.
        auto* lv = Find<QTreeWidget>(window.get(), "lv");
        auto* tree = Find<QTreeWidget>(window.get(), "tvTeststrips");
        auto* list = Find<QTreeWidget>(window.get(), "lvPrescriptions");
        QCOMPARE(Column(lv, 0), (QStringList{u"Insgesamt"_s, u"davon"_s, u"Contour"_s,
                                             u"Compact Plus"_s, u"Nicht zugeordnet"_s}));
        QCOMPARE(NodeTexts(tree), (QStringList{u"K1=Contour"_s, u"K2=Compact Plus"_s}));
        QCOMPARE(Column(list, 2), (QStringList{u"Contour"_s, u"Compact Plus"_s, u"Contour"_s}));
        // A double-click edits as well.
        emit strips->itemDoubleClicked(strips->item(1));
        QCOMPARE(watcher.seen.size(), 4);

        // "&Löschen" asks; "Nein" keeps, "Ja" deletes the selected definition.
        strips->setCurrentRow(1);
        MessageBox::SetNextAnswers({MessageBox::Button::No});
        window->Command1_Click(5);
        QCOMPARE(strips->count(), 2);
        const QList<MessageBox::Record> asked = MessageBox::TakeRecords();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text,
                 QStringLiteral("Soll der Teststreifen wirklich gelöscht werden\nCompact Plus"));
        QCOMPARE(asked[0].icon, MessageBox::Icon::None);
        QCOMPARE(asked[0].buttons,
                 (QList<MessageBox::Button>{MessageBox::Button::Yes, MessageBox::Button::No}));
        MessageBox::SetNextAnswers({MessageBox::Button::Yes});
        window->Command1_Click(5);
        QCOMPARE(ListTexts(strips), QStringList{u"Contour"_s});
        QCOMPARE(strips->currentRow(), 0);
        // A deleted definition leaves the table; its prescriptions stay, without a name.
        QCOMPARE(Column(lv, 0),
                 (QStringList{u"Insgesamt"_s, u"davon"_s, u"Contour"_s, u"Nicht zugeordnet"_s}));
        QCOMPARE(NodeTexts(tree), (QStringList{u"K1=Contour"_s, u"K2="_s}));
        QCOMPARE(Column(list, 2), (QStringList{u"Contour"_s, QString(), u"Contour"_s}));

        // With nothing left: editing and deleting do nothing.
        MessageBox::SetNextAnswers({MessageBox::Button::Yes});
        window->Command1_Click(5);
        QCOMPARE(strips->count(), 0);
        // The deleted definition's readings count as not assigned.
        QCOMPARE(Column(lv, 0), (QStringList{u"Insgesamt"_s, u"Nicht zugeordnet"_s}));
        QCOMPARE(Column(lv, 1).last(), u"8"_s);
        window->Command1_Click(4);
        window->Command1_Click(5);
        QCOMPARE(MessageBox::TakeRecords().size(), 2);
        QCOMPARE(watcher.seen.size(), 4);
        QCOMPARE(strips->count(), 0);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
