#include "site/shown_page.h"

#include "document/document.h"
#include "recovery/recovery_folder.h"
#include "ui/document_box.h"

#include <QTimer>

PageInBox::PageInBox(Document& document, DocumentBox* box) : m_document(&document), m_box(box) {}

QString PageInBox::path() const
{
    return m_document ? m_document->FilePath() : QString();
}

bool PageInBox::holds(const QString& file) const
{
    const QString own = path();
    return !own.isEmpty() && !file.isEmpty() && sameFile(own, file);
}

QString PageInBox::lfText() const
{
    if (!m_box)
        return {};
    const TextModel& model = m_box->model();
    return model.text(0, model.length(), u"\n");
}

void PageInBox::showLine(int line)
{
    if (!m_box)
        return;
    showPageLine(*m_box, line);
    m_box->window()->activateWindow();
    m_box->setFocus();
}

qsizetype PageInBox::replaceAll(const TextSearch& search)
{
    if (!m_box)
        return 0;
    const QString text = lfText();
    const ReplacedStretch stretch = search.replaceAll(text, {0, text.size()});
    if (stretch.count == 0)
        return 0;
    const qsizetype end = m_box->model().replace(stretch.start, stretch.end, stretch.changes);
    m_box->select(end, end);
    return stretch.count;
}

void showPageLine(DocumentBox& box, int line)
{
    const TextModel& model = box.model();
    const int last = qMax(1, model.lineCount());
    const qsizetype start = model.lineStart(qBound(1, line, last));
    box.select(start, start);
    // At start-up the box is not laid out yet: it scrolls to the caret once it is shown.
    QTimer::singleShot(0, &box, [&box] { box.ensureCursorVisible(); });
}
