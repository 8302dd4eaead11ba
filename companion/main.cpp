// user.exe: the companion tag editor, started by the editor with where its window ends.
#include "ui/application.h"
#include "companion/companion_window.h"
#include "companion/placement.h"

#include <QApplication>
#include <QScreen>

#include <csignal>

int main(int argc, char* argv[])
{
    // Past a file-size limit (ulimit -f) a write then fails with EFBIG, which a save reports,
    // instead of the signal ending the program with the user's edits.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    prepareApplication(app);
    app.setApplicationName(QStringLiteral("vornikedit-tags"));

    CompanionWindow window;
    const QStringList arguments = app.arguments();
    if (arguments.size() > 1) {
        if (const std::optional<QPoint> at = parsePlacement(arguments[1])) {
            QScreen* screen = QGuiApplication::screenAt(*at);
            if (!screen)
                screen = QGuiApplication::primaryScreen();
            window.move(screen ? keepOnScreen(*at, window.size(), screen->availableGeometry()) : *at);
        }
    }
    window.show();
    return app.exec();
}
