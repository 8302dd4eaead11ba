#include "recovery/recovery_keeper.h"

#include "document/document.h"
#include "recovery/backup_offer.h"
#include "recovery/recovery_folder.h"
#include "recovery/recovery_list.h"
#include "platform/user_folders.h"
#include "ui/busy_pointer.h"
#include "ui/message_box.h"

#include <QFile>
#include <QLockFile>
#include <QtConcurrent/QtConcurrentRun>
#include <QWidget>

namespace {
// A copy is taken once typing has paused this long, and at the latest this long after the
// first edit it does not hold yet, however steadily the user types.
constexpr int kQuietMs = 3000;
constexpr qint64 kLongestDueMs = 30000;

const QString kTitle = QStringLiteral("vornik!");
const QString kRestoreFile = QStringLiteral("%1 には、保存していない変更が残っています（%2）。\r復元しますか？");
const QString kNoFolder = QStringLiteral("保存していない変更の控え（復元用のコピー）を残せません。\r%1");
const QString kWriteFailed = QStringLiteral("保存していない変更の控えを書き込めませんでした。\r%1"
                                            "\rディスクの空きを確かめてください。控えのない変更は、強制終了などで失われます。");
const QString kRestoreNew = QStringLiteral("保存していない新しい文書が残っています（%1）。\r復元しますか？");
}

RecoveryKeeper::RecoveryKeeper(Document& document, QWidget& view, QWidget& window)
    : QObject(&window), m_document(document), m_view(view), m_window(window)
{
    setObjectName(QStringLiteral("recoveryKeeper"));
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietMs);
    connect(&m_quiet, &QTimer::timeout, this, &RecoveryKeeper::writeNow);
    connect(&m_writing, &QFutureWatcher<bool>::finished, this, &RecoveryKeeper::writeFinished);
    connect(&m_document.model(), &TextModel::changed, this, &RecoveryKeeper::edited);
    // Saved, loaded, or edited back to what was saved: nothing is left to recover.
    connect(&m_document, &Document::changedStateChanged, this, [this](bool mayDiffer) {
        if (!mayDiffer)
            remove();
    });
    // The copy names the file it belongs to.
    connect(&m_document, &Document::filePathChanged, this, [this] {
        if (m_document.hasUnsavedChanges())
            writeNow();
    });
    connect(&m_document, &Document::fileLoaded, this, [this] {
        if (m_started)
            QTimer::singleShot(0, this, &RecoveryKeeper::offerLeftBehind);
    });
    // The first offer waits until the window is up, for the file given at start or for none.
    QTimer::singleShot(0, this, [this] {
        m_started = true;
        // A state folder that cannot keep copies is said at once, not at the first loss.
        if (const PrivateFolder state = stateFolder(true); !state.ok())
            tellNotKept(kNoFolder.arg(state.problem));
        offerLeftBehind();
    });
}

RecoveryKeeper::~RecoveryKeeper()
{
    settle();
}

void RecoveryKeeper::settle()
{
    m_writing.waitForFinished();
    if (m_removeAfterWrite) {
        m_removeAfterWrite = false;
        if (!m_copyPath.isEmpty())
            QFile::remove(m_copyPath);
    }
}

void RecoveryKeeper::tellNotKept(const QString& message)
{
    if (m_warned)
        return;
    m_warned = true;
    qWarning("vornikedit: %s", qPrintable(QString(message).replace(u'\r', u' ')));
    // After the handler that found it has returned: a message box runs an event loop of its own.
    QTimer::singleShot(0, this, [this, message] { tellUser(&m_window, kTitle, message, MessageIcon::Exclamation); });
}

void RecoveryKeeper::edited()
{
    if (m_document.model().isEmpty()) {
        remove(); // New, or everything deleted: an empty page holds no work
        return;
    }
    if (!m_dueSince.isValid())
        m_dueSince.start();
    if (!m_quiet.isActive() || m_dueSince.elapsed() < kLongestDueMs)
        m_quiet.start();
}

void RecoveryKeeper::writeNow()
{
    m_quiet.stop();
    if (m_writing.isRunning()) {
        m_writeAgain = true;
        return;
    }
    // Only the read belongs to the window's thread; comparing and writing go to the worker.
    QString text = m_document.text();
    if (text.isEmpty()) {
        remove();
        return;
    }
    if (!ensureOwnCopy()) {
        tellNotKept(kNoFolder.arg(stateFolder(false).problem));
        return;
    }
    m_dueSince.invalidate();
    m_writing.setFuture(QtConcurrent::run(&keepRecoveryCopy, m_copyPath, m_document.FilePath(), std::move(text),
                                          m_document.TxtRam(), m_document.diskStamp()));
}

void RecoveryKeeper::writeFinished()
{
    const bool removing = m_removeAfterWrite;
    settle();
    if (!removing && !m_writing.result())
        tellNotKept(kWriteFailed.arg(m_copyPath));
    if (m_writeAgain) {
        m_writeAgain = false;
        writeNow();
    }
}

void RecoveryKeeper::remove()
{
    m_quiet.stop();
    m_dueSince.invalidate();
    m_writeAgain = false;
    // A write under way would bring the copy back after it is gone: the copy goes when it has
    // finished. Not waited for here: a save would hold the window while a 50 MB copy is written.
    if (m_writing.isRunning()) {
        m_removeAfterWrite = true;
        return;
    }
    if (!m_copyPath.isEmpty())
        QFile::remove(m_copyPath);
}

void RecoveryKeeper::discard()
{
    remove();
}

void RecoveryKeeper::flush()
{
    settle();
    if (m_quiet.isActive() || m_writeAgain) {
        m_writeAgain = false;
        writeNow();
        settle();
    }
}

bool RecoveryKeeper::ensureOwnCopy()
{
    if (!m_copyPath.isEmpty())
        return true;
    const QString folder = recoveryFolder(true);
    if (folder.isEmpty())
        return false;
    const QString path = folder + u'/' + newRecoveryCopyName();
    auto lock = std::make_unique<QLockFile>(recoveryLockPath(path));
    if (!lock->tryLock(0))
        return false;
    m_copyPath = path;
    m_lock = std::move(lock);
    return true;
}

void RecoveryKeeper::offerLeftBehind()
{
    if (!m_document.FilePath().isEmpty())
        offerLeftBackups(m_document, m_view, m_window);
    const QString folder = recoveryFolder(false);
    // Damaged copies are said once and set aside, kept for whoever wants to look at them.
    QStringList damaged;
    for (OrphanCopy& orphan : claimDamagedCopies(folder))
        damaged << setAsideDamagedCopy(std::move(orphan));
    bool restored = false;
    std::vector<OrphanCopy> orphans = claimOrphanCopies(folder, m_document.FilePath());
    for (OrphanCopy& orphan : orphans) {
        std::optional<RecoveryCopy> copy = readCopy(orphan.copyPath);
        if (!copy) {
            damaged << setAsideDamagedCopy(std::move(orphan));
            continue;
        }
        if (copy->text.isEmpty() || m_document.isBaseline(copy->text)) {
            removeRecoveryCopy(orphan.copyPath, std::move(orphan.lock));
            continue;
        }
        const QString when = copy->header.written.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm"));
        const QString question = copy->header.filePath.isEmpty() ? kRestoreNew.arg(when)
                                                                 : kRestoreFile.arg(m_document.FilePath(), when);
        if (!askYesNo(&m_window, kTitle, question, MessageIcon::Information, true)) {
            removeRecoveryCopy(orphan.copyPath, std::move(orphan.lock));
            continue;
        }
        adopt(std::move(orphan), *copy);
        restored = true;
        break; // older copies of the same file wait for the next opening
    }
    // A start without a file also lists the work left for files, under whatever name they now have.
    if (!restored && m_document.FilePath().isEmpty()) {
        std::vector<OrphanCopy> ofFiles = claimOrphanCopiesOfFiles(folder);
        if (!ofFiles.empty()) {
            if (const std::optional<size_t> chosen = chooseLeftBehindCopy(m_window, ofFiles)) {
                if (std::optional<RecoveryCopy> copy = readCopy(ofFiles[*chosen].copyPath))
                    adopt(std::move(ofFiles[*chosen]), *copy);
                else
                    damaged << setAsideDamagedCopy(std::move(ofFiles[*chosen]));
            }
        }
    }
    tellDamagedCopies(m_window, damaged);
}

std::optional<RecoveryCopy> RecoveryKeeper::readCopy(const QString& copyPath)
{
    BusyPointer busy;
    return readRecoveryCopy(copyPath);
}

void RecoveryKeeper::adopt(OrphanCopy orphan, const RecoveryCopy& copy)
{
    // The page takes the copy's text while the baseline stays the file's: unsaved changes.
    // The copy becomes this editor's own, so it is kept until the work is saved or let go.
    if (!m_copyPath.isEmpty())
        QFile::remove(m_copyPath);
    m_copyPath = orphan.copyPath;
    m_lock = std::move(orphan.lock);
    // The file as it was when the copy was taken: whatever changed on disk since is asked
    // about at Save, not overwritten without a word.
    if (!m_document.FilePath().isEmpty() && copy.header.fileStamp.exists)
        m_document.setDiskStamp(copy.header.fileStamp);
    {
        BusyPointer busy;
        // A step of the page's history: Ctrl+Z gives the file's text back.
        m_document.model().replaceWholePage(copy.text);
    }
    m_view.setFocus();
}

RecoveryKeeper* installRecovery(Document& document, QWidget& view, QWidget& window)
{
    return new RecoveryKeeper(document, view, window);
}
