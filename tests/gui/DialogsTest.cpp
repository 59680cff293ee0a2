#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "GuiFixture.h"
#include "app/MessageBox.h"
#include "app/Startup.h"
#include "prescriptions/FaultyMeasurementDialog.h"
#include "prescriptions/LedgerList.h"
#include "prescriptions/LedgerListDialog.h"
#include "prescriptions/LedgerStore.h"
#include "prescriptions/NewPrescriptionDialog.h"
#include "strips/Catalogue.h"
#include "strips/StripProperties.h"
#include "strips/StripPropertiesDialog.h"
#include "text/OleDate.h"

using namespace stripstock;
using namespace stripstock::test;
using namespace Qt::StringLiterals;

namespace {

using Button = MessageBox::Button;

const QString kDateMessage = QStringLiteral("Bitte geben Sie ein gültiges Datum ein !");

QStringList EntryTexts(Context& ctx) {
    QStringList texts;
    for (const ListEntry& entry : FillEntryList(ctx)) {
        texts.append(QString::fromStdString(entry.text));
    }
    return texts;
}

QString LastMeter(const Context& ctx) {
    std::string value;
    ctx.registry->RegReadValue(kHkeyLocalMachine, ctx.AddonRegKey, "LastMeter", value);
    return QString::fromStdString(value);
}

// Fills the entry dialog's fields and presses "&OK".
void Confirm(QDialog* dialog, const QString& amount, const QString& date) {
    Find<QLineEdit>(dialog, "txtAmount")->setText(amount);
    Find<QLineEdit>(dialog, "txtDate")->setText(date);
    Find<QPushButton>(dialog, "Command1_0")->click();
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<GuiHost> m_host;
    Context m_ctx;
    std::vector<ListEntry> m_stripList;

    void AddStrips() {
        SaveStrip(m_ctx, 0, "Contour", "", "", {}, {});
        SaveStrip(m_ctx, 0, "Compact", "", "", {}, {});
        m_stripList = LoadStripList(m_ctx, m_ctx.StripDbPath);
    }

    // The entry dialogs' refusals: message in a plain OK box, focus on the field, still open.
    void CheckRefusal(EntryDialog& dialog, const QString& message, const char* focusName) {
        dialog.show();
        const QList<MessageBox::Record> shown = MessageBox::TakeRecords();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, message);
        QCOMPARE(shown[0].title, QStringLiteral("Teststreifenverwaltung"));
        QCOMPARE(shown[0].icon, MessageBox::Icon::None);
        QCOMPARE(shown[0].buttons, QList<Button>{Button::Ok});
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        QCOMPARE(dialog.focusWidget(), Find<QWidget>(&dialog, focusName));
        QVERIFY(EntryTexts(m_ctx).isEmpty());
    }

  private slots:
    void init() {
        MessageBox::SetTestMode(true);
        m_host = std::make_unique<GuiHost>();
        m_host->OpenDiary();
        m_ctx = m_host->MakeCtx();
        QVERIFY(!RunStartup(m_ctx, "").refused);
    }

    void entryDialogsRefuseInput_data() {
        QTest::addColumn<bool>("faulty");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        const QString amountMessage =
            QStringLiteral("Bitte geben Sie die Menge der Teststreifen ein !");
        const QString countMessage =
            QStringLiteral("Bitte geben Sie die Anzahl der Fehlmessungen ein !");
        QTest::newRow("empty date") << false << u"50"_s << u""_s << kDateMessage << u"txtDate"_s;
        QTest::newRow("abc date") << false << u"50"_s << u"abc"_s << kDateMessage << u"txtDate"_s;
        QTest::newRow("zero date")
            << false << u"50"_s << u"30.12.1899"_s << kDateMessage << u"txtDate"_s;
        QTest::newRow("date first") << false << u"0"_s << u"abc"_s << kDateMessage << u"txtDate"_s;
        QTest::newRow("0") << false << u"0"_s << u"1.2.2010"_s << amountMessage << u"txtAmount"_s;
        QTest::newRow("-3") << false << u"-3"_s << u"1.2.2010"_s << amountMessage << u"txtAmount"_s;
        QTest::newRow("abc") << false << u"abc"_s << u"1.2.2010"_s << amountMessage
                             << u"txtAmount"_s;
        QTest::newRow("empty") << false << u""_s << u"1.2.2010"_s << amountMessage
                               << u"txtAmount"_s;
        QTest::newRow("32768") << false << u"32768"_s << u"1.2.2010"_s << amountMessage
                               << u"txtAmount"_s;
        QTest::newRow("faulty abc date")
            << true << u"2"_s << u"abc"_s << kDateMessage << u"txtDate"_s;
        QTest::newRow("faulty -2")
            << true << u"-2"_s << u"1.2.2010"_s << countMessage << u"txtAmount"_s;
        QTest::newRow("faulty 32768")
            << true << u"32768"_s << u"1.2.2010"_s << countMessage << u"txtAmount"_s;
    }

    void entryDialogsRefuseInput() {
        QFETCH(bool, faulty);
        QFETCH(QString, amount);
        QFETCH(QString, date);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        AddStrips();
        std::unique_ptr<EntryDialog> dialog;
        if (faulty) {
            dialog = std::make_unique<FaultyMeasurementDialog>(m_ctx);
        } else {
            dialog = std::make_unique<NewPrescriptionDialog>(m_ctx);
        }
        dialog->show();
        Confirm(dialog.get(), amount, date);
        CheckRefusal(*dialog, message, focus.toUtf8().constData());
        QCOMPARE(LastMeter(m_ctx), QString());
    }

    void enterConfirmsFromFieldsAndClicksFocusedButton() {
        AddStrips();
        NewPrescriptionDialog entry(m_ctx);
        entry.show();
        QApplication::setActiveWindow(&entry);
        auto* amount = Find<QLineEdit>(&entry, "txtAmount");
        amount->setFocus();
        QTest::keyClicks(amount, QStringLiteral("50"));
        QTest::keyClick(amount, Qt::Key_Return);  // "&OK": the empty date is refused
        const QList<MessageBox::Record> shown = MessageBox::TakeRecords();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, kDateMessage);
        QVERIFY(entry.isVisible());
        auto* cancel = Find<QPushButton>(&entry, "Command1_1");
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
        QCOMPARE(entry.result(), int(QDialog::Rejected));
        QVERIFY(EntryTexts(m_ctx).isEmpty());

        StripPropertiesDialog strip(m_ctx, 0);
        strip.show();
        QApplication::setActiveWindow(&strip);
        auto* name = Find<QLineEdit>(&strip, "txtName");
        name->setFocus();
        QTest::keyClicks(name, QStringLiteral("Neu"));
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(strip.result(), int(QDialog::Accepted));
        m_stripList = LoadStripList(m_ctx, m_ctx.StripDbPath);
        QCOMPARE(m_stripList.back().text, std::string("Neu"));

        LedgerListDialog list(m_ctx);
        list.show();
        QApplication::setActiveWindow(&list);
        auto* remove = Find<QPushButton>(&list, "Command1_1");
        remove->setFocus();
        QTest::keyClick(remove, Qt::Key_Return);
        QCOMPARE(MessageBox::TakeRecords().size(), 1);  // the delete question
    }

    void newPrescriptionStoresRowAndCloses() {
        AddStrips();
        m_host->SetLastMeter("1");
        NewPrescriptionDialog dialog(m_ctx);
        QCOMPARE(dialog.objectName(), QStringLiteral("frmNew"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Neue Teststreifenverordnung... "));
        QCOMPARE(Find<QLabel>(&dialog, "Label1")->text(), QStringLiteral("Menge:"));
        QCOMPARE(Find<QLabel>(&dialog, "Label2")->text(),
                 QStringLiteral("Neue Teststreifen erhalten am:"));
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

        dialog.show();
        Confirm(&dialog, QStringLiteral("2,5"), QStringLiteral("1.2.2010"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(MessageBox::TakeRecords().isEmpty());
        QCOMPARE(EntryTexts(m_ctx).size(), 1);
        QVERIFY(EntryTexts(m_ctx)[0].startsWith(QStringLiteral("01.02.2010  Bezug: 2x   ")));
        QCOMPARE(LastMeter(m_ctx), QStringLiteral("1"));
    }

    void faultyMeasurementStoresNegativeAmount() {
        m_host->SetLastMeter("14");
        FaultyMeasurementDialog dialog(m_ctx);
        QCOMPARE(dialog.objectName(), QStringLiteral("frmErrors"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Fehlmessungen eingeben"));
        QCOMPARE(Find<QLabel>(&dialog, "Label2")->text(),
                 QStringLiteral("Fehlmessunge(n) erfolgte(n) am:"));
        auto* meters = Find<QComboBox>(&dialog, "cbMeters");
        QCOMPARE(meters->count(), 23);
        QCOMPARE(meters->currentText(), QStringLiteral("Accu-Chek Compact"));
        dialog.show();
        Confirm(&dialog, QStringLiteral("3"), QStringLiteral("1.2.2010"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(EntryTexts(m_ctx).size(), 1);
        QVERIFY(EntryTexts(m_ctx)[0].startsWith(u"01.02.2010  Fehlmessung: 3x   "_s));
        QCOMPARE(LastMeter(m_ctx), QStringLiteral("14"));
    }

    void storageFailuresKeepDialogsOpen() {
        AddStrips();
        m_ctx.engines->Withdraw("DAO.DBEngine.35");
        m_ctx.engines->Withdraw("DAO.DBEngine.36");
        const struct {
            std::unique_ptr<EntryDialog> dialog;
            QString message;
        } cases[] = {
            {std::make_unique<NewPrescriptionDialog>(m_ctx),
             QStringLiteral("Die Verordnung konnte nicht gespeichert werden !")},
            {std::make_unique<FaultyMeasurementDialog>(m_ctx),
             QStringLiteral("Die Fehlmessungen konnten nicht gespeichert werden !")},
        };
        for (const auto& entry : cases) {
            entry.dialog->show();
            Confirm(entry.dialog.get(), QStringLiteral("5"), QStringLiteral("1.2.2010"));
            QVERIFY(entry.dialog->isVisible());
            const QList<MessageBox::Record> shown = MessageBox::TakeRecords();
            QCOMPARE(shown.size(), 1);
            // The message, and the cause on a second line.
            QVERIFY2(shown[0].text.startsWith(entry.message + u'\n'), qPrintable(shown[0].text));
        }
        QCOMPARE(LastMeter(m_ctx), QString());

        StripPropertiesDialog properties(m_ctx, 0);
        properties.show();
        properties.cmd_Click(0);
        QVERIFY(properties.isVisible());
        QVERIFY(MessageBox::TakeRecords().value(0).text.startsWith(
            QStringLiteral("Der Teststreifen konnte nicht gespeichert werden !\n")));
    }

    void ledgerListShowsAddsAndDeletes() {
        AppendLedgerRow(m_ctx, ToOleDate(CivilDateTime{2010, 2, 1, 0, 0, 0}), 24, -2);
        AppendLedgerRow(m_ctx, ToOleDate(CivilDateTime{2010, 2, 3, 0, 0, 0}), 0, 50);
        LedgerListDialog dialog(m_ctx);
        QCOMPARE(dialog.objectName(), QStringLiteral("frmList"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Verordnungen"));
        QCOMPARE(Find<QLabel>(&dialog, "Label1")->text(),
                 QStringLiteral("Teststreifenverordnungen"));
        // The button column from the top.
        int top = -1;
        const char* column[][2] = {{"Command1_0", "&Neu"},
                                   {"Command1_3", "&Fehlmessungen..."},
                                   {"Command1_1", "&Löschen"},
                                   {"Command1_2", "&Schliessen"}};
        auto* list = Find<QListWidget>(&dialog, "List1");
        for (const auto& button : column) {
            auto* widget = Find<QPushButton>(&dialog, button[0]);
            QCOMPARE(widget->text(), QString::fromUtf8(button[1]));
            QVERIFY(widget->y() > top && widget->x() > list->geometry().right());
            top = widget->y();
        }
        QCOMPARE(list->count(), 2);
        QVERIFY(list->item(0)->text().startsWith(QStringLiteral("03.02.2010  Bezug: 50x   ")));
        QVERIFY(list->item(1)->text().startsWith(u"01.02.2010  Fehlmessung: 2x   "_s));

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
        m_host->RegisterMeter("A", 3, "Omnitest Sensor");
        m_host->RegisterMeter("B", 30, "InDUO");
        m_host->RegisterMeter("C", 12, "Accu-Chek Sensor");
        StripPropertiesDialog created(m_ctx, 0);
        QCOMPARE(created.objectName(), QStringLiteral("frmTestStripProperties"));
        QCOMPARE(created.windowTitle(), QStringLiteral("Teststreifen"));
        // Fixed, and wider than designed only as far as a 30-character name needs.
        QCOMPARE(created.height(), 206);
        QCOMPARE(created.minimumSize(), created.maximumSize());
        QVERIFY(created.width() >= 406);
        const char* labels[] = {"Bezeichnung", "Hersteller", "PZN",
                                "Geeignet für folgende Messgeräte:"};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(created.findChild<QLabel*>(QStringLiteral("Label1_%1").arg(i))->text(),
                     QString::fromUtf8(labels[i]));
        }
        auto* meters = Find<QListWidget>(&created, "lbMeters");
        QCOMPARE(meters->count(), 3);
        QCOMPARE(meters->item(1)->data(Qt::UserRole).toInt(), 30);
        for (const char* name : {"txtName", "txtManufacturer", "txtPZN"}) {
            QCOMPARE(Find<QLineEdit>(&created, name)->text(), QString());
            QCOMPARE(Find<QLineEdit>(&created, name)->maxLength(), 255);
        }
        Find<QLineEdit>(&created, "txtName")->setText(QStringLiteral("Teststreifen Ä"));
        Find<QLineEdit>(&created, "txtManufacturer")->setText(QStringLiteral("Hersteller"));
        Find<QLineEdit>(&created, "txtPZN")->setText(QStringLiteral("0815"));
        meters->item(2)->setSelected(true);
        meters->item(1)->setSelected(true);
        created.show();
        Find<QPushButton>(&created, "cmd_0")->click();
        QCOMPARE(created.result(), int(QDialog::Accepted));
        m_stripList = LoadStripList(m_ctx, m_ctx.StripDbPath);
        QCOMPARE(m_stripList.size(), std::size_t{1});
        QCOMPARE(m_stripList[0].text, std::string("Teststreifen Ä"));

        StripPropertiesDialog edited(m_ctx, m_stripList[0].itemData);
        QCOMPARE(Find<QLineEdit>(&edited, "txtName")->text(), QStringLiteral("Teststreifen Ä"));
        QCOMPARE(Find<QLineEdit>(&edited, "txtManufacturer")->text(), QStringLiteral("Hersteller"));
        QCOMPARE(Find<QLineEdit>(&edited, "txtPZN")->text(), QStringLiteral("0815"));
        // Loaded texts show from their start, however long.
        for (const char* name : {"txtName", "txtManufacturer", "txtPZN"}) {
            QCOMPARE(Find<QLineEdit>(&edited, name)->cursorPosition(), 0);
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
        m_stripList = LoadStripList(m_ctx, m_ctx.StripDbPath);
        QCOMPARE(m_stripList[0].text, std::string("Teststreifen Ä"));
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
