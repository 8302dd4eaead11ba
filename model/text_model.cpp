#include "model/text_model.h"

#include "text/line_breaks.h"

#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

// Marks the document's changes in its scope as this model's own.
class TextModel::Editing {
public:
    explicit Editing(TextModel& model) : m_model(model) { ++m_model.m_editing; }
    ~Editing() { --m_model.m_editing; }
    Editing(const Editing&) = delete;
    Editing& operator=(const Editing&) = delete;

private:
    TextModel& m_model;
};

namespace {
// Text positions count a line break as one character, whichever form it has.
qsizetype textLength(QStringView text)
{
    qsizetype length = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'\r' && text[i + 1] == u'\n')
            --length;
    }
    return length;
}
}

TextModel::TextModel(QObject* parent)
    : QObject(parent), m_document(new QTextDocument(this)), m_holding(m_document)
{
    setObjectName(QStringLiteral("textModel"));
    m_document->setDocumentLayout(new QPlainTextDocumentLayout(m_document));
    connect(m_document, &QTextDocument::contentsChange, this, &TextModel::documentChanged);
}

TextModel::~TextModel() = default;

QString TextModel::text() const
{
    return m_holding.text(0, m_document->characterCount() - 1, u"\r\n");
}

QString TextModel::text(qsizetype from, qsizetype to, QStringView lineBreak) const
{
    return m_holding.text(toBox(from), toBox(to), lineBreak);
}

bool TextModel::holdsTextAsGiven(QStringView crlfText)
{
    return linebreak::allCrLf(crlfText);
}

int TextModel::lineAt(qsizetype position) const
{
    return m_holding.lineAt(toBox(position));
}

qsizetype TextModel::lineStart(int line) const
{
    return toText(m_holding.lineStart(line));
}

std::pair<qsizetype, qsizetype> TextModel::lineAround(qsizetype position, int limit) const
{
    const auto [start, end] = m_holding.lineAround(toBox(position), limit);
    return {toText(start), toText(end)};
}

TextModel::ShownBlock TextModel::shownBlock(const QTextBlock& block) const
{
    if (!block.isValid())
        return {};
    return {m_holding.blockText(block), LineHolding::startsLine(block), LineHolding::followsSoftBreak(block.next())};
}

qsizetype TextModel::countLength() const
{
    return m_document->characterCount() - 1 - m_holding.softBreakCount();
}

void TextModel::setText(const QString& crlfText)
{
    const LineHolding::Shape shape = LineHolding::shapeOf(crlfText);
    // The view wraps before pieces arrive and unwraps after they go, so neither page is laid
    // out again under the other's settings.
    if (shape.pieces)
        showPieces(true);
    const qsizetype oldLength = m_length;
    {
        Editing editing(*this);
        m_loading = true;
        if (shape.plain()) {
            // Straight into the document, the undo history cleared with it.
            m_document->setPlainText(crlfText);
            m_holding.forget();
        } else {
            m_holding.load(crlfText, shape);
        }
        m_loading = false;
    }
    m_document->setModified(false);
    m_holding.invalidate();
    m_length = countLength();
    ++m_revision;
    Q_EMIT changed(0, oldLength, m_length);
    showPieces(m_holding.mayHavePieces());
}

qsizetype TextModel::replace(qsizetype from, qsizetype to, QStringView text)
{
    return apply(from, to, TextChanges{{0, to - from, text.toString()}}, false);
}

qsizetype TextModel::replaceJoiningPrevious(qsizetype from, qsizetype to, QStringView text)
{
    return apply(from, to, TextChanges{{0, to - from, text.toString()}}, true);
}

qsizetype TextModel::replace(qsizetype from, qsizetype to, const TextChanges& changes)
{
    return apply(from, to, changes, false);
}

qsizetype TextModel::apply(qsizetype from, qsizetype to, const TextChanges& changes, bool joinPrevious)
{
    from = qBound<qsizetype>(0, from, m_length);
    to = qBound(from, to, m_length);
    // Box positions first: the soft breaks are counted on the text as it stands.
    QList<std::pair<int, int>> ranges;
    ranges.reserve(changes.size());
    qsizetype newEnd = to;
    for (const TextChange& change : changes) {
        ranges.append({toBox(from + change.start), toBox(from + change.start + change.length)});
        newEnd += textLength(change.text) - change.length;
    }
    const int boxStart = toBox(from);
    QTextCursor end(m_document);
    end.setPosition(toBox(to)); // moves on over what is put in at it
    Editing editing(*this);
    QTextCursor cursor(m_document);
    if (joinPrevious)
        cursor.joinPreviousEditBlock();
    else
        cursor.beginEditBlock();
    for (qsizetype i = changes.size() - 1; i >= 0; --i) {
        // The last first, so the positions of those before it still hold.
        cursor.setPosition(ranges[i].first);
        cursor.setPosition(ranges[i].second, QTextCursor::KeepAnchor);
        m_holding.removeSelected(cursor);
        m_holding.insertText(cursor, changes[i].text);
    }
    // Lines made too long by what was put in or joined are held like lines loaded long.
    m_holding.split(boxStart, end.position());
    cursor.endEditBlock();
    return newEnd;
}

bool TextModel::isUndoAvailable() const
{
    return m_document->isUndoAvailable();
}

bool TextModel::isRedoAvailable() const
{
    return m_document->isRedoAvailable();
}

void TextModel::undo(QTextCursor* cursor)
{
    Editing editing(*this);
    m_holding.mayRegainPieces();
    m_document->undo(cursor);
}

void TextModel::redo(QTextCursor* cursor)
{
    Editing editing(*this);
    m_holding.mayRegainPieces();
    m_document->redo(cursor);
}

void TextModel::documentChanged(int position, int removed, int added)
{
    if (m_loading) {
        m_holding.invalidate();
        return;
    }
    m_holding.changed(position, removed, added);
    if (m_layoutOnly > 0 && m_editing == 0 && countLength() == m_length && !textChangedIn(position, added))
        return;
    if (m_editing == 0) {
        // Something went around the edit path: the text is still read right, but the
        // lines may no longer be held as they should be.
        ++m_strayChanges;
        qWarning("vornikedit: the page was changed outside its edit path");
    }
    const qsizetype oldLength = m_length;
    m_length = countLength();
    const qsizetype at = toText(position);
    const qsizetype addedText = qMax<qsizetype>(0, toText(position + added) - at);
    const qsizetype removedText = qMax<qsizetype>(0, addedText - (m_length - oldLength));
    ++m_revision;
    Q_EMIT changed(at, removedText, addedText);
    showPieces(m_holding.recountPieces());
}

int TextModel::documentRevision() const
{
    return m_document->revision();
}

bool TextModel::textChangedIn(int position, int added) const
{
    // A block's revision moves on only when its text changes, never for its layout.
    for (QTextBlock block = m_document->findBlock(position); block.isValid(); block = block.next()) {
        if (block.revision() > m_layoutOnlyFrom)
            return true;
        if (block.position() + block.length() > position + added)
            break;
    }
    return false;
}

void TextModel::showPieces(bool pieces)
{
    if (pieces == m_piecesShown)
        return;
    m_piecesShown = pieces;
    Q_EMIT piecesChanged(pieces);
}
