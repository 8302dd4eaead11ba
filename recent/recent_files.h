#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The files last opened or saved, newest first, shared by every running editor through one
// small file in the user's state folder ($XDG_STATE_HOME/vornikedit/recent.txt): one path a
// line, its bytes as the file system has them, with "%", CR and LF percent-encoded.
//
// A change never writes a list it holds in memory: under a lock file it reads the list as it
// stands, makes its one change and writes it back through the checked whole-file write, so
// two editors changing it at once both keep their entries.

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
    // False when the list could not be changed (no state folder, the lock not had in time,
    // the write failed); the list then stays as it was.
    bool add(const QString& path);
    bool remove(const QString& path);

private:
    template <class Change>
    bool change(Change change);

    QString m_listPath;
};
