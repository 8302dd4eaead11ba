#pragma once

#include <QObject>
#include <QTimer>

class QGuiApplication;

// Carets stop blinking after a while without input and stay shown, as the desktop's own text
// fields do, so an editor left open does not wake twice a second for nothing. The next key,
// click or turn of the wheel makes them blink again.
class CaretBlinkTimeout : public QObject {
public:
    static constexpr int kDefaultTimeoutMs = 10000;

    explicit CaretBlinkTimeout(QGuiApplication& app, int timeoutMs = kDefaultTimeoutMs);
    ~CaretBlinkTimeout() override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void rest();

    QTimer m_quiet;
    int m_flashTime; // the desktop's
    bool m_resting = false;
};
