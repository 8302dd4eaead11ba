#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

// CP932 gives some characters two byte forms: the NEC-selected IBM extensions (rows ED and EE)
// beside IBM's own (FA to FC), NEC's row 13 and IBM's symbols beside the JIS ones. The writer
// picks one; a page written elsewhere may hold the other, and an edit must not rewrite it.
// The forms a page used where the writer picks another: the writer's two bytes to the page's,
// each as lead << 8 | trail.
using ByteForms = QHash<quint16, quint16>;

// Empty when the page holds only the forms the writer gives (as most pages do).
ByteForms cp932FormsUsed(QByteArrayView bytes);

// For a walk that does its own reading: whether a lead byte's row may hold a second form, and
// the writer's code for `code` when it is a second form the writer does not give (0 when not).
inline bool mayBeCp932SecondForm(uchar lead)
{
    return lead == 0x87 || lead == 0xED || lead == 0xEE || lead >= 0xFA;
}
quint16 cp932WritersFormOf(quint16 code);

// CP932 bytes as the writer gave them, each character of `forms` put back in the page's form.
void restoreCp932Forms(QByteArray& bytes, const ByteForms& forms);
