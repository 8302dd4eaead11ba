#include "app/window_settings.h"

#include <QString>

#include <cmath>

namespace {
// Anything beyond this is garbage, not a window position.
constexpr double kLargestCoordinate = 1.0e6;
constexpr int kSmallestSide = 100;
// How much of the title bar must stay on a screen to be grabbed with the mouse.
constexpr int kReachableTitle = 40;

std::optional<double> readNumber(const QByteArray& line)
{
    const QByteArray text = line.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = QString::fromLatin1(text).toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > kLargestCoordinate)
        return std::nullopt;
    return value;
}
}

WindowSettings parseWindowSettings(const QByteArray& fileBytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    // Lines end at CR LF, CR or LF; only the first four count.
    for (qsizetype i = 0; i < fileBytes.size() && lines.size() < 4; ++i) {
        const char c = fileBytes.at(i);
        if (c == '\r' || c == '\n') {
            lines.append(fileBytes.mid(start, i - start));
            if (c == '\r' && i + 1 < fileBytes.size() && fileBytes.at(i + 1) == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (lines.size() < 4 && start < fileBytes.size())
        lines.append(fileBytes.mid(start));

    WindowSettings s;
    std::optional<double>* fields[] = {&s.top, &s.left, &s.height, &s.width};
    for (int i = 0; i < 4 && i < lines.size(); ++i)
        *fields[i] = readNumber(lines.at(i));
    return s;
}

QByteArray formatSettingNumber(float value)
{
    if (!std::isfinite(value))
        return "0";
    if (value == std::floor(value) && std::fabs(value) < 1.0e9f)
        return QByteArray::number(static_cast<qint64>(value));
    // Shortest form that reads back as the same single-precision number, never exponent.
    QByteArray text = QByteArray::number(static_cast<double>(value), 'f', 7);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text;
}

QByteArray formatWindowSettings(const QRect& outerFrame)
{
    QByteArray out;
    for (int v : {outerFrame.top(), outerFrame.left(), outerFrame.height(), outerFrame.width()}) {
        out += formatSettingNumber(static_cast<float>(v));
        out += "\r\n";
    }
    return out;
}

QRect placeWindow(const QRect& currentOuter, const WindowSettings& settings,
                  const QList<QRect>& availableScreens)
{
    QRect r = currentOuter;
    auto whole = [](double v) { return static_cast<int>(std::lround(v)); };
    if (settings.top)
        r.moveTop(whole(*settings.top));
    if (settings.left)
        r.moveLeft(whole(*settings.left));
    if (settings.height)
        r.setHeight(whole(*settings.height));
    if (settings.width)
        r.setWidth(whole(*settings.width));

    if (r.width() < kSmallestSide)
        r.setWidth(qMax(kSmallestSide, currentOuter.width()));
    if (r.height() < kSmallestSide)
        r.setHeight(qMax(kSmallestSide, currentOuter.height()));

    if (availableScreens.isEmpty())
        return r;
    // Never larger than the screens together: a huge window is off screen, slow and costly.
    QRect desktop;
    for (const QRect& screen : availableScreens)
        desktop = desktop.united(screen);
    if (r.width() > desktop.width() || r.height() > desktop.height()) {
        r.setWidth(qMin(r.width(), desktop.width()));
        r.setHeight(qMin(r.height(), desktop.height()));
        r.moveLeft(qBound(desktop.left(), r.left(), desktop.right() + 1 - r.width()));
        r.moveTop(qBound(desktop.top(), r.top(), desktop.bottom() + 1 - r.height()));
    }
    const QRect title(r.left(), r.top(), r.width(), kReachableTitle);
    for (const QRect& screen : availableScreens) {
        const QRect seen = screen.intersected(title);
        if (seen.width() >= qMin(kReachableTitle, r.width()) && seen.top() == title.top())
            return r;
    }
    // Off every screen: keep the size (within the screen) and bring it back to the first.
    const QRect screen = availableScreens.first();
    r.setWidth(qMin(r.width(), screen.width()));
    r.setHeight(qMin(r.height(), screen.height()));
    r.moveTopLeft(screen.topLeft() + QPoint((screen.width() - r.width()) / 2,
                                            (screen.height() - r.height()) / 2));
    return r;
}
