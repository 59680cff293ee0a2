#pragma once

// The widgets the tests look into come with the fixture.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "host/Context.h"
#include "prescriptions/EntryDialog.h"
#include "support/TestHost.h"

namespace stripstock::test {

template <class T>
T* Find(const QObject* root, const char* name) {
    return root->findChild<T*>(QString::fromUtf8(name));
}

// Fills an entry dialog's fields and presses "&OK".
void Confirm(QDialog* dialog, const QString& amount, const QString& date);

// The cells of one row, of the header, of one column; the rows of a list.
QStringList RowTexts(const QTreeWidget* list, int row);
QStringList HeaderTexts(const QTreeWidget* list);
QStringList Column(const QTreeWidget* list, int column);
QStringList ListTexts(const QListWidget* list);
// The strip tree's nodes below "Alle" as "K<ID>=<name>".
QStringList NodeTexts(const QTreeWidget* tree);
// Clicks a tree's node with the mouse.
void ClickNode(QTreeWidget* tree, QTreeWidgetItem* node);
// The text of the one message recorded since the last take; when there were none or several,
// how many, so that a comparison with the expected text fails.
QString OnlyMessage();

// What the test functions share: message boxes are recorded instead of shown, and each function
// gets a fresh host with a context on it.
class GuiTest {
  protected:
    // Call one of them from the test's init(); StartHost also opens the diary and runs the
    // program's start-up on it.
    void NewHost();
    void StartHost();
    // The window started on the host as it is now and shown; nullptr when the start was refused.
    std::unique_ptr<MainWindow> Start();
    // The ledger list's texts, newest first.
    QStringList EntryTexts();
    // An entry dialog's refusal: the message in a plain OK box, the focus on the field, the
    // dialog still open and nothing stored.
    void CheckRefusal(EntryDialog& dialog, const QString& message, const char* focusName);

    std::unique_ptr<TestHost> m_host;
    Context m_ctx;
};

// Answers the modal dialogs that exec() shows while it lives: each queued step runs on the
// dialog that is on top at that moment; without a step the dialog is rejected. Dialogs a test
// shows itself are ignored.
class ModalWatcher : public QObject {
  public:
    ModalWatcher();
    void Next(std::function<void(QDialog*)> step) { m_steps.append(std::move(step)); }
    void Ignore(QDialog* dialog) { m_ignored.append(dialog); }
    // objectNames of the dialogs met, in order.
    QStringList seen;

  private:
    void Poll();

    QTimer m_timer;
    QList<std::function<void(QDialog*)>> m_steps;
    QList<QDialog*> m_ignored;
};

}  // namespace stripstock::test
