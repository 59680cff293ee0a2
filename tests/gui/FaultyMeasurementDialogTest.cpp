#include <QComboBox>
#include <QTest>

#include "GuiFixture.h"
#include "app/MessageBox.h"
#include "prescriptions/FaultyMeasurementDialog.h"

using namespace stripstock;
using namespace stripstock::test;
using namespace Qt::StringLiterals;

class FaultyMeasurementDialogTest : public QObject, public DialogTest {
    Q_OBJECT

  private slots:
    void init() { StartHost(); }

    void refusesInput_data() {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        const QString count = u"Bitte geben Sie die Anzahl der Fehlmessungen ein !"_s;
        QTest::newRow("abc date") << u"2"_s << u"abc"_s
                                  << u"Bitte geben Sie ein gültiges Datum ein !"_s << u"txtDate"_s;
        QTest::newRow("-2") << u"-2"_s << u"1.2.2010"_s << count << u"txtAmount"_s;
        QTest::newRow("32768") << u"32768"_s << u"1.2.2010"_s << count << u"txtAmount"_s;
    }

    void refusesInput() {
        QFETCH(QString, count);
        QFETCH(QString, date);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        FaultyMeasurementDialog dialog(ctx);
        dialog.show();
        Confirm(&dialog, count, date);
        CheckRefusal(dialog, message, focus.toUtf8().constData());
        QCOMPARE(LastMeter(), QString());
    }

    void storesNegativeAmount() {
        host->SetLastMeter("14");
        FaultyMeasurementDialog dialog(ctx);
        QCOMPARE(dialog.objectName(), QStringLiteral("frmErrors"));
        auto* meters = Find<QComboBox>(&dialog, "cbMeters");
        QCOMPARE(meters->count(), 23);
        QCOMPARE(meters->currentText(), QStringLiteral("Accu-Chek Compact"));
        dialog.show();
        Confirm(&dialog, QStringLiteral("3"), QStringLiteral("1.2.2010"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(EntryTexts(), QStringList{u"01.02.2010  Fehlmessung: 3x   Accutrend Compact"_s});
        QCOMPARE(LastMeter(), QStringLiteral("14"));
    }

    void storageFailureKeepsTheDialogOpen() {
        ctx.engines->Withdraw("DAO.DBEngine.35");
        ctx.engines->Withdraw("DAO.DBEngine.36");
        FaultyMeasurementDialog dialog(ctx);
        dialog.show();
        Confirm(&dialog, QStringLiteral("5"), QStringLiteral("1.2.2010"));
        QVERIFY(dialog.isVisible());
        const QList<MessageBox::Record> shown = MessageBox::TakeRecords();
        QCOMPARE(shown.size(), 1);
        // The message, and the cause on a second line.
        QVERIFY2(
            shown[0].text.startsWith(u"Die Fehlmessungen konnten nicht gespeichert werden !\n"_s),
            qPrintable(shown[0].text));
        QCOMPARE(LastMeter(), QString());
    }
};

QTEST_MAIN(FaultyMeasurementDialogTest)
#include "FaultyMeasurementDialogTest.moc"
