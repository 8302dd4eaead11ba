#include "colour/colour_model.h"

#include <algorithm>

QString twoDigitHex(int component)
{
    const int value = std::clamp(component, 0, 255);
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString bareColourCode(const Rgb& colour)
{
    return QLatin1Char('#') + twoDigitHex(colour.red) + twoDigitHex(colour.green)
        + twoDigitHex(colour.blue);
}

QString quotedColourCode(const Rgb& colour)
{
    return QLatin1Char('"') + bareColourCode(colour) + QLatin1Char('"');
}

const std::array<PaletteEntry, kPaletteSize>& palette()
{
    // The tip and the written name differ where a colour has two HTML names.
    static const std::array<PaletteEntry, kPaletteSize> entries{{
        {.button = "P1", .colour = {255, 0, 0}, .tip = "red", .name = "red"},
        {.button = "P2", .colour = {0, 0, 255}, .tip = "blue", .name = "blue"},
        {.button = "P3", .colour = {255, 255, 0}, .tip = "yellow", .name = "yellow"},
        {.button = "P4", .colour = {0, 255, 0}, .tip = "lime", .name = "lime"},
        {.button = "P5", .colour = {0, 255, 255}, .tip = "cyan/aqua", .name = "cyan or aqua"},
        {.button = "P6", .colour = {255, 0, 255}, .tip = "fuchsia/magenta", .name = "fuchsia or magenta"},
        {.button = "P7", .colour = {0, 0, 0}, .tip = "black", .name = "black"},
        {.button = "P8", .colour = {165, 42, 42}, .tip = "brown", .name = "brown"},
        {.button = "P9", .colour = {255, 165, 0}, .tip = "orange", .name = "orange"},
        {.button = "P10", .colour = {138, 43, 226}, .tip = "blueviolet", .name = "blueviolet"},
    }};
    return entries;
}
