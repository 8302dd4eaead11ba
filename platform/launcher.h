#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace platform {

// Starts a program detached from us, with an argument list and no shell in between, so a
// path with blanks or quotes reaches the program as one argument.
bool startDetached(const QString& program, const QStringList& arguments);

// The same, also reporting the process id (the companion watch needs it where there is no
// X11 to look for windows in).
bool startDetached(const QString& program, const QStringList& arguments, qint64* pid);

using StartDetachedFn = std::function<bool(const QString&, const QStringList&, qint64*)>;
// Tests record launches instead of making them; an empty function restores the real one.
void setStartDetachedForTesting(StartDetachedFn fn);

// The executable that is running now (used to start a second editor).
QString runningExecutable();

// A second editor with `path` (in the editor's own "PATH on" form), its caret at the start of
// `line` when one is given. A failure to start is the caller's to ignore or tell.
bool startSecondEditor(const QString& path, int line = 0);

}
