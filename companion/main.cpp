// user.exe: the companion tag editor, started by the editor with where its window ends.
#include "app/application.h"
#include "companion/companion_window.h"
#include "companion/placement.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char* argv[])
{
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
