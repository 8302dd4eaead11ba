#pragma once

#include "tags/template_list.h"

#include <QObject>
#include <QString>

class InsertionPoint;
class MenuSurface;
class QWidget;

// The window's user templates: TempTable, built once at start-up, and the uTemp1 commands
// that insert the files it lists into the document. `box` is hidden while a file is read.
class TemplateMenu : public QObject {
    Q_OBJECT
public:
    TemplateMenu(MenuSurface& menus, InsertionPoint& document, QWidget* box, QWidget& window);

    const TemplateTable& TempTable() const { return m_table; }
    bool isBuilt() const { return m_built; }
    void setTable(TemplateTable table);

    // Reads template/temp1.ini and lists its entries on the menu; once per window.
    void BuildTemplateMenu();

    // Replaces the selection with the text of template/`fileName`, read afresh. A file that
    // cannot be read is reported by name and leaves the document as it was; false then.
    bool InsertTemplateFile(const QString& fileName);

private:
    void uTemp1_Click(int index);

    MenuSurface& m_menus;
    InsertionPoint& m_document;
    QWidget* m_box;
    QWidget& m_window;
    TemplateTable m_table;
    bool m_built = false;
};

// The window's template menu, or null before one was made for it.
TemplateMenu* templateMenu(const QObject& window);

// The menu caption shown for an entry: long captions are cut short so the menu stays on
// the screen (the entry itself keeps its whole caption).
QString templateMenuCaption(const QString& caption);
