#include "ui/window_frame.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {
QMargins framedMargins(const QWidget* window)
{
    return window->isVisible() && window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
}

// Watches the window until the desktop has framed it (it moves the window into its frame),
// then answers once and goes.
class FrameWatch : public QObject {
public:
    FrameWatch(QWidget* window, QMargins guess, std::function<void(QMargins)> framed)
        : QObject(window), m_window(window), m_guess(guess), m_framed(std::move(framed))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::Move)
            QTimer::singleShot(0, this, [this] { check(); });
        return false;
    }

private:
    void check()
    {
        const QMargins real = framedMargins(m_window);
        if (real.isNull() || m_done)
            return;
        m_done = true;
        m_window->removeEventFilter(this);
        if (real != m_guess)
            m_framed(real);
        deleteLater();
    }

    QWidget* m_window;
    QMargins m_guess;
    std::function<void(QMargins)> m_framed;
    bool m_done = false;
};
}

QMargins knownFrameMargins(const QWidget* window)
{
    if (window->isVisible())
        return framedMargins(window);
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other == window)
            continue;
        if (const QMargins margins = framedMargins(other); !margins.isNull())
            return margins;
    }
    return {};
}

void whenFramedOtherwise(QWidget* window, QMargins guess, std::function<void(QMargins)> framed)
{
    new FrameWatch(window, guess, std::move(framed));
}
