#include "app/application.h"
#include "app/document_box.h"
#include "app/file_controler.h"
#include "app/main_window.h"
#include "app/paths.h"
#include "platform/launcher.h"
#include "ui/menu_surface.h"
#include "window_test_support.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace {

// Runs `action` once the next modal box is up, then answers it.
void whileNextBoxIsOpen(std::function<void()> action, QMessageBox::StandardButton button)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        timer->stop();
        timer->deleteLater();
        action();
        if (QAbstractButton* b = box->button(button))
            b->click();
        else
            box->reject();
    });
    timer->start();
}

// For a command that must ask nothing: any box that opens is recorded and closed.
class NoBoxExpected {
public:
    NoBoxExpected()
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_seen = true;
                box->reject();
            }
        });
        m_timer.start(10);
    }
    bool seen() const { return m_seen; }

private:
    QTimer m_timer;
    bool m_seen = false;
};

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

bool saveControlsEnabled(HtmlE& w)
{
    return w.menus().action("SaveFiLE")->isEnabled();
}

}

class FileCommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }
    void init()
    {
        m_folder = std::make_unique<TestProgramFolder>();
        programPaths() = PathParts();
        m_dialogAnswer.clear();
        m_dialogKinds.clear();
        FileControler::setDialogForTesting([this](FileControler::DialogKind kind, const QString&) {
            m_dialogKinds.append(kind);
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

    // FilePath, the baseline and the Save controls after each command.
    void stateAfterEachCommand()
    {
        m_folder->write("a.htm", "a\r\nb\r\n");
        HtmlE w;
        w.startUp(QString());
        DocumentBox* box = w.editwindow();

        // New on an empty document asks nothing.
        w.setBaseline("old baseline");
        trigger(w, "newfile");
        QVERIFY(w.state().FilePath.isEmpty());
        QCOMPARE(w.TxtRam(), QString("old baseline"));
        QVERIFY(!saveControlsEnabled(w));

        // Open: the file's path, its text as baseline, Save enabled, the name in the title.
        open(w, m_folder->file("a.htm"));
        QCOMPARE(m_dialogKinds.last(), FileControler::DialogKind::Open);
        QCOMPARE(box->documentText(), QString("a\r\nb\r\n"));
        QCOMPARE(w.TxtRam(), QString("a\r\nb\r\n"));
        QCOMPARE(w.state().FilePath, m_folder->file("a.htm"));
        QVERIFY(saveControlsEnabled(w));
        QVERIFY(!w.hasUnsavedChanges());
        QVERIFY(w.windowTitle().startsWith("a.htm "));
        QCOMPARE(w.fileControler().lastFileName(), m_folder->file("a.htm"));

        // Save: the text as it stands, the new baseline, nothing else changes.
        box->replaceSelection("x");
        QVERIFY(w.hasUnsavedChanges());
        trigger(w, "SaveFiLE");
        QCOMPARE(m_folder->read("a.htm"), QByteArray("xa\r\nb\r\n"));
        QCOMPARE(w.TxtRam(), QString("xa\r\nb\r\n"));
        QVERIFY(!w.hasUnsavedChanges());
        QCOMPARE(w.state().FilePath, m_folder->file("a.htm"));

        // Save As a new name: the new path, in the title too.
        m_dialogAnswer = m_folder->file("b.htm");
        trigger(w, "SaveAsFile");
        QCOMPARE(m_dialogKinds.last(), FileControler::DialogKind::Save);
        QCOMPARE(m_folder->read("b.htm"), QByteArray("xa\r\nb\r\n"));
        QCOMPARE(w.state().FilePath, m_folder->file("b.htm"));
        QVERIFY(saveControlsEnabled(w));
        QVERIFY(w.windowTitle().startsWith("b.htm "));

        // A cancelled dialog changes nothing and says nothing.
        m_dialogAnswer.clear();
        trigger(w, "SaveAsFile");
        trigger(w, "openfile");
        QCOMPARE(w.state().FilePath, m_folder->file("b.htm"));

        // Open in a new window: this window stays as it is.
        QString program;
        QStringList arguments;
        platform::setStartDetachedForTesting([&](const QString& p, const QStringList& a, qint64*) {
            program = p;
            arguments = a;
            return true;
        });
        m_dialogAnswer = m_folder->path() + "a b/x.htm";
        trigger(w, "newopenfile");
        QCOMPARE(program, QCoreApplication::applicationFilePath());
        QCOMPARE(arguments, QStringList{m_folder->path() + "a b/x.htm on"});
        QCOMPARE(w.state().FilePath, m_folder->file("b.htm"));
        QCOMPARE(box->documentText(), QString("xa\r\nb\r\n"));
        // A failure to start is ignored.
        platform::setStartDetachedForTesting([](const QString&, const QStringList&, qint64*) { return false; });
        trigger(w, "newopenfile");
        QCOMPARE(w.state().FilePath, m_folder->file("b.htm"));
    }

    void newAsksBeforeEmptying()
    {
        m_folder->write("a.htm", "text\r\n");
        HtmlE w;
        w.startUp(m_folder->file("a.htm") + " on");

        auto answer = answerNextMessageBox(QMessageBox::No);
        trigger(w, "newfile");
        QVERIFY(answer->seen);
        QCOMPARE(answer->title, QString("HtmlE"));
        QCOMPARE(answer->text, QString("すべて消えてしまいますが、\nよろしいですか？"));
        QCOMPARE(answer->icon, QMessageBox::Information);
        QCOMPARE(answer->defaultButton, QMessageBox::No);
        QCOMPARE(w.editwindow()->documentText(), QString("text\r\n"));
        QCOMPARE(w.state().FilePath, m_folder->file("a.htm"));
        QVERIFY(saveControlsEnabled(w));

        answer = answerNextMessageBox(QMessageBox::Yes);
        trigger(w, "newfile");
        QVERIFY(answer->seen);
        QVERIFY(w.editwindow()->isEmpty());
        QVERIFY(w.state().FilePath.isEmpty());
        QVERIFY(!saveControlsEnabled(w));
        QVERIFY(programPaths().FileTitle.isEmpty());
        QVERIFY(programPaths().TitledPath.isEmpty());
        QVERIFY(!w.windowTitle().startsWith("a.htm"));
        QCOMPARE(w.TxtRam(), QString("text\r\n"));

        // A new document is UTF-8 with CR LF.
        w.editwindow()->replaceSelection("日本\r\n");
        m_dialogAnswer = m_folder->file("new.htm");
        trigger(w, "SaveAsFile");
        QCOMPARE(m_folder->read("new.htm"), QString("日本\r\n").toUtf8());
    }

    void openAndDropAskAboutUnsavedChanges()
    {
        m_folder->write("a.htm", "first\r\n");
        m_folder->write("b.htm", "second\r\n");
        m_folder->write("c.htm", "third\r\n");
        HtmlE w;
        w.startUp(m_folder->file("a.htm") + " on");

        // Unchanged: no question.
        {
            NoBoxExpected none;
            open(w, m_folder->file("b.htm"));
            QVERIFY(!none.seen());
        }
        QCOMPARE(w.editwindow()->documentText(), QString("second\r\n"));
        std::shared_ptr<MessageBoxAnswer> answer;

        w.editwindow()->replaceSelection("typed ");
        answer = answerNextMessageBox(QMessageBox::No);
        open(w, m_folder->file("c.htm"));
        QVERIFY(answer->seen);
        QCOMPARE(answer->text, QString("すべて消えてしまいますが、\nよろしいですか？"));
        QCOMPARE(answer->defaultButton, QMessageBox::No);
        QCOMPARE(w.editwindow()->documentText(), QString("typed second\r\n"));
        QCOMPARE(w.state().FilePath, m_folder->file("b.htm"));
        QVERIFY(w.hasUnsavedChanges());

        answer = answerNextMessageBox(QMessageBox::No);
        dropFiles(w, {m_folder->file("c.htm")});
        QTRY_VERIFY(answer->seen);
        QCOMPARE(w.editwindow()->documentText(), QString("typed second\r\n"));

        // Three files dropped: only the first is loaded.
        answer = answerNextMessageBox(QMessageBox::Yes);
        dropFiles(w, {m_folder->file("c.htm"), m_folder->file("a.htm"), m_folder->file("b.htm")});
        QTRY_COMPARE(w.state().FilePath, m_folder->file("c.htm"));
        QVERIFY(answer->seen);
        QCOMPARE(w.editwindow()->documentText(), QString("third\r\n"));
        QCOMPARE(w.TxtRam(), QString("third\r\n"));
        QVERIFY(saveControlsEnabled(w));
        QVERIFY(w.windowTitle().startsWith("c.htm "));
    }

    void droppedTextIsNotInserted()
    {
        HtmlE w;
        w.startUp(QString());
        w.editwindow()->setDocumentText("keep");
        QMimeData text;
        text.setText("dropped");
        drop(w, &text);
        QMimeData remote;
        remote.setUrls({QUrl("https://example.org/page.htm")});
        drop(w, &remote);
        QCOMPARE(w.editwindow()->documentText(), QString("keep"));
        QVERIFY(w.state().FilePath.isEmpty());

        // Pasted text still arrives, in one undo step; a pasted file list is not text.
        QApplication::clipboard()->setText("a\nb");
        w.editwindow()->moveCursor(QTextCursor::End);
        w.editwindow()->paste();
        QCOMPARE(w.editwindow()->documentText(), QString("keepa\r\nb"));
        w.editwindow()->undo();
        QCOMPARE(w.editwindow()->documentText(), QString("keep"));
        auto* files = new QMimeData;
        files->setUrls({QUrl::fromLocalFile(m_folder->file("a.htm"))});
        QApplication::clipboard()->setMimeData(files);
        w.editwindow()->paste();
        QCOMPARE(w.editwindow()->documentText(), QString("keep"));
    }

    // Missing, a folder, unreadable, deleted while the question was open: everything stays.
    void unreadableFileChangesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("deleteWhileAsking");
        QTest::newRow("missing") << "missing.htm" << false;
        QTest::newRow("folder") << "sub" << false;
        QTest::newRow("deleted while asking") << "gone.htm" << true;
    }
    void unreadableFileChangesNothing()
    {
        QFETCH(QString, name);
        QFETCH(bool, deleteWhileAsking);
        m_folder->write("a.htm", "saved\r\n");
        m_folder->write("gone.htm", "soon gone\r\n");
        QDir(m_folder->path()).mkdir("sub");
        HtmlE w;
        w.startUp(m_folder->file("a.htm") + " on");
        w.editwindow()->replaceSelection("typed ");
        const QString path = m_folder->file(name);

        std::shared_ptr<MessageBoxAnswer> failure;
        if (deleteWhileAsking) {
            whileNextBoxIsOpen([&] {
                QFile::remove(path);
                failure = answerNextMessageBox(QMessageBox::Ok);
            }, QMessageBox::Yes);
        } else {
            whileNextBoxIsOpen([&] { failure = answerNextMessageBox(QMessageBox::Ok); }, QMessageBox::Yes);
        }
        open(w, path);
        QVERIFY(failure && failure->seen);
        QCOMPARE(failure->title, QString("HtmlE"));
        QCOMPARE(failure->text, "ファイルを開けませんでした。\n" + path);
        QCOMPARE(w.editwindow()->documentText(), QString("typed saved\r\n"));
        QCOMPARE(w.TxtRam(), QString("saved\r\n"));
        QCOMPARE(w.state().FilePath, m_folder->file("a.htm"));
        QVERIFY(saveControlsEnabled(w));
        QVERIFY(w.editwindow()->isVisibleTo(&w));
        QVERIFY(!QApplication::overrideCursor());
    }

    // The file is read after the question, as it is then.
    void fileReplacedWhileAskingIsReadAsItIsThen()
    {
        m_folder->write("b.htm", "before\r\n");
        HtmlE w;
        w.startUp(QString());
        w.editwindow()->replaceSelection("typed");
        whileNextBoxIsOpen([&] { m_folder->write("b.htm", "after\r\n"); }, QMessageBox::Yes);
        open(w, m_folder->file("b.htm"));
        QCOMPARE(w.editwindow()->documentText(), QString("after\r\n"));
    }

    void failedSavesKeepTheFileAndTheState()
    {
        const QByteArray old = "<p>old</p>\r\n";
        m_folder->write("a.htm", old);
        HtmlE w;
        w.startUp(m_folder->file("a.htm") + " on");
        w.editwindow()->replaceSelection(QString(10000, u'x'));

        // The disk fills up halfway.
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit saved = limit;
        limit.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &limit);
        auto answer = answerNextMessageBox(QMessageBox::Ok);
        trigger(w, "SaveFiLE");
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(answer->seen);
        QCOMPARE(answer->title, QString("HtmlE"));
        QCOMPARE(answer->text, QString("書き込みに失敗しました。"));
        QCOMPARE(answer->icon, QMessageBox::Warning);
        QCOMPARE(m_folder->read("a.htm"), old);
        QCOMPARE(w.TxtRam(), QString::fromLatin1(old));
        QVERIFY(w.hasUnsavedChanges());

        // Save As into a folder that does not exist: FilePath stays.
        m_dialogAnswer = m_folder->path() + "no such folder/b.htm";
        answer = answerNextMessageBox(QMessageBox::Ok);
        trigger(w, "SaveAsFile");
        QVERIFY(answer->seen);
        QCOMPARE(answer->text, QString("書き込みに失敗しました。"));
        QCOMPARE(w.state().FilePath, m_folder->file("a.htm"));
        QCOMPARE(w.TxtRam(), QString::fromLatin1(old));
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
        QCOMPARE(answer->title, QString("HtmlE"));
        QVERIFY(answer->text.contains(m_folder->file("other.htm")));
        QCOMPARE(answer->defaultButton, QMessageBox::No);
        QCOMPARE(m_folder->read("other.htm"), QByteArray("other\r\n"));
        QVERIFY(w.state().FilePath.isEmpty());
        QVERIFY(!saveControlsEnabled(w));

        answer = answerNextMessageBox(QMessageBox::Yes);
        trigger(w, "SaveAsFile");
        QVERIFY(answer->seen);
        QCOMPARE(m_folder->read("other.htm"), QByteArray("mine\r\n"));
        QCOMPARE(w.state().FilePath, m_folder->file("other.htm"));
    }

    // Open and Save of an unchanged file gives the same bytes back.
    void unchangedFilesRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString page = QString::fromUtf8("<meta charset=\"Shift_JIS\">\r\n<p>日本語〜ｱ①髙</p>\r\n");
        QTest::newRow("cp932") << encodeText(page, TextEncoding::Cp932).bytes;
        QTest::newRow("utf-8 lf") << QString(page).replace("\r\n", "\n").toUtf8();
        QTest::newRow("utf-8 bom") << "\xEF\xBB\xBF" + page.toUtf8();
        QTest::newRow("no final line end") << QByteArray("a\r\nb");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("tab, form feed, nul") << QByteArray("a\tb\fc\0d\r\n", 10);
    }
    void unchangedFilesRoundTrip()
    {
        QFETCH(QByteArray, bytes);
        m_folder->write("page.htm", bytes);
        HtmlE w;
        w.startUp(m_folder->file("page.htm") + " on");
        QVERIFY(!w.hasUnsavedChanges());
        trigger(w, "SaveFiLE");
        QCOMPARE(m_folder->read("page.htm"), bytes);
    }

    // An ASCII page that declares Shift_JIS gets typed Japanese saved as Shift_JIS.
    void declaredCharsetDecidesForAsciiFiles()
    {
        m_folder->write("sjis.htm", "<meta charset=\"Shift_JIS\">\r\n");
        m_folder->write("plain.htm", "<p>x</p>\r\n");
        for (const char* name : {"sjis.htm", "plain.htm"}) {
            HtmlE w;
            w.startUp(m_folder->file(name) + " on");
            w.editwindow()->moveCursor(QTextCursor::End);
            w.editwindow()->replaceSelection("日本");
            trigger(w, "SaveFiLE");
            const QByteArray saved = m_folder->read(name);
            if (QByteArray(name) == "sjis.htm")
                QVERIFY(saved.endsWith(encodeText(u"日本", TextEncoding::Cp932).bytes));
            else
                QVERIFY(saved.endsWith(QString("日本").toUtf8()));
        }
    }

    void unencodableCharactersAreAskedAbout()
    {
        const QByteArray old = encodeText(u"<p>一</p>\r\n二\r\n", TextEncoding::Cp932).bytes;
        m_folder->write("sjis.htm", old);
        HtmlE w;
        w.startUp(m_folder->file("sjis.htm") + " on");
        w.editwindow()->moveCursor(QTextCursor::End);
        const QString emoji = QString::fromUcs4(U"\U0001F600");
        w.editwindow()->replaceSelection(emoji + "\r\n" + emoji);

        // Cancel: nothing is written, the document still has unsaved changes.
        auto answer = answerNextMessageBox(QMessageBox::Cancel);
        trigger(w, "SaveFiLE");
        QVERIFY(answer->seen);
        QVERIFY(answer->text.startsWith("この文書には Shift_JIS で保存できない文字があります。"));
        QVERIFY(answer->text.contains("2 文字"));
        QVERIFY(answer->text.contains("3 行目"));
        QCOMPARE(answer->defaultButton, QMessageBox::Cancel);
        QCOMPARE(m_folder->read("sjis.htm"), old);
        QVERIFY(w.hasUnsavedChanges());

        // Character references: still Shift_JIS.
        answer = answerNextMessageBox(QMessageBox::Save);
        trigger(w, "SaveFiLE");
        QVERIFY(answer->seen);
        QCOMPARE(m_folder->read("sjis.htm"), old + "&#x1F600;\r\n&#x1F600;");
        QCOMPARE(w.state().encoding, TextEncoding::Cp932);
        QVERIFY(!w.hasUnsavedChanges());

        // UTF-8: the whole page, and the document remembers it.
        answer = answerNextMessageBox(QMessageBox::Apply);
        trigger(w, "SaveFiLE");
        QVERIFY(answer->seen);
        QCOMPARE(m_folder->read("sjis.htm"), (QString("<p>一</p>\r\n二\r\n") + emoji + "\r\n" + emoji).toUtf8());
        QCOMPARE(w.state().encoding, TextEncoding::Utf8);
        NoBoxExpected none;
        trigger(w, "SaveFiLE");
        QVERIFY(!none.seen());
    }

    // Bytes valid in neither encoding: opened as Shift_JIS, and saving asks first.
    void undecodableFilesAskBeforeSaving()
    {
        const QByteArray broken = QByteArray("\x82\xA0") + "\xA0" + "ok\r\n";
        m_folder->write("broken.htm", broken);
        HtmlE w;
        w.startUp(m_folder->file("broken.htm") + " on");
        QCOMPARE(w.editwindow()->documentText(), QString("あ") + QChar(0xFFFD) + "ok\r\n");
        auto answer = answerNextMessageBox(QMessageBox::Cancel);
        trigger(w, "SaveFiLE");
        QVERIFY(answer->seen);
        QVERIFY(answer->text.contains("1 文字"));
        QCOMPARE(m_folder->read("broken.htm"), broken);
    }

    // A large selection is wrapped by inserting its two ends: the result must be the same
    // as replacing it whole.
    void largeWrapIsOneStep()
    {
        HtmlE w;
        w.startUp(QString());
        QString lines;
        for (int i = 0; i < 2000; ++i)
            lines += QString("<p>%1 行目</p>\r\n").arg(i);
        w.editwindow()->setDocumentText("before\r\n" + lines + "after");
        selectRange(w, 7, 7 + int(DocumentBox::toBoxText(lines).size()));
        QCOMPARE(w.readSelection(), lines);
        trigger(w, "fb");
        QCOMPARE(w.editwindow()->documentText(), "before\r\n<b>" + lines + "</b>after");
        QVERIFY(!hasSelection(w));
        QCOMPARE(caretPosition(w), 7 + 3 + int(DocumentBox::toBoxText(lines).size()) + 4);
        w.editwindow()->undo();
        QCOMPARE(w.editwindow()->documentText(), "before\r\n" + lines + "after");

        // A text that merely contains the selection elsewhere replaces it whole.
        selectRange(w, 7, 7 + int(DocumentBox::toBoxText(lines).size()));
        const QString selected = w.readSelection();
        w.replaceSelection(QString(70000, u'-') + selected);
        QCOMPARE(w.editwindow()->documentText(), "before\r\n" + QString(70000, u'-') + lines + "after");
    }

    void boxHoldsTextAsGiven()
    {
        HtmlE w;
        w.startUp(QString());
        const QString samples[] = {"a\r\nb", QString("a") + QChar(0x2029) + "b", QString("a") + QChar(0xFDD0),
                                   QString("a") + QChar(0xFDD1), "a\rb", "a\nb", QString("x") + QChar(0xFFFC) + QChar(0x2028)};
        for (const QString& s : samples) {
            w.setDocument(s);
            if (DocumentBox::holdsTextAsGiven(s))
                QCOMPARE(w.editwindow()->documentText(), s);
        }
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
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    prepareApplication(app);
    FileCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_file_commands.moc"
