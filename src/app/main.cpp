#include <QApplication>
#include <QDir>
#include <QStringList>

#include "app/MainWindow.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    stripstock::Context ctx = stripstock::MakeContext(
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString());
    const QString commandLine = QCoreApplication::arguments().mid(1).join(u' ');
    const std::unique_ptr<stripstock::MainWindow> window =
        stripstock::MainWindow::Start(ctx, commandLine);
    if (!window) {
        return 1;
    }
    window->show();
    return app.exec();
}
