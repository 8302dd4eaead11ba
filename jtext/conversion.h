#pragma once

#include <QString>

// What a text conversion gives back: the new text, and how many characters it changed (for
// the message that says so; a character made of two, as ｶﾞ into ガ, counts once).
namespace jtext {

struct Conversion {
    QString text;
    qsizetype changed = 0;
};

}
