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
StartDecision decideStart(const QStringList& argumentsAfterProgram);

// The texts printed for the decisions, in Japanese where the locale's language is Japanese.
QString usageText(bool japanese);
QString versionText();
QString unknownOptionText(const QString& option, bool japanese);
