#pragma once

struct FileCommandParts;

// 文字コード in the document box's context menu: the document's encoding, checked, with
// reopening the file in another one and choosing the one Save writes from now on.
void installEncodingMenu(const FileCommandParts& parts);
