#include "site/site_state.h"

#include "site/folder_search.h"
#include "recovery/recovery_folder.h"
#include "text/file_read.h"
#include "text/file_write.h"

#include <QStringList>

namespace {
QString stateFile(const QString& name)
{
    const QString folder = recoveryFolder(true);
    return folder.isEmpty() ? QString() : folder + u'/' + name;
}

QStringList roots()
{
    const FileRead read = readWholeFile(stateFile(QStringLiteral("site-roots.txt")), ReadCap::refuseOver(1 << 20));
    return read ? QString::fromUtf8(*read).split(u'\n', Qt::SkipEmptyParts) : QStringList();
}
}

QString rememberedNamePatterns()
{
    const FileRead read = readWholeFile(stateFile(QStringLiteral("folder-search-names.txt")), ReadCap::refuseOver(4096));
    const QString patterns = read ? QString::fromUtf8(*read).trimmed() : QString();
    return patterns.isEmpty() ? defaultNamePatterns() : patterns;
}

void rememberNamePatterns(const QString& patterns)
{
    if (patterns.trimmed() != rememberedNamePatterns())
        writeWholeFile(stateFile(QStringLiteral("folder-search-names.txt")), patterns.trimmed().toUtf8());
}

QString rememberedSiteRoot(const QString& pagePath)
{
    QString best;
    for (const QString& root : roots()) {
        if (pagePath.startsWith(root.endsWith(u'/') ? root : root + u'/') && root.size() > best.size())
            best = root;
    }
    return best;
}

void rememberSiteRoot(const QString& root)
{
    QStringList list = roots();
    if (list.contains(root) || root.contains(u'\n'))
        return;
    list.append(root);
    writeWholeFile(stateFile(QStringLiteral("site-roots.txt")), list.join(u'\n').toUtf8() + '\n');
}
