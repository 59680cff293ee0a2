#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "GuiFixture.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "prescriptions/LedgerList.h"
#include "prescriptions/LedgerListDialog.h"
#include "prescriptions/NewPrescriptionDialog.h"
#include "strips/StripPropertiesDialog.h"
#include "tools/HostSim.h"

using namespace stripstock;
using namespace stripstock::test;
using namespace Qt::StringLiterals;
using Button = MessageBox::Button;

namespace {

const QString kLongName = u"Accu-Chek Compact Teststreifen"_s;  // 30 characters

// An open diary with definitions 1 (kLongName, meter 24) and 2 ("Contour", meter 33), one
// prescription of each, readings of both meters.
void SeedLedger(TestHost& host) {
    host.OpenDiary();
    host.AddModule("COMPACT", "0", "COM1|9600|8N1|24", "Accu-Chek Compact");
    host.AddModule("CONTOUR", "0", "COM1|9600|8N1|33", "Ascensia CONTOUR");
    host.CreateCompanion();
    host.AddStrip(kLongName.toStdString(), "|24|", "Roche", "111");
    host.AddStrip("Contour", "|33|", "Ascensia", "222");
    host.AddLedger(Day(2010, 2, 1), 1, 50);
    host.AddLedger(Day(2010, 2, 15), 2, 25);
    host.AddReadings(24, Day(2010, 2, 10), 5);
    host.AddReadings(33, Day(2010, 2, 11), 3);
}

// Where the program keeps the window's placement.
const std::string kPlacementKey =
    hostsim::HostRegKeyFor(hostsim::kDefaultHostKey) + "\\bonus\\TestStrip";

bool InSight(const QWidget* widget, const QWidget* root) {
    return widget->isVisibleTo(root) &&
           root->rect().intersects(QRect(widget->mapTo(root, QPoint(0, 0)), widget->size()));
}

// Every label and button of root in sight shows its whole text.
void CheckNothingCutOff(const QWidget* root) {
    for (const QLabel* label : root->findChildren<QLabel*>()) {
        if (!InSight(label, root) || label->text().isEmpty()) continue;
        const int needed =
            label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
        QVERIFY2(label->height() >= needed,
                 qPrintable(label->objectName() + u' ' + QString::number(label->height()) + u' ' +
                            QString::number(needed)));
        if (!label->wordWrap()) {
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
        }
    }
    for (const QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        if (!InSight(button, root) || button->text().isEmpty()) continue;
        const QSize needed = button->sizeHint();
        QVERIFY2(button->width() >= needed.width() && button->height() >= needed.height(),
                 qPrintable(button->objectName()));
    }
}

}  // namespace

class WindowUsabilityTest : public QObject, public WindowTest {
    Q_OBJECT

  private:
    std::unique_ptr<MainWindow> StartSeeded() {
        SeedLedger(*m_host);
        return Start();
    }

  private slots:
    void init() { NewHost(); }

    // 2. The prescriptions tab's buttons.
    void ledgerAndFaultyMeasurementsOpenTheirDialogsOwnedByTheWindow() {
        const auto window = StartSeeded();
        QVERIFY(window);
        QSignalSpy refreshed(window.get(), &MainWindow::viewsRefreshed);
        QWidgetList owners;
        ModalWatcher watcher;
        // In the ledger: delete the newest entry (the prescription of 25), then close.
        watcher.Next([&owners](QDialog* dialog) {
            owners.append(dialog->parentWidget());
            QVERIFY(dialog->isModal());
            Find<QListWidget>(dialog, "List1")->setCurrentRow(0);
            MessageBox::SetNextAnswers({Button::Yes});
            Find<QPushButton>(dialog, "Command1_1")->click();
            Find<QPushButton>(dialog, "Command1_2")->click();
        });
        Find<QPushButton>(window.get(), "Command1_1")->click();
        QCOMPARE(watcher.seen, QStringList{u"frmList"_s});
        QCOMPARE(refreshed.count(), 1);
        auto* list = Find<QTreeWidget>(window.get(), "lvPrescriptions");
        QCOMPARE(Column(list, 1), QStringList{u"50"_s});
        QCOMPARE(Column(Find<QTreeWidget>(window.get(), "lv"), 2).first(), u"42"_s);

        watcher.Next([&owners](QDialog* dialog) {
            owners.append(dialog->parentWidget());
            Find<QComboBox>(dialog, "cbMeters")->setCurrentIndex(14);  // "Accu-Chek Compact"
            Confirm(dialog, u"3"_s, u"20.2.2010"_s);
        });
        Find<QPushButton>(window.get(), "Command1_6")->click();
        QCOMPARE(watcher.seen, (QStringList{u"frmList"_s, u"frmErrors"_s}));
        QCOMPARE(owners, (QWidgetList{window.get(), window.get()}));
        QCOMPARE(refreshed.count(), 2);
        const std::vector<ListEntry> entries = FillEntryList(m_ctx);
        QCOMPARE(entries.size(), 2u);
        QVERIFY(QString::fromStdString(entries[0].text).contains(u"Fehlmessung: 3x"_s));
        // Not a prescription: the list keeps its row.
        QCOMPARE(list->topLevelItemCount(), 1);
    }

    void deleteRemovesTheSelectedPrescriptionAfterTheLedgersQuestion() {
        const auto window = StartSeeded();
        QVERIFY(window);
        auto* list = Find<QTreeWidget>(window.get(), "lvPrescriptions");
        auto* remove = Find<QPushButton>(window.get(), "Command1_2");

        // Nothing selected: nothing asked, nothing deleted.
        list->clearSelection();
        remove->click();
        QVERIFY(MessageBox::TakeRecords().isEmpty());

        list->setCurrentItem(list->topLevelItem(0));
        MessageBox::SetNextAnswers({Button::No});
        remove->click();
        QCOMPARE(list->topLevelItemCount(), 2);
        list->setCurrentItem(list->topLevelItem(0));
        MessageBox::SetNextAnswers({Button::Yes});
        remove->click();
        const QList<MessageBox::Record> asked = MessageBox::TakeRecords();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].text, u"Soll der Eintrag wirklich gelöscht werden ?"_s);
        QCOMPARE(asked[0].buttons, (QList<Button>{Button::Yes, Button::No}));
        QCOMPARE(Column(list, 1), QStringList{u"50"_s});
        QCOMPARE(FillEntryList(m_ctx).size(), 1u);
        // The type's only prescription is gone, and with it its node and its stock.
        QCOMPARE(Find<QTreeWidget>(window.get(), "tvTeststrips")->topLevelItem(0)->childCount(), 1);
        QCOMPARE(Column(Find<QTreeWidget>(window.get(), "lv"), 2).first(), u"42"_s);
    }

    // 3. A window that fits its content.
    void windowGrowsAndTheNamesTakeTheSpareWidth() {
        const auto window = StartSeeded();
        QVERIFY(window);
        QCOMPARE(window->size(), QSize(650, 360));
        QCOMPARE(window->minimumSize(), QSize(650, 360));
        QVERIFY(window->maximumWidth() > 650 && window->maximumHeight() > 360);
        auto* tabs = Find<QTabWidget>(window.get(), "vsTab");
        auto* lv = Find<QTreeWidget>(window.get(), "lv");
        auto* list = Find<QTreeWidget>(window.get(), "lvPrescriptions");
        auto* tree = Find<QTreeWidget>(window.get(), "tvTeststrips");
        auto* strips = Find<QListWidget>(window.get(), "lbTestStripdefs");
        const auto visit = [tabs](int tab) {
            tabs->setCurrentIndex(tab);
            QApplication::processEvents();
        };
        visit(0);
        const QSize lvBefore = lv->size();
        const int nameBefore = lv->columnWidth(0);
        visit(1);
        const int listBefore = list->width();
        const int treeBefore = tree->width();
        const int streifenBefore = list->columnWidth(2);
        visit(2);
        const QSize stripsBefore = strips->size();

        window->resize(950, 560);
        visit(0);
        QCOMPARE(lv->size(), lvBefore + QSize(300, 200));
        QCOMPARE(lv->columnWidth(0), nameBefore + 300);
        QCOMPARE(lv->columnWidth(1), 120);
        visit(1);
        QVERIFY(list->width() > listBefore && tree->width() > treeBefore);
        QCOMPARE(list->width() + tree->width(), listBefore + treeBefore + 300);
        QVERIFY(list->columnWidth(2) > streifenBefore);
        // The buttons keep to the right edge.
        auto* faulty = Find<QPushButton>(window.get(), "Command1_6");
        QVERIFY(faulty->mapTo(window.get(), QPoint(faulty->width(), 0)).x() > 950 - 40);
        visit(2);
        QCOMPARE(strips->size(), stripsBefore + QSize(300, 200));
        // The chart area stays out of sight.
        for (const char* name : {"lblChart", "Shape1_0", "picTeststrips", "cmdPic_1"}) {
            QVERIFY2(Find<QWidget>(window.get(), name)->y() >= window->height(), name);
        }

        // Numbers are right-aligned.
        for (const int alignment :
             {lv->topLevelItem(0)->textAlignment(1), lv->topLevelItem(0)->textAlignment(2),
              list->topLevelItem(0)->textAlignment(1)}) {
            QCOMPARE(alignment & Qt::AlignHorizontal_Mask, int(Qt::AlignRight));
        }

        // A width the user gives a column stays after a refresh; the names give way.
        lv->header()->resizeSection(1, 200);
        lv->header()->resizeSection(3, 150);
        list->header()->resizeSection(0, 110);
        const int nameNarrowed = lv->columnWidth(0);
        window->RefreshViews();
        QCOMPARE(lv->columnWidth(1), 200);
        QCOMPARE(lv->columnWidth(3), 150);
        QCOMPARE(lv->columnWidth(0), nameNarrowed);
        QCOMPARE(list->columnWidth(0), 110);
    }

    void placementIsRememberedAndAStoredOneCorrected() {
        m_host->OpenDiary();
        {
            const auto window = Start();
            QVERIFY(window);
            window->setGeometry(40, 50, 720, 420);
            window->close();
        }
        std::string width;
        m_host->registry->RegReadValue(kHkeyLocalMachine, kPlacementKey, "WindowWidth", width);
        QCOMPARE(width, std::string("720"));
        {
            const auto again = Start();
            QVERIFY(again);
            QCOMPARE(again->size(), QSize(720, 420));
            QCOMPARE(again->geometry().topLeft(), QPoint(40, 50));
        }

        // A size below the designed one is raised, a place off the screen ignored.
        for (const auto& [name, value] :
             {std::pair{"WindowLeft", "-5000"}, std::pair{"WindowTop", "0"},
              std::pair{"WindowWidth", "100"}, std::pair{"WindowHeight", "900"}}) {
            m_host->registry->RegWriteString(kHkeyLocalMachine, kPlacementKey, name, value);
        }
        const auto window = Start();
        QVERIFY(window);
        QCOMPARE(window->size(), QSize(650, 900));
        QVERIFY(window->x() > -5000);
    }

    void ledgerDialogGrowsEntryDialogsStayFixed() {
        SeedLedger(*m_host);
        m_ctx = m_host->MakeContext();
        m_ctx.StripDbPath = m_host->programDir + "/MEIER.VLT";
        LedgerListDialog ledger(m_ctx);
        ledger.show();
        QCOMPARE(ledger.size(), QSize(505, 277));
        QCOMPARE(ledger.minimumSize(), QSize(505, 277));
        auto* entries = Find<QListWidget>(&ledger, "List1");
        const QSize before = entries->size();
        ledger.resize(705, 377);
        QApplication::processEvents();
        QCOMPARE(entries->size(), before + QSize(200, 100));
        CheckNothingCutOff(&ledger);

        // The entry dialogs keep their size and show a 30-character strip name in full.
        m_host->SetLastMeter("0");
        NewPrescriptionDialog entry(m_ctx);
        entry.show();
        QCOMPARE(entry.minimumSize(), entry.maximumSize());
        auto* strip = Find<QComboBox>(&entry, "cbMeters");
        QCOMPARE(strip->currentText(), kLongName);
        QVERIFY(strip->width() >= strip->sizeHint().width());
        StripPropertiesDialog properties(m_ctx, 1);
        properties.show();
        QCOMPARE(properties.minimumSize(), properties.maximumSize());
        auto* name = Find<QLineEdit>(&properties, "txtName");
        QCOMPARE(name->text(), kLongName);
        const QMargins frame = name->textMargins() + QMargins(6, 0, 6, 0);
        QVERIFY2(name->fontMetrics().horizontalAdvance(kLongName) <=
                     name->contentsRect().marginsRemoved(frame).width(),
                 qPrintable(QString::number(name->width())));
        // The fields right of the name keep their order and stay inside the dialog.
        auto* pzn = Find<QLineEdit>(&properties, "txtPZN");
        QVERIFY(Find<QLineEdit>(&properties, "txtManufacturer")->x() > name->geometry().right());
        QVERIFY(pzn->geometry().right() < properties.width());
        CheckNothingCutOff(&properties);
    }

    // 4. Empty and first-run states.
    void firstRunHintsAndGoesOnceADefinitionExists() {
        m_host->OpenDiary();
        const auto window = Start();
        QVERIFY(window);
        auto* hint = Find<QLabel>(window.get(), "lblHint");
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->text(),
                 u"Legen Sie unter „Teststreifen“ Ihre Teststreifen an und "
                 u"erfassen Sie unter „Verordnungen“ die erhaltenen Packungen."_s);
        auto* lv = Find<QTreeWidget>(window.get(), "lv");
        QVERIFY(hint->y() > lv->geometry().bottom());

        // "&Löschen" with an empty list asks nothing.
        Find<QPushButton>(window.get(), "Command1_5")->click();
        QVERIFY(MessageBox::TakeRecords().isEmpty());

        ModalWatcher watcher;
        watcher.Next([](QDialog* dialog) {
            Find<QLineEdit>(dialog, "txtName")->setText(u"Contour"_s);
            Find<QPushButton>(dialog, "cmd_0")->click();
        });
        Find<QPushButton>(window.get(), "Command1_3")->click();
        QVERIFY(hint->isHidden());
        QCOMPARE(Find<QListWidget>(window.get(), "lbTestStripdefs")->count(), 1);
    }

    // 5. Keyboard and scale.
    void newButtonsAreReachedByTabAndAccessKey() {
        const auto window = StartSeeded();
        QVERIFY(window);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        Find<QTabWidget>(window.get(), "vsTab")->setCurrentIndex(1);
        auto* tree = Find<QTreeWidget>(window.get(), "tvTeststrips");
        tree->setFocus();
        QStringList chain;
        for (QWidget* widget = tree; chain.size() < 6; widget = widget->nextInFocusChain()) {
            if (widget->isVisible() && widget->focusPolicy() & Qt::TabFocus) {
                chain.append(widget->objectName());
            }
        }
        QCOMPARE(chain, (QStringList{u"tvTeststrips"_s, u"lvPrescriptions"_s, u"Command1_0"_s,
                                     u"Command1_1"_s, u"Command1_2"_s, u"Command1_6"_s}));
        // The chart's buttons are out of sight and out of the chain.
        QCOMPARE(Find<QWidget>(window.get(), "cmdPic_0")->focusPolicy(), Qt::NoFocus);

        // Alt+B, Alt+F open the dialogs of this tab, not the strip tab's editor.
        ModalWatcher watcher;
        // An access key clicks its button a moment later, as a mouse click would look.
        QTest::keyClick(window.get(), Qt::Key_B, Qt::AltModifier);
        QTRY_COMPARE(watcher.seen, QStringList{u"frmList"_s});
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier);
        QTRY_COMPARE(watcher.seen, (QStringList{u"frmList"_s, u"frmErrors"_s}));
        auto* list = Find<QTreeWidget>(window.get(), "lvPrescriptions");
        list->setCurrentItem(list->topLevelItem(0));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_L, Qt::AltModifier);
        QList<MessageBox::Record> asked;
        QTRY_VERIFY((asked += MessageBox::TakeRecords(), !asked.isEmpty()));
        QCOMPARE(asked[0].text, u"Soll der Eintrag wirklich gelöscht werden ?"_s);
    }

    // Run also at QT_SCALE_FACTOR 1.25 and 1.5 (see CMakeLists.txt).
    void nothingIsCutOff() {
        const auto window = StartSeeded();
        QVERIFY(window);
        auto* tabs = Find<QTabWidget>(window.get(), "vsTab");
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            QApplication::processEvents();
            CheckNothingCutOff(window.get());
        }
        auto* first = Find<QLabel>(window.get(), "Label1");
        QVERIFY(first->geometry().bottom() < Find<QLabel>(window.get(), "Label2")->y());
    }
};

QTEST_MAIN(WindowUsabilityTest)
#include "WindowUsabilityTest.moc"
