#include "document/document.h"

#include <QtConcurrent/QtConcurrentRun>

Document::Document(QObject* parent) : QObject(parent), m_model(new TextModel(this))
{
    setObjectName(QStringLiteral("document"));
    connect(m_model, &TextModel::changed, this, &Document::markEdited);
}

void Document::setFilePath(const QString& path)
{
    if (path == m_FilePath)
        return;
    m_FilePath = path;
    const qsizetype slash = path.lastIndexOf(u'/');
    m_FileTitle = slash < 0 ? path : path.mid(slash + 1);
    if (slash >= 0)
        m_FileFolder = path.left(slash + 1);
    Q_EMIT filePathChanged(m_FilePath);
}

void Document::clearFile()
{
    setFilePath(QString());
    m_encoding = TextEncoding::Utf8;
    m_lineEnding = LineEnding::CrLf;
    m_undecodable = false;
    m_foreignEncoding.clear();
    m_forms.clear();
    m_diskStamp = {};
    m_originalFile = {};
    m_formatChanged = false;
}

const TextFingerprint& Document::TxtRam() const
{
    if (m_takingBaseline.isValid()) {
        m_TxtRam = m_takingBaseline.result();
        m_takingBaseline = {};
    }
    return m_TxtRam;
}

bool Document::isBaseline(QStringView text) const
{
    return text.size() == TxtRam().length() && TextFingerprint::of(text) == TxtRam();
}

void Document::setBaseline(const TextFingerprint& baseline)
{
    m_takingBaseline = {};
    m_TxtRam = baseline;
    m_formatChanged = false;
    m_model->forgetSaved();
    setMayDiffer(true); // unknown until compared
}

void Document::takeTextAsBaseline(QString text)
{
    // A loaded page's own string is taken beside the window's first paint, on the other core;
    // the first question waits for it.
    if (text.size() >= TextModel::kTextPart) {
        takeTextAsBaseline(TextFingerprint());
        m_takingBaseline = QtConcurrent::run([text = std::move(text)] { return TextFingerprint::of(text); });
    } else {
        takeTextAsBaseline(TextFingerprint::of(text));
    }
}

void Document::takeTextAsBaseline(const TextFingerprint& baseline)
{
    m_takingBaseline = {};
    m_TxtRam = baseline;
    m_formatChanged = false;
    m_model->markSaved();
    setMayDiffer(false);
}

void Document::takeTextAsBaseline()
{
    takeTextAsBaseline(textFingerprint());
}

TextFingerprint Document::textFingerprint() const
{
    const quint64 revision = m_model->revision();
    if (m_compared && m_compared->first == revision)
        return m_compared->second;
    // The next part is read while the one before is digested on the other core.
    TextFingerprint::Taker taker;
    QFuture<void> digesting;
    m_model->readText([&taker, &digesting](QString part) {
        digesting.waitForFinished();
        digesting = QtConcurrent::run([&taker, part = std::move(part)] { taker.add(part); });
    });
    digesting.waitForFinished();
    m_compared.emplace(revision, taker.result());
    return m_compared->second;
}

void Document::markEdited()
{
    // Undone back to the saved text: equal without reading it.
    setMayDiffer(m_formatChanged || !m_model->isAtSaved());
}

void Document::markFormatChanged()
{
    m_formatChanged = true;
    setMayDiffer(true);
}

bool Document::hasUnsavedChanges() const
{
    if (m_model->isEmpty())
        return false;
    // While nothing changed since the baseline was taken, they are equal; after an edit a
    // length differing answers at once, and only an equal length has the text read.
    if (m_formatChanged)
        return true;
    if (!m_mayDiffer)
        return false;
    const bool differs = m_model->textLength() != TxtRam().length() || textFingerprint() != TxtRam();
    if (!differs)
        setMayDiffer(false);
    return differs;
}

void Document::setMayDiffer(bool mayDiffer) const
{
    if (m_mayDiffer == mayDiffer)
        return;
    m_mayDiffer = mayDiffer;
    Q_EMIT const_cast<Document*>(this)->changedStateChanged(mayDiffer);
}
