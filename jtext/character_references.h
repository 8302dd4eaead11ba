#pragma once

#include "jtext/conversion.h"

#include <QStringView>

#include <functional>

namespace jtext {

// Whether the document's encoding can hold a character; an empty one holds only ASCII.
using CanHold = std::function<bool(char32_t)>;

// 文字参照にする: each character outside ASCII that `canHold` refuses becomes "&#x3042;" (a
// surrogate pair is one character and one reference; a lone surrogate, which no reference can
// stand for, stays as it is).
Conversion toCharacterReferences(QStringView text, const CanHold& canHold = {});

// 文字参照を文字に戻す: "&#12354;", "&#x3042;" and the named references of HTML 4 and &apos;
// become their characters. Left as they are: references without their ';', unknown names,
// numbers that are no character (0, surrogates, past U+10FFFF) or a control character other
// than tab and line feed, and characters `canHold` refuses (an empty one holds everything).
// So are the references to < > & " ', which would turn text into markup. 128-159 are read
// as windows-1252, as browsers read them (&#150; is –).
Conversion fromCharacterReferences(QStringView text, const CanHold& canHold = {});

}
