#pragma once

#include <QFont>
#include <QObject>
#include <QStringView>

class QPlainTextEdit;

// How one text box shows lines too long to lay out whole. Qt lays out and draws an
// unwrapped line whole, with glyph shaping, at every change and repaint; for a line of a
// hundred thousand characters that is seconds each time. While the box holds such a line it
// wraps anywhere (so only what is on screen is drawn), does without shaping and keeps its
// caret steady (a blink repaints the line). The text itself is never touched, and no other
// widget is affected.
class LongLinePolicy : public QObject {
public:
    static constexpr qsizetype kLongestUnwrappedLine = 100000;

    explicit LongLinePolicy(QPlainTextEdit& box);

    bool isOn() const { return m_on; }
    // Whether a whole document of `crlfText` needs the guard.
    static bool needsGuard(QStringView crlfText);
    // `inserted` is about to replace the box's selection: when that makes a line too long,
    // the guard goes on first, so the long line is never laid out unguarded.
    void guardInsertion(QStringView inserted);
    // The whole document is replaced: on or off as its lines need.
    void setOn(bool on);
    // The box's own font as its document shows it.
    QFont shownFont() const;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool isBlinkTimer(int timerId) const;

    QPlainTextEdit& m_box;
    QObject* m_control = nullptr;
    bool m_on = false;
};
