#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>

#include <optional>

// vornik!.ini: four lines, the outer frame's top, left, height and width in pixels. Any line
// may be missing or unreadable; that value is then left as it is.
struct WindowSettings {
    std::optional<double> top;
    std::optional<double> left;
    std::optional<double> height;
    std::optional<double> width;
};

WindowSettings parseWindowSettings(const QByteArray& fileBytes);
QByteArray formatWindowSettings(const QRect& outerFrame);

// One number as the settings file writes it: plain decimal, no exponent, no padding, a
// whole number without a fraction, a minus sign for negatives.
QByteArray formatSettingNumber(float value);

// Where the window goes: the stored values over the current frame, then pulled back so that
// it is at least 100 × 100, no larger than the screens, and its title bar can be reached on
// one of the screens.
QRect placeWindow(const QRect& currentOuter, const WindowSettings& settings,
                  const QList<QRect>& availableScreens);
