#pragma once

#include "html/html_scan.h"

#include <array>

// The colours of the roles, made for the background the user chose (カラー変更), so that
// every one stays readable on light, dark and coloured backgrounds alike.
namespace html {

// A colour as 0-255 components; the core library has no QColor.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

using RolePalette = std::array<Rgb, kRoleCount>;

// Each role keeps a hue of its own; its lightness is moved away from the background's until
// the two stand apart by at least the contrast ratio of ordinary readable text (4.5 : 1),
// towards black on a light background and towards white on a dark one. Plain text keeps the
// user's font colour.
RolePalette rolePalette(Rgb background, Rgb font);

// Marks that should be seen without being read: the full-width space, tab and line-end marks,
// the line numbers away from the caret's line. The font colour, a third of the way from the
// background.
Rgb faintColour(Rgb background, Rgb font);

// A background for marking a tag and its partner: the background moved a little towards the
// font colour, so the marked text keeps its own colours and stays readable.
Rgb markBackground(Rgb background, Rgb font);

// The contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double contrastRatio(Rgb a, Rgb b);

}
