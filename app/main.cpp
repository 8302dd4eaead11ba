#include "app/application.h"
#include "app/command_line.h"
#include "app/main_window.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

#include <csignal>

int main(int argc, char* argv[])
{
    // Past a file-size limit (ulimit -f) a write then fails with EFBIG, which a save reports,
    // instead of the signal ending the program with the user's edits.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    prepareApplication(app);
    // Lets the desktop match the window to its menu entry and icon once installed.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vornikedit.Editor"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vornikedit")));

    HtmlE window;
    QObject::connect(&window, &HtmlE::endRequested, &app, [] { QCoreApplication::exit(0); },
                     Qt::QueuedConnection);
    window.startUp(withAbsolutePath(joinCommandLine(app.arguments().mid(1)), QDir::currentPath()));
    window.show();
    return app.exec();
}
