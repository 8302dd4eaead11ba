#include "app/command_line.h"

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
