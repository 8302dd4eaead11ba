#include "app/application.h"
#include "app/command_line.h"
#include "app/main_window.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    prepareApplication(app);

    HtmlE window;
    QObject::connect(&window, &HtmlE::endRequested, &app, [] { QCoreApplication::exit(0); },
                     Qt::QueuedConnection);
    window.startUp(joinCommandLine(app.arguments().mid(1)));
    window.show();
    return app.exec();
}
