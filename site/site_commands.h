#pragma once

class Document;
class DocumentBox;
class QWidget;

// The site's commands in the box's context menu: フォルダ内の検索と置換 (Ctrl+Shift+F) and
// リンクの確認.
void installSiteCommands(Document& document, DocumentBox* box, QWidget* window);
