#pragma once

#include <QMainWindow>
#include <QString>

#include <memory>
#include <optional>

class Document;
class DocumentBox;
class FileControler;
class InsertionPoint;
class MenuSurface;
class RecoveryKeeper;
class QTimer;
class TemplateMenu;
class Toolbar;
struct MarkupRow;

// What the window itself keeps, under the names the commands know it by.
struct WindowState {
    QString HoverText; // description of the button under the mouse, shown in the title
    QString SelRam;    // the selection read by the last wrapping command
};

// HtmlE: the main window. It assembles the document, its box, the menus and the areas that
// work on them; each area gets only the parts it needs.
class HtmlE : public QMainWindow {
    Q_OBJECT
public:
    explicit HtmlE(QWidget* parent = nullptr);
    ~HtmlE() override;

    // The start-up sequence for the command-line text; each step goes on when the one before
    // failed. Runs before the window is shown.
    // `line` (from 1): where the caret starts in the file named; 0 for the top.
    void startUp(const QString& commandLine, int line = 0);

    Document& document() const { return *m_document; }
    DocumentBox* editwindow() const { return m_editwindow; }
    InsertionPoint& insertion() const { return *m_insertion; }
    FileControler& fileControler() const { return *m_fileControler; }
    MenuSurface& menus() const { return *m_menus; }
    Toolbar& toolbar() const { return *m_toolbar; }
    WindowState& state() { return m_state; }
    const WindowState& state() const { return m_state; }
    QWidget* clientArea() const;
    QTimer* timet() const { return m_timet; }

    // Runs one built-in markup row: wrap the selection, or replace it with the fixed text.
    void runMarkup(const MarkupRow& row);

    // The document is not empty and differs from the baseline.
    bool hasUnsavedChanges() const;
    // Puts a whole new document in the box (loading a file, New).
    void setDocument(const QString& crlfText);
    // Loads a file as the current document; false when it cannot be read.
    bool loadFile(const QString& path);

    // The timer routine: title bar, companion watch, path menu. Hover changes run it too.
    void tick();

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
    void installAreas();
    void describeHover(const QString& description);
    void Fin_Click();
    void gotoend_Click();
    // The Exit test: true when the program may end (nothing to lose, or the user said Yes).
    bool mayEnd();
    void layoutClient();
    void applyPendingOuterGeometry();

    WindowState m_state;
    Document* m_document = nullptr;
    DocumentBox* m_editwindow = nullptr;
    InsertionPoint* m_insertion = nullptr;
    QWidget* m_client = nullptr;
    std::unique_ptr<FileControler> m_fileControler;
    std::unique_ptr<MenuSurface> m_menus;
    Toolbar* m_toolbar = nullptr;
    TemplateMenu* m_templates = nullptr;
    RecoveryKeeper* m_recovery = nullptr;
    QTimer* m_timet = nullptr;
    bool m_ended = false;
    // The outer frame asked for by vornik!.ini, applied once the window manager has told us
    // how thick its frame is.
    std::optional<QRect> m_pendingOuter;
};
