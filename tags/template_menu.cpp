#include "tags/template_menu.h"

#include "document/insertion_point.h"
#include "platform/optional_files.h"
#include "text/file_read.h"
#include "text/text_encoding.h"
#include "ui/menu_surface.h"
#include "ui/message_box.h"

#include <QAction>
#include <QApplication>
#include <QWidget>

namespace {

const QString kListFile = QStringLiteral("template/temp1.ini");
const QString kTemplateFolder = QStringLiteral("template/");
const QString kMissingTemplate = QStringLiteral("テンプレートファイルが見つかりません。\r");

// A list of templates is a few lines; anything this large is not one, and reading it would
// only hold up the start.
constexpr qint64 kMaxListBytes = 16 * 1024 * 1024;
constexpr qsizetype kMaxCaptionLength = 120;

// Lists written on Windows name files in subfolders with a backslash; such a name is tried
// as written first, since a Linux file name may hold a backslash itself.
FileRead readTemplateFile(const QString& fileName)
{
    if (fileName.isEmpty())
        return ReadFailure::Missing;
    if (auto bytes = readWholeFile(optionalFilePath(kTemplateFolder + fileName)))
        return bytes;
    if (!fileName.contains(u'\\'))
        return ReadFailure::Missing;
    QString slashed = fileName;
    slashed.replace(u'\\', u'/');
    return readWholeFile(optionalFilePath(kTemplateFolder + slashed));
}

// While a template is read: the busy pointer, and the document box out of sight. Both come
// back on every way out, and the focus with them.
class ReadingTemplate {
public:
    explicit ReadingTemplate(QWidget* box) : m_box(box)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_hadFocus = m_box->hasFocus();
        m_hid = !m_box->isHidden();
        if (m_hid)
            m_box->hide();
    }
    ~ReadingTemplate()
    {
        if (m_hid)
            m_box->show();
        if (m_hadFocus)
            m_box->setFocus();
        QApplication::restoreOverrideCursor();
    }
    ReadingTemplate(const ReadingTemplate&) = delete;
    ReadingTemplate& operator=(const ReadingTemplate&) = delete;

private:
    QWidget* m_box;
    bool m_hadFocus = false;
    bool m_hid = false;
};

}

TemplateMenu::TemplateMenu(MenuSurface& menus, InsertionPoint& document, QWidget* box, QWidget& window)
    : QObject(&window), m_menus(menus), m_document(document), m_box(box), m_window(window)
{
    setObjectName(QStringLiteral("TempTable"));
    m_menus.onArrayTriggered(QStringLiteral("uTemp1"), [this](int index) { uTemp1_Click(index); });
}

void TemplateMenu::uTemp1_Click(int index)
{
    // The placeholder "未定義" of an empty list has no file to insert.
    if (index < 0 || index >= m_table.rowCount())
        return;
    InsertTemplateFile(m_table.fileName(index));
    m_document.focusDocument();
}

void TemplateMenu::setTable(TemplateTable table)
{
    m_table = std::move(table);
    m_built = true;
}

TemplateMenu* templateMenu(const QObject& window)
{
    return window.findChild<TemplateMenu*>(QStringLiteral("TempTable"), Qt::FindDirectChildrenOnly);
}

QString templateMenuCaption(const QString& caption)
{
    if (caption.size() <= kMaxCaptionLength)
        return caption;
    qsizetype cut = kMaxCaptionLength - 1;
    if (caption[cut - 1].isHighSurrogate())
        --cut;
    return caption.left(cut) + QChar(0x2026);
}

void TemplateMenu::BuildTemplateMenu()
{
    // Built once per window: a changed list shows after a restart.
    if (m_built)
        return;
    const FileRead bytes = readWholeFile(optionalFilePath(kListFile), ReadCap::refuseOver(kMaxListBytes));
    if (!bytes)
        return;
    setTable(TemplateTable::parse(decodeText(*bytes).text));
    const TemplateTable& table = m_table;
    if (table.isEmpty())
        return;

    MenuSurface& menus = m_menus;
    menus.arrayItem(QStringLiteral("uTemp1"), 0)->setText(templateMenuCaption(table.caption(0)));
    for (qsizetype j = 1; j < table.elementCount(); ++j)
        menus.appendArrayItem(QStringLiteral("uTemp1"), templateMenuCaption(table.caption(j)));
}

bool TemplateMenu::InsertTemplateFile(const QString& fileName)
{
    FileRead bytes = ReadFailure::Missing;
    {
        const ReadingTemplate reading(m_box);
        bytes = readTemplateFile(fileName);
    }
    if (!bytes) {
        tellUser(&m_window, QStringLiteral("HtmlE"), kMissingTemplate + fileName, MessageIcon::Exclamation);
        return false;
    }
    m_document.insert(templateInsertionText(decodeText(*bytes).text));
    return true;
}
