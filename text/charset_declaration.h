#pragma once

#include "text/text_change.h"
#include "text/text_encoding.h"

#include <QString>
#include <QStringView>

// The charset a page declares in <meta charset> and in a Content-Type meta (http-equiv), kept
// true when the encoding it is saved in changes.

// The name a page declares for the encoding, as browsers know it: "UTF-8", "Shift_JIS",
// "EUC-JP", "ISO-2022-JP", "UTF-16". The JIS X 0213 forms go by their base names, which is
// what browsers read them as.
QString declaredName(TextEncoding encoding);

// The changes that make every such declaration in `text` that names `from` name `to`
// instead; none when no declaration names `from`, or `to` has the same name.
TextChanges charsetDeclarationChanges(QStringView text, TextEncoding from, TextEncoding to);
