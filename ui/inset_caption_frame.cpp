#include "ui/inset_caption_frame.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QStyle>

namespace {
constexpr int kCaptionLeft = 6;
constexpr int kCaptionPadding = 2;
}

InsetCaptionFrame::InsetCaptionFrame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

void InsetCaptionFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());

    // Drawn here rather than by the style, which would put the line below the caption again:
    // the etched line of a classic frame.
    qDrawShadeRect(&painter, rect().adjusted(0, metrics.height() / 2, 0, 0), palette(), true, 1, 0);

    const QRect captionRect(kCaptionLeft, 0, metrics.horizontalAdvance(title()) + 2 * kCaptionPadding,
                            metrics.height());
    painter.fillRect(captionRect, palette().window());
    style()->drawItemText(&painter, captionRect, Qt::AlignCenter | Qt::TextHideMnemonic, palette(), isEnabled(),
                          title(), QPalette::WindowText);
}
