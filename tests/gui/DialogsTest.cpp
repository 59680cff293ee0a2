#include "GuiFixture.h"
#include "prescriptions/FaultyMeasurementDialog.h"
#include "prescriptions/LedgerListDialog.h"
#include "prescriptions/LedgerStore.h"
#include "prescriptions/NewPrescriptionDialog.h"
#include "strips/Catalogue.h"
#include "strips/StripProperties.h"
#include "strips/StripPropertiesDialog.h"

using namespace stripstock;
using namespace stripstock::test;
using namespace Qt::StringLiterals;
using Button = MessageBox::Button;

// The dialogs the main window opens, each on a fresh host with its diary open.
class DialogsTest : public QObject, public GuiTest {
    Q_OBJECT

    void AddStrips() {
        SaveStrip(m_ctx, 0, "Contour", "", "", {}, {});
        SaveStrip(m_ctx, 0, "Compact", "", "", {}, {});
    }
    std::vector<ListEntry> Strips() { return LoadStripList(m_ctx, m_ctx.StripDbPath); }

  private slots:
    void init() { StartHost(); }

    // Each dialog refuses once, on its own field (the core's tests check every input's
    // message), then stores its row and closes.
    void entryDialogsRefuseInputThenStoreTheirRowAndClose() {
        AddStrips();
        m_host->SetLastMeter("1");
        NewPrescriptionDialog dialog(m_ctx);
        auto* strips = Find<QComboBox>(&dialog, "cbMeters");
        QCOMPARE(strips->count(), 2);
        QCOMPARE(strips->currentText(), QStringLiteral("Compact"));
        QCOMPARE(strips->currentData().toInt(), 2);
        // Tab order: amount, strip list, date, "&Abbruch", "&OK"; "&Abbruch" left of "&OK".
        QWidget* widget = Find<QWidget>(&dialog, "txtAmount");
        for (const char* name : {"cbMeters", "txtDate", "Command1_1", "Command1_0"}) {
            do {
                widget = widget->nextInFocusChain();
            } while (!(widget->focusPolicy() & Qt::TabFocus));
            QCOMPARE(widget->objectName(), QString::fromUtf8(name));
        }
        QVERIFY(Find<QWidget>(&dialog, "Command1_1")->x() <
                Find<QWidget>(&dialog, "Command1_0")->x());
        // Faulty measurements are stored as a negative amount of the meter's strips.
        m_host->SetLastMeter("14");
        FaultyMeasurementDialog faulty(m_ctx);
        auto* meters = Find<QComboBox>(&faulty, "cbMeters");
        QCOMPARE(meters->count(), 23);
        QCOMPARE(meters->currentText(), QStringLiteral("Accu-Chek Compact"));
        dialog.show();
        Confirm(&dialog, u"-3"_s, u"1.2.2010"_s);
        CheckRefusal(dialog, u"Bitte geben Sie die Menge der Teststreifen ein !"_s, "txtAmount");
        faulty.show();
        Confirm(&faulty, u"0"_s, u"abc"_s);  // the date is checked first
        CheckRefusal(faulty, u"Bitte geben Sie ein gültiges Datum ein !"_s, "txtDate");
        Confirm(&dialog, QStringLiteral("2,5"), QStringLiteral("1.2.2010"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(MessageBox::TakeRecords().isEmpty());
        QCOMPARE(EntryTexts(), QStringList{u"01.02.2010  Bezug: 2x   Compact"_s});
        QCOMPARE(m_host->LastMeter(), "1");
        Confirm(&faulty, QStringLiteral("3"), QStringLiteral("2.2.2010"));
        QCOMPARE(faulty.result(), int(QDialog::Accepted));
        QCOMPARE(EntryTexts(), (QStringList{u"02.02.2010  Fehlmessung: 3x   Accutrend Compact"_s,
                                            u"01.02.2010  Bezug: 2x   Compact"_s}));
        QCOMPARE(m_host->LastMeter(), "14");
    }

    void storageFailureKeepsEachDialogOpenWithTheCause() {
        AddStrips();
        m_ctx.engines->Withdraw("DAO.DBEngine.35");
        m_ctx.engines->Withdraw("DAO.DBEngine.36");
        NewPrescriptionDialog prescription(m_ctx);
        FaultyMeasurementDialog faulty(m_ctx);
        StripPropertiesDialog strip(m_ctx, 0);
        const std::pair<QDialog*, QString> cases[] = {
            {&prescription, u"Die Verordnung konnte nicht gespeichert werden !\n"_s},
            {&faulty, u"Die Fehlmessungen konnten nicht gespeichert werden !\n"_s},
            {&strip, u"Der Teststreifen konnte nicht gespeichert werden !\n"_s},
        };
        for (const auto& [dialog, message] : cases) {
            dialog->show();
            if (dialog == &strip) {
                strip.cmd_Click(0);
            } else {
                Confirm(dialog, u"5"_s, u"1.2.2010"_s);
            }
            QVERIFY(dialog->isVisible());
            // The message, and the cause on a second line.
            const QString shown = OnlyMessage();
            QVERIFY2(shown.startsWith(message), qPrintable(shown));
        }
    }

    void enterConfirmsFromFieldsAndClicksTheFocusedButton() {
        AddStrips();
        NewPrescriptionDialog entry(m_ctx);
        entry.show();
        QApplication::setActiveWindow(&entry);
        auto* amount = Find<QLineEdit>(&entry, "txtAmount");
        amount->setFocus();
        QTest::keyClicks(amount, QStringLiteral("50"));
        QTest::keyClick(amount, Qt::Key_Return);  // "&OK": the empty date is refused
        QCOMPARE(OnlyMessage(), u"Bitte geben Sie ein gültiges Datum ein !"_s);
        QVERIFY(entry.isVisible());
        auto* cancel = Find<QPushButton>(&entry, "Command1_1");
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
        QCOMPARE(entry.result(), int(QDialog::Rejected));
        QVERIFY(EntryTexts().isEmpty());
        LedgerListDialog list(m_ctx);
        list.show();
        QApplication::setActiveWindow(&list);
        auto* remove = Find<QPushButton>(&list, "Command1_1");
        remove->setFocus();
        QTest::keyClick(remove, Qt::Key_Return);
        QCOMPARE(MessageBox::TakeRecords().size(), 1);  // the delete question
        StripPropertiesDialog strip(m_ctx, 0);
        strip.show();
        QApplication::setActiveWindow(&strip);
        auto* name = Find<QLineEdit>(&strip, "txtName");
        name->setFocus();
        QTest::keyClicks(name, QStringLiteral("Neu"));
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(strip.result(), int(QDialog::Accepted));
        QCOMPARE(Strips().back().text, std::string("Neu"));
    }

    void ledgerListShowsAddsAndDeletes() {
        AppendLedgerRow(m_ctx, Day(2010, 2, 1), 24, -2);
        AppendLedgerRow(m_ctx, Day(2010, 2, 3), 0, 50);
        LedgerListDialog dialog(m_ctx);
        auto* list = Find<QListWidget>(&dialog, "List1");
        QCOMPARE(ListTexts(list),
                 (QStringList{u"03.02.2010  Bezug: 50x   "_s,
                              u"01.02.2010  Fehlmessung: 2x   Accutrend Compact"_s}));
        dialog.show();
        ModalWatcher watcher;
        watcher.Ignore(&dialog);
        watcher.Next([](QDialog* nested) {
            Confirm(nested, QStringLiteral("10"), QStringLiteral("5.2.2010"));
        });
        dialog.Command1_Click(0);
        QCOMPARE(watcher.seen, QStringList{u"frmNew"_s});
        QCOMPARE(list->count(), 3);
        // Without a selection "Ja" deletes nothing; "Nein" keeps the selected entry.
        list->clearSelection();
        MessageBox::SetNextAnswers({Button::Yes, Button::No, Button::Yes});
        dialog.Command1_Click(1);
        QCOMPARE(list->count(), 3);
        list->setCurrentRow(2);
        dialog.Command1_Click(1);
        QCOMPARE(list->count(), 3);
        list->setCurrentRow(2);
        dialog.Command1_Click(1);
        QCOMPARE(list->count(), 2);
        QVERIFY(list->item(1)->text().startsWith(QStringLiteral("03.02.2010")));
        const QList<MessageBox::Record> asked = MessageBox::TakeRecords();
        QCOMPARE(asked.size(), 3);
        QCOMPARE(asked[0].text, QStringLiteral("Soll der Eintrag wirklich gelöscht werden ?"));
        QCOMPARE(asked[0].buttons, (QList<Button>{Button::Yes, Button::No}));
        QCOMPARE(asked[0].icon, MessageBox::Icon::None);
        dialog.Command1_Click(2);
        QCOMPARE(dialog.isVisible(), false);
    }

    void stripPropertiesRoundTrip() {
        m_host->AddModule("A", "0", "COM1|9600|8N1|3", "Omnitest Sensor");
        m_host->AddModule("B", "0", "COM1|9600|8N1|30", "InDUO");
        m_host->AddModule("C", "0", "COM1|9600|8N1|12", "Accu-Chek Sensor");
        StripPropertiesDialog created(m_ctx, 0);
        auto* meters = Find<QListWidget>(&created, "lbMeters");
        QCOMPARE(meters->count(), 3);
        QCOMPARE(meters->item(1)->data(Qt::UserRole).toInt(), 30);
        const char* const fields[] = {"txtName", "txtManufacturer", "txtPZN"};
        const QStringList texts{u"Teststreifen Ä"_s, u"Hersteller"_s, u"0815"_s};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(Find<QLineEdit>(&created, fields[i])->text(), QString());
            QCOMPARE(Find<QLineEdit>(&created, fields[i])->maxLength(), 255);
            Find<QLineEdit>(&created, fields[i])->setText(texts[i]);
        }
        meters->item(2)->setSelected(true);
        meters->item(1)->setSelected(true);
        created.show();
        Find<QPushButton>(&created, "cmd_0")->click();
        QCOMPARE(created.result(), int(QDialog::Accepted));
        QCOMPARE(Strips().size(), std::size_t{1});
        QCOMPARE(Strips()[0].text, std::string("Teststreifen Ä"));
        StripPropertiesDialog edited(m_ctx, Strips()[0].itemData);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(Find<QLineEdit>(&edited, fields[i])->text(), texts[i]);
            // Loaded texts show from their start, however long.
            QCOMPARE(Find<QLineEdit>(&edited, fields[i])->cursorPosition(), 0);
        }
        auto* loaded = Find<QListWidget>(&edited, "lbMeters");
        QVERIFY(!loaded->item(0)->isSelected());  // code 3 is not taken for 30
        QVERIFY(loaded->item(1)->isSelected());
        QVERIFY(loaded->item(2)->isSelected());
        // "&Abbruch" keeps the stored definition.
        Find<QLineEdit>(&edited, "txtName")->setText(QStringLiteral("changed"));
        edited.show();
        Find<QPushButton>(&edited, "cmd_1")->click();
        QCOMPARE(edited.result(), int(QDialog::Rejected));
        QCOMPARE(Strips()[0].text, std::string("Teststreifen Ä"));
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
