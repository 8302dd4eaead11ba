#include "ui/steady_scroll_bar.h"

#include <QStyle>
#include <QStyleOptionSlider>

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent)
{
}

SteadyScrollBar::Look SteadyScrollBar::look() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    // The arrows are drawn disabled at either end, and the whole bar when there is nowhere to go.
    return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
            minimum() < maximum(), value() <= minimum(), value() >= maximum()};
}

void SteadyScrollBar::sliderChange(SliderChange change)
{
    if (change != SliderOrientationChange && m_painted && look() == *m_painted)
        return;
    QScrollBar::sliderChange(change);
}

void SteadyScrollBar::paintEvent(QPaintEvent* event)
{
    m_painted = look();
    QScrollBar::paintEvent(event);
}
