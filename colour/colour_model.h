#pragma once

#include <QString>

#include <array>

// The one colour of the picker: three components of 0 to 255.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A component as two upper-case hexadecimal digits ("00" to "FF"); values outside 0 to 255
// are held to that range first, so the code is always seven characters.
QString twoDigitHex(int component);
// "#RRGGBB".
QString bareColourCode(const Rgb& colour);
// "#RRGGBB" with a double quote at each end, ready to stand as an attribute value.
QString quotedColourCode(const Rgb& colour);

// One palette button: its face colour, its hover tip and the name a click writes.
struct PaletteEntry {
    const char* button;
    Rgb colour;
    const char* tip;
    const char* name;
};

constexpr int kPaletteSize = 10;
const std::array<PaletteEntry, kPaletteSize>& palette();

// The palette buttons' face before they are painted.
constexpr Rgb kNeutralFace{192, 192, 192};
