#include "text/byte_forms.h"

#include "text/iconv_codec.h"

#include <QString>

namespace {

bool isLead(uchar c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Each code of those rows the writer does not give back as itself, to the code it gives;
// worked out once from the converter, so the table is glibc's own.
const ByteForms& secondForms()
{
    static const ByteForms table = [] {
        ByteForms forms;
        auto cp932 = [](QByteArrayView b) { return decodeWithIconv("CP932", b); };
        for (int lead : {0x87, 0xED, 0xEE, 0xFA, 0xFB, 0xFC}) {
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const char code[2] = {char(lead), char(trail)};
                bool bad = false;
                const QString c = decodeWithIconv("CP932", QByteArrayView(code, 2), &bad);
                if (bad || c.isEmpty())
                    continue;
                const QByteArray written = encodeWithIconv("CP932", c, Unencodable::Report, cp932).bytes;
                if (written.size() == 2 && written != QByteArrayView(code, 2))
                    forms.insert(quint16(lead << 8 | trail), quint16(uchar(written[0]) << 8 | uchar(written[1])));
            }
        }
        return forms;
    }();
    return table;
}

template <class Each>
void forEachDoubleByte(QByteArrayView bytes, Each each)
{
    for (qsizetype i = 0; i + 1 < bytes.size();) {
        const uchar c = uchar(bytes[i]);
        if (!isLead(c)) {
            ++i;
            continue;
        }
        each(i, quint16(c << 8 | uchar(bytes[i + 1])));
        i += 2;
    }
}

}

quint16 cp932WritersFormOf(quint16 code)
{
    return secondForms().value(code, 0);
}

ByteForms cp932FormsUsed(QByteArrayView bytes)
{
    ByteForms used;
    // Most pages hold no byte of those rows at all: a count the compiler can widen says so
    // before the walk that keeps to the characters' bounds.
    qsizetype rows = 0;
    for (const char c : bytes)
        rows += mayBeCp932SecondForm(uchar(c));
    if (rows == 0)
        return used;
    forEachDoubleByte(bytes, [&](qsizetype, quint16 code) {
        if (!mayBeCp932SecondForm(uchar(code >> 8)))
            return;
        const auto writer = secondForms().constFind(code);
        // A page that holds a character in two second forms keeps the first it used.
        if (writer != secondForms().constEnd() && !used.contains(*writer))
            used.insert(*writer, code);
    });
    return used;
}

void restoreCp932Forms(QByteArray& bytes, const ByteForms& forms)
{
    if (forms.isEmpty())
        return;
    char* data = nullptr;
    forEachDoubleByte(bytes, [&](qsizetype i, quint16 code) {
        const auto page = forms.constFind(code);
        if (page == forms.constEnd())
            return;
        if (!data)
            data = bytes.data(); // detached only when something changes
        data[i] = char(*page >> 8);
        data[i + 1] = char(*page & 0xFF);
    });
}
