#pragma once

#include <QString>

#include <functional>
#include <optional>

class QColor;
class QWidget;
struct FontChoice;

// FileControler: the one dialog object of the main window. It owns the file dialogs and
// remembers the last chosen file name between uses.
class FileControler {
public:
    static QString title();   // "ファイル操作"
    static QString filters(); // HTML files, text files, all files

    // The chosen path, or empty on cancel. Until a file has been chosen in them, the dialogs
    // start in the folder of `documentPath` (the current document, empty when it has none);
    // then at the file last chosen.
    QString askOpenFileName(QWidget* parent, const QString& documentPath);
    // The save dialog proposes the document's own name. It does not ask about replacing a
    // file: the Save As command always asks itself, whoever chose the name.
    QString askSaveFileName(QWidget* parent, const QString& documentPath);

    const QString& lastFileName() const { return m_lastFileName; }

    enum class DialogKind { Open, Save };
    // Tests answer the dialogs through this function (handed the kind and where the dialog
    // would start) instead of showing them; an empty function restores the real dialogs.
    using DialogFn = std::function<QString(DialogKind, const QString& start)>;
    static void setDialogForTesting(DialogFn fn);

private:
    QString ask(QWidget* parent, DialogKind kind, const QString& documentPath);
    QString startPath(DialogKind kind, const QString& documentPath) const;

    QString m_lastFileName;

public:
    // The appearance dialogs (file_controler_appearance.cpp): the choice, or nothing on cancel.
    std::optional<FontChoice> askFont(QWidget* parent, const FontChoice& start);
    std::optional<QColor> askColor(QWidget* parent, const QColor& start);
};
