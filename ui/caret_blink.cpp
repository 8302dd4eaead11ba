#include "ui/caret_blink.h"

#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>

CaretBlinkTimeout::CaretBlinkTimeout(QGuiApplication& app, int timeoutMs)
    : QObject(&app), m_flashTime(QGuiApplication::styleHints()->cursorFlashTime())
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(timeoutMs);
    connect(&m_quiet, &QTimer::timeout, this, &CaretBlinkTimeout::rest);
    // A desktop that does not blink carets needs nothing from here.
    if (m_flashTime <= 0)
        return;
    app.installEventFilter(this);
    m_quiet.start();
}

CaretBlinkTimeout::~CaretBlinkTimeout()
{
    if (m_resting)
        QGuiApplication::styleHints()->setCursorFlashTime(m_flashTime);
}

void CaretBlinkTimeout::rest()
{
    m_resting = true;
    // Text controls follow the flash time as it changes: a caret stops in its shown state.
    QGuiApplication::styleHints()->setCursorFlashTime(0);
}

bool CaretBlinkTimeout::eventFilter(QObject* watched, QEvent* e)
{
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        if (m_resting) {
            m_resting = false;
            QGuiApplication::styleHints()->setCursorFlashTime(m_flashTime);
        }
        m_quiet.start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, e);
}
