#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QObject>
#include <QTimer>

#include <utility>

// The files last opened or saved, newest first, shared by every running editor through one
// small file in the user's state folder ($XDG_STATE_HOME/vornikedit/recent.txt): one path a
// line, its bytes as the file system has them, with "%", CR and LF percent-encoded.
//
// A change never writes a list it holds in memory: under a lock file it reads the list as it
// stands, makes its one change and writes it back (text/private_file.h), so two editors
// changing it at once both keep their entries. The lock is waited for briefly, never long
// enough to hold a window: a change that did not get it is made later (RecentChanges).

constexpr qsizetype kRecentFilesKept = 10;

QStringList parseRecentList(QByteArrayView bytes);
QByteArray formatRecentList(const QStringList& paths);

// `path` first, each path once, at most kRecentFilesKept.
QStringList withRecentFile(QStringList paths, const QString& path);

// The list file in the user's state folder; empty when there is no such place.
QString recentListPath();

class RecentFiles {
public:
    explicit RecentFiles(QString listPath = recentListPath());

    QStringList entries() const;
    bool usable() const { return !m_listPath.isEmpty(); }
    // False when the list could not be changed (no state folder, the lock not had within
    // 100 ms, the write failed); the list then stays as it was.
    bool add(const QString& path);
    bool remove(const QString& path);

private:
    template <class Change>
    bool change(Change change);

    QString m_listPath;
};

// One editor's changes to the list, kept until they are made: each is tried at once, and those
// that could not be (another editor holds the lock) are tried again a moment later, in order.
// What the editor shows of the list already counts them, so a dropped entry stays dropped.
class RecentChanges : public QObject {
public:
    explicit RecentChanges(QString listPath = recentListPath(), QObject* parent = nullptr);

    void add(const QString& path);
    void remove(const QString& path);
    QStringList entries() const;
    bool pending() const { return !m_pending.isEmpty(); }

private:
    void tryNow();

    RecentFiles m_files;
    QList<std::pair<bool, QString>> m_pending; // added (true) or removed, oldest first
    QTimer m_retry;
    int m_waitMs = 0; // longer after each failed try, up to half a minute
};
