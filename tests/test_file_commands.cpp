#include "ui/application.h"
#include "ui/document_box.h"
#include "ui/file_controler.h"
#include "app/main_window.h"
#include "text/text_encoding.h"
#include "text/save_backups.h"
#include "text/write_steps.h"
#include "document/document.h"
#include "document/insertion_point.h"
#include "platform/file_exists.h"
#include "platform/launcher.h"
#include "ui/menu_surface.h"
#include "window_test_support.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <cerrno>
#include <unistd.h>

namespace {

// As a drag from the file manager arrives: the drop goes to whoever accepted the entry.
void drop(HtmlE& w, QMimeData* mime)
{
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.editwindow()->viewport(), &enter);
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.editwindow()->viewport(), &event);
    QCoreApplication::processEvents(); // the load runs after the drop has been answered
}

void dropFiles(HtmlE& w, const QStringList& paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls.append(QUrl::fromLocalFile(p));
    mime.setUrls(urls);
    drop(w, &mime);
}

// What a command leaves behind: FilePath, the baseline, the Save controls and the title.

}

class FileCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestProgramFolder>();
        m_dialogAnswer.clear();
        m_dialogKinds.clear();
        m_dialogStarts.clear();
        FileControler::setDialogForTesting([this](FileControler::DialogKind kind, const QString& start) {
            m_dialogKinds.append(kind);
            m_dialogStarts.append(start);
            return m_dialogAnswer;
        });
    }
    void cleanup()
    {
        FileControler::setDialogForTesting({});
        platform::setStartDetachedForTesting({});
        QVERIFY(!QApplication::overrideCursor());
        m_folder.reset();
    }

    void stateAfterEachCommand()
    {
        m_folder->write("a.htm", "a\r\nb\r\n");
        HtmlE w;
        w.startUp(QString());
        DocumentBox* box = w.editwindow();

        // New on an empty document asks nothing and keeps the baseline.
        w.document().setBaseline(u"old baseline");
        trigger(w, "newfile");
        expectFile(w, QString(), "old baseline");

        // A new document is saved as UTF-8 with CR LF.
        box->replaceSelection("日本\r\n");
        m_dialogAnswer = m_folder->file("new.htm");
        trigger(w, "SaveAsFile");
        QCOMPARE(m_dialogKinds.last(), FileControler::DialogKind::Save);
        QCOMPARE(m_folder->read("new.htm"), QString("日本\r\n").toUtf8());
        expectFile(w, m_folder->file("new.htm"), "日本\r\n");

        open(w, m_folder->file("a.htm"));
        QCOMPARE(m_dialogKinds.last(), FileControler::DialogKind::Open);
        QCOMPARE(box->documentText(), QString("a\r\nb\r\n"));
        expectFile(w, m_folder->file("a.htm"), "a\r\nb\r\n");
        QVERIFY(!w.hasUnsavedChanges());

        box->replaceSelection("x");
        QVERIFY(w.hasUnsavedChanges());
        trigger(w, "SaveFiLE");
        QCOMPARE(m_folder->read("a.htm"), QByteArray("xa\r\nb\r\n"));
        expectFile(w, m_folder->file("a.htm"), "xa\r\nb\r\n");
        QVERIFY(!w.hasUnsavedChanges());
        // Typed back to the saved text (not undone) it is unchanged; one character more, or the
        // same length with another character, is a change.
        const auto retype = [box](qsizetype from, qsizetype to, const QString& text) {
            box->select(from, to);
            box->replaceSelection(text);
        };
        retype(1, 1, "a");
        QVERIFY(w.hasUnsavedChanges());
        retype(1, 2, "");
        QVERIFY(!w.hasUnsavedChanges() && !box->model().isAtSaved());
        retype(0, 1, "y");
        QVERIFY(w.hasUnsavedChanges());
        retype(0, 1, "x");
        QVERIFY(!w.hasUnsavedChanges());

        // A cancelled dialog changes nothing and says nothing.
        m_dialogAnswer.clear();
        trigger(w, "SaveAsFile");
        trigger(w, "openfile");
        expectFile(w, m_folder->file("a.htm"), "xa\r\nb\r\n");

        // Open in a new window starts the program on the file; this window stays as it is,
        // also when the start fails.
        QString program;
        QStringList arguments;
        platform::setStartDetachedForTesting([&](const QString& p, const QStringList& a, qint64*) {
            program = p;
            arguments = a;
            return false;
        });
        m_dialogAnswer = m_folder->path() + "a b/x.htm";
        trigger(w, "newopenfile");
        QCOMPARE(program, QCoreApplication::applicationFilePath());
        QCOMPARE(arguments, QStringList{m_folder->path() + "a b/x.htm on"});
        expectFile(w, m_folder->file("a.htm"), "xa\r\nb\r\n");
        QCOMPARE(box->documentText(), QString("xa\r\nb\r\n"));
    }

    // The dialogs start at the document until a file is chosen in them; Save As offers the
    // document's own name, and a new document no other file's name.
    void dialogsStartAtTheDocument()
    {
        QDir(m_folder->path()).mkdir("sub");
        m_folder->write("sub/a.htm", "a");
        m_folder->write("b.htm", "b");
        HtmlE w;
        w.startUp(m_folder->file("sub/a.htm") + " on");
        trigger(w, "openfile");
        trigger(w, "SaveAsFile");
        QCOMPARE(m_dialogStarts, (QStringList{m_folder->path() + "sub", m_folder->file("sub/a.htm")}));
        m_dialogAnswer = m_folder->file("b.htm");
        trigger(w, "openfile");
        m_dialogAnswer.clear();
        trigger(w, "newopenfile");
        const auto discard = answerNextMessageBox(QMessageBox::Yes);
        trigger(w, "newfile");
        trigger(w, "SaveAsFile");
        QCOMPARE(m_dialogStarts.mid(3), (QStringList{m_folder->file("b.htm"), m_folder->path().chopped(1)}));
    }

    // New, Open and a drop ask before unsaved changes go; No keeps everything. Of three
    // dropped files the first is loaded here, the others each in a window of its own.
    void unsavedChangesAreAskedAbout_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("typed");
        QTest::addColumn<int>("answer");
        QTest::newRow("new, no") << "new" << true << int(QMessageBox::No);
        QTest::newRow("new, yes") << "new" << true << int(QMessageBox::Yes);
        QTest::newRow("open, unchanged") << "open" << false << int(QMessageBox::NoButton);
        QTest::newRow("open, no") << "open" << true << int(QMessageBox::No);
        QTest::newRow("open, yes") << "open" << true << int(QMessageBox::Yes);
        QTest::newRow("drop, no") << "drop" << true << int(QMessageBox::No);
        QTest::newRow("drop three, yes") << "drop" << true << int(QMessageBox::Yes);
    }
    void unsavedChangesAreAskedAbout()
    {
        QFETCH(QString, command);
        QFETCH(bool, typed);
        QFETCH(int, answer);
        m_folder->write("a.htm", "first\r\n");
        m_folder->write("b.htm", "second\r\n");
        m_folder->write("c.htm", "third\r\n");
        HtmlE w;
        w.startUp(m_folder->file("a.htm") + " on");
        if (typed)
            w.editwindow()->replaceSelection("typed ");

        QStringList launched;
        platform::setStartDetachedForTesting([&](const QString&, const QStringList& a, qint64*) {
            launched += a;
            return true;
        });
        const auto asked = answerNextMessageBox(answer ? QMessageBox::StandardButton(answer) : QMessageBox::Cancel);
        if (command == "new")
            trigger(w, "newfile");
        else if (command == "open")
            open(w, m_folder->file("b.htm"));
        else
            dropFiles(w, {m_folder->file("b.htm"), m_folder->file("c.htm"), m_folder->file("a.htm")});
        QTRY_COMPARE(asked->seen, answer != QMessageBox::NoButton);
        if (command == "drop")
            QCOMPARE(launched, (QStringList{m_folder->file("c.htm") + " on", m_folder->file("a.htm") + " on"}));
        if (asked->seen)
            QCOMPARE(asked->defaultButton, QMessageBox::No);

        if (answer == QMessageBox::No) {
            QCOMPARE(w.editwindow()->documentText(), QString("typed first\r\n"));
            expectFile(w, m_folder->file("a.htm"), "first\r\n");
        } else if (command == "new") {
            QVERIFY(w.editwindow()->isEmpty());
            expectFile(w, QString(), "first\r\n");
            QVERIFY(!w.windowTitle().startsWith("a.htm"));
        } else {
            QTRY_COMPARE(w.editwindow()->documentText(), QString("second\r\n"));
            expectFile(w, m_folder->file("b.htm"), "second\r\n");
        }
    }

    // A remote page is not loaded (a dropped text goes in at the drop point: the edit fuzzer
    // drops texts), and a file list is never pasted as text.
    void onlyLocalFilesAreTakenFromADrop()
    {
        HtmlE w;
        w.startUp(QString());
        w.editwindow()->setDocumentText("keep");
        QMimeData remote;
        remote.setUrls({QUrl("https://example.org/page.htm")});
        drop(w, &remote);
        QCOMPARE(w.editwindow()->documentText(), QString("keep"));
        // The box's own paste takes text, as one undo step, but not a file list.
        QApplication::clipboard()->setText("a\nb");
        w.editwindow()->moveCursor(QTextCursor::End);
        w.editwindow()->paste();
        QCOMPARE(w.editwindow()->documentText(), QString("keepa\r\nb"));
        w.editwindow()->undoStep();
        auto* files = new QMimeData;
        files->setUrls({QUrl::fromLocalFile(m_folder->file("a.htm"))});
        QApplication::clipboard()->setMimeData(files);
        w.editwindow()->paste();
        QCOMPARE(w.editwindow()->documentText(), QString("keep"));
        QVERIFY(w.document().FilePath().isEmpty());
    }

    // The file is read after the question, as it is then. Missing, a folder, or deleted
    // meanwhile: it is reported by name and everything stays.
    void fileIsReadAfterTheQuestion_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("whileAsking");
        QTest::newRow("replaced while asking") << "b.htm" << "replace";
        QTest::newRow("missing") << "missing.htm" << "";
        QTest::newRow("folder") << "sub" << "";
        QTest::newRow("deleted while asking") << "b.htm" << "delete";
    }
    void fileIsReadAfterTheQuestion()
    {
        QFETCH(QString, name);
        QFETCH(QString, whileAsking);
        m_folder->write("a.htm", "saved\r\n");
        m_folder->write("b.htm", "before\r\n");
        QDir(m_folder->path()).mkdir("sub");
        HtmlE w;
        w.startUp(m_folder->file("a.htm") + " on");
        w.editwindow()->replaceSelection("typed ");
        const QString path = m_folder->file(name);

        std::shared_ptr<MessageBoxAnswer> failure;
        const auto question = answerNextMessageBox(QMessageBox::Yes, [&] {
            if (whileAsking == "delete")
                QFile::remove(path);
            else if (whileAsking == "replace")
                m_folder->write(name, "after\r\n");
            failure = answerNextMessageBox(QMessageBox::Ok);
        });
        open(w, path);
        QVERIFY(question->seen);
        if (whileAsking == "replace") {
            QCOMPARE(w.editwindow()->documentText(), QString("after\r\n"));
            QVERIFY(!failure->seen);
            return;
        }
        QVERIFY(failure && failure->seen);
        QVERIFY(failure->text.endsWith('\n' + path));
        QCOMPARE(w.editwindow()->documentText(), QString("typed saved\r\n"));
        expectFile(w, m_folder->file("a.htm"), "saved\r\n");
        QVERIFY(w.editwindow()->isVisibleTo(&w));
    }

    // A failed write is reported and keeps the file, the path and the unsaved changes. (Why
    // a write fails is the file writer's own test.)
    void failedSaveKeepsTheState()
    {
        m_folder->write("a.htm", "old\r\n");
        HtmlE w;
        w.startUp(m_folder->file("a.htm") + " on");
        w.editwindow()->replaceSelection("new ");
        m_dialogAnswer = m_folder->path() + "no such folder/b.htm";
        const auto answer = answerNextMessageBox(QMessageBox::Ok);
        trigger(w, "SaveAsFile");
        QVERIFY(answer->seen);
        QCOMPARE(answer->icon, QMessageBox::Warning);
        expectFile(w, m_folder->file("a.htm"), "old\r\n");
        QVERIFY(w.hasUnsavedChanges());
    }

    // What became of the page is said: saved but perhaps not through a power cut (a failed
    // folder sync: the next save asks nothing about its own write), or, where an in-place
    // write could not copy the old text back, where that text is kept.
    void saveSaysWhatBecameOfThePage()
    {
        m_folder->write("a.htm", "old\r\n");
        HtmlE w;
        w.startUp(m_folder->file("a.htm") + " on");
        w.editwindow()->replaceSelection("new ");
        failWriteStepForTesting(WriteStep::FolderSync, EIO);
        auto told = answerNextMessageBox(QMessageBox::Ok);
        trigger(w, "SaveFiLE");
        QVERIFY(told->seen);
        QVERIFY(told->text.contains("停電"));
        QVERIFY(!w.hasUnsavedChanges());
        QCOMPARE(m_folder->read("a.htm"), QByteArray("new old\r\n"));
        w.editwindow()->replaceSelection("more ");
        auto unasked = answerNextMessageBox(QMessageBox::No);
        trigger(w, "SaveFiLE");
        QVERIFY(!unasked->seen);
        unasked.reset();
        QCOMPARE(m_folder->read("a.htm"), QByteArray("new more old\r\n"));

        QVERIFY(::link(QFile::encodeName(m_folder->file("a.htm")).constData(),
                       QFile::encodeName(m_folder->file("b.htm")).constData()) == 0); // in place
        w.editwindow()->replaceSelection("last ");
        failWriteStepForTesting(WriteStep::Write, EIO, 2);
        told = answerNextMessageBox(QMessageBox::Ok);
        trigger(w, "SaveFiLE");
        QVERIFY(told->seen);
        const QStringList backups = leftBackups(m_folder->file("a.htm"));
        QCOMPARE(backups.size(), 1);
        QVERIFY(told->text.startsWith("書き込みに失敗しました。"));
        QVERIFY(told->text.contains(backups.first()));
        QVERIFY(w.hasUnsavedChanges());
    }

    void saveAsAsksBeforeReplacing()
    {
        m_folder->write("other.htm", "other\r\n");
        HtmlE w;
        w.startUp(QString());
        w.editwindow()->replaceSelection("mine\r\n");
        m_dialogAnswer = m_folder->file("other.htm");

        auto answer = answerNextMessageBox(QMessageBox::No);
        trigger(w, "SaveAsFile");
        QVERIFY(answer->seen);
        QVERIFY(answer->text.contains(m_folder->file("other.htm")));
        QCOMPARE(answer->defaultButton, QMessageBox::No);
        QCOMPARE(m_folder->read("other.htm"), QByteArray("other\r\n"));
        QVERIFY(w.document().FilePath().isEmpty());

        answer = answerNextMessageBox(QMessageBox::Yes);
        trigger(w, "SaveAsFile");
        QVERIFY(answer->seen);
        QCOMPARE(m_folder->read("other.htm"), QByteArray("mine\r\n"));
        QCOMPARE(w.document().FilePath(), m_folder->file("other.htm"));
    }

private:
    void open(HtmlE& w, const QString& path)
    {
        m_dialogAnswer = path;
        trigger(w, "openfile");
    }

    std::unique_ptr<TestProgramFolder> m_folder;
    QString m_dialogAnswer;
    QList<FileControler::DialogKind> m_dialogKinds;
    QStringList m_dialogStarts;
};

VORNIK_WINDOW_TEST_MAIN(FileCommandsTest)
#include "test_file_commands.moc"
