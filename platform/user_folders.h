#pragma once

#include <QByteArray>
#include <QString>

// The one rule for the user's own folders (the configuration folder, the state folder, and the
// folders made in them): made with mode 0700, owned by this user, and not a symbolic link. The
// settings, the recent list, the recovery copies, the save backups and the endpoint all ask
// here, so a folder someone else owns or points to is never written into.

enum class FolderState {
    Missing,
    Private, // a folder (not a link) of this user's that nobody else may enter
    Loose,   // this user's folder, open to others
    Foreign, // another user's, a link, or not a folder
};
FolderState inspectFolder(const QByteArray& path);

struct PrivateFolder {
    QString path;
    QString problem; // why it cannot be used, in Japanese for the user; empty when it can
    bool ok() const { return problem.isEmpty() && !path.isEmpty(); }
};

// `path` checked by the rule. With `create`, a missing folder is made (its parents as the
// umask gives) and a loose one of the user's is closed to others.
PrivateFolder privateFolder(const QString& path, bool create);

// $XDG_STATE_HOME/vornikedit (default ~/.local/state/vornikedit): recovery copies, the recent
// list, the save backups. Empty path when there is no home.
PrivateFolder stateFolder(bool create);
// $XDG_CONFIG_HOME/vornikedit (userFolder() without its "/"): view.ini.
PrivateFolder configFolder(bool create);
