#pragma once

#include <QtGlobal>

#include <cmath>

// The windows and the companion's placement were designed in twips, 15 to a pixel. Every
// conversion rounds to the nearest pixel, halves away from zero (an odd divisor leaves no
// exact half for whole twips).
inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

inline int twipsToPixels(double twips)
{
    return int(std::lround(twips / kTwipsPerPixel));
}

constexpr qint64 pixelsToTwips(qint64 pixels)
{
    return pixels * kTwipsPerPixel;
}
