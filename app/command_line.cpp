#include "app/command_line.h"

#include <QDir>

QString joinCommandLine(const QStringList& argumentsAfterProgram)
{
    return argumentsAfterProgram.join(u' ');
}

std::optional<QString> commandLineFilePath(const QString& commandLine)
{
    if (!commandLine.endsWith(QLatin1String("on")))
        return std::nullopt;
    return commandLine.left(qMax(0, commandLine.size() - 3));
}

QString withAbsolutePath(const QString& commandLine, const QString& currentFolder)
{
    const std::optional<QString> path = commandLineFilePath(commandLine);
    if (!path || path->isEmpty() || QDir::isAbsolutePath(*path))
        return commandLine;
    QString relative = *path;
    while (relative.startsWith(QLatin1String("./")))
        relative.remove(0, 2);
    QString folder = currentFolder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + relative + QStringLiteral(" on");
}
