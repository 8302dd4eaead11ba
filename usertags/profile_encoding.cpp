#include "usertags/profile_encoding.h"

#include <QUtf8StringView>

namespace {

QString fromUtf16(QByteArrayView body, bool bigEndian)
{
    QString text(body.size() / 2, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i + 1 < body.size(); i += 2) {
        const auto first = static_cast<unsigned char>(body[i]);
        const auto second = static_cast<unsigned char>(body[i + 1]);
        out[i / 2] = bigEndian ? char16_t(first << 8 | second) : char16_t(second << 8 | first);
    }
    return text;
}

QByteArray toUtf16(QStringView text, bool bigEndian)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        bytes[2 * i] = char(bigEndian ? unit >> 8 : unit & 0xFF);
        bytes[2 * i + 1] = char(bigEndian ? unit & 0xFF : unit >> 8);
    }
    return bytes;
}

// UTF-8 or CP932, from the whole file. Valid UTF-8 that holds no character beyond U+07FF
// (nothing Japanese, only Latin, Greek or Cyrillic letters) but is whole CP932 is CP932: its
// bytes are half-width katakana there, which a save of one ASCII value must not turn into
// "ý" by taking away the file's last byte that UTF-8 cannot hold.
ProfileEncoding eightBitEncoding(QByteArrayView body)
{
    if (!QUtf8StringView(body).isValidUtf8())
        return ProfileEncoding::Cp932;
    bool twoByteOnly = false;
    for (char c : body) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0xE0)
            return ProfileEncoding::Utf8;
        twoByteOnly = twoByteOnly || b >= 0x80;
    }
    if (!twoByteOnly)
        return ProfileEncoding::Utf8;
    bool undecodable = false;
    decodeCp932(body, &undecodable);
    return undecodable ? ProfileEncoding::Utf8 : ProfileEncoding::Cp932;
}

QByteArray byteOrderMark(bool bigEndian)
{
    return bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
}

} // namespace

bool isUtf16(ProfileEncoding encoding)
{
    return encoding == ProfileEncoding::Utf16Le || encoding == ProfileEncoding::Utf16Be;
}

ScanBytes scanBytes(QByteArray file)
{
    ScanBytes scan;
    const bool little = file.startsWith("\xFF\xFE") && !file.startsWith(QByteArrayView("\xFF\xFE\0\0", 4));
    const bool big = file.startsWith("\xFE\xFF");
    if (little || big) {
        scan.encoding = big ? ProfileEncoding::Utf16Be : ProfileEncoding::Utf16Le;
        const QByteArrayView body = QByteArrayView(file).sliced(2);
        scan.bytes = fromUtf16(body, big).toUtf8();
        // Lone surrogates and an odd last byte do not survive the way through UTF-8.
        scan.writable = fileBytes(scan.bytes, scan.encoding) == file;
        return scan;
    }
    QByteArrayView body(file);
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    const bool marked = body.size() < file.size();
    scan.encoding = marked && QUtf8StringView(body).isValidUtf8() ? ProfileEncoding::Utf8 : eightBitEncoding(body);
    scan.writable = !file.contains('\0');
    scan.bytes = std::move(file);
    return scan;
}

QByteArray fileBytes(const QByteArray& scanned, ProfileEncoding encoding)
{
    if (!isUtf16(encoding))
        return scanned;
    const bool big = encoding == ProfileEncoding::Utf16Be;
    return byteOrderMark(big) + toUtf16(QString::fromUtf8(scanned), big);
}

TextEncoding scanEncoding(ProfileEncoding encoding)
{
    return encoding == ProfileEncoding::Cp932 ? TextEncoding::Cp932 : TextEncoding::Utf8;
}

QString profileEncodingName(ProfileEncoding encoding)
{
    // The file's encoding under the name the document's encodings go by.
    switch (encoding) {
    case ProfileEncoding::Utf16Le:
        return encodingName(TextEncoding::Utf16Le);
    case ProfileEncoding::Utf16Be:
        return encodingName(TextEncoding::Utf16Be);
    case ProfileEncoding::Utf8:
    case ProfileEncoding::Cp932:
        break;
    }
    return encodingName(scanEncoding(encoding));
}
