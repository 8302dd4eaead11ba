#include "document/document.h"

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

void Document::setBaseline(const QString& text)
{
    m_TxtRam = text;
    m_formatChanged = false;
    m_model->forgetSaved();
    setMayDiffer(true); // unknown until compared
}

void Document::takeTextAsBaseline(QString text)
{
    m_TxtRam = std::move(text);
    m_formatChanged = false;
    m_model->markSaved();
    setMayDiffer(false);
}

void Document::takeTextAsBaseline()
{
    takeTextAsBaseline(m_model->text());
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
    // While nothing changed since the baseline was taken, they are equal; the whole text is
    // compared only after an edit.
    if (m_formatChanged)
        return true;
    if (!m_mayDiffer)
        return false;
    const bool differs = m_model->text() != m_TxtRam;
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
