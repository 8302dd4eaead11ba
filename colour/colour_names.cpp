#include "colour/colour_names.h"

#include "app/line_ends.h"
#include "app/text_encoding.h"

#include <QFile>
#include <QFileInfo>

std::optional<QString> readColourNameList(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    file.close();

    QString text = normaliseLineEnds(decodeText(bytes).text).text;
    if (!text.isEmpty() && !text.endsWith(QLatin1String("\r\n")))
        text += QLatin1String("\r\n");
    return text;
}

QString missingColourNameListText()
{
    return QStringLiteral("エラー！hcnn.otf ファイルが見つかりません！！\r\n");
}
