#pragma once

#include "text/line_ends.h"
#include "text/text_encoding.h"

#include <QMainWindow>
#include <QString>

#include <memory>
#include <optional>

class DocumentBox;
class FileControler;
class MenuSurface;
class QAction;
class QMenu;
class QTimer;
struct MarkupRow;

// The per-window state that the commands share, under the names they are known by.
struct WindowState {
    QString FilePath;  // the current file; empty while there is none
    QString HoverText; // description of the button under the mouse, shown in the title
    qint16 PanelMode = 0; // 1: general panel, 2: HTML tag panel
    QString SelRam;    // the selection read by the last wrapping command
    QString TagRam;    // the text last built for insertion
    QString LineRam;   // the line last read by a line-by-line reader
    // How the current document's file was written, so Save writes it back the same way.
    TextEncoding encoding = TextEncoding::Utf8;
    LineEnding lineEnding = LineEnding::CrLf;
    bool undecodable = false; // bytes that were valid in neither encoding
};

// Program-wide: one per process.
struct ProgramState {
    qint16 UserExeRunning = 0; // 1 while the companion tag editor is taken to be running
};
ProgramState& programState();

// HtmlE: the main window, the whole editor.
class HtmlE : public QMainWindow {
    Q_OBJECT
public:
    explicit HtmlE(QWidget* parent = nullptr);
    ~HtmlE() override;

    // The start-up sequence for the command-line text; each step goes on when the one before
    // failed. Runs before the window is shown.
    void startUp(const QString& commandLine);

    DocumentBox* editwindow() const { return m_editwindow; }
    FileControler& fileControler() const { return *m_fileControler; }
    MenuSurface& menus() const { return *m_menus; }
    WindowState& state() { return m_state; }
    const WindowState& state() const { return m_state; }
    QWidget* clientArea() const;
    QTimer* timet() const { return m_timet; }

    // Reading and replacing the selection of editwindow: every insertion goes through here.
    QString readSelection() const;
    void replaceSelection(const QString& text);
    // Runs one built-in markup row: wrap the selection, or replace it with the fixed text.
    void runMarkup(const MarkupRow& row);

    // The baseline (TxtRam): the document as last loaded or saved.
    const QString& TxtRam() const { return m_TxtRam; }
    void setBaseline(const QString& text);
    // The document as it stands becomes the baseline.
    void takeDocumentAsBaseline();
    // The same, for a command that has just loaded or saved `text` and knows it equals the
    // document: a large page is not read back out of the box.
    void takeDocumentAsBaseline(QString text);
    // The document is not empty and differs from the baseline.
    bool hasUnsavedChanges() const;

    // Puts a whole new document in the box (loading a file, New).
    void setDocument(const QString& crlfText);

    // The Save controls (SaveFiLE, SaveFileIcon, SaveMini) always change together.
    void setSaveControlsEnabled(bool enabled);

    // The timer routine: title bar, companion watch, path menu. Hover changes run it too.
    void tick();
    // After a command that changed FilePath: the title and path menu follow at once, not
    // at the next tick.
    void refreshTitle();

    // Where vornik!.ini is read and written.
    QString settingsFilePath() const;
    void writeWindowSettings();
    void applyWindowSettings();

    // Ending the program: at once, with no further close handling.
    void endProgram();

Q_SIGNALS:
    // The process is to end now; main() quits the event loop, tests watch for it.
    void endRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    void installOwnCommands();
    void Fin_Click();
    void gotoend_Click();
    // The Exit test: true when the program may end (nothing to lose, or the user said Yes).
    bool mayEnd();
    void layoutClient();
    void applyPendingOuterGeometry();

    WindowState m_state;
    QString m_TxtRam;
    mutable bool m_changedSinceBaseline = false;
    DocumentBox* m_editwindow = nullptr;
    QWidget* m_client = nullptr;
    std::unique_ptr<FileControler> m_fileControler;
    std::unique_ptr<MenuSurface> m_menus;
    QTimer* m_timet = nullptr;
    bool m_ended = false;
    // The outer frame asked for by vornik!.ini, applied once the window manager has told us
    // how thick its frame is.
    std::optional<QRect> m_pendingOuter;
};
