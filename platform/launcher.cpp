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

}
