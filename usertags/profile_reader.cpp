#include "usertags/profile_reader.h"

#include "text/file_read.h"

#include <QHash>

#include <cstring>

namespace {

QByteArrayView trimmed(QByteArrayView bytes)
{
    return withoutProfileBlanks(bytes);
}

bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool isCp932LeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

QString decode(QByteArrayView bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Cp932)
        return decodeCp932(bytes);
    return QString::fromUtf8(bytes);
}

// A name as compared: ASCII names (all the store's) take the quick way.
QString foldBytes(QByteArrayView name, TextEncoding encoding)
{
    if (isAscii(name)) {
        QByteArray lower = name.toByteArray().toLower();
        return QString::fromLatin1(lower);
    }
    return foldProfileName(decode(name, encoding));
}

constexpr char kBom[] = "\xEF\xBB\xBF";

} // namespace

QString foldProfileName(QStringView name)
{
    return withoutProfileBlanks(name).toString().toCaseFolded();
}

bool isProfileBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

QByteArrayView withoutProfileBlanks(QByteArrayView bytes)
{
    qsizetype from = 0;
    qsizetype to = bytes.size();
    while (from < to && isProfileBlank(QLatin1Char(bytes[from])))
        ++from;
    while (to > from && isProfileBlank(QLatin1Char(bytes[to - 1])))
        --to;
    return bytes.sliced(from, to - from);
}

QStringView withoutProfileBlanks(QStringView text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isProfileBlank(text[from]))
        ++from;
    while (to > from && isProfileBlank(text[to - 1]))
        --to;
    return text.sliced(from, to - from);
}

QByteArray cutAtCharacterBoundary(const QByteArray& bytes, TextEncoding encoding, qsizetype limit)
{
    if (bytes.size() <= limit)
        return bytes;
    if (encoding == TextEncoding::Cp932) {
        qsizetype i = 0;
        while (i < bytes.size()) {
            const qsizetype length = isCp932LeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
            if (i + length > limit)
                break;
            i += length;
        }
        return bytes.first(i);
    }
    qsizetype cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
        --cut;
    return bytes.first(cut);
}

Profile Profile::load(const QString& path)
{
    FileRead bytes = readWholeFile(path, ReadCap::firstBytes(kMaxFileBytes));
    if (!bytes)
        return {};
    return fromBytes(bytes.take());
}

Profile Profile::fromBytes(QByteArray bytes)
{
    ScanBytes scan = scanBytes(std::move(bytes));
    Profile profile;
    profile.m_bytes = std::move(scan.bytes);
    profile.m_encoding = scan.encoding;
    profile.m_writable = scan.writable;
    return profile;
}

QString Profile::value(QStringView section, QStringView key) const
{
    return values(section, {key.toString()}).constFirst();
}

QStringList Profile::values(QStringView section, const QStringList& keys) const
{
    QStringList result(keys.size());
    QStringList folded;
    folded.reserve(keys.size());
    QHash<QString, qsizetype> wanted; // folded name -> first index asking for it
    // The same for ASCII names, so the file's (ASCII) key names need no conversion.
    QHash<QByteArray, qsizetype> wantedAscii;
    qsizetype longestKey = 0;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        folded.append(foldProfileName(keys[i]));
        const qsizetype first = wanted.value(folded.constLast(), i);
        wanted.insert(folded.constLast(), first);
        if (isAscii(folded.constLast().toLatin1()))
            wantedAscii.insert(folded.constLast().toLatin1(), first);
        longestKey = qMax(longestKey, keys[i].size());
    }
    QByteArray lowered;
    // A key name of the file that is longer than this cannot fold to a wanted one.
    const qsizetype keyByteLimit = longestKey * 4 + 16;
    const QString wantedSection = foldProfileName(section);
    const TextEncoding encoding = scanEncoding(m_encoding);
    const bool utf16 = isUtf16(m_encoding);

    QByteArrayView body(m_bytes);
    if (body.startsWith(QByteArrayView(kBom)))
        body = body.sliced(3);

    QList<bool> found(keys.size(), false);
    qsizetype remaining = wanted.size();
    bool inSection = false;
    bool sectionSeen = false;
    const char* const begin = body.data();
    const qsizetype size = body.size();
    qsizetype pos = 0;
    while (pos < size && remaining > 0) {
        // A line ends at CR or LF; neither is ever part of a two-byte character.
        qsizetype end = pos;
        while (end < size && begin[end] != '\r' && begin[end] != '\n')
            ++end;
        const QByteArrayView line = trimmed(QByteArrayView(begin + pos, end - pos));
        pos = end + 1;

        if (line.startsWith('[')) {
            if (sectionSeen)
                break; // only the first section of the name counts
            // "]" may be the second byte of a CP932 character: look for it in the text.
            const QString text = decode(line.sliced(1), encoding);
            const qsizetype close = text.indexOf(u']');
            inSection = foldProfileName(close < 0 ? QStringView(text) : QStringView(text).first(close))
                == wantedSection;
            sectionSeen = inSection;
            continue;
        }
        if (!inSection)
            continue;
        // "=" (0x3D) is never a byte of a two-byte character in either encoding.
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArrayView keyBytes = trimmed(line.first(equals));
        if (keyBytes.size() > keyByteLimit)
            continue;
        qsizetype index = -1;
        if (isAscii(keyBytes)) {
            lowered.resize(keyBytes.size());
            for (qsizetype i = 0; i < keyBytes.size(); ++i) {
                const char c = keyBytes[i];
                lowered[i] = (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
            }
            index = wantedAscii.value(lowered, -1);
        } else {
            index = wanted.value(foldBytes(keyBytes, encoding), -1);
        }
        if (index < 0 || found[index])
            continue;
        QByteArrayView value = trimmed(line.sliced(equals + 1));
        // A value is a C string to the programs that write these files.
        if (const void* nul = std::memchr(value.data(), 0, size_t(value.size())))
            value = value.first(static_cast<const char*>(nul) - value.data());
        found[index] = true;
        if (utf16) {
            // 255 bytes of UTF-16 hold 127 units; a pair is never split. Three UTF-8 bytes
            // at most make a unit, so the start of the value is enough to decode.
            QString text = QString::fromUtf8(value.first(qMin(value.size(), 3 * kMaxValueBytes)));
            qsizetype units = kMaxValueBytes / 2;
            if (text.size() > units) {
                if (text[units - 1].isHighSurrogate())
                    --units;
                text.truncate(units);
            }
            result[index] = text;
        } else {
            const QByteArray cut = cutAtCharacterBoundary(
                value.first(qMin(value.size(), kMaxValueBytes + 1)).toByteArray(), encoding, kMaxValueBytes);
            result[index] = decode(cut, encoding);
        }
        --remaining;
    }
    // Equal names asked for twice get the same answer.
    for (qsizetype i = 0; i < keys.size(); ++i)
        result[i] = result[wanted.value(folded[i])];
    return result;
}
