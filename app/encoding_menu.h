#pragma once

#include "text/text_encoding.h"

struct FileCommandParts;

// 文字コード in the document box's context menu: the document's encoding, checked, with
// reopening the file in another one and choosing the one Save writes from now on.
void installEncodingMenu(const FileCommandParts& parts);

// The page's text now goes to the file in `to`: where a <meta> still declares `from`, asks
// whether to make it declare `to`, and does so (one undo step). True when the text changed.
bool offerDeclarationChange(const FileCommandParts& parts, TextEncoding from, TextEncoding to);
