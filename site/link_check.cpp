#include "site/link_check.h"

#include "site/site_text.h"
#include "site/folder_search.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace {
const QRegularExpression& attributePattern()
{
    static const QRegularExpression re(
        QStringLiteral(R"re((?<![\w-])(href|src|srcset|poster|data|action|style)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))re"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

const QRegularExpression& urlPattern()
{
    static const QRegularExpression re(QStringLiteral(R"re(url\(\s*(?:"([^"]*)"|'([^']*)'|([^)'"\s]*))\s*\))re"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}

QString readEntities(QString value)
{
    if (!value.contains(u'&'))
        return value;
    value.replace(QLatin1String("&amp;"), QLatin1String("&"), Qt::CaseInsensitive);
    value.replace(QLatin1String("&quot;"), QLatin1String("\""), Qt::CaseInsensitive);
    value.replace(QLatin1String("&#39;"), QLatin1String("'"));
    return value;
}

QString captured(const QRegularExpressionMatch& m, int first, int last)
{
    for (int i = first; i <= last; ++i)
        if (m.capturedStart(i) >= 0)
            return m.captured(i);
    return {};
}

struct Collector {
    QStringView text;
    QList<PageLink>& links;
    qsizetype countedTo = 0;
    int line = 1;
    void add(qsizetype at, const QString& value)
    {
        line = lineOfPosition(text, at, countedTo, line);
        countedTo = at;
        links.append({line, readEntities(value.trimmed())});
    }
    void urls(qsizetype from, qsizetype to)
    {
        auto it = urlPattern().globalMatch(text.mid(from, to - from));
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            add(from + m.capturedStart(), captured(m, 1, 3));
        }
    }
};

// Where an element's content ends, past its closing tag; the text's end when it has none.
qsizetype closingTagEnd(QStringView text, qsizetype from, QLatin1StringView name, qsizetype* contentEnd)
{
    const qsizetype at = text.indexOf(QLatin1String("</") + name, from, Qt::CaseInsensitive);
    *contentEnd = at < 0 ? text.size() : at;
    return at < 0 ? text.size() : at + 2 + name.size();
}
}

QList<PageLink> pageLinks(QStringView text)
{
    QList<PageLink> links;
    Collector collect{text, links};
    qsizetype pos = 0;
    while ((pos = text.indexOf(u'<', pos)) >= 0) {
        if (text.mid(pos, 4) == QLatin1String("<!--")) {
            const qsizetype end = text.indexOf(QLatin1String("-->"), pos + 4);
            pos = end < 0 ? text.size() : end + 3;
            continue;
        }
        qsizetype nameEnd = pos + 1;
        while (nameEnd < text.size() && (text[nameEnd].isLetterOrNumber() || text[nameEnd] == u'-'))
            ++nameEnd;
        if (nameEnd == pos + 1) {
            ++pos;
            continue;
        }
        const QStringView name = text.mid(pos + 1, nameEnd - pos - 1);
        // The tag ends at the first '>' outside quotes.
        qsizetype end = nameEnd;
        QChar quote;
        for (; end < text.size(); ++end) {
            const QChar c = text[end];
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (c == u'"' || c == u'\'') {
                quote = c;
            } else if (c == u'>') {
                break;
            }
        }
        const QStringView attributes = text.mid(nameEnd, end - nameEnd);
        auto it = attributePattern().globalMatch(attributes);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            const QString attribute = m.captured(1).toLower();
            const qsizetype valueAt = nameEnd + m.capturedStart(0);
            if (attribute == QLatin1String("style")) {
                for (int group = 2; group <= 4; ++group)
                    if (m.capturedStart(group) >= 0)
                        collect.urls(nameEnd + m.capturedStart(group), nameEnd + m.capturedEnd(group));
            } else if (attribute == QLatin1String("srcset")) {
                for (const QString& candidate : captured(m, 2, 4).split(u',', Qt::SkipEmptyParts))
                    collect.add(valueAt, candidate.trimmed().section(u' ', 0, 0));
            } else {
                collect.add(valueAt, captured(m, 2, 4));
            }
        }
        pos = end;
        if (name.compare(QLatin1String("script"), Qt::CaseInsensitive) == 0) {
            qsizetype contentEnd;
            pos = closingTagEnd(text, end, QLatin1StringView("script"), &contentEnd);
        } else if (name.compare(QLatin1String("style"), Qt::CaseInsensitive) == 0) {
            qsizetype contentEnd;
            pos = closingTagEnd(text, end, QLatin1StringView("style"), &contentEnd);
            collect.urls(end, contentEnd);
        }
    }
    return links;
}

QSet<QString> pageAnchors(QStringView text)
{
    static const QRegularExpression re(QStringLiteral(R"re((?<![\w-])(?:id|name)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))re"),
                                       QRegularExpression::CaseInsensitiveOption);
    QSet<QString> anchors;
    auto it = re.globalMatch(text);
    while (it.hasNext())
        anchors.insert(readEntities(captured(it.next(), 1, 3)));
    return anchors;
}

LinkChecker::LinkChecker(QString root) : m_root(std::move(root)) {}

bool LinkChecker::hasRootLinks(QStringView lfText)
{
    for (const PageLink& link : pageLinks(lfText))
        if (link.value.startsWith(u'/') && !link.value.startsWith(QLatin1String("//")))
            return true;
    return false;
}

const QStringList& LinkChecker::namesIn(const QString& folder)
{
    auto it = m_names.find(folder);
    if (it == m_names.end())
        it = m_names.insert(folder, QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
    return *it;
}

LinkChecker::Resolved LinkChecker::resolve(const QString& fromFolder, const QString& linkPath)
{
    Resolved r;
    QString at = fromFolder;
    for (const QString& part : linkPath.split(u'/', Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            at = QFileInfo(at).path();
            continue;
        }
        const QStringList& names = namesIn(at);
        if (names.contains(part)) {
            at += u'/' + part;
            continue;
        }
        const qsizetype other = names.indexOf(QRegularExpression(
            QLatin1Char('^') + QRegularExpression::escape(part) + QLatin1Char('$'), QRegularExpression::CaseInsensitiveOption));
        if (other < 0)
            return r;
        if (r.existing.isEmpty())
            r.existing = names[other];
        at += u'/' + names[other];
    }
    r.path = at;
    r.found = true;
    return r;
}

const QSet<QString>& LinkChecker::anchorsOf(const QString& path)
{
    auto it = m_anchors.find(path);
    if (it == m_anchors.end()) {
        const SiteFileRead read = readSiteFile(path, qint64(64) << 20);
        it = m_anchors.insert(path, read.skipped == SiteSkip::None ? pageAnchors(siteTextOf(read.bytes).text) : QSet<QString>{});
    }
    return *it;
}

QList<LinkProblem> LinkChecker::check(const QString& pagePath, QStringView lfText)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    QList<LinkProblem> problems;
    const QString folder = QFileInfo(pagePath).absolutePath();
    std::optional<QSet<QString>> ownAnchors;
    for (const PageLink& link : pageLinks(lfText)) {
        const QString& value = link.value;
        // Elsewhere, or made by a template or a script: not ours to ask about.
        if (value.isEmpty() || value.startsWith(QLatin1String("//")) || scheme.match(value).hasMatch()
            || value.contains(QLatin1String("<?")) || value.contains(QLatin1String("{{"))
            || value.contains(QLatin1String("${")))
            continue;
        QString path = value;
        QString fragment;
        if (const qsizetype hash = path.indexOf(u'#'); hash >= 0) {
            fragment = QUrl::fromPercentEncoding(path.mid(hash + 1).toUtf8());
            path.truncate(hash);
        }
        if (const qsizetype query = path.indexOf(u'?'); query >= 0)
            path.truncate(query);
        path = QUrl::fromPercentEncoding(path.toUtf8());
        QString target = pagePath;
        if (!path.isEmpty()) {
            const Resolved r = resolve(path.startsWith(u'/') ? m_root : folder, path);
            if (!r.found) {
                problems.append({link.line, value, LinkProblem::Missing, {}});
                continue;
            }
            if (!r.existing.isEmpty()) {
                problems.append({link.line, value, LinkProblem::OtherCase, r.existing});
                continue;
            }
            target = r.path;
        }
        // "#" and "#top" go to the top of any page.
        if (fragment.isEmpty() || fragment.compare(QLatin1String("top"), Qt::CaseInsensitive) == 0
            || QFileInfo(target).isDir())
            continue;
        const QSet<QString>* anchors;
        if (QFileInfo(target) == QFileInfo(pagePath)) {
            if (!ownAnchors)
                ownAnchors = pageAnchors(lfText);
            anchors = &*ownAnchors;
        } else {
            anchors = &anchorsOf(target);
        }
        if (!anchors->contains(fragment))
            problems.append({link.line, value, LinkProblem::NoFragment, {}});
    }
    return problems;
}

QString linkProblemText(const LinkProblem& p)
{
    switch (p.kind) {
    case LinkProblem::Missing:
        return QStringLiteral("ファイルがありません");
    case LinkProblem::OtherCase:
        return QStringLiteral("大文字と小文字が違います (あるのは %1)").arg(p.existing);
    case LinkProblem::NoFragment:
        return QStringLiteral("ページにこの id も name もありません");
    }
    return {};
}
