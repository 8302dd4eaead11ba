#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The local links of a page that lead nowhere: a missing file, a name that exists only in
// another case (the server tells case apart), a #fragment the target page has no id or name
// for. Links to other places (http:, mailto: ...) and links that scripts build are not asked
// about.

struct PageLink {
    int line = 0;  // from 1
    QString value; // as written, entities read
};

// Every link of an LF text: href, src, srcset, poster, data and action attributes, and
// url() in style attributes and <style> elements; script elements and comments are passed over.
QList<PageLink> pageLinks(QStringView lfText);

struct LinkProblem {
    enum Kind { Missing, OtherCase, NoFragment };
    int line = 0;
    QString link;
    Kind kind = Missing;
    QString existing; // for OtherCase: the name that exists
    bool operator==(const LinkProblem&) const = default;
};

// The ids and names a page gives its places.
QSet<QString> pageAnchors(QStringView lfText);

class LinkChecker {
public:
    // `root` is where links that start with "/" start.
    explicit LinkChecker(QString root);

    // The problems of the page at `pagePath` whose text is `lfText` (its unsaved edits count).
    QList<LinkProblem> check(const QString& pagePath, QStringView lfText);
    // Whether any link of the text starts at the site's root.
    static bool hasRootLinks(QStringView lfText);

private:
    struct Resolved {
        QString path;     // the file as named, resolved in its real case where it differs
        QString existing; // the first name that exists only in another case
        bool found = false;
    };
    Resolved resolve(const QString& fromFolder, const QString& linkPath);
    const QSet<QString>& anchorsOf(const QString& path);
    const QStringList& namesIn(const QString& folder);

    QString m_root;
    QHash<QString, QSet<QString>> m_anchors;
    QHash<QString, QStringList> m_names;
};

QString linkProblemText(const LinkProblem& problem);
