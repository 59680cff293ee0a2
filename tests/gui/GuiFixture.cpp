#include "GuiFixture.h"

#include "app/Startup.h"
#include "prescriptions/LedgerList.h"

namespace stripstock::test {

void Confirm(QDialog* dialog, const QString& amount, const QString& date) {
    Find<QLineEdit>(dialog, "txtAmount")->setText(amount);
    Find<QLineEdit>(dialog, "txtDate")->setText(date);
    Find<QPushButton>(dialog, "Command1_0")->click();
}

namespace {

QStringList Cells(const QTreeWidget* list, const QTreeWidgetItem* item) {
    QStringList cells;
    for (int column = 0; column < list->columnCount(); ++column) {
        cells.append(item->text(column));
    }
    return cells;
}

}  // namespace

QStringList RowTexts(const QTreeWidget* list, int row) {
    return Cells(list, list->topLevelItem(row));
}

QStringList HeaderTexts(const QTreeWidget* list) { return Cells(list, list->headerItem()); }

QStringList Column(const QTreeWidget* list, int column) {
    QStringList cells;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        cells.append(list->topLevelItem(row)->text(column));
    }
    return cells;
}

QStringList ListTexts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        texts.append(list->item(i)->text());
    }
    return texts;
}

QStringList NodeTexts(const QTreeWidget* tree) {
    QStringList texts;
    const QTreeWidgetItem* root = tree->topLevelItem(0);
    for (int i = 0; i < root->childCount(); ++i) {
        texts.append(root->child(i)->data(0, Qt::UserRole).toString() + u'=' +
                     root->child(i)->text(0));
    }
    return texts;
}

void ClickNode(QTreeWidget* tree, QTreeWidgetItem* node) {
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
}

QString OnlyMessage() {
    const QList<MessageBox::Record> shown = MessageBox::TakeRecords();
    return shown.size() == 1 ? shown[0].text : QStringLiteral("<%1 messages>").arg(shown.size());
}

void GuiTest::NewHost() {
    MessageBox::SetTestMode(true);
    MessageBox::TakeRecords();
    m_host = std::make_unique<TestHost>();
    m_ctx = m_host->MakeContext();
}

void GuiTest::StartHost() {
    NewHost();
    m_host->OpenDiary();
    m_ctx = m_host->MakeContext();
    QVERIFY(!RunStartup(m_ctx, "").refused);
}

QStringList GuiTest::EntryTexts() {
    QStringList texts;
    for (const ListEntry& entry : FillEntryList(m_ctx)) {
        texts.append(QString::fromStdString(entry.text));
    }
    return texts;
}

void GuiTest::CheckRefusal(EntryDialog& dialog, const QString& message, const char* focusName) {
    dialog.show();
    const QList<MessageBox::Record> shown = MessageBox::TakeRecords();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, message);
    QCOMPARE(shown[0].title, QStringLiteral("Teststreifenverwaltung"));
    QCOMPARE(shown[0].icon, MessageBox::Icon::None);
    QCOMPARE(shown[0].buttons, QList<MessageBox::Button>{MessageBox::Button::Ok});
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
    QCOMPARE(dialog.focusWidget(), Find<QWidget>(&dialog, focusName));
    QVERIFY(EntryTexts().isEmpty());
}

std::unique_ptr<MainWindow> GuiTest::Start() {
    m_ctx = m_host->MakeContext();
    std::unique_ptr<MainWindow> window = MainWindow::Start(m_ctx, QString());
    if (window) {
        window->show();
    }
    return window;
}

ModalWatcher::ModalWatcher() {
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::Poll);
    m_timer.start();
}

void ModalWatcher::Poll() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || m_ignored.contains(dialog)) {
        return;
    }
    seen.append(dialog->objectName());
    if (m_steps.isEmpty()) {
        dialog->reject();
    } else {
        m_steps.takeFirst()(dialog);
    }
}

}  // namespace stripstock::test
