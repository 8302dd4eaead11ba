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

// The name that makes the next open read a page in `encoding` and nothing else: the JIS X 0213
// forms by their own names ("Shift_JIS-2004", "EUC-JIS-2004"), which browsers do not know.
// Empty for UTF-16, whose declaration is not read from its bytes.
QString exactDeclaredName(TextEncoding encoding);

// The changes that make `text` declare exactly `encoding`: every charset value of a <meta>
// rewritten, or, where none is, <meta charset="..."> put after <head>. None where neither can
// be done (no <head>, or UTF-16).
TextChanges exactDeclarationChanges(QStringView text, TextEncoding encoding);
