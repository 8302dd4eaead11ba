#pragma once

#include <QString>

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
    QString askSaveFileName(QWidget* parent);

    const QString& lastFileName() const { return m_lastFileName; }

private:
    QString m_lastFileName;

public:
    // The appearance dialogs (file_controler_appearance.cpp): the choice, or nothing on cancel.
    std::optional<FontChoice> askFont(QWidget* parent, const FontChoice& start);
    std::optional<QColor> askColor(QWidget* parent, const QColor& start);
};
