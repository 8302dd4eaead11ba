#include "site/replace_undo.h"

#include "recovery/recovery_folder.h"
#include "site/workers.h"
#include "text/file_read.h"
#include "text/file_write.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <mutex>

#include <unistd.h>

namespace {
// One file a page: a line (new size, new hash, old size, path), then the old bytes. Each is
// on the disk before its page is written, so a kill at any point leaves no page without its copy.
const QString kPrefix = QStringLiteral("page-");

bool writeDurably(const QString& path, const QByteArray& header, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(header) == header.size() && file.write(bytes) == bytes.size() && file.flush()
        && ::fsync(file.handle()) == 0;
}
}

ReplaceUndoStore::ReplaceUndoStore(QString folder) : m_folder(std::move(folder))
{
    if (m_folder.isEmpty()) {
        const QString state = recoveryFolder(true);
        if (!state.isEmpty())
            m_folder = state + QStringLiteral("/folder-replace");
    }
}

QByteArray ReplaceUndoStore::hashOf(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

bool ReplaceUndoStore::startSet()
{
    if (m_folder.isEmpty())
        return false;
    QDir dir(m_folder);
    if (dir.exists() && !dir.removeRecursively())
        return false;
    m_next = 0;
    return QDir().mkpath(m_folder)
        && QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool ReplaceUndoStore::keep(const QString& path, const QByteArray& oldBytes, const QByteArray& newBytes)
{
    if (path.contains(u'\n'))
        return false;
    const QString copy = m_folder + u'/' + kPrefix + QString::number(m_next++).rightJustified(6, u'0');
    const QByteArray header = QByteArray::number(newBytes.size()) + '\t' + hashOf(newBytes) + '\t'
        + QByteArray::number(oldBytes.size()) + '\t' + path.toUtf8() + '\n';
    return writeDurably(copy, header, oldBytes);
}

QList<ReplaceUndoStore::Entry> ReplaceUndoStore::entries() const
{
    QList<Entry> list;
    if (m_folder.isEmpty())
        return list;
    const QStringList names = QDir(m_folder).entryList({kPrefix + u'*'}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        QFile file(m_folder + u'/' + name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = file.readLine(64 << 10);
        const QList<QByteArray> fields = line.chopped(line.endsWith('\n') ? 1 : 0).split('\t');
        if (!line.endsWith('\n') || fields.size() < 4)
            continue; // cut by a kill: its page was not written yet
        Entry e;
        e.copy = file.fileName();
        e.newSize = fields[0].toLongLong();
        e.newHash = fields[1];
        e.oldSize = fields[2].toLongLong();
        e.path = QString::fromUtf8(line.mid(fields[0].size() + fields[1].size() + fields[2].size() + 3).chopped(1));
        if (file.size() - line.size() != e.oldSize)
            continue; // the old bytes were cut: likewise
        list.append(e);
    }
    return list;
}

ReplaceUndoStore::UndoOutcome ReplaceUndoStore::undo()
{
    UndoOutcome outcome;
    const QList<Entry> all = entries();
    std::mutex lock;
    std::atomic<qsizetype> next = 0;
    // Each write waits mostly on the disk: several at once finish sooner.
    const auto work = [&] {
        for (qsizetype i = next++; i < all.size(); i = next++) {
            const Entry& e = all[i];
            const FileRead now = readWholeFile(e.path);
            const FileRead copy = readWholeFile(e.copy);
            const QByteArray old = copy ? copy->right(e.oldSize) : QByteArray();
            QStringList* list = &outcome.restored;
            if (now && copy && *now == old)
                continue; // never written (a failure or a kill before it): as it was
            if (!now || now->size() != e.newSize || hashOf(*now) != e.newHash)
                list = &outcome.changedSince;
            else if (!copy || !writeWholeFile(e.path, old))
                list = &outcome.failed;
            std::lock_guard guard(lock);
            list->append(e.path);
        }
    };
    runOnWorkers(8, work);
    for (QStringList* list : {&outcome.restored, &outcome.changedSince, &outcome.failed})
        list->sort();
    if (outcome.failed.isEmpty())
        QDir(m_folder).removeRecursively();
    return outcome;
}
