#pragma once

#include <QRect>
#include <QScrollBar>

#include <optional>

// A scroll bar that is painted again only when what it shows changes. The box's range grows by a
// line at each Enter, which moves the slider of a large page by less than a pixel; painting the
// bar anyway cost a third of what painting the box does.
class SteadyScrollBar : public QScrollBar {
public:
    SteadyScrollBar(Qt::Orientation orientation, QWidget* parent);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Look {
        QRect slider;
        bool enabled = false;
        bool atStart = false;
        bool atEnd = false;
        bool operator==(const Look&) const = default;
    };
    Look look() const;

    std::optional<Look> m_painted;
};
