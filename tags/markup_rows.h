#pragma once

#include <QString>
#include <QStringView>

#include <span>

// A built-in markup command is one row of data. A wrapping row puts its opening text before
// the selection and its closing text after it; an inserting row replaces the selection with
// its fixed text. One routine runs every row.
enum class MarkupKind { Wrap, Insert };

struct MarkupRow {
    const char* item;    // the menu item that runs it
    MarkupKind kind;
    const char* opening; // or the inserted text
    const char* closing; // empty for inserting rows
};

std::span<const MarkupRow> markupRows();
const MarkupRow* findMarkupRow(QStringView item);

// The text the row puts in place of `selection` (which an inserting row ignores).
QString markupText(const MarkupRow& row, const QString& selection);
