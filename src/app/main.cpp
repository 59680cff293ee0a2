#include <QApplication>
#include <QDir>
#include <iostream>
#include <string>
#include <vector>

#include "app/GuiCommandLine.h"
#include "app/MainWindow.h"
#include "app/ProgramInfo.h"

int main(int argc, char* argv[]) {
    using stripstock::GuiCommandLine;
    // --help and --version answer before Qt looks for a display (help2man runs them at build).
    const GuiCommandLine early =
        stripstock::ParseGuiCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (early.action == GuiCommandLine::Action::Help) {
        std::cout << stripstock::GuiHelpText();
        return 0;
    }
    if (early.action == GuiCommandLine::Action::Version) {
        std::cout << stripstock::VersionLine("stripstock") << '\n';
        return 0;
    }

    QApplication app(argc, argv);
    // Parsed again without the options Qt took for itself.
    std::vector<std::string> args;
    for (const QString& arg : QCoreApplication::arguments().mid(1))
        args.push_back(arg.toStdString());
    const GuiCommandLine command = stripstock::ParseGuiCommandLine(args);
    if (command.action == GuiCommandLine::Action::UsageError) {
        std::cerr << "stripstock: " << command.error << "\n(stripstock --help shows the usage)\n";
        return 2;
    }
    stripstock::Context ctx = stripstock::MakeContext(
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString());
    ctx.diaryFile = command.diaryFile;
    const std::unique_ptr<stripstock::MainWindow> window =
        stripstock::MainWindow::Start(ctx, QString::fromStdString(command.hostCommandLine));
    if (!window) {
        return 1;
    }
    window->show();
    return app.exec();
}
