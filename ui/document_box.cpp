#include "ui/document_box.h"

#include "ui/steady_scroll_bar.h"

#include <QMimeData>
#include <QResizeEvent>
#include <QTextCursor>
#include <QTextLayout>

DocumentBox::DocumentBox(TextModel& model, QWidget* parent) : QPlainTextEdit(parent), m_model(&model)
{
    setObjectName(QStringLiteral("editwindow"));
    setDocument(m_model->document());
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBar(new SteadyScrollBar(Qt::Horizontal, this));
    setVerticalScrollBar(new SteadyScrollBar(Qt::Vertical, this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setMouseTracking(true);
    setAcceptDrops(true);
    connect(m_model, &TextModel::changed, this, [this] { m_lastRead = ReadSelection(); });
    connect(m_model, &TextModel::piecesChanged, this, &DocumentBox::showWrapped);
    connect(m_model, &TextModel::pageReplaced, this, [this](qsizetype caret) { select(caret, caret); });
    // A typed run ends where the user moves the caret.
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (m_ownEdits == 0)
            m_model->endTypingRun();
    });
    // A caret moved or a text changed while a pre-edit is shown, without the box being told
    // first: looked at once the change is over.
    const auto checkComposition = [this] {
        if (!m_preeditAt.isNull() && !m_inInputMethod)
            QMetaObject::invokeMethod(this, &DocumentBox::abandonComposition, Qt::QueuedConnection);
    };
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, checkComposition);
    connect(m_model, &TextModel::changed, this, checkComposition);
}

void DocumentBox::setDocumentText(const QString& crlfText)
{
    endComposition();
    m_model->setText(crlfText); // the model puts the caret at the start
}

TextRange DocumentBox::selection() const
{
    const QTextCursor cursor = textCursor();
    return {m_model->toText(cursor.anchor()), m_model->toText(cursor.position())};
}

void DocumentBox::select(qsizetype anchor, qsizetype position)
{
    endComposition();
    QTextCursor cursor(document());
    cursor.setPosition(m_model->toBox(anchor));
    cursor.setPosition(m_model->toBox(position), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

QString DocumentBox::readSelection() const
{
    const TextRange range = selection();
    if (range.isEmpty())
        return QString();
    if (m_lastRead.range.anchor != range.anchor || m_lastRead.range.position != range.position) {
        m_lastRead.text = m_model->text(range.start(), range.end());
        m_lastRead.range = range;
    }
    return m_lastRead.text;
}

bool DocumentBox::wrapsLastRead(const QString& crlfText, qsizetype* openingLength) const
{
    const TextRange range = selection();
    if (range.isEmpty() || m_lastRead.range.anchor != range.anchor || m_lastRead.range.position != range.position)
        return false;
    const QString& selected = m_lastRead.text;
    if (selected.size() < 4096 || crlfText.size() < selected.size())
        return false; // small: replacing it whole costs nothing
    // Markup put around a selection is short; look for the selection near the front.
    const qsizetype lastStart = qMin<qsizetype>(crlfText.size() - selected.size(), 64 * 1024);
    const QStringView text(crlfText);
    for (qsizetype k = 0; k <= lastStart; ++k) {
        if (text[k] == selected[0] && text.sliced(k, selected.size()) == selected) {
            *openingLength = k;
            return true;
        }
    }
    return false;
}

void DocumentBox::replaceSelection(const QString& crlfText)
{
    endComposition();
    const TextRange range = selection();
    qsizetype openingLength = 0;
    if (wrapsLastRead(crlfText, &openingLength)) {
        // The new text is the selection with something around it: insert the two ends and
        // leave the selected text where it is. Same result, one undo step, and a wrap of a
        // large selection does not rebuild its lines.
        const qsizetype selectedLength = range.end() - range.start();
        replaceSelection(TextChanges{
            {0, 0, crlfText.left(openingLength)},
            {selectedLength, 0, crlfText.sliced(openingLength + m_lastRead.text.size())}});
        return;
    }
    replaceRange(range.start(), range.end(), crlfText);
}

void DocumentBox::replaceSelection(const TextChanges& changes)
{
    endComposition();
    const TextRange range = selection();
    ++m_ownEdits;
    const qsizetype end = m_model->replace(range.start(), range.end(), changes);
    select(end, end);
    --m_ownEdits;
}

void DocumentBox::replaceRange(qsizetype from, qsizetype to, QStringView text, EditKind kind)
{
    ++m_ownEdits;
    const qsizetype end = m_model->replace(from, to, text, kind);
    select(end, end);
    --m_ownEdits;
}

void DocumentBox::undoStep()
{
    endComposition();
    const qsizetype at = m_model->undo();
    if (at >= 0)
        select(at, at);
}

void DocumentBox::redoStep()
{
    endComposition();
    const qsizetype at = m_model->redo();
    if (at >= 0)
        select(at, at);
}

void DocumentBox::setWrapWanted(bool wanted)
{
    m_wrapWanted = wanted;
    showWrapped();
}

void DocumentBox::showWrapped()
{
    if (m_model->hasPieces()) {
        setWordWrapMode(QTextOption::WrapAnywhere);
        setLineWrapMode(WidgetWidth);
    } else if (m_wrapWanted) {
        // Japanese text has no blanks to break at; words of other scripts stay whole.
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        setLineWrapMode(WidgetWidth);
    } else {
        setLineWrapMode(NoWrap);
    }
}

QMimeData* DocumentBox::createMimeDataFromSelection() const
{
    const TextRange range = selection();
    auto* mime = new QMimeData;
    mime->setText(m_model->text(range.start(), range.end(), u"\n"));
    return mime;
}

void DocumentBox::resizeEvent(QResizeEvent* e)
{
    // Lines are never wrapped, so the box's width plays no part in their layout. Passing a
    // new width on to the document makes Qt give every line a layout object of its own: on
    // a large page a few hundred megabytes, and a second layout of a very long line.
    if (lineWrapMode() == NoWrap && e->oldSize().width() != e->size().width()) {
        QResizeEvent sameWidth(e->size(), QSize(e->size().width(), e->oldSize().height()));
        QPlainTextEdit::resizeEvent(&sameWidth);
        return;
    }
    QPlainTextEdit::resizeEvent(e);
}

std::optional<QString> DocumentBox::pastedText(const QMimeData* source)
{
    // QMimeData offers a bare list of addresses as text too; only text put there as text counts.
    if (!source
        || !(source->hasFormat(QStringLiteral("text/plain"))
             || source->hasFormat(QStringLiteral("text/plain;charset=utf-8"))))
        return std::nullopt;
    return source->text();
}

bool DocumentBox::canInsertFromMimeData(const QMimeData* source) const
{
    return pastedText(source).has_value();
}

void DocumentBox::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly())
        return;
    if (const std::optional<QString> text = pastedText(source))
        replaceSelection(*text);
}

void DocumentBox::prepareJapaneseFonts() const
{
    QTextLayout layout(QStringLiteral("<p class=\"a\">漢字ひらがなカタカナｶﾀｶﾅ、。「」ＡＢ１２</p>"), document()->defaultFont());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
}
