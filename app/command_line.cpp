#include "app/command_line.h"

#include <QDir>

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
