#pragma once

#include "recovery/recovery_folder.h"

#include <QElapsedTimer>
#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class Document;
class QLockFile;
class QWidget;

// Keeps a copy of the unsaved text in the recovery folder, so that work survives force
// exit, a crash, a kill or a power cut; offers a copy left behind when its file is opened
// again. The copy is taken a few seconds after typing stops; the text is read on the window's
// thread and written on a worker, so a large page does not hold the window up.
class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    RecoveryKeeper(Document& document, QWidget& view, QWidget& window);
    ~RecoveryKeeper() override;

    // The user chose to lose the unsaved text: the copy goes.
    void discard();
    // Takes the copy now if one is due (the program is about to end).
    void flush();
    // Offers a copy left behind for the current file (or for a never-saved document when
    // there is no file, then those of files): the box takes its text as unsaved changes, or
    // the copy is discarded. A save's backup left behind comes first; damaged copies are named.
    void offerLeftBehind();

    QString copyPath() const { return m_copyPath; }

private:
    void edited();
    void writeNow();
    void writeFinished();
    void remove();
    // Waits for a write under way and removes the copy when that was asked meanwhile.
    void settle();
    // Once while the editor runs: no copy of the unsaved work is being kept.
    void tellNotKept(const QString& message);
    bool ensureOwnCopy();
    std::optional<RecoveryCopy> readCopy(const QString& copyPath);
    void adopt(OrphanCopy orphan, const RecoveryCopy& copy);

    Document& m_document;
    QWidget& m_view; // the document's view: where the focus goes after a restore
    QWidget& m_window;
    QTimer m_quiet;           // runs out a few seconds after the last edit
    QElapsedTimer m_dueSince; // since the first edit that no copy holds yet
    QString m_folder;
    QString m_copyPath;
    std::unique_ptr<QLockFile> m_lock;
    QFutureWatcher<bool> m_writing;
    bool m_writeAgain = false;
    bool m_removeAfterWrite = false;
    bool m_copyExists = false;
    bool m_warned = false;
    bool m_started = false;
};

// Builds the keeper for the window's document; it lives as long as `window`.
RecoveryKeeper* installRecovery(Document& document, QWidget& view, QWidget& window);
