#include "colour/colour_names.h"

#include "text/file_read.h"
#include "text/line_ends.h"
#include "text/text_encoding.h"

std::optional<QString> readColourNameList(const QString& path)
{
    const FileRead bytes = readWholeFile(path);
    if (!bytes)
        return std::nullopt;
    QString text = normaliseLineEnds(decodeText(*bytes).text).text;
    if (!text.isEmpty() && !text.endsWith(QLatin1String("\r\n")))
        text += QLatin1String("\r\n");
    return text;
}

QString missingColourNameListText()
{
    return QStringLiteral("エラー！hcnn.otf ファイルが見つかりません！！\r\n");
}
