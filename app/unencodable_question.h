#pragma once

#include "text/text_encoding.h"

class QWidget;

enum class UnencodableChoice { CharacterReferences, Utf8, Cancel };

// Before a save that cannot write the text as it stands: characters the document's encoding
// cannot hold (`report`), or bytes that were read as U+FFFD (`undecodable`). Answers
// CharacterReferences to save in `encoding` as far as it goes, Utf8 to save as UTF-8. A page
// read from an encoding the editor does not read names it in `foreignEncoding`.
UnencodableChoice askAboutUnencodable(QWidget& window, const EncodedText& report, TextEncoding encoding,
                                      bool undecodable, const QString& foreignEncoding = {});

enum class ReadBackChoice { Declaration, ByteOrderMark, AsItIs, Cancel };

// Before a save whose bytes the next open would read as another text: the encoding cannot be
// told from them. Offers writing `declaration` (the charset's name; empty: not offered) into the
// page, a byte-order mark (`byteOrderMark`), or saving as it is.
ReadBackChoice askAboutReadingBack(QWidget& window, TextEncoding encoding, const QString& declaration,
                                   bool byteOrderMark);
