#include "app/AboutBox.h"

#include <QKeySequence>
#include <QMessageBox>
#include <QShortcut>

#include "app/ProgramInfo.h"
#include "app/WidgetHelpers.h"

namespace stripstock {

QShortcut* InstallAboutShortcut(QWidget* window) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F1), window);
    shortcut->setObjectName(QStringLiteral("aboutShortcut"));
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, [window] { ShowAboutBox(window); });
    return shortcut;
}

void ShowAboutBox(QWidget* parent) {
    QMessageBox::about(parent, ToQt(AboutTitle()), ToQt(AboutText()));
}

}  // namespace stripstock
