#include "app/document_box.h"
#include "app/line_ends.h"
#include "app/main_window.h"
#include "app/subsystems.h"
#include "app/text_encoding.h"

#include <QFile>
#include <QFileInfo>

void installFileCommands(HtmlE& window)
{
}

bool loadDocumentFile(HtmlE& window, const QString& path)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    file.close();

    DecodedText decoded = decodeText(bytes);
    NormalisedText normalised = normaliseLineEnds(decoded.text);
    decoded.text.clear();

    WindowState& state = window.state();
    window.setDocument(normalised.text);
    window.takeDocumentAsBaseline();
    state.encoding = decoded.encoding;
    state.undecodable = decoded.undecodable;
    state.lineEnding = normalised.ending;
    state.FilePath = path;
    window.setSaveControlsEnabled(true);
    return true;
}
