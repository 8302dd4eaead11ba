#pragma once

#include <QFile>
#include <QTemporaryDir>

// A benchmark's editor windows keep their settings, recovery copies and endpoint in a
// folder of the benchmark's own: a generated 50 MB page must never be offered to the user
// as unsaved work, nor a benchmark's window take texts sent to the user's editor.
class OwnFolders {
public:
    OwnFolders()
    {
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/config")));
        qputenv("XDG_STATE_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/state")));
    }

private:
    QTemporaryDir m_dir;
};
