#pragma once

#include "text/byte_forms.h"
#include "text/line_ends.h"
#include "text/text_encoding.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// A large page read as opening it reads it, in parts of about 2 MB, each ending after a line
// break, its breaks made CR LF. What the bytes say is learnt first on both cores (that they read
// through the encoding's table, the second forms, the lines); then a reader thread decodes the
// parts in order while the box takes them, and gives the pages of the bytes under each part
// back once it is read, so the page is never held whole twice over (bytes and text, then text
// and the box).
class PartReader {
public:
    // What the bytes say of the lines before any part is read.
    struct Lines {
        qsizetype breaks = 0;      // a CR LF is one
        qsizetype longestLine = 0; // in bytes, so no line holds more characters
        bool separators = false;   // U+2028, U+2029, U+FDD0 or U+FDD1 may be among the characters
    };

    // Starts reading `bytes`, which it takes; nothing, and the bytes as they were, when the page
    // is not read in parts: UTF-16, ISO-2022-JP and a Japanese page with more than one reading
    // to weigh are read whole (decodeDocument). `onPart` is called on the reader thread with
    // each part in order, before the box can take it.
    static std::unique_ptr<PartReader> open(QByteArray& bytes, std::function<void(QStringView)> onPart = {});
    ~PartReader();

    TextEncoding encoding() const { return m_encoding; }
    const ByteForms& forms() const { return m_forms; }
    const QString& foreignEncoding() const { return m_foreign; }
    const Lines& lines() const { return m_lines; }
    qsizetype partCount() const { return qsizetype(m_ends.size()); }

    // Part `i` (taken in order, each once), waiting until it is read.
    QString take(qsizetype i);
    // Once every part has been taken: the line ending and stray bytes.
    LineEnding lineEnding();
    bool undecodable();

private:
    PartReader() = default;
    QByteArrayView slice(qsizetype i) const;
    QString read(qsizetype i);
    void keep(qsizetype i, QString text);
    void readRest();
    void waitForAll();

    QByteArray m_bytes;
    qsizetype m_skip = 0; // a byte-order mark
    TextEncoding m_encoding = TextEncoding::Utf8;
    bool m_byTable = false;
    ByteForms m_forms;
    QString m_foreign;
    Lines m_lines;
    std::vector<qsizetype> m_ends; // of each part, in the bytes after the mark
    std::function<void(QStringView)> m_onPart;

    std::mutex m_lock;
    std::condition_variable m_readOne;
    std::vector<QString> m_parts;
    std::condition_variable m_taken;
    qsizetype m_read = 0;       // parts read so far
    qsizetype m_takenCount = 0; // parts the box has taken
    bool m_stopping = false;
    LineBreakCount m_breaks;
    bool m_undecodable = false;
    std::thread m_reader;
};

// Every part of a page read so, in order, with what was learnt of it.
struct DecodedParts {
    QList<QString> parts; // each but the last ends with a CR LF
    TextEncoding encoding = TextEncoding::Utf8;
    LineEnding lineEnding = LineEnding::CrLf;
    bool undecodable = false;
    QString foreignEncoding;
    ByteForms forms;
};
std::optional<DecodedParts> decodeInParts(QByteArray& bytes);
