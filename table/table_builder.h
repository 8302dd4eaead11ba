#pragma once

#include "table/table_markup.h"
#include "ui/side_window.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>

class MenuSurface;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;

// hTableF: the table builder. One per process, without an owner, not modal. Twice a second
// it rebuilds TableMarkup from its fields and shows it in the preview; its transfer button
// inserts TableMarkup, never the preview's own text.
class hTableF : public SideWindow {
    Q_OBJECT
public:
    // Brings the builder to the front, loading it first when it is not open.
    static hTableF* showBuilder(InsertionPoint& target);
    // The open builder, or null.
    static hTableF* instance();

    ~hTableF() override;

    const QString& TableMarkup() const { return m_TableMarkup; }
    // The timer's work, callable at once.
    void CSView_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    friend class SideWindow;
    explicit hTableF(InsertionPoint& target);
    void buildControls();
    void fitAlignmentList();
    void Form_Load();
    void C_Click(int index);
    void Tcpy_Click();
    void showPreview();
    void showClampNote(bool rowsClamped, bool columnsClamped);

    QLineEdit* m_ttn = nullptr;
    QLineEdit* m_tyn = nullptr;
    // The value fields of the six attributes: five text boxes and the drop-down ta.
    std::array<QWidget*, kTableAttributeCount> m_fields{};
    std::array<QCheckBox*, kTableAttributeCount> m_C{};
    QComboBox* m_ta = nullptr;
    QPlainTextEdit* m_TableCopyString = nullptr;
    QLabel* m_countNote = nullptr;
    QTimer* m_CSView = nullptr;
    QString m_TableMarkup;
    // The preview is rewritten only when it no longer shows TableMarkup.
    QString m_previewShows;
    bool m_previewEdited = false;
    bool m_rowsClamped = false;
    bool m_columnsClamped = false;
};

// The table item (and the toolbar button that triggers it) opens the builder.
void installTableCommands(MenuSurface& menus, InsertionPoint& target);
