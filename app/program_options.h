#pragma once

#include <QString>
#include <QStringList>

// The few options the editor itself answers, decided before any window or display exists so
// that `--help` and `--version` work on a bare terminal. Everything that is not an option is
// the editor's own command line ("PATH on") and goes on to the window unchanged.
enum class StartRequest { Edit, Help, Version, UnknownOption };

struct StartDecision {
    StartRequest request = StartRequest::Edit;
    QString option; // the offending argument, for UnknownOption
};

// Takes the arguments after the program name, as the C runtime hands them over (the toolkit's
// own options such as -platform or -style still among them; they are passed over here).
// "--" ends the options: what follows is the file, whatever it looks like.
StartDecision decideStart(const QStringList& argumentsAfterProgram);

// The arguments split between the toolkit and the editor. The toolkit gets its own options
// only where they stand before the file: never an argument that ends in " on" (the editor's
// form, a path that may hold anything), nothing from the first argument that is no option
// on, nothing after "--", and nothing at all when the last word is "on" (a "PATH on" that the
// shell split). The editor's command line is the rest, less that "--".
struct SplitArguments {
    QStringList toolkit;
    QStringList editor;
};
SplitArguments splitArguments(const QStringList& argumentsAfterProgram);

// The texts printed for the decisions, in Japanese where the locale's language is Japanese.
QString usageText(bool japanese);
QString versionText();
QString unknownOptionText(const QString& option, bool japanese);
