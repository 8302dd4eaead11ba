#include "ui/application.h"
#include "app/main_window.h"
#include "document/disk_stamp.h"
#include "document/document.h"
#include "document/insertion_point.h"
#include "recovery/recovery_folder.h"
#include "text/write_steps.h"
#include "ui/document_box.h"
#include "window_test_support.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <QTreeWidget>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList copiesIn(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("recovery-*.txt")}, QDir::Files);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// A copy as an editor that has since ended left it: no lock held.
QString leaveCopy(const QString& folder, const QString& filePath, const QString& text, int minutesAgo = 0)
{
    const QString path = folder + u'/' + newRecoveryCopyName();
    writeFile(path, formatRecoveryCopy(filePath, text, QDateTime::currentDateTimeUtc().addSecs(-60 * minutesAgo)));
    return path;
}

// Starts an editor. What was left behind is offered as its window comes up, before a key typed
// at once could reach the page (a restore then would throw that key away): by the end of the
// first pass of the event loop, so the checks after this need no waiting.
void startEditor(HtmlE& w, const QString& commandLine)
{
    w.startUp(commandLine);
    QCoreApplication::processEvents();
}

}

class RecoveryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestProgramFolder>();
        m_state = recoveryFolder(true);
        QVERIFY(m_state.startsWith(qEnvironmentVariable("XDG_STATE_HOME")));
        m_page = m_folder->file("page 頁.htm");
        writeFile(m_page, "<p>on disk</p>\r\n");
    }
    void cleanup() { m_folder.reset(); }

    // The copy's own format: the path and the text come back exactly; anything cut off or
    // foreign is not a copy.
    void copyFormat()
    {
        const QString odd = QStringLiteral("/tmp/a b\n%25/頁.htm");
        const QString text = QStringLiteral("一行目\r\n\u00a0two\uFFFD\r\n");
        const QByteArray bytes = formatRecoveryCopy(odd, text, QDateTime::currentDateTimeUtc());
        const std::optional<RecoveryCopy> copy = parseRecoveryCopy(bytes);
        QVERIFY(copy);
        QCOMPARE(copy->header.filePath, odd);
        QCOMPARE(copy->text, text);
        QVERIFY(copy->header.written.isValid());

        QVERIFY(parseRecoveryCopy(formatRecoveryCopy(QString(), text, QDateTime::currentDateTimeUtc()))->header.filePath.isEmpty());
        QVERIFY(!parseRecoveryCopy(bytes.chopped(1)));
        QVERIFY(!parseRecoveryCopy(bytes + 'x'));
        QVERIFY(!parseRecoveryCopy(QByteArray("<p>a page</p>\n\n")));
        QVERIFY(!parseRecoveryHeader(bytes.first(20)));
    }

    // Only copies of the file asked for, whose editor has ended, are claimed; a live owner's
    // copy never is, so two editors never share one.
    void claimsOnlyOrphansOfTheFile()
    {
        const QString older = leaveCopy(m_state, m_page, "older", 10);
        const QString newer = leaveCopy(m_state, m_page, "newer");
        leaveCopy(m_state, m_folder->file("other.htm"), "other");
        const QString unsaved = leaveCopy(m_state, QString(), "never saved");
        const QString live = leaveCopy(m_state, m_page, "live");
        QLockFile owner(recoveryLockPath(live));
        QVERIFY(owner.tryLock(0));

        std::vector<OrphanCopy> claimed = claimOrphanCopies(m_state, m_page);
        QCOMPARE(claimed.size(), size_t(2));
        QCOMPARE(claimed[0].copyPath, newer);
        QCOMPARE(claimed[1].copyPath, older);
        // While this one holds them, nobody else gets them.
        QVERIFY(claimOrphanCopies(m_state, m_page).empty());
        claimed.clear();

        const std::vector<OrphanCopy> none = claimOrphanCopies(m_state, QString());
        QCOMPARE(none.size(), size_t(1));
        QCOMPARE(none[0].copyPath, unsaved);
        QVERIFY(QFileInfo(m_state).permissions() == (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                      | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser));
    }

    // Typing leaves a private copy once it pauses; Save and a Yes to the exit question remove
    // it; force exit keeps it, with the last keystroke in it.
    void copyFollowsTheUnsavedWork()
    {
        HtmlE w;
        startEditor(w, m_page + " on");
        w.insertion().insert("typed ");
        QTRY_COMPARE_WITH_TIMEOUT(copiesIn(m_state).size(), 1, 15000);
        const QString copyPath = m_state + u'/' + copiesIn(m_state).first();
        QCOMPARE(QFileInfo(copyPath).permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QTRY_VERIFY(readRecoveryCopy(copyPath).has_value());
        QCOMPARE(readRecoveryCopy(copyPath)->header.filePath, m_page);
        QCOMPARE(readRecoveryCopy(copyPath)->text, w.editwindow()->documentText());

        trigger(w, "SaveFiLE");
        QVERIFY(copiesIn(m_state).isEmpty());

        w.insertion().insert("again ");
        auto yes = answerNextMessageBox(QMessageBox::Yes);
        trigger(w, "Fin");
        QVERIFY(yes->seen);
        QVERIFY(copiesIn(m_state).isEmpty());

        w.insertion().insert("kept");
        trigger(w, "gotoend");
        QCOMPARE(copiesIn(m_state).size(), 1);
        QCOMPARE(readRecoveryCopy(copyPath)->text, w.editwindow()->documentText());
    }

    // A copy left behind is offered when its file opens again: Yes shows it as unsaved
    // changes over the file's baseline; No discards it; a copy equal to the file goes silently.
    void offersTheCopyLeftBehind()
    {
        const QString copy = leaveCopy(m_state, m_page, "<p>recovered</p>\r\n");
        {
            auto yes = answerNextMessageBox(QMessageBox::Yes);
            HtmlE w;
            startEditor(w, m_page + " on");
            QVERIFY(yes->seen);
            QVERIFY(yes->text.contains(m_page));
            QCOMPARE(w.editwindow()->documentText(), QStringLiteral("<p>recovered</p>\r\n"));
            QVERIFY(w.document().isBaseline(u"<p>on disk</p>\r\n"));
            QVERIFY(w.hasUnsavedChanges());
            QVERIFY(QFile::exists(copy)); // now this editor's own
            trigger(w, "gotoend");
        }
        {
            auto no = answerNextMessageBox(QMessageBox::No);
            HtmlE w;
            startEditor(w, m_page + " on");
            QVERIFY(no->seen);
            QCOMPARE(w.editwindow()->documentText(), QStringLiteral("<p>on disk</p>\r\n"));
            QVERIFY(copiesIn(m_state).isEmpty());
        }
        leaveCopy(m_state, m_page, "<p>on disk</p>\r\n");
        const QString unsaved = leaveCopy(m_state, QString(), "draft");
        auto unasked = answerNextMessageBox(QMessageBox::No);
        HtmlE w;
        startEditor(w, m_page + " on");
        QVERIFY(!unasked->seen);
        QCOMPARE(copiesIn(m_state), QStringList{QFileInfo(unsaved).fileName()});
    }

    // Save asks before it overwrites a file someone else changed since it was read or last
    // written; No writes nothing.
    void saveAsksWhenTheFileChangedOnDisk()
    {
        HtmlE w;
        startEditor(w, m_page + " on");
        w.insertion().insert("mine ");
        auto unasked = answerNextMessageBox(QMessageBox::No);
        trigger(w, "SaveFiLE");
        QVERIFY(!unasked->seen);
        unasked.reset();
        QCOMPARE(readFile(m_page), QByteArray("mine <p>on disk</p>\r\n"));

        writeFile(m_page + ".new", "theirs\r\n");
        QVERIFY(QFile::remove(m_page) && QFile::rename(m_page + ".new", m_page)); // as another editor saves
        w.insertion().insert("more ");
        auto no = answerNextMessageBox(QMessageBox::No);
        trigger(w, "SaveFiLE");
        QVERIFY(no->seen);
        QVERIFY(no->text.contains(m_page));
        QCOMPARE(readFile(m_page), QByteArray("theirs\r\n"));

        auto yes = answerNextMessageBox(QMessageBox::Yes);
        trigger(w, "SaveFiLE");
        QVERIFY(yes->seen);
        QCOMPARE(readFile(m_page), QByteArray("mine more <p>on disk</p>\r\n"));
    }

    // The backup of a save that did not finish is offered when its file opens: Yes shows the
    // old text as unsaved changes and the backup goes once the file is saved whole; No
    // deletes it; one equal to the file is no longer needed and goes without a question.
    void offersTheBackupOfAnUnfinishedSave()
    {
        const QString backup = m_folder->file(".page 頁.htm.vornikedit-backup-AbC123");
        writeFile(m_page, "<p>half new");
        writeFile(backup, "<p>before</p>\r\n");
        {
            auto yes = answerNextMessageBox(QMessageBox::Yes);
            HtmlE w;
            startEditor(w, m_page + " on");
            QVERIFY(yes->seen);
            QVERIFY(yes->text.contains(backup));
            QCOMPARE(w.editwindow()->documentText(), QStringLiteral("<p>before</p>\r\n"));
            QVERIFY(w.document().isBaseline(u"<p>half new"));
            QVERIFY(w.hasUnsavedChanges());
            QVERIFY(QFile::exists(backup));
            trigger(w, "SaveFiLE");
            QCOMPARE(readFile(m_page), QByteArray("<p>before</p>\r\n"));
            QVERIFY(!QFile::exists(backup));
        }
        writeFile(backup, "<p>older</p>\r\n");
        {
            auto no = answerNextMessageBox(QMessageBox::No);
            HtmlE w;
            startEditor(w, m_page + " on");
            QVERIFY(no->seen);
            QCOMPARE(w.editwindow()->documentText(), QStringLiteral("<p>before</p>\r\n"));
            QVERIFY(!QFile::exists(backup));
        }
        writeFile(backup, readFile(m_page));
        auto unasked = answerNextMessageBox(QMessageBox::No);
        HtmlE w;
        startEditor(w, m_page + " on");
        QVERIFY(!unasked->seen);
        QVERIFY(!QFile::exists(backup));
    }

    // A copy that cannot be read (cut off, a foreign header, empty) is named with the place
    // it is kept, once: it is set aside, not offered again and not lost.
    void damagedCopiesAreNamedOnce()
    {
        const QString cut = leaveCopy(m_state, m_page, "<p>cut off</p>");
        QVERIFY(QFile::resize(cut, QFileInfo(cut).size() - 3));
        const QString foreign = m_state + u'/' + newRecoveryCopyName();
        writeFile(foreign, "not a copy at all");
        const QString empty = m_state + u'/' + newRecoveryCopyName();
        writeFile(empty, "");
        auto told = answerNextMessageBox(QMessageBox::Ok);
        {
            HtmlE w;
            startEditor(w, m_page + " on");
            QVERIFY(told->seen);
        }
        for (const QString& copy : {cut, foreign, empty}) {
            const QString aside = m_state + "/damaged-" + QFileInfo(copy).fileName();
            QVERIFY2(told->text.contains(aside), qPrintable(told->text));
            QVERIFY(QFile::exists(aside));
        }
        QVERIFY(copiesIn(m_state).isEmpty());
        auto unasked = answerNextMessageBox(QMessageBox::Ok);
        HtmlE w;
        startEditor(w, QString());
        QVERIFY(!unasked->seen);
    }

    // A start without a file lists the work left for files, so that of a file renamed or
    // moved since is not lost; one opens as an unsaved document without a name.
    void startWithoutAFileListsWorkOnFiles()
    {
        const QString moved = m_folder->file("moved away.htm");
        leaveCopy(m_state, moved, "<p>moved</p>\r\n", 5);
        leaveCopy(m_state, m_page, "<p>page</p>\r\n", 1);
        QStringList names, folders;
        auto listed = onNextModal<QDialog>([&](QDialog& dialog) {
            QCOMPARE(dialog.objectName(), QString("recoveryList"));
            auto* list = dialog.findChild<QTreeWidget*>("copies");
            for (int row = 0; row < list->topLevelItemCount(); ++row) {
                names << list->topLevelItem(row)->text(0);
                folders << list->topLevelItem(row)->text(1);
            }
            list->setCurrentItem(list->topLevelItem(1));
            dialog.findChild<QPushButton*>("open")->click();
        });
        HtmlE w;
        startEditor(w, QString());
        QVERIFY(*listed);
        QCOMPARE(names, QStringList({"page 頁.htm", "moved away.htm"}));
        QCOMPARE(folders, QStringList({m_folder->path().chopped(1), m_folder->path().chopped(1)}));
        QCOMPARE(w.editwindow()->documentText(), QStringLiteral("<p>moved</p>\r\n"));
        QVERIFY(w.document().FilePath().isEmpty());
        QVERIFY(w.hasUnsavedChanges());
        QCOMPARE(copiesIn(m_state).size(), 2); // the other waits; the opened one is this editor's
    }

    // A copy remembers the file as it was when the copy was taken: a change on disk since
    // then is asked about at Save, not overwritten without a word.
    void restoredCopyKeepsTheStampOfItsTime()
    {
        const DiskStamp then = DiskStamp::of(m_page);
        const QString copyPath = m_state + u'/' + newRecoveryCopyName();
        writeFile(copyPath, formatRecoveryCopy(m_page, "<p>mine</p>\r\n", QDateTime::currentDateTimeUtc(), then));
        writeFile(m_page + ".new", "<p>theirs, later</p>\r\n");
        QVERIFY(QFile::remove(m_page) && QFile::rename(m_page + ".new", m_page));
        auto yes = answerNextMessageBox(QMessageBox::Yes);
        HtmlE w;
        startEditor(w, m_page + " on");
        QVERIFY(yes->seen);
        QCOMPARE(w.editwindow()->documentText(), QStringLiteral("<p>mine</p>\r\n"));
        auto no = answerNextMessageBox(QMessageBox::No);
        trigger(w, "SaveFiLE");
        QVERIFY(no->seen);
        QVERIFY(no->text.contains(m_page));
        QCOMPARE(readFile(m_page), QByteArray("<p>theirs, later</p>\r\n"));
    }

    // A copy that cannot be written leaves the last good one, never an empty one, and the
    // editor says once that the work is not being kept; a state folder that is a link is said
    // at start.
    void failuresKeepTheLastCopyAndAreSaidOnce()
    {
        const QString copy = m_state + u'/' + newRecoveryCopyName();
        QVERIFY(writeRecoveryCopy(copy, m_page, "good"));
        failWriteStepForTesting(WriteStep::Write, ENOSPC);
        QVERIFY(!writeRecoveryCopy(copy, m_page, "lost"));
        QCOMPARE(readRecoveryCopy(copy)->text, QStringLiteral("good"));
        QCOMPARE(QDir(m_state).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QVERIFY(QFile::remove(copy));

        HtmlE w;
        startEditor(w, m_page + " on");
        failWriteStepForTesting(WriteStep::Write, ENOSPC, 2);
        auto told = answerNextMessageBox(QMessageBox::Ok);
        w.insertion().insert("typed ");
        trigger(w, "gotoend"); // takes the copy now, as an ending editor does
        QTRY_VERIFY(told->seen);
        QVERIFY(told->text.contains(QStringLiteral("控え")));
        auto again = answerNextMessageBox(QMessageBox::Ok);
        w.insertion().insert("more ");
        trigger(w, "gotoend");
        QTest::qWait(50);
        QVERIFY(!again->seen);
        again.reset(); // else it would take the next box
        failWriteStepForTesting(WriteStep::Write, 0, 0);

        const QByteArray state = qgetenv("XDG_STATE_HOME");
        QTemporaryDir elsewhere;
        QVERIFY(QDir().mkdir(elsewhere.filePath("real")));
        QVERIFY(QFile::link(elsewhere.filePath("real"), elsewhere.filePath("vornikedit")));
        qputenv("XDG_STATE_HOME", QFile::encodeName(elsewhere.path()));
        auto atStart = answerNextMessageBox(QMessageBox::Ok);
        HtmlE linked;
        startEditor(linked, QString());
        QTRY_VERIFY(atStart->seen);
        qputenv("XDG_STATE_HOME", state);
        QVERIFY(atStart->text.contains(elsewhere.filePath("vornikedit")));
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
    QString m_state;
    QString m_page;
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    prepareApplication(app);
    RecoveryTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_recovery.moc"
