#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "GuiFixture.h"
#include "app/MessageBox.h"
#include "prescriptions/NewPrescriptionDialog.h"
#include "strips/StripProperties.h"

using namespace stripstock;
using namespace stripstock::test;
using namespace Qt::StringLiterals;

class NewPrescriptionDialogTest : public QObject, public DialogTest {
    Q_OBJECT

    void AddStrips() {
        SaveStrip(ctx, 0, "Contour", "", "", {}, {});
        SaveStrip(ctx, 0, "Compact", "", "", {}, {});
    }

  private slots:
    void init() { StartHost(); }

    void refusesInput_data() {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        const QString date = u"Bitte geben Sie ein gültiges Datum ein !"_s;
        const QString amount = u"Bitte geben Sie die Menge der Teststreifen ein !"_s;
        QTest::newRow("zero date") << u"50"_s << u"30.12.1899"_s << date << u"txtDate"_s;
        QTest::newRow("date first") << u"0"_s << u"abc"_s << date << u"txtDate"_s;
        QTest::newRow("-3") << u"-3"_s << u"1.2.2010"_s << amount << u"txtAmount"_s;
        QTest::newRow("32768") << u"32768"_s << u"1.2.2010"_s << amount << u"txtAmount"_s;
    }

    void refusesInput() {
        QFETCH(QString, amount);
        QFETCH(QString, date);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        AddStrips();
        NewPrescriptionDialog dialog(ctx);
        dialog.show();
        Confirm(&dialog, amount, date);
        CheckRefusal(dialog, message, focus.toUtf8().constData());
        QCOMPARE(LastMeter(), QString());
    }

    void enterConfirmsFromFieldsAndClicksFocusedButton() {
        AddStrips();
        NewPrescriptionDialog entry(ctx);
        entry.show();
        QApplication::setActiveWindow(&entry);
        auto* amount = Find<QLineEdit>(&entry, "txtAmount");
        amount->setFocus();
        QTest::keyClicks(amount, QStringLiteral("50"));
        QTest::keyClick(amount, Qt::Key_Return);  // "&OK": the empty date is refused
        const QList<MessageBox::Record> shown = MessageBox::TakeRecords();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, u"Bitte geben Sie ein gültiges Datum ein !"_s);
        QVERIFY(entry.isVisible());
        auto* cancel = Find<QPushButton>(&entry, "Command1_1");
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
        QCOMPARE(entry.result(), int(QDialog::Rejected));
        QVERIFY(EntryTexts().isEmpty());
    }

    void storesRowAndCloses() {
        AddStrips();
        host->SetLastMeter("1");
        NewPrescriptionDialog dialog(ctx);
        QCOMPARE(dialog.objectName(), QStringLiteral("frmNew"));
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
        QCOMPARE(EntryTexts(), QStringList{u"01.02.2010  Bezug: 2x   Compact"_s});
        QCOMPARE(LastMeter(), QStringLiteral("1"));
    }

    void storageFailureKeepsTheDialogOpen() {
        AddStrips();
        ctx.engines->Withdraw("DAO.DBEngine.35");
        ctx.engines->Withdraw("DAO.DBEngine.36");
        NewPrescriptionDialog dialog(ctx);
        dialog.show();
        Confirm(&dialog, QStringLiteral("5"), QStringLiteral("1.2.2010"));
        QVERIFY(dialog.isVisible());
        const QList<MessageBox::Record> shown = MessageBox::TakeRecords();
        QCOMPARE(shown.size(), 1);
        // The message, and the cause on a second line.
        QVERIFY2(shown[0].text.startsWith(u"Die Verordnung konnte nicht gespeichert werden !\n"_s),
                 qPrintable(shown[0].text));
        QCOMPARE(LastMeter(), QString());
    }
};

QTEST_MAIN(NewPrescriptionDialogTest)
#include "NewPrescriptionDialogTest.moc"
