#include "platform/launcher.h"

#include <QCoreApplication>
#include <QProcess>

namespace platform {
namespace {
StartDetachedFn& override()
{
    static StartDetachedFn fn;
    return fn;
}
}

bool startDetached(const QString& program, const QStringList& arguments)
{
    return startDetached(program, arguments, nullptr);
}

bool startDetached(const QString& program, const QStringList& arguments, qint64* pid)
{
    if (override())
        return override()(program, arguments, pid);
    return QProcess::startDetached(program, arguments, QString(), pid);
}

void setStartDetachedForTesting(StartDetachedFn fn)
{
    override() = std::move(fn);
}

QString runningExecutable()
{
    return QCoreApplication::applicationFilePath();
}

bool startSecondEditor(const QString& path, int line)
{
    // One argument for the file, no shell: the new process reads it as its whole command line.
    QStringList arguments;
    if (line > 0)
        arguments << QStringLiteral("--line") << QString::number(line);
    arguments << path + QStringLiteral(" on");
    return startDetached(runningExecutable(), arguments);
}

}
