#pragma once

#include "tags/template_list.h"

#include <QObject>
#include <QString>

class HtmlE;

// The window's user templates: TempTable, built once at start-up, and the uTemp1 commands
// that insert the files it lists.
class TemplateMenu : public QObject {
    Q_OBJECT
public:
    explicit TemplateMenu(HtmlE& window);

    const TemplateTable& TempTable() const { return m_table; }
    bool isBuilt() const { return m_built; }
    void setTable(TemplateTable table);

private:
    TemplateTable m_table;
    bool m_built = false;
};

// The window's template menu, or null before installTemplateCommands ran.
TemplateMenu* templateMenu(const HtmlE& window);

// Replaces the selection with the text of template/`fileName`, read afresh. A file that
// cannot be read is reported by name and leaves the document as it was; false then.
bool InsertTemplateFile(HtmlE& window, const QString& fileName);

// The menu caption shown for an entry: long captions are cut short so the menu stays on
// the screen (the entry itself keeps its whole caption).
QString templateMenuCaption(const QString& caption);
