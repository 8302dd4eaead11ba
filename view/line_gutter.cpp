#include "view/line_gutter.h"

#include "html/role_palette.h"
#include "ui/document_box.h"

#include <QHash>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

namespace {
constexpr int kPadding = 4; // either side of the numbers

QColor colourOf(html::Rgb c)
{
    return QColor(c.red, c.green, c.blue);
}
html::Rgb rgbOf(const QColor& c)
{
    return {c.red(), c.green(), c.blue()};
}
}

LineGutter::LineGutter(DocumentBox* box) : QWidget(box), m_box(box)
{
    setObjectName(QStringLiteral("lineGutter"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    // A block painted again in place leaves every line where it was: only the numbers beside it
    // are painted again, unless the lines were counted anew (joined inside a wrapped block).
    connect(box, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (!m_on)
            return;
        const int lines = m_box->model().lineCount();
        if (dy == 0 && lines == m_lines && rect.height() < m_box->viewport()->height())
            update(0, rect.y(), width(), rect.height());
        else
            update();
        m_lines = lines;
    });
    // The caret's number is in bold: painted again when the caret goes to another line.
    connect(box, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (!m_on)
            return;
        const int line = m_box->model().lineAt(m_box->caret());
        if (line != m_caretLineShown)
            update();
        m_caretLineShown = line;
    });
    // Counting the lines may read the whole page: once after a load or an edit, not for each
    // part of it.
    m_follow.setSingleShot(true);
    connect(&m_follow, &QTimer::timeout, this, &LineGutter::follow);
    // The number of lines, not of blocks: lines joined or parted inside a block of a grouped
    // page change no block count.
    connect(&box->model(), &TextModel::changed, this, [this] {
        if (m_on)
            m_follow.start(0);
    });
    box->installEventFilter(this);
}

void LineGutter::setOn(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    if (on) {
        follow();
        show();
    } else {
        hide();
        m_width = 0;
        m_box->setLeftMargin(0);
    }
}

void LineGutter::follow()
{
    if (!m_on)
        return;
    setFont(m_box->font());
    int digits = 2;
    for (int lines = m_box->model().lineCount(); lines >= 100; lines /= 10)
        ++digits;
    const int width = fontMetrics().horizontalAdvance(QLatin1Char('9')) * (digits + 1) + 2 * kPadding;
    if (width != m_width) {
        m_width = width;
        m_box->setLeftMargin(width);
    }
    place();
    update();
}

void LineGutter::place()
{
    const QRect inside = m_box->contentsRect();
    setGeometry(inside.left(), inside.top(), m_width, m_box->viewport()->height());
}

bool LineGutter::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_box && m_on) {
        if (e->type() == QEvent::Resize)
            place();
        else if (e->type() == QEvent::FontChange || e->type() == QEvent::PaletteChange)
            follow();
    }
    return QWidget::eventFilter(watched, e);
}

QList<LineGutter::Label> LineGutter::labels() const
{
    QList<Label> labels;
    const TextModel& model = m_box->model();
    // The model keeps its line index mended through edits: asking for the first line shown costs
    // a lookup, not a pass over the page.
    const int caret = model.toBox(m_box->caret());
    m_caretLine = 0;
    int next = -1; // the number of the next line to start
    const qreal bottom = m_box->viewport()->height();
    for (QTextBlock block = m_box->firstShownBlock(); block.isValid(); block = block.next()) {
        const QRectF at = m_box->shownGeometry(block);
        if (at.top() > bottom)
            break;
        if (!block.isVisible())
            continue;
        const TextModel::ShownBlock shown = model.shownBlock(block);
        if (next < 0)
            next = model.lineAt(model.toText(block.position())) + (shown.startsLine ? 0 : 1);
        QList<int> starts;
        if (shown.startsLine)
            starts.append(0);
        for (qsizetype i = shown.text.indexOf(QLatin1Char('\n')); i >= 0; i = shown.text.indexOf(QLatin1Char('\n'), i + 1))
            starts.append(int(i) + 1);
        if (caret >= block.position() && caret < block.position() + block.length()) {
            const int before = int(std::upper_bound(starts.cbegin(), starts.cend(), caret - block.position()) - starts.cbegin());
            m_caretLine = next + before - 1;
        }
        for (const int start : std::as_const(starts)) {
            const QTextLine row = block.layout()->lineForTextPosition(start);
            const qreal top = at.top() + (row.isValid() ? row.y() : 0);
            if (top <= bottom && top + (row.isValid() ? row.height() : 0) >= 0)
                labels.append({next, top});
            ++next;
        }
    }
    return labels;
}

void LineGutter::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette colours = m_box->palette();
    const QColor base = colours.color(QPalette::Base);
    const QColor text = colours.color(QPalette::Text);
    painter.fillRect(rect(), base);
    const QColor faint = colourOf(html::faintColour(rgbOf(base), rgbOf(text)));
    painter.setPen(faint);
    painter.drawLine(width() - 1, 0, width() - 1, height());
    const int rowHeight = fontMetrics().height();
    QFont bold = font();
    bold.setBold(true);
    for (const Label& label : labels()) {
        const bool caret = label.line == m_caretLine;
        painter.setPen(caret ? text : faint);
        painter.setFont(caret ? bold : font());
        painter.drawText(QRectF(0, label.top, width() - kPadding - 1, rowHeight), Qt::AlignRight | Qt::AlignTop,
                         QString::number(label.line));
    }
}
