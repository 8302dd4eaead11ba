#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>

// The old bytes of every file the last replace across a folder wrote, kept in the state
// folder so that 元に戻す can put each back byte for byte, even after the editor has ended.
// A new replace starts a new set, which drops the old one.
class ReplaceUndoStore {
public:
    // `folder` empty: the state folder's own place for it.
    explicit ReplaceUndoStore(QString folder = {});

    QString folder() const { return m_folder; }
    // Drops the last set and starts an empty one; false when the folder cannot be made.
    bool startSet();
    // Keeps `oldBytes` of `path`, which is about to get `newBytes`, on the disk before the
    // write. False when they could not be kept: then the file must not be written. Several
    // threads may keep files at once.
    bool keep(const QString& path, const QByteArray& oldBytes, const QByteArray& newBytes);

    struct Entry {
        QString path;
        QString copy;         // the file holding a line about it, then the old bytes
        qint64 oldSize = 0;
        qint64 newSize = 0;   // what was written, to tell a later change
        QByteArray newHash;
    };
    QList<Entry> entries() const;
    bool isEmpty() const { return entries().isEmpty(); }

    struct UndoOutcome {
        QStringList restored;
        QStringList changedSince; // left alone
        QStringList failed;
    };
    // Puts back every file kept whose bytes are still those written; drops the set when
    // nothing failed.
    UndoOutcome undo();

    static QByteArray hashOf(const QByteArray& bytes);

private:
    QString m_folder;
    std::atomic<int> m_next = 0;
};
