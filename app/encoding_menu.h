#pragma once

#include "text/text_encoding.h"

#include <QString>

struct FileCommandParts;
class TextModel;

// 文字コード in the document box's context menu: the document's encoding, checked, with
// reopening the file in another one and choosing the one Save writes from now on.
void installEncodingMenu(const FileCommandParts& parts);

// The page's text goes to the file in `to` from now on: where a <meta> still declares `from`,
// asks whether to make it declare `to`. True when there is one and the answer is yes.
bool askDeclarationChange(const FileCommandParts& parts, TextEncoding from, TextEncoding to);

// The page's text, CR LF between lines, with what declares `from` declaring `to`: what a save
// writes before the page itself is changed, so that a failed save changes neither.
QString textDeclaring(const TextModel& model, TextEncoding from, TextEncoding to);

// Makes every declaration of `from` declare `to` as one undo step; the caret and the selection
// stay where they were. True when the text changed.
bool makeDeclarationChange(const FileCommandParts& parts, TextEncoding from, TextEncoding to);
