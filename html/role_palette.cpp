#include "html/role_palette.h"

#include <algorithm>
#include <cmath>

namespace html {
namespace {

double linear(int component)
{
    const double c = std::clamp(component, 0, 255) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(Rgb c) { return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue); }

Rgb fromHsl(double hue, double saturation, double lightness)
{
    const double chroma = (1 - std::abs(2 * lightness - 1)) * saturation;
    const double h = std::fmod(hue, 360.0) / 60.0;
    const double x = chroma * (1 - std::abs(std::fmod(h, 2.0) - 1));
    double r = 0, g = 0, b = 0;
    if (h < 1) { r = chroma; g = x; }
    else if (h < 2) { r = x; g = chroma; }
    else if (h < 3) { g = chroma; b = x; }
    else if (h < 4) { g = x; b = chroma; }
    else if (h < 5) { r = x; b = chroma; }
    else { r = chroma; b = x; }
    const double m = lightness - chroma / 2;
    const auto byte = [m](double v) { return int(std::lround(std::clamp(v + m, 0.0, 1.0) * 255)); };
    return {byte(r), byte(g), byte(b)};
}

struct Hue {
    double hue;
    double saturation;
};

// In the order of html::Role; Plain is never looked up.
constexpr Hue kHues[kRoleCount] = {
    {0, 0},       // Plain
    {215, 0.45},  // TagPunctuation: the element's blue, quieter
    {215, 0.85},  // ElementName
    {280, 0.6},   // AttributeName
    {140, 0.7},   // AttributeValue
    {100, 0.15},  // Comment: near grey, so it recedes
    {300, 0.5},   // Doctype
    {25, 0.9},    // CharacterReference
    {100, 0.15},  // CssComment
    {140, 0.7},   // CssString
    {190, 0.8},   // CssProperty
    {100, 0.15},  // JsComment
    {140, 0.7},   // JsString
    {0, 0.75},    // ServerSide
};

constexpr double kReadable = 4.5;

Rgb mix(Rgb from, Rgb to, double share)
{
    const auto one = [share](int a, int b) { return int(std::lround(a + (b - a) * share)); };
    return {one(from.red, to.red), one(from.green, to.green), one(from.blue, to.blue)};
}

}

Rgb faintColour(Rgb background, Rgb font) { return mix(background, font, 0.35); }

Rgb markBackground(Rgb background, Rgb font) { return mix(background, font, 0.12); }

double contrastRatio(Rgb a, Rgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

RolePalette rolePalette(Rgb background, Rgb font)
{
    const double lb = luminance(background);
    // Towards whichever of black and white stands farther from the background.
    const bool darkText = (lb + 0.05) / 0.05 >= 1.05 / (lb + 0.05);
    RolePalette palette;
    palette[int(Role::Plain)] = font;
    for (int role = 1; role < kRoleCount; ++role) {
        const Hue h = kHues[role];
        double lightness = darkText ? 0.4 : 0.7;
        Rgb colour = fromHsl(h.hue, h.saturation, lightness);
        while (contrastRatio(colour, background) < kReadable && lightness > 0.0 && lightness < 1.0) {
            lightness = std::clamp(lightness + (darkText ? -0.02 : 0.02), 0.0, 1.0);
            colour = fromHsl(h.hue, h.saturation, lightness);
        }
        palette[role] = colour;
    }
    return palette;
}

}
