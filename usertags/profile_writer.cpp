#include "usertags/profile_writer.h"

#include "usertags/profile_reader.h"

#include <QHash>

namespace {

struct Line {
    qsizetype start = 0;
    qsizetype length = 0;     // without the line end
    qsizetype endLength = 0;  // 0 for a last line without one
};

QList<Line> splitLines(QByteArrayView body)
{
    QList<Line> lines;
    qsizetype pos = 0;
    while (pos < body.size()) {
        Line line{pos, 0, 0};
        qsizetype end = pos;
        while (end < body.size() && body[end] != '\r' && body[end] != '\n')
            ++end;
        line.length = end - pos;
        if (end < body.size())
            line.endLength = (body[end] == '\r' && end + 1 < body.size() && body[end + 1] == '\n') ? 2 : 1;
        lines.append(line);
        pos = end + line.endLength;
    }
    return lines;
}

QByteArrayView trimmed(QByteArrayView bytes)
{
    return withoutProfileBlanks(bytes);
}

QString decode(QByteArrayView bytes, TextEncoding encoding)
{
    return encoding == TextEncoding::Cp932 ? decodeCp932(bytes) : QString::fromUtf8(bytes);
}

QByteArray encode(const QString& text, TextEncoding encoding)
{
    return encodeText(text, encoding == TextEncoding::Cp932 ? TextEncoding::Cp932 : TextEncoding::Utf8).bytes;
}

} // namespace

QByteArray withProfileValues(const QByteArray& original, const QString& section, const ProfileValues& values,
                             TextEncoding encoding)
{
    QByteArrayView body(original);
    QByteArray out;
    if (body.startsWith("\xEF\xBB\xBF")) {
        out = "\xEF\xBB\xBF";
        body = body.sliced(3);
    }
    const QList<Line> lines = splitLines(body);
    QByteArray newline = "\r\n";
    for (const Line& line : lines) {
        if (line.endLength) {
            newline = body.sliced(line.start + line.length, line.endLength).toByteArray();
            break;
        }
    }
    auto content = [&](const Line& line) { return trimmed(body.sliced(line.start, line.length)); };

    // The first section of the name, as the reader finds it.
    const QString wanted = foldProfileName(section);
    qsizetype header = -1;
    qsizetype sectionEnd = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArrayView text = content(lines[i]);
        if (!text.startsWith('['))
            continue;
        if (header >= 0) {
            sectionEnd = i;
            break;
        }
        const QString name = decode(text.sliced(1), encoding);
        const qsizetype close = name.indexOf(u']');
        if (foldProfileName(close < 0 ? QStringView(name) : QStringView(name).first(close)) == wanted)
            header = i;
    }

    // Where each key of the section first stands.
    QHash<QString, qsizetype> keyLines;
    for (qsizetype i = header + 1; header >= 0 && i < sectionEnd; ++i) {
        const QByteArrayView text = content(lines[i]);
        const qsizetype equals = text.indexOf('=');
        if (equals >= 0) {
            const QString key = foldProfileName(decode(trimmed(text.first(equals)), encoding));
            if (!keyLines.contains(key))
                keyLines.insert(key, i);
        }
    }

    QHash<qsizetype, QByteArray> replaced; // line index -> new content
    QByteArray added;
    for (const auto& [key, value] : values) {
        const qsizetype at = keyLines.value(foldProfileName(key), -1);
        if (at >= 0) {
            const QByteArrayView text = content(lines[at]);
            replaced.insert(at, trimmed(text.first(text.indexOf('='))).toByteArray() + '=' + encode(value, encoding));
        } else if (!value.isEmpty()) {
            added += encode(key, encoding) + '=' + encode(value, encoding) + newline;
        }
    }

    // New keys go after the section's last line that is not blank.
    qsizetype insertAfter = -1;
    if (header >= 0) {
        insertAfter = header;
        for (qsizetype i = header + 1; i < sectionEnd; ++i) {
            if (!content(lines[i]).isEmpty())
                insertAfter = i;
        }
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (const auto hit = replaced.constFind(i); hit != replaced.constEnd())
            out += *hit;
        else
            out += body.sliced(line.start, line.length);
        if (line.endLength)
            out += body.sliced(line.start + line.length, line.endLength);
        else if (i == insertAfter && !added.isEmpty())
            out += newline;
        if (i == insertAfter)
            out += added;
    }
    if (header < 0 && !added.isEmpty()) {
        if (!lines.isEmpty() && lines.constLast().endLength == 0)
            out += newline;
        if (!lines.isEmpty() && !content(lines.constLast()).isEmpty())
            out += newline; // a blank line between sections
        out += '[' + encode(section, encoding) + ']' + newline + added;
    }
    return out;
}

QByteArray profileFileWithValues(const Profile& profile, const QString& section, const ProfileValues& values)
{
    QByteArray scanned = withProfileValues(profile.bytes(), section, values, scanEncoding(profile.encoding()));
    // A UTF-8 file whose new text would read as CP932 (see scanBytes) keeps its encoding by a
    // byte-order mark.
    if (profile.encoding() == ProfileEncoding::Utf8 && scanBytes(scanned).encoding != ProfileEncoding::Utf8)
        scanned.prepend("\xEF\xBB\xBF");
    return fileBytes(scanned, profile.encoding());
}

qsizetype valueByteCount(const QString& value, ProfileEncoding encoding)
{
    if (isUtf16(encoding))
        return value.size() * 2;
    return encode(value, scanEncoding(encoding)).size();
}

std::optional<QString> valueProblem(const QString& value, ProfileEncoding encoding)
{
    if (value.contains(u'\r') || value.contains(u'\n'))
        return QStringLiteral("改行を含めることはできません。");
    if (value.contains(QChar(0)))
        return QStringLiteral("NUL 文字を含めることはできません。");
    // The reader takes them off: saved, the value would come back without them.
    if (withoutProfileBlanks(value).size() != value.size())
        return QStringLiteral("前後の空白 (スペース、タブなど) は保存できません。");
    if (encoding == ProfileEncoding::Cp932) {
        const EncodedText encoded = encodeText(value, TextEncoding::Cp932);
        if (encoded.unencodableCount > 0)
            return QStringLiteral("この設定ファイルの文字コード (Shift_JIS) で表せない文字があります。");
    }
    const qsizetype bytes = valueByteCount(value, encoding);
    if (bytes > Profile::kMaxValueBytes)
        return QStringLiteral("%1 バイトあります。%2 バイトまでにしてください。").arg(bytes).arg(Profile::kMaxValueBytes);
    return std::nullopt;
}
