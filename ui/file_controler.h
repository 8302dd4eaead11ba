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

    // The chosen path, or empty on cancel.
    QString askOpenFileName(QWidget* parent);
    // The save dialog does not ask about replacing a file: the Save As command always asks
    // itself, whoever chose the name.
    QString askSaveFileName(QWidget* parent);

    const QString& lastFileName() const { return m_lastFileName; }

    enum class DialogKind { Open, Save };
    // Tests answer the dialogs through this function (handed the kind and the remembered
    // name) instead of showing them; an empty function restores the real dialogs.
    using DialogFn = std::function<QString(DialogKind, const QString& lastFileName)>;
    static void setDialogForTesting(DialogFn fn);

private:
    QString ask(QWidget* parent, DialogKind kind);

    QString m_lastFileName;

public:
    // The appearance dialogs (file_controler_appearance.cpp): the choice, or nothing on cancel.
    std::optional<FontChoice> askFont(QWidget* parent, const FontChoice& start);
    std::optional<QColor> askColor(QWidget* parent, const QColor& start);
};
