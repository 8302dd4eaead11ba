#include "model/text_model.h"

#include "model/block_layout.h"
#include "text/line_breaks.h"

#include <QDateTime>
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

TextModel::TextModel(QObject* parent)
    : QObject(parent), m_document(new QTextDocument(this)), m_holding(m_document)
{
    setObjectName(QStringLiteral("textModel"));
    m_document->setDocumentLayout(new BlockLayout(m_document));
    // The history is the model's own, in text positions; the document keeps none.
    m_document->setUndoRedoEnabled(false);
    connect(m_document, &QTextDocument::contentsChange, this, &TextModel::documentChanged);
}

TextModel::~TextModel() = default;

QString TextModel::text() const
{
    if (m_holding.separatorsAreBreaks())
        return m_holding.text(0, m_document->characterCount() - 1, u"\r\n");
    // Gathered in parts into a string of its final size: read whole, the document's raw text
    // and the text made of it would be two copies of the page beside the document's own.
    QString whole;
    whole.reserve(textLength());
    readText([&whole](const QString& part) { whole.append(part); });
    return whole;
}

void TextModel::readText(const std::function<void(QString)>& take, qsizetype partLength) const
{
    for (qsizetype from = 0; from < m_length; from += partLength)
        take(text(from, qMin(from + partLength, m_length)));
}

void TextModel::readLines(const std::function<void(QString)>& take, qsizetype partLength) const
{
    // Cut at the last break each part read holds, the rest carried into the next: asking the
    // line index where lines start would build it for a large page first.
    QString carried;
    for (qsizetype from = 0; from < m_length; from += partLength) {
        QString part = carried + text(from, qMin(from + partLength, m_length));
        if (from + partLength >= m_length) {
            take(std::move(part));
            return;
        }
        const qsizetype end = part.lastIndexOf(u'\n') + 1;
        carried = part.sliced(end);
        if (end > 0) {
            part.truncate(end);
            take(std::move(part));
        }
    }
    take(carried); // an empty page
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

namespace {
// Where the text the last of `pieces` put in ends, once all of them are made.
qsizetype endOfLast(const EditPieces& pieces)
{
    qsizetype shift = 0;
    for (const EditPiece& p : pieces)
        shift += EditHistory::textLength(p.added) - EditHistory::textLength(p.removed);
    const EditPiece& last = pieces.last();
    return last.start + EditHistory::textLength(last.removed) + shift;
}
}

qsizetype TextModel::now() const
{
    return m_clock ? m_clock() : QDateTime::currentMSecsSinceEpoch();
}

void TextModel::hold(const QString& crlfText)
{
    const LineHolding::Shape shape = LineHolding::shapeOf(crlfText);
    holdAs(shape, [&] {
        if (shape.plain()) {
            m_document->setPlainText(crlfText);
            m_holding.forget();
        } else {
            m_holding.load(crlfText, shape);
        }
    });
}

void TextModel::holdAs(const LineHolding::Shape& shape, const std::function<void()>& fill)
{
    // The view wraps before pieces arrive and unwraps after they go, so neither page is laid
    // out again under the other's settings.
    if (shape.pieces)
        showPieces(true);
    const qsizetype oldLength = m_length;
    {
        Editing editing(*this);
        m_loading = true;
        fill();
        m_loading = false;
    }
    m_document->setModified(false);
    m_holding.invalidate();
    m_length = countLength();
    ++m_revision;
    Q_EMIT changed(0, oldLength, m_length);
    showPieces(m_holding.mayHavePieces());
}

void TextModel::setText(qsizetype count, const std::function<QString(qsizetype)>& partAt, const LineHolding::Shape& shape)
{
    m_history.clear();
    holdAs(shape, [&] { m_holding.load(count, partAt, shape); });
    Q_EMIT pageReplaced(0);
}

void TextModel::setText(QList<QString>& crlfParts, const LineHolding::Shape& shape)
{
    setText(crlfParts.size(), [&crlfParts](qsizetype i) { return std::exchange(crlfParts[i], QString()); }, shape);
}

void TextModel::setText(const QString& crlfText)
{
    m_history.clear();
    hold(crlfText);
    Q_EMIT pageReplaced(0);
}

qsizetype TextModel::replaceWholePage(const QString& crlfText)
{
    QString before = text();
    qsizetype at = 0;
    const qsizetype common = qMin(before.size(), crlfText.size());
    while (at < common && before[at] == crlfText[at])
        ++at;
    if (at == before.size() && at == crlfText.size())
        return at;
    // A text position: line breaks before it count one each.
    const qsizetype textAt = EditHistory::textLength(QStringView(before).first(at))
        - (at > 0 && before[at - 1] == u'\r' && at < before.size() && before[at] == u'\n' ? 1 : 0);
    m_history.recordWholePage(std::move(before), textAt);
    hold(crlfText);
    Q_EMIT pageReplaced(textAt);
    return textAt;
}

qsizetype TextModel::replace(qsizetype from, qsizetype to, QStringView text, EditKind kind)
{
    return apply(from, to, TextChanges{{0, to - from, text.toString()}}, kind, false);
}

qsizetype TextModel::replaceJoiningPrevious(qsizetype from, qsizetype to, QStringView text)
{
    return apply(from, to, TextChanges{{0, to - from, text.toString()}}, EditKind::Command, true);
}

qsizetype TextModel::replace(qsizetype from, qsizetype to, const TextChanges& changes)
{
    return apply(from, to, changes, EditKind::Command, false);
}

qsizetype TextModel::apply(qsizetype from, qsizetype to, const TextChanges& changes, EditKind kind, bool join)
{
    from = qBound<qsizetype>(0, from, m_length);
    to = qBound(from, to, m_length);
    EditPieces pieces;
    pieces.reserve(changes.size());
    qsizetype newEnd = to;
    for (const TextChange& change : changes) {
        const qsizetype start = qBound(from, from + change.start, to);
        const qsizetype end = qBound(start, start + change.length, to);
        if (start == end && change.text.isEmpty())
            continue;
        pieces.append({start, start == end ? QString() : text(start, end), change.text});
        newEnd += EditHistory::textLength(change.text) - (end - start);
    }
    if (pieces.isEmpty())
        return newEnd;
    // The history first, so whoever hears of the change asks it about the text that now is.
    const EditPieces made = pieces; // shares the texts
    m_history.record(std::move(pieces), kind, now(), join);
    edit(made);
    return newEnd;
}

void TextModel::edit(const EditPieces& pieces)
{
    // Box positions first: the soft breaks are counted on the text as it stands.
    QList<std::pair<int, int>> ranges;
    ranges.reserve(pieces.size());
    for (const EditPiece& p : pieces)
        ranges.append({toBox(p.start), toBox(p.start + EditHistory::textLength(p.removed))});
    const int boxStart = ranges.first().first;
    QTextCursor end(m_document);
    end.setPosition(ranges.last().second); // moves on over what is put in at it
    Editing editing(*this);
    ++m_ownReports;
    QTextCursor cursor(m_document);
    cursor.beginEditBlock();
    for (qsizetype i = pieces.size() - 1; i >= 0; --i) {
        // The last first, so the positions of those before it still hold.
        cursor.setPosition(ranges[i].first);
        cursor.setPosition(ranges[i].second, QTextCursor::KeepAnchor);
        m_holding.removeSelected(cursor);
        m_holding.insertText(cursor, pieces[i].added);
    }
    // Lines made too long by what was put in or joined are held like lines loaded long; lines
    // made short again are held whole.
    m_holding.split(boxStart, end.position());
    m_holding.joinShortLines(boxStart, end.position());
    cursor.endEditBlock();
    --m_ownReports;
    // The last first, each in the text as it stood before any of them: made in that order,
    // each report stays true of the text the one before it left.
    for (qsizetype i = pieces.size() - 1; i >= 0; --i) {
        const EditPiece& p = pieces[i];
        Q_EMIT changed(p.start, EditHistory::textLength(p.removed), EditHistory::textLength(p.added));
    }
    showPieces(m_holding.recountPieces());
}

qsizetype TextModel::turnWholePage(EditHistory::Step& step)
{
    // The step keeps the text of the side the page is not on: one copy, not two.
    QString other = std::exchange(step.page, text());
    hold(other);
    Q_EMIT pageReplaced(step.at);
    return step.at;
}

qsizetype TextModel::undo()
{
    if (!m_history.canUndo())
        return -1;
    EditHistory::Step& step = m_history.toUndo();
    m_history.undone();
    if (step.wholePage)
        return turnWholePage(step);
    qsizetype caret = -1;
    for (qsizetype i = step.edits.size() - 1; i >= 0; --i) {
        const EditPieces back = EditHistory::inverse(step.edits[i]);
        edit(back);
        caret = endOfLast(back);
    }
    return caret;
}

qsizetype TextModel::redo()
{
    if (!m_history.canRedo())
        return -1;
    EditHistory::Step& step = m_history.toRedo();
    m_history.redone();
    if (step.wholePage)
        return turnWholePage(step);
    qsizetype caret = -1;
    for (const EditPieces& pieces : step.edits) {
        edit(pieces);
        caret = endOfLast(pieces);
    }
    return caret;
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
    ++m_revision;
    if (m_ownReports > 0)
        return; // the edit reports its changes itself, in text positions it knows exactly
    const qsizetype at = toText(position);
    const qsizetype addedText = qMax<qsizetype>(0, toText(position + added) - at);
    const qsizetype removedText = qMax<qsizetype>(0, addedText - (m_length - oldLength));
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
