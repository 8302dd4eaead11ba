#include "view/partner_marks.h"

#include "ui/document_box.h"

#include <QKeySequence>
#include <QShortcut>
#include <QTextEdit>
#include <QTimer>

namespace {
// Characters read either side of the caret: a partner farther away than this is not found,
// which keeps each look a fraction of a millisecond in any page.
constexpr qsizetype kReach = 64 * 1024;
constexpr int kPauseMs = 60;
}

PartnerMarks::PartnerMarks(DocumentBox* box) : QObject(box), m_box(box), m_pause(new QTimer(this))
{
    setObjectName(QStringLiteral("partnerMarks"));
    m_pause->setSingleShot(true);
    m_pause->setInterval(kPauseMs);
    connect(m_pause, &QTimer::timeout, this, &PartnerMarks::mark);
    connect(box, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (m_on)
            m_pause->start();
    });
    auto* jump = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), box, this, [this] { goToPartner(); },
                               Qt::WidgetShortcut);
    jump->setObjectName(QStringLiteral("partnerJump"));
}

void PartnerMarks::setOn(bool on)
{
    m_on = on;
    mark();
}

void PartnerMarks::setMarkColour(const QColor& colour)
{
    m_colour = colour;
    mark();
}

std::optional<html::TagPair> PartnerMarks::pairAtCaret() const
{
    const TextModel& model = m_box->model();
    const qsizetype caret = m_box->caret();
    const qsizetype from = qMax<qsizetype>(0, caret - kReach);
    const qsizetype to = qMin(model.length(), caret + kReach);
    const QString stretch = model.text(from, to, u"\n");
    std::optional<html::TagPair> pair = html::partnerTags(stretch, caret - from, kReach);
    if (pair) {
        for (html::TextRange* range : {&pair->tag, &pair->partner}) {
            range->start += from;
            range->end += from;
        }
    }
    return pair;
}

bool PartnerMarks::goToPartner()
{
    const std::optional<html::TagPair> pair = pairAtCaret();
    if (!pair)
        return false;
    m_box->select(pair->partner.start, pair->partner.start);
    return true;
}

void PartnerMarks::mark()
{
    m_pause->stop();
    QList<QTextEdit::ExtraSelection> marks;
    if (const std::optional<html::TagPair> pair = m_on ? pairAtCaret() : std::nullopt) {
        const TextModel& model = m_box->model();
        for (const html::TextRange& range : {pair->tag, pair->partner}) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = QTextCursor(model.document());
            mark.cursor.setPosition(model.toBox(range.start));
            mark.cursor.setPosition(model.toBox(range.end), QTextCursor::KeepAnchor);
            mark.format.setBackground(m_colour);
            marks.append(mark);
        }
    }
    if (!marks.isEmpty() || !m_box->extraSelections().isEmpty())
        m_box->setExtraSelections(marks);
}
