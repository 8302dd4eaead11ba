#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// TempTable: the user templates listed in template/temp1.ini, one "caption,file name" a
// line. Every comma of a line makes an entry (caption before it, file name after it), and
// the menu shows one element per non-empty line, captioned from the entries in order. A
// line without a comma thus leaves the last elements without entries, and a line with two
// commas pushes the later entries up by one.
class TemplateTable {
public:
    // The uTemp1 family's 16-bit indices would allow 32768 elements, but a menu takes longer
    // for each entry already in it, and that many would hold up the start by seconds. No one
    // keeps this many templates; the lines after the last element are not read.
    static constexpr qsizetype kMaxElements = 8192;

    TemplateTable() = default;

    // Menu elements: the number of non-empty lines, at most kMaxElements.
    qsizetype elementCount() const { return m_elementCount; }
    // One row more than there are elements; no rows at all while the list is empty.
    qsizetype rowCount() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    // Empty for a row that no entry filled, or one out of range.
    QString caption(qsizetype row) const;
    QString fileName(qsizetype row) const;

    // `text` is the decoded list file; a line ends at CR LF, CR or LF.
    static TemplateTable parse(const QString& text);

private:
    // Entries point into the list's text, so a long line with many commas costs no more
    // memory than the line itself.
    struct Entry {
        qsizetype lineStart = 0;
        qsizetype comma = -1; // -1: no entry
        qsizetype lineEnd = 0;
    };
    QString m_text;
    QList<Entry> m_rows;
    qsizetype m_elementCount = 0;
};

// A template file's text as it is inserted: CR LF line ends, and every line, the last one
// included, followed by CR LF. An empty file gives the empty text.
QString templateInsertionText(QStringView decodedFile);
