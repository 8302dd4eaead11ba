#include "ui/application.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/opened_file.h"
#include "app/program_options.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>

#include <csignal>
#include <cstdio>
#include <vector>

namespace {
// Answers --help, --version and unknown options before the toolkit looks for a display.
// Returns the exit status, or -1 when the editor is to start.
int answerOptions(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const StartDecision decision = decideStart(arguments);
    const bool japanese = QLocale::system().language() == QLocale::Japanese;
    switch (decision.request) {
    case StartRequest::Edit:
        return -1;
    case StartRequest::Help:
        std::fputs(usageText(japanese).toLocal8Bit().constData(), stdout);
        return 0;
    case StartRequest::Version:
        std::fputs(versionText().toLocal8Bit().constData(), stdout);
        return 0;
    case StartRequest::UnknownOption:
        std::fputs(unknownOptionText(decision.option, japanese).toLocal8Bit().constData(), stderr);
        return 2;
    }
    return -1;
}
}

int main(int argc, char* argv[])
{
    if (const int status = answerOptions(argc, argv); status >= 0)
        return status;
    // The toolkit sees only its own options that stand before the file: a page named
    // "-reverse" or "-display" is the editor's, not the toolkit's.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const SplitArguments split = splitArguments(arguments);
    std::vector<QByteArray> toolkitArguments{QByteArray(argv[0])};
    for (const QString& option : split.toolkit)
        toolkitArguments.push_back(option.toLocal8Bit());
    std::vector<char*> toolkitArgv;
    for (QByteArray& argument : toolkitArguments)
        toolkitArgv.push_back(argument.data());
    toolkitArgv.push_back(nullptr);
    int toolkitArgc = int(toolkitArguments.size());

    QStringList editorArguments = split.editor;
    const int line = takeStartLine(editorArguments);
    if (!editorArguments.isEmpty() && editorArguments.first() == QLatin1String("--"))
        editorArguments.removeFirst(); // "--line 3 -- -page.htm"
    const QString commandLine = withAbsolutePath(joinCommandLine(editorArguments), QDir::currentPath());
    // The page is read on another thread while the toolkit starts and the window is made.
    if (const std::optional<QString> path = commandLineFilePath(commandLine); path && QFileInfo(*path).isFile())
        openStartFileAhead(*path);

    // Past a file-size limit (ulimit -f) a write then fails with EFBIG, which a save reports,
    // instead of the signal ending the program with the user's edits.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(toolkitArgc, toolkitArgv.data());
    prepareApplication(app);
    // Lets the desktop match the window to its menu entry and icon once installed.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vornikedit.editor"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vornikedit")));

    HtmlE window;
    QObject::connect(&window, &HtmlE::endRequested, &app, [] { QCoreApplication::exit(0); },
                     Qt::QueuedConnection);
    window.startUp(commandLine, line);
    takeOpenedAhead(QString()); // not taken (the page was not opened after all): it goes
    window.show();
    return app.exec();
}
