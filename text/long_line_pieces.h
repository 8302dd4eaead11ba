#pragma once

#include <QList>
#include <QStringView>

// A line too long to be laid out whole is held in pieces: the document box keeps each piece as
// a block of its own, joined to the next by a soft break that is no part of the text.
namespace longlinepieces {

// Lines up to this length are held whole.
constexpr qsizetype kLongestWholeLine = 100000;
// The length a piece aims at. A piece ends after a '>' in its last half where there is one, so
// a page of markup reads as if broken at its tags.
constexpr qsizetype kPieceLength = 4096;

// Whether `crlfText` (lines ending in CR LF, a lone CR or a lone LF) has a line too long to
// hold whole. Reading stops at the first such line.
bool needsPieces(QStringView crlfText);

// Where the soft breaks go in `line` (a line without its break): the positions the pieces
// after the first start at. Empty when the line is held whole. A pair of surrogates is never
// parted.
QList<qsizetype> pieceStarts(QStringView line);

}
