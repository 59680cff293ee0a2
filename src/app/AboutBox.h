#pragma once

class QShortcut;
class QWidget;

namespace stripstock {

// The About box: program name, version and what it does. The designed window has no menu
// and no room for a button, so F1 opens it.
QShortcut* InstallAboutShortcut(QWidget* window);
void ShowAboutBox(QWidget* parent);

}  // namespace stripstock
