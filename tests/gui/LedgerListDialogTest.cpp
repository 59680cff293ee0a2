#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "GuiFixture.h"
#include "app/MessageBox.h"
#include "prescriptions/LedgerListDialog.h"
#include "prescriptions/LedgerStore.h"

using namespace stripstock;
using namespace stripstock::test;
using namespace Qt::StringLiterals;

using Button = MessageBox::Button;

class LedgerListDialogTest : public QObject, public DialogTest {
    Q_OBJECT

  private slots:
    void init() { StartHost(); }

    void showsAddsAndDeletes() {
        AppendLedgerRow(ctx, Day(2010, 2, 1), 24, -2);
        AppendLedgerRow(ctx, Day(2010, 2, 3), 0, 50);
        LedgerListDialog dialog(ctx);
        QCOMPARE(dialog.objectName(), QStringLiteral("frmList"));
        auto* list = Find<QListWidget>(&dialog, "List1");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), u"03.02.2010  Bezug: 50x   "_s);
        QCOMPARE(list->item(1)->text(), u"01.02.2010  Fehlmessung: 2x   Accutrend Compact"_s);

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

    void enterClicksTheFocusedButton() {
        LedgerListDialog list(ctx);
        list.show();
        QApplication::setActiveWindow(&list);
        auto* remove = Find<QPushButton>(&list, "Command1_1");
        remove->setFocus();
        QTest::keyClick(remove, Qt::Key_Return);
        QCOMPARE(MessageBox::TakeRecords().size(), 1);  // the delete question
    }
};

QTEST_MAIN(LedgerListDialogTest)
#include "LedgerListDialogTest.moc"
