#include "app/command_line.h"

#include <QDir>
#include <QRegularExpression>

QString joinCommandLine(const QStringList& argumentsAfterProgram)
{
    return argumentsAfterProgram.join(u' ');
}

std::optional<QString> commandLineFilePath(const QString& commandLine)
{
    if (commandLine.isEmpty())
        return std::nullopt;
    if (commandLine == QLatin1String("on") || commandLine.endsWith(QLatin1String(" on")))
        return commandLine.left(qMax(0, commandLine.size() - 3));
    return commandLine; // a path as people type it
}

QString withAbsolutePath(const QString& commandLine, const QString& currentFolder)
{
    const std::optional<QString> path = commandLineFilePath(commandLine);
    if (!path || path->isEmpty())
        return commandLine;
    // Always handed on in the editor's own form, so a path that ends in "on" stays whole.
    if (QDir::isAbsolutePath(*path))
        return *path + QStringLiteral(" on");
    QString relative = *path;
    while (relative.startsWith(QLatin1String("./")))
        relative.remove(0, 2);
    QString folder = currentFolder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + relative + QStringLiteral(" on");
}

int takeStartLine(QStringList& arguments)
{
    // Only in front of the file: "+3" after it, or "+3 on", may well be a file's name.
    static const QRegularExpression plusLine(QStringLiteral("^\\+[0-9]+$"));
    int line = 0;
    while (!arguments.isEmpty()) {
        const QString& a = arguments.first();
        QString value;
        qsizetype taken = 1;
        if (a == QLatin1String("--line") && arguments.size() > 1) {
            value = arguments[1];
            taken = 2;
        } else if (a.startsWith(QLatin1String("--line="))) {
            value = a.mid(7);
        } else if (plusLine.match(a).hasMatch()) {
            value = a.mid(1);
        } else {
            break;
        }
        bool ok = false;
        const int n = value.toInt(&ok);
        line = ok && n > 0 ? n : 0;
        arguments.remove(0, taken);
    }
    return line;
}
