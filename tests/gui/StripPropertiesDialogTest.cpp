#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "GuiFixture.h"
#include "app/MessageBox.h"
#include "strips/Catalogue.h"
#include "strips/StripPropertiesDialog.h"

using namespace stripstock;
using namespace stripstock::test;
using namespace Qt::StringLiterals;

class StripPropertiesDialogTest : public QObject, public DialogTest {
    Q_OBJECT

    std::vector<ListEntry> Strips() { return LoadStripList(ctx, ctx.StripDbPath); }

  private slots:
    void init() { StartHost(); }

    void roundTrip() {
        host->AddModule("A", "0", "COM1|9600|8N1|3", "Omnitest Sensor");
        host->AddModule("B", "0", "COM1|9600|8N1|30", "InDUO");
        host->AddModule("C", "0", "COM1|9600|8N1|12", "Accu-Chek Sensor");
        StripPropertiesDialog created(ctx, 0);
        QCOMPARE(created.objectName(), QStringLiteral("frmTestStripProperties"));
        // Fixed, and wider than designed only as far as a 30-character name needs.
        QCOMPARE(created.height(), 206);
        QCOMPARE(created.minimumSize(), created.maximumSize());
        QVERIFY(created.width() >= 406);
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
        QCOMPARE(Strips().size(), std::size_t{1});
        QCOMPARE(Strips()[0].text, std::string("Teststreifen Ä"));

        StripPropertiesDialog edited(ctx, Strips()[0].itemData);
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
        QCOMPARE(Strips()[0].text, std::string("Teststreifen Ä"));
    }

    void enterSaves() {
        StripPropertiesDialog strip(ctx, 0);
        strip.show();
        QApplication::setActiveWindow(&strip);
        auto* name = Find<QLineEdit>(&strip, "txtName");
        name->setFocus();
        QTest::keyClicks(name, QStringLiteral("Neu"));
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(strip.result(), int(QDialog::Accepted));
        QCOMPARE(Strips().back().text, std::string("Neu"));
    }

    void storageFailureKeepsTheDialogOpen() {
        ctx.engines->Withdraw("DAO.DBEngine.35");
        ctx.engines->Withdraw("DAO.DBEngine.36");
        StripPropertiesDialog properties(ctx, 0);
        properties.show();
        properties.cmd_Click(0);
        QVERIFY(properties.isVisible());
        // The message, and the cause on a second line.
        QVERIFY(MessageBox::TakeRecords().value(0).text.startsWith(
            QStringLiteral("Der Teststreifen konnte nicht gespeichert werden !\n")));
    }
};

QTEST_MAIN(StripPropertiesDialogTest)
#include "StripPropertiesDialogTest.moc"
