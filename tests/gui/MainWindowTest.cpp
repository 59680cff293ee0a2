#include <QAbstractButton>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>

#include "GuiFixture.h"
#include "app/ProgramInfo.h"
#include "prescriptions/LedgerList.h"
#include "prescriptions/LedgerListDialog.h"
#include "prescriptions/NewPrescriptionDialog.h"
#include "strips/StripPropertiesDialog.h"

using namespace stripstock;
using namespace stripstock::test;
using namespace Qt::StringLiterals;
using Button = MessageBox::Button;

namespace {

const QString kLongName = u"Accu-Chek Compact Teststreifen"_s;  // 30 characters

// An open diary with definitions 1 (kLongName, meter 24) and 2 ("Contour", meter 33), one
// prescription of each, readings of both meters.
void SeedLongNames(TestHost& host) {
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
        QVERIFY2(label->height() >= needed, qPrintable(label->objectName()));
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

class MainWindowTest : public QObject, public GuiTest {
    Q_OBJECT

  private:
    std::unique_ptr<MainWindow> StartWithLongNames() {
        SeedLongNames(*m_host);
        return Start();
    }

  private slots:
    void init() { NewHost(); }

    void refusesWithoutDiary() {
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
    }

    void anEmptyDiaryShowsEveryButtonTheAboutBoxAFirstRunHintAndTheRememberedMeter() {
        m_host->OpenDiary();
        m_host->SetLastMeter("11");
        const auto window = Start();
        QVERIFY(window);
        QSignalSpy refreshed(window.get(), &MainWindow::consumptionRefreshed);
        auto* tabs = Find<QTabWidget>(window.get(), "vsTab");
        QCOMPARE((QStringList{tabs->tabText(0), tabs->tabText(1), tabs->tabText(2)}),
                 (QStringList{u"Verbrauch"_s, u"Verordnungen"_s, u"Teststreifen"_s}));
        // The meter list is hidden, and restored without a refresh.
        auto* meters = Find<QComboBox>(window.get(), "cbMeters");
        QVERIFY(meters->isHidden());
        QCOMPARE(meters->count(), 27);
        QCOMPARE(meters->currentIndex(), 11);
        QCOMPARE(meters->currentText(), u"FreeStyle Freedom"_s);
        QCOMPARE(meters->currentData().toInt(), 81);
        QCOMPARE(refreshed.count(), 0);
        for (const char* name : {"Command1_0", "Command1_1", "Command1_2", "Command1_6",
                                 "Command1_3", "Command1_4", "Command1_5"}) {
            QVERIFY2(!Find<QWidget>(window.get(), name)->isHidden(), name);
        }
        // No starting date is known: the label keeps what it shows.
        auto* startingDate = Find<QLabel>(window.get(), "lblStartingdate");
        QCOMPARE(startingDate->text(), QString());
        startingDate->setText(QStringLiteral("before"));
        emit meters->activated(3);  // a user's choice after the start-up refreshes
        QCOMPARE(refreshed.count(), 1);
        QCOMPARE(startingDate->text(), QStringLiteral("before"));
        auto* lv = Find<QTreeWidget>(window.get(), "lv");
        QCOMPARE(RowTexts(lv, 0), (QStringList{u"Insgesamt"_s, u"0"_s, u"n/a"_s, u""_s}));
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const QSize designed = window->size();
        ModalWatcher watcher;
        QString title, text;
        watcher.Next([&](QDialog* dialog) {
            title = dialog->windowTitle();
            text = qobject_cast<QMessageBox*>(dialog)->text();
            dialog->accept();
        });
        QTest::keyClick(window.get(), Qt::Key_F1);
        QTRY_COMPARE_WITH_TIMEOUT(watcher.seen.size(), 1, 5000);
        QCOMPARE(title, QStringLiteral("Info über Teststreifenverwaltung"));
        QCOMPARE(text, QString::fromStdString(AboutText()));
        // The designed window is unchanged: no menu bar, the same size.
        QVERIFY(window->findChild<QMenuBar*>() == nullptr);
        QCOMPARE(window->size(), designed);
        // The first run hints at what to do, until a definition exists.
        auto* hint = Find<QLabel>(window.get(), "lblHint");
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->text(),
                 u"Legen Sie unter „Teststreifen“ Ihre Teststreifen an und "
                 u"erfassen Sie unter „Verordnungen“ die erhaltenen Packungen."_s);
        QVERIFY(hint->y() > lv->geometry().bottom());
        watcher.Next([](QDialog* dialog) {
            Find<QLineEdit>(dialog, "txtName")->setText(u"Contour"_s);
            Find<QPushButton>(dialog, "cmd_0")->click();
        });
        Find<QPushButton>(window.get(), "Command1_3")->click();
        QVERIFY(hint->isHidden());
        QCOMPARE(Find<QListWidget>(window.get(), "lbTestStripdefs")->count(), 1);
    }

    void viewsShowTheLedgerFollowNodeClicksAndTheStripButtons() {
        // Two strip definitions (1 "Contour" for meter 33, 2 "Compact" for meter 24), one
        // prescription of each, and readings of meter 33 and of meter 7, which no definition
        // covers.
        m_host->OpenDiary();
        m_host->CreateCompanion();
        m_host->AddStrip("Contour", "|33|", "Ascensia", "111");
        m_host->AddStrip("Compact", "|24|", "Roche", "222");
        m_host->AddLedger(Day(2010, 2, 1), 1, 50);
        m_host->AddLedger(Day(2010, 2, 15), 2, 25);
        m_host->AddReadings(33, Day(2010, 2, 10), 5);
        m_host->AddReadings(7, Day(2010, 2, 11), 3);
        const auto window = Start();
        QVERIFY(window);
        auto* lv = Find<QTreeWidget>(window.get(), "lv");
        QCOMPARE(HeaderTexts(lv), (QStringList{u"Teststreifen"_s, u"Verbrauch"_s, u"Bestand"_s,
                                               u"Letzte Verordnung"_s}));
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
        ClickNode(tree, root->child(0));
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(RowTexts(list, 0), (QStringList{u"01.02.2010"_s, u"50"_s, u"Contour"_s}));
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
        // The strip tab's buttons.
        Find<QTabWidget>(window.get(), "vsTab")->setCurrentIndex(2);
        auto* strips = Find<QListWidget>(window.get(), "lbTestStripdefs");
        QCOMPARE(ListTexts(strips), (QStringList{u"Contour"_s, u"Compact"_s}));
        QCOMPARE(strips->currentRow(), 0);
        // "&Neu..." closed with "&Abbruch" still reloads and selects the first entry.
        strips->setCurrentRow(1);
        window->Command1_Click(3);
        QCOMPARE(watcher.seen,
                 (QStringList{u"frmNew"_s, u"frmNew"_s, u"frmTestStripProperties"_s}));
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
        QCOMPARE(Column(lv, 0), (QStringList{u"Insgesamt"_s, u"davon"_s, u"Contour"_s,
                                             u"Compact Plus"_s, u"Nicht zugeordnet"_s}));
        QCOMPARE(NodeTexts(tree), (QStringList{u"K1=Contour"_s, u"K2=Compact Plus"_s, u"K3="_s}));
        QCOMPARE(Column(list, 2), (QStringList{u"Compact Plus"_s, u"Compact Plus"_s}));
        // A double-click edits as well.
        emit strips->itemDoubleClicked(strips->item(1));
        QCOMPARE(watcher.seen.size(), 5);
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
        // The views follow; what a deletion leaves in them is the core's to check.
        QCOMPARE(NodeTexts(tree), (QStringList{u"K1=Contour"_s, u"K2="_s, u"K3="_s}));
        // With no definition selected, editing and deleting do nothing.
        strips->clearSelection();
        window->Command1_Click(4);
        window->Command1_Click(5);
        QCOMPARE(watcher.seen.size(), 5);
        QCOMPARE(MessageBox::TakeRecords().size(), 1);  // the question answered "Ja"
        QCOMPARE(strips->count(), 1);
    }

    void prescriptionButtonsOpenTheirDialogsAndDeleteAfterAQuestion() {
        const auto window = StartWithLongNames();
        QVERIFY(window);
        QSignalSpy refreshed(window.get(), &MainWindow::viewsRefreshed);
        auto* lv = Find<QTreeWidget>(window.get(), "lv");
        auto* list = Find<QTreeWidget>(window.get(), "lvPrescriptions");
        // Every reading belongs to a definition: nothing shows as not assigned.
        QCOMPARE(Column(lv, 0), (QStringList{u"Insgesamt"_s, u"davon"_s, kLongName, u"Contour"_s}));
        QWidgetList owners;
        ModalWatcher watcher;
        // In the ledger: delete the newest entry (the prescription of 25), then close.
        watcher.Next([&owners](QDialog* dialog) {
            owners.append(dialog->parentWidget());
            Find<QListWidget>(dialog, "List1")->setCurrentRow(0);
            MessageBox::SetNextAnswers({Button::Yes});
            Find<QPushButton>(dialog, "Command1_1")->click();
            Find<QPushButton>(dialog, "Command1_2")->click();
        });
        Find<QPushButton>(window.get(), "Command1_1")->click();
        QCOMPARE(watcher.seen, QStringList{u"frmList"_s});
        QCOMPARE(OnlyMessage(), u"Soll der Eintrag wirklich gelöscht werden ?"_s);
        QCOMPARE(refreshed.count(), 1);
        QCOMPARE(Column(list, 1), QStringList{u"50"_s});
        watcher.Next([&owners](QDialog* dialog) {
            owners.append(dialog->parentWidget());
            Find<QComboBox>(dialog, "cbMeters")->setCurrentIndex(14);  // "Accu-Chek Compact"
            Confirm(dialog, u"3"_s, u"20.2.2010"_s);
        });
        Find<QPushButton>(window.get(), "Command1_6")->click();
        QCOMPARE(watcher.seen, (QStringList{u"frmList"_s, u"frmErrors"_s}));
        QCOMPARE(owners, (QWidgetList{window.get(), window.get()}));
        QCOMPARE(refreshed.count(), 2);
        // Not a prescription: the list keeps its row.
        QCOMPARE(list->topLevelItemCount(), 1);

        // "&Löschen": nothing selected, nothing asked; then "Nein" keeps, "Ja" deletes.
        auto* remove = Find<QPushButton>(window.get(), "Command1_2");
        list->clearSelection();
        remove->click();
        QVERIFY(MessageBox::TakeRecords().isEmpty());
        list->setCurrentItem(list->topLevelItem(0));
        MessageBox::SetNextAnswers({Button::No});
        remove->click();
        QCOMPARE(list->topLevelItemCount(), 1);
        list->setCurrentItem(list->topLevelItem(0));
        MessageBox::SetNextAnswers({Button::Yes});
        remove->click();
        const QList<MessageBox::Record> asked = MessageBox::TakeRecords();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].text, u"Soll der Eintrag wirklich gelöscht werden ?"_s);
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(FillEntryList(m_ctx).size(), 1u);
        QCOMPARE(refreshed.count(), 3);
    }

    // A window that fits its content.
    void windowGrowsTheNamesTakeTheSpareWidthAndTheKeyboardReachesEveryButton() {
        const auto window = StartWithLongNames();
        QVERIFY(window);
        QCOMPARE(window->size(), QSize(650, 360));
        QCOMPARE(window->minimumSize(), QSize(650, 360));
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
        for (const char* name :
             {"lblChart", "Label4_0", "Shape1_0", "Shape1_1", "picTeststrips", "cmdPic_1"}) {
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
        // The new buttons are reached by Tab and by their access keys.
        const auto activate = [&window] {
            window->activateWindow();
            return QTest::qWaitForWindowActive(window.get());
        };
        QVERIFY(activate());
        tabs->setCurrentIndex(1);
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
        QVERIFY(activate());
        QTest::keyClick(window.get(), Qt::Key_F, Qt::AltModifier);
        QTRY_COMPARE(watcher.seen, (QStringList{u"frmList"_s, u"frmErrors"_s}));
        list->setCurrentItem(list->topLevelItem(0));
        QVERIFY(activate());
        QTest::keyClick(window.get(), Qt::Key_L, Qt::AltModifier);
        QList<MessageBox::Record> asked;
        QTRY_VERIFY((asked += MessageBox::TakeRecords(), !asked.isEmpty()));
        QCOMPARE(asked[0].text, u"Soll der Eintrag wirklich gelöscht werden ?"_s);
    }

    void dialogSizesAndTheRememberedPlacement() {
        SeedLongNames(*m_host);
        m_ctx = m_host->ctx;
        LedgerListDialog ledger(m_ctx);
        ledger.show();
        QCOMPARE(ledger.minimumSize(), QSize(505, 277));
        auto* entries = Find<QListWidget>(&ledger, "List1");
        const QSize before = entries->size();
        ledger.resize(705, 377);
        QApplication::processEvents();
        QCOMPARE(entries->size(), before + QSize(200, 100));
        CheckNothingCutOff(&ledger);
        // The entry dialogs keep their size and show a 30-character strip name in full.
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
        QVERIFY(Find<QLineEdit>(&properties, "txtManufacturer")->x() > name->geometry().right());
        QVERIFY(Find<QLineEdit>(&properties, "txtPZN")->geometry().right() < properties.width());
        CheckNothingCutOff(&properties);
        // The main window's placement is remembered between runs.
        {
            const auto window = Start();
            QVERIFY(window);
            window->setGeometry(40, 50, 720, 420);
            window->close();
        }
        {
            const auto again = Start();
            QVERIFY(again);
            QCOMPARE(again->geometry(), QRect(40, 50, 720, 420));
        }
        // A size below the designed one is raised, a place off the screen ignored.
        for (const auto& [valueName, value] :
             {std::pair{"WindowLeft", "-5000"}, std::pair{"WindowTop", "0"},
              std::pair{"WindowWidth", "100"}, std::pair{"WindowHeight", "900"}}) {
            m_host->registry->RegWriteString(kHkeyLocalMachine, m_ctx.AddonRegKey, valueName,
                                             value);
        }
        const auto window = Start();
        QVERIFY(window);
        QCOMPARE(window->size(), QSize(650, 900));
        QVERIFY(window->x() > -5000);
    }

    // Run also at QT_SCALE_FACTOR 1.25 and 1.5 (see CMakeLists.txt).
    void nothingIsCutOff() {
        const auto window = StartWithLongNames();
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

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
