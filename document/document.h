#pragma once

#include "document/disk_stamp.h"
#include "model/text_model.h"
#include "text/line_ends.h"
#include "text/original_file.h"
#include "text/text_encoding.h"

#include "document/text_fingerprint.h"

#include <QFuture>
#include <QObject>
#include <QString>

#include <optional>
#include <utility>

// The document: its text (the text model, which it owns), which file it is, how that file was
// written, and whether the text differs from what was last loaded or saved. The document box
// is a view of its model; file commands, recovery and search speak to the document.
class Document : public QObject {
    Q_OBJECT
public:
    explicit Document(QObject* parent = nullptr);

    // The page's text and its one edit path.
    TextModel& model() const { return *m_model; }
    QString text() const { return m_model->text(); }

    // The current file; empty while there is none.
    const QString& FilePath() const { return m_FilePath; }
    // The file name after the last "/": the title bar's name for the document.
    const QString& FileTitle() const { return m_FileTitle; }
    // The folder of the last path that had one, ending in "/"; kept when the path is cleared.
    const QString& FileFolder() const { return m_FileFolder; }
    void setFilePath(const QString& path);

    // How the file was written, so Save writes it back the same way.
    TextEncoding encoding() const { return m_encoding; }
    void setEncoding(TextEncoding encoding) { m_encoding = encoding; }
    LineEnding lineEnding() const { return m_lineEnding; }
    void setLineEnding(LineEnding ending) { m_lineEnding = ending; }
    // Bytes that were valid in neither encoding were read: they cannot be written back as they were.
    bool undecodable() const { return m_undecodable; }
    void setUndecodable(bool undecodable) { m_undecodable = undecodable; }
    // The file is in an encoding the editor does not read (its name), shown as Japanese: it is
    // never written back changed without a question. Empty when not.
    const QString& foreignEncoding() const { return m_foreignEncoding; }
    void setForeignEncoding(const QString& name) { m_foreignEncoding = name; }
    // The CP932 byte forms the file used for characters that have two, written back so.
    const ByteForms& byteForms() const { return m_forms; }
    void setByteForms(ByteForms forms) { m_forms = std::move(forms); }

    // The file as it was on disk when last read or written, so Save can tell when someone
    // else has changed it since.
    const DiskStamp& diskStamp() const { return m_diskStamp; }
    void setDiskStamp(const DiskStamp& stamp) { m_diskStamp = stamp; }

    // The text now in the box was just read from the current file.
    void announceLoaded() { Q_EMIT fileLoaded(m_FilePath); }
    // What the file held when it was read, so the unchanged text is written back as it was.
    const OriginalFile& originalFile() const { return m_originalFile; }
    void setOriginalFile(OriginalFile file) { m_originalFile = std::move(file); }

    // A new, unnamed document: no file, UTF-8, CR LF. The folder stays for the file manager.
    void clearFile();

    // The baseline (TxtRam): the fingerprint of the document as last loaded or saved. The
    // text itself is not kept: the page would be held twice.
    const TextFingerprint& TxtRam() const;
    // Whether `text` is the baseline's text.
    bool isBaseline(QStringView text) const;
    // Whether the text is known to equal the baseline (nothing changed since it was taken, or
    // compared equal since): then the baseline can stand for the text without reading it.
    bool textIsBaseline() const { return !m_mayDiffer && !m_formatChanged; }
    // A baseline that may differ from the text: compared at the next question.
    void setBaseline(const TextFingerprint& baseline);
    void setBaseline(QStringView text) { setBaseline(TextFingerprint::of(text)); }
    // The text as it stands becomes the baseline; `text` (or what it is the fingerprint of)
    // must equal it (read just now, or known to be what the box was given), so a large page
    // is not read back. A large text is taken on a worker thread, which lets it go after.
    void takeTextAsBaseline(QString text);
    void takeTextAsBaseline(const TextFingerprint& baseline);
    void takeTextAsBaseline();
    // The fingerprint of the text as it stands, read in parts.
    TextFingerprint textFingerprint() const;
    // The text changed (an edit, a load): the next question compares, unless the history
    // knows the text is the saved one again.
    void markEdited();
    // The file is to be written differently (another encoding): a change even where the text
    // is the same, until the next save or load.
    void markFormatChanged();

    // The text is not empty and differs from the baseline.
    bool hasUnsavedChanges() const;

Q_SIGNALS:
    void filePathChanged(const QString& path);
    // Emitted when the text may have begun to differ from the baseline (true), or was taken
    // as the baseline or found equal to it (false).
    void changedStateChanged(bool mayDiffer);

    void fileLoaded(const QString& path);

private:
    void setMayDiffer(bool mayDiffer) const;

    QString m_FilePath;
    QString m_FileTitle;
    QString m_FileFolder;
    TextEncoding m_encoding = TextEncoding::Utf8;
    LineEnding m_lineEnding = LineEnding::CrLf;
    bool m_undecodable = false;
    QString m_foreignEncoding;
    ByteForms m_forms;
    DiskStamp m_diskStamp;
    OriginalFile m_originalFile;
    mutable TextFingerprint m_TxtRam;
    mutable QFuture<TextFingerprint> m_takingBaseline; // the loaded text's, while it is taken
    // The text's fingerprint at a revision, so a second question about the same text reads nothing.
    mutable std::optional<std::pair<quint64, TextFingerprint>> m_compared;
    mutable bool m_mayDiffer = false;
    bool m_formatChanged = false;
    TextModel* m_model;
};
