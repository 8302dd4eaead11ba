#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The editor is started with "PATH on": the file path, a blank and the two letters "on".
// The path is taken unchanged (it may hold blanks), so a shell splitting it into several
// words does not matter: the words are joined again with single blanks.
QString joinCommandLine(const QStringList& argumentsAfterProgram);

// The file to load for a command-line text, if it names one: the path before a final blank
// and "on" (the test is exact: "ON" does not count), or else the whole text, a path as
// people type it ("page.htm", "data.json").
std::optional<QString> commandLineFilePath(const QString& commandLine);

// The command-line text with a relative path made absolute against `currentFolder`, so the
// file keeps its place whatever the editor later hands it to (the preview, the file
// manager). Anything that names no file is returned unchanged.
QString withAbsolutePath(const QString& commandLine, const QString& currentFolder);

// `--line N`, `--line=N` or `+N` in front of the file, as other editors take them: the line (from 1)
// to put the caret on, taken out of `arguments`; 0 when none is given. A line that is not a
// positive number is taken out too and counts as none.
int takeStartLine(QStringList& arguments);
