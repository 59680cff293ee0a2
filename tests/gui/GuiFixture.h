#pragma once

#include <QApplication>
#include <QDialog>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "host/Context.h"
#include "host/Registry.h"

namespace stripstock::test {

// A host in a temporary folder: registry store, diary and the program folder, and a context
// over them with a fixed clock (1.3.2010 12:00).
class GuiHost {
  public:
    GuiHost();

    std::string Path(const char* name) const;
    // The diary meier.vld of Erika Mustermann, registered as open in the host.
    void OpenDiary();
    void SetLastMeter(const std::string& value);
    void RegisterMeter(const std::string& name, int code, const std::string& desc);
    Context MakeCtx() const;

    QTemporaryDir dir;
    std::shared_ptr<Registry> registry;
    std::string diary;
};

template <class T>
T* Find(const QObject* root, const char* name) {
    return root->findChild<T*>(QString::fromUtf8(name));
}

// Answers the modal dialogs that exec() shows while it lives: each queued step runs on the
// dialog that is on top at that moment; without a step the dialog is rejected. Dialogs a test
// shows itself are ignored.
class ModalWatcher : public QObject {
  public:
    ModalWatcher();
    void Next(std::function<void(QDialog*)> step);
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
