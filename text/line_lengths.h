#pragma once

#include <QStringView>

// Line lengths of a text whose lines end in CR LF, a lone CR or a lone LF.
namespace linelengths {

// The length of the longest line of `text`; once a line longer than `limit` is seen the
// count stops there, so a large page with a long line is not read to its end.
qsizetype longest(QStringView text, qsizetype limit);

// The longest line there will be once `inserted` stands between `before` characters (the rest
// of the line it starts in) and `after` characters (the rest of the line it ends in).
qsizetype longestAfterInsertion(qsizetype before, QStringView inserted, qsizetype after,
                                qsizetype limit);

}
