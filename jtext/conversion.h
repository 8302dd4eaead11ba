#pragma once

#include <QString>

// What a text conversion gives back: the new text, how many characters it changed (for the
// message that says so; a character made of two, as ｶﾞ into ガ, counts once), and how many it
// left as they were on purpose, where converting them would have made markup.
namespace jtext {

struct Conversion {
    QString text;
    qsizetype changed = 0;
    qsizetype left = 0;
};

}
