#include "view/box_colour.h"

#include "model/block_layout.h"
#include "ui/document_box.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

namespace {
// What a block was last coloured with: when either differs, it is coloured again.
struct Coloured : QTextBlockUserData {
    Coloured(html::ScanState s, quint32 g) : start(s), generation(g) {}
    html::ScanState start;
    quint32 generation;
};
// A block far past the known states is coloured from a guess this many blocks back, so a jump
// to the end of a large page colours at once.
constexpr qsizetype kLookBehind = 64;
// The states are put right in spare moments, a little at a time, so the box never waits.
constexpr qsizetype kAheadCharacters = 64 * 1024;
constexpr int kAheadPauseMs = 300;
constexpr int kAheadStepMs = 2;

html::Rgb rgbOf(const QColor& c)
{
    return {c.red(), c.green(), c.blue()};
}

html::ScanStates::Unit unitOf(const DocumentBox* box, qsizetype unit)
{
    const TextModel::ShownBlock shown = box->model().shownBlock(box->document()->findBlockByNumber(int(unit)));
    return {shown.text, shown.continues ? html::TextEnd::Piece : html::TextEnd::LineEnd};
}
}

BoxColour::BoxColour(DocumentBox* box)
    : QObject(box), m_box(box), m_states([box](qsizetype unit) { return unitOf(box, unit); }, box->document()->blockCount()),
      m_blocks(box->document()->blockCount()), m_ahead(new QTimer(this))
{
    m_ahead->setSingleShot(true);
    connect(m_ahead, &QTimer::timeout, this, &BoxColour::workAhead);
    connect(box->document(), &QTextDocument::contentsChange, this, &BoxColour::documentChanged);
    followPalette();
}

void BoxColour::setOn(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    if (on) {
        colourShown();
        return;
    }
    m_ahead->stop();
    for (QTextBlock block = m_box->document()->begin(); block.isValid(); block = block.next()) {
        if (block.userData())
            clearBlock(block);
    }
}

void BoxColour::followPalette()
{
    const html::Rgb background = rgbOf(m_box->palette().color(QPalette::Base));
    const html::Rgb font = rgbOf(m_box->palette().color(QPalette::Text));
    const html::RolePalette palette = html::rolePalette(background, font);
    if (palette == m_palette && m_generation > 1)
        return;
    m_palette = palette;
    for (int role = 0; role < html::kRoleCount; ++role) {
        QTextCharFormat format;
        format.setForeground(QColor(palette[role].red, palette[role].green, palette[role].blue));
        m_formats[role] = format;
    }
    ++m_generation;
    colourShown();
}

void BoxColour::documentChanged(int position, int removed, int added)
{
    if (m_relayout)
        return;
    QTextDocument* document = m_box->document();
    const qsizetype blocks = document->blockCount();
    QTextBlock first = document->findBlock(position);
    if (!first.isValid())
        first = document->lastBlock();
    QTextBlock last = document->findBlock(position + added);
    if (!last.isValid())
        last = document->lastBlock();
    const qsizetype firstUnit = first.blockNumber();
    const qsizetype addedUnits = last.blockNumber() - firstUnit + 1;
    const qsizetype removedUnits = addedUnits - (blocks - m_blocks);
    if (removedUnits < 1 || firstUnit + removedUnits > m_blocks)
        m_states.reset(blocks);
    else
        m_states.unitsChanged(firstUnit, removedUnits, addedUnits);
    m_blocks = blocks;
    // The blocks whose text changed keep what they were coloured with until they are shown.
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        if (block.userData())
            block.setUserData(nullptr);
        if (block == last)
            break;
    }
    if (!m_on)
        return;
    // An edit inside one block has it coloured now, while the document reports the edit: the
    // block is then laid out once with its colours, not first with the old ones shifted.
    auto* layout = qobject_cast<BlockLayout*>(document->documentLayout());
    if (layout && first == last && addedUnits == 1 && removedUnits == 1 && first.layout()->preeditAreaText().isEmpty()) {
        const html::ScanState start = m_states.guessAt(first.blockNumber(), kLookBehind);
        if (applyColours(first, start))
            layout->restyleEdited(first, position, removed, added);
    }
    // Later blocks shown may start in another state now; they are seen to once the edit is done.
    QTimer::singleShot(0, this, &BoxColour::colourShown);
    m_ahead->stop();
}

void BoxColour::colourShown()
{
    if (!m_on || m_colouring)
        return;
    m_colouring = true;
    const qreal bottom = m_box->viewport()->height();
    for (QTextBlock block = m_box->firstShownBlock(); block.isValid(); block = block.next()) {
        if (m_box->shownGeometry(block).top() > bottom)
            break;
        const html::ScanState start = m_states.guessAt(block.blockNumber(), kLookBehind);
        const auto* done = static_cast<const Coloured*>(block.userData());
        if (!done || done->start != start || done->generation != m_generation)
            colourBlock(block, start);
        m_lastShown = block.blockNumber();
    }
    m_colouring = false;
    // What is shown from a guess is put right in spare moments; nothing past it is worked out,
    // so a page opened at its top costs nothing more once shown.
    if (m_lastShown >= m_states.knownUnits() && !m_ahead->isActive())
        m_ahead->start(kAheadPauseMs);
}

void BoxColour::colourBlock(QTextBlock block, html::ScanState start)
{
    if (applyColours(block, start))
        relayout(block);
}

bool BoxColour::applyColours(QTextBlock block, html::ScanState start)
{
    const TextModel::ShownBlock shown = m_box->model().shownBlock(block);
    m_runs.clear();
    html::scan(start, shown.text, shown.continues ? html::TextEnd::Piece : html::TextEnd::LineEnd, m_runs);
    QTextLayout* layout = block.layout();
    block.setUserData(new Coloured(start, m_generation));
    if (m_runs.isEmpty() && layout->formats().isEmpty())
        return false; // nothing to lay out again
    // An input method's pre-edit is shown in the layout, not the text: its own formats (the
    // underline, the clause being converted) stay, and the colours after it move past it.
    const int preeditStart = layout->preeditAreaPosition();
    const int preeditLength = int(layout->preeditAreaText().size());
    QList<QTextLayout::FormatRange> ranges;
    ranges.reserve(m_runs.size() + 2);
    if (preeditLength > 0) {
        for (const QTextLayout::FormatRange& own : layout->formats()) {
            if (own.start >= preeditStart && own.start + own.length <= preeditStart + preeditLength)
                ranges.append(own);
        }
    }
    for (const html::RoleRun& run : std::as_const(m_runs)) {
        int from = int(run.start);
        int end = from + int(run.length);
        const QTextCharFormat& format = m_formats[int(run.role)];
        if (preeditLength > 0 && end > preeditStart) {
            if (from < preeditStart) // a run the pre-edit stands inside goes on after it
                ranges.append({from, preeditStart - from, format});
            from = std::max(from, preeditStart) + preeditLength;
            end += preeditLength;
        }
        ranges.append({from, end - from, format});
    }
    if (ranges == layout->formats())
        return false; // as it was: no layout again
    layout->setFormats(ranges);
    return true;
}

void BoxColour::clearBlock(QTextBlock block)
{
    block.setUserData(nullptr);
    if (block.layout()->formats().isEmpty())
        return;
    block.layout()->clearFormats();
    relayout(block);
}

void BoxColour::relayout(const QTextBlock& block)
{
    // As the document's own highlighter does: the block is laid out again with its formats,
    // and painted again alone. That is no change of the text; where the document reports it as
    // one, it is said so.
    const TextModel::LayoutOnly layoutOnly(m_box->model());
    m_relayout = true;
    if (auto* layout = qobject_cast<BlockLayout*>(m_box->document()->documentLayout()))
        layout->restyle(block);
    else
        m_box->document()->markContentsDirty(block.position(), block.length());
    m_relayout = false;
}

void BoxColour::workAhead()
{
    if (!m_on)
        return;
    const bool done = m_states.workAhead(kAheadCharacters);
    const auto [from, to] = m_states.takeRestyled();
    if (from < to)
        colourShown();
    if (!done && m_lastShown >= m_states.knownUnits())
        m_ahead->start(kAheadStepMs);
}
