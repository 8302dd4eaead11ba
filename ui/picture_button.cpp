#include "ui/picture_button.h"

#include <QPainter>
#include <QStyle>
#include <QSvgRenderer>
#include <qdrawutil.h>

PictureButton::PictureButton(QWidget* parent) : QAbstractButton(parent)
{
    // The buttons never keep the focus: every click ends with the focus where the command
    // leaves it, usually back in the document.
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
}

PictureButton::~PictureButton() = default;

bool PictureButton::setPicture(const QString& resource)
{
    auto* renderer = new QSvgRenderer(resource, this);
    if (!renderer->isValid()) {
        delete renderer;
        return false;
    }
    delete m_picture;
    m_picture = renderer;
    update();
    return true;
}

bool PictureButton::hasPicture() const
{
    return m_picture != nullptr;
}

void PictureButton::setFaceColour(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Button, colour);
    setPalette(p);
}

QSize PictureButton::sizeHint() const
{
    return QSize(25, 25);
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect all = rect();
    const bool sunken = isDown() || isChecked();
    painter.fillRect(all, palette().color(QPalette::Button));

    const QRect inner = all.adjusted(1, 1, -1, -1);
    const QPoint shift = sunken ? QPoint(1, 1) : QPoint(0, 0);
    if (m_picture) {
        // The 32 x 32 picture scaled into the button's face, keeping its proportions.
        const int side = qMin(inner.width(), inner.height());
        QRectF target(0, 0, side, side);
        target.moveCenter(QRectF(inner).center() + shift);
        if (!isEnabled())
            painter.setOpacity(0.35);
        m_picture->render(&painter, target);
        painter.setOpacity(1.0);
    } else if (!text().isEmpty()) {
        painter.setFont(font());
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::ButtonText));
        painter.drawText(inner.translated(shift), Qt::AlignCenter, text());
    }
    qDrawShadePanel(&painter, all, palette(), sunken, 1);
}
