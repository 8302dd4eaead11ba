#include "recovery/recovery_copy.h"

#include "text/private_file.h"
#include "text/text_encoding.h"

#include <QFile>

namespace {
const QByteArray kMagic = QByteArrayLiteral("vornikedit recovery copy 1\n");
constexpr qsizetype kLongestHeader = 64 * 1024;

// The value of a "name value" line, or nothing when the line is another.
std::optional<QByteArrayView> field(QByteArrayView line, QByteArrayView name)
{
    if (line.size() < name.size() + 1 || !line.startsWith(name) || line[name.size()] != ' ')
        return std::nullopt;
    return line.sliced(name.size() + 1);
}

// A stamp that does not read whole is no stamp: the question at Save then goes by the file
// as it was opened.
DiskStamp parseStamp(QByteArrayView value)
{
    const QList<QByteArray> parts = value.toByteArray().split(' ');
    if (parts.size() != 4)
        return {};
    bool ok[4] = {};
    DiskStamp stamp{true, parts[0].toULongLong(&ok[0]), parts[1].toULongLong(&ok[1]), parts[2].toLongLong(&ok[2]),
                    parts[3].toLongLong(&ok[3])};
    return ok[0] && ok[1] && ok[2] && ok[3] ? stamp : DiskStamp{};
}
}

QByteArray formatRecoveryCopy(const QString& filePath, const QString& text, const QDateTime& written,
                              const DiskStamp& fileStamp)
{
    const QByteArray body = text.toUtf8();
    QByteArray copy;
    copy.reserve(body.size() + 256 + filePath.size() * 3);
    copy += kMagic;
    copy += "path " + filePath.toUtf8().toPercentEncoding("/") + '\n';
    copy += "written " + written.toUTC().toString(Qt::ISODateWithMs).toLatin1() + '\n';
    copy += "length " + QByteArray::number(body.size()) + '\n';
    if (fileStamp.exists)
        copy += "stamp " + QByteArray::number(fileStamp.device) + ' ' + QByteArray::number(fileStamp.inode) + ' '
            + QByteArray::number(fileStamp.size) + ' ' + QByteArray::number(fileStamp.modifiedNs) + '\n';
    copy += '\n';
    copy += body;
    return copy;
}

std::optional<RecoveryHeader> parseRecoveryHeader(QByteArrayView bytes)
{
    if (!bytes.startsWith(kMagic))
        return std::nullopt;
    const qsizetype end = QByteArrayView(bytes.first(qMin(bytes.size(), kLongestHeader))).indexOf("\n\n");
    if (end < 0)
        return std::nullopt;
    RecoveryHeader header;
    header.textOffset = end + 2;
    bool sawPath = false, sawWritten = false, sawLength = false;
    const QByteArrayView fields = bytes.sliced(kMagic.size(), end + 1 - kMagic.size());
    for (qsizetype from = 0; from < fields.size();) {
        const qsizetype newline = fields.indexOf('\n', from);
        const QByteArrayView line = fields.sliced(from, newline - from);
        from = newline + 1;
        if (const auto path = field(line, "path")) {
            header.filePath = QString::fromUtf8(QByteArray::fromPercentEncoding(path->toByteArray()));
            sawPath = true;
        } else if (const auto written = field(line, "written")) {
            header.written = QDateTime::fromString(QString::fromLatin1(*written), Qt::ISODateWithMs);
            sawWritten = header.written.isValid();
        } else if (const auto stamp = field(line, "stamp")) {
            header.fileStamp = parseStamp(*stamp);
        } else if (const auto length = field(line, "length")) {
            header.textLength = length->toLongLong(&sawLength);
            sawLength = sawLength && header.textLength >= 0;
        }
        // Other lines are fields of a later version: skipped.
    }
    if (!sawPath || !sawWritten || !sawLength)
        return std::nullopt;
    return header;
}

std::optional<RecoveryCopy> parseRecoveryCopy(QByteArrayView bytes)
{
    std::optional<RecoveryHeader> header = parseRecoveryHeader(bytes);
    if (!header || bytes.size() - header->textOffset != header->textLength)
        return std::nullopt;
    // Read as a page is: a U+FEFF that begins the text is kept.
    return RecoveryCopy{*header, decodeText(bytes.sliced(header->textOffset), TextEncoding::Utf8).text};
}

bool writeRecoveryCopy(const QString& copyPath, const QString& filePath, const QString& text,
                       const DiskStamp& fileStamp)
{
    // Under a temporary name, renamed once whole: a write that fails (a full disk, a size limit)
    // leaves the last good copy, never an empty or cut-off one.
    return writePrivateFile(copyPath, formatRecoveryCopy(filePath, text, QDateTime::currentDateTimeUtc(), fileStamp));
}

bool keepRecoveryCopy(const QString& copyPath, const QString& filePath, const QString& text, const TextFingerprint& baseline,
                      const DiskStamp& fileStamp)
{
    if (text.size() == baseline.length() && TextFingerprint::of(text) == baseline) {
        QFile::remove(copyPath);
        return true;
    }
    return writeRecoveryCopy(copyPath, filePath, text, fileStamp);
}
