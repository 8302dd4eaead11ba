#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The leading number of a text, read the way the count fields are read: blanks, tabs and
// line feeds are skipped wherever they stand; then an optional sign, digits, an optional
// decimal point with fraction digits and an optional exponent. Reading stops at the first
// character that cannot continue the number; a text that does not begin with one gives 0.
double readNumber(QStringView text);

// Counts above these keep every tick fast enough that the window stays responsive.
constexpr int kMaxTableRows = 1000;
constexpr int kMaxTableColumns = 100;

struct Count {
    int value = 0;        // whole rows or columns to write: fractions cut off, below 1 gives 0
    bool clamped = false; // the text asked for more than the bound (or for no finite number)
};
Count readCount(QStringView text, int bound);

// The six optional attributes of the table tag, in the order they are written.
constexpr int kTableAttributeCount = 6;
const std::array<const char*, kTableAttributeCount>& tableAttributeNames();

// The value of each attribute whose tick box is ticked; unticked ones are empty.
using TableAttributes = std::array<std::optional<QString>, kTableAttributeCount>;

// "<table" with the ticked attributes, ">", a "<tr>" line for each row with a "<td>" line for
// each column under it, and "</table>"; every line ends in CR LF. Values go in as they stand.
QString tableMarkup(const TableAttributes& attributes, int rows, int columns);

// What the builder holds before its first tick: no final CR LF.
QString initialTableMarkup();
