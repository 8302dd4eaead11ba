#include "app/main_window.h"
#include "document/document.h"
#include "ui/document_box.h"
#include "ui/document_context_menu.h"
#include "ui/file_controler.h"
#include "ui/menu_surface.h"
#include "window_test_support.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTest>

// Opening files as people do: a path typed after the program's name, and the recent files.
class OpeningTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestProgramFolder>();
        FileControler::setDialogForTesting([this](FileControler::DialogKind, const QString&) { return m_dialogAnswer; });
    }
    void cleanup()
    {
        FileControler::setDialogForTesting({});
        m_folder.reset();
    }

    // The command line as people type it: a plain path opens; a path where nothing is yet
    // is a new document of that name that Save creates; a folder is refused, said so.
    void commandLineAsPeopleTypeIt()
    {
        m_folder->write("a.json", "text\r\n");
        {
            HtmlE w;
            w.startUp(m_folder->file("a.json"));
            expectFile(w, m_folder->file("a.json"), "text\r\n");
        }
        const QString fresh = m_folder->file("new page.htm");
        {
            HtmlE w;
            w.startUp(fresh);
            expectFile(w, fresh, "");
            w.editwindow()->replaceSelection("<p>");
            // Made meanwhile by another program: asked about, not overwritten without a word.
            m_folder->write("new page.htm", "theirs");
            auto no = answerNextMessageBox(QMessageBox::No);
            trigger(w, "SaveFiLE");
            QVERIFY(no->seen);
            QCOMPARE(m_folder->read("new page.htm"), QByteArray("theirs"));
            QFile::remove(fresh);
            no.reset();
            trigger(w, "SaveFiLE");
            QVERIFY(m_folder->read("new page.htm").startsWith("<p>"));
            QVERIFY(!w.hasUnsavedChanges());
        }
        QVERIFY(QDir(m_folder->path()).mkdir("sub"));
        auto told = answerNextMessageBox(QMessageBox::Ok);
        HtmlE w;
        w.startUp(m_folder->file("sub"));
        QTRY_VERIFY(told->seen);
        QVERIFY(told->text.contains(m_folder->file("sub")));
        expectFile(w, "", "");
    }

    // 最近使ったファイル: the files opened or saved, newest first; one opens as 開く does,
    // question first; one that is gone is said so and dropped.
    void recentFilesOpenAsOpenDoes()
    {
        m_folder->write("a.htm", "a\r\n");
        m_folder->write("b & c.htm", "b\r\n");
        HtmlE w;
        open(w, m_folder->file("a.htm"));
        open(w, m_folder->file("b & c.htm"));
        m_dialogAnswer = m_folder->file("saved.htm");
        trigger(w, "SaveAsFile");
        auto recent = [&w](QStringList* texts = nullptr) {
            std::unique_ptr<QMenu> menu(DocumentContextMenu::of(w.editwindow(), &w)->build(QPoint()));
            QStringList paths;
            for (QAction* entry : menu->findChild<QMenu*>("recentMenu")->actions()) {
                paths << entry->data().toString();
                if (texts)
                    *texts << entry->text();
            }
            return paths;
        };
        QStringList texts;
        QCOMPARE(recent(&texts), QStringList({m_folder->file("saved.htm"), m_folder->file("b & c.htm"),
                                              m_folder->file("a.htm")}));
        QVERIFY(texts[1].startsWith("b && c.htm\t/")); // the folder after the tab, a quiet hint
        auto choose = [&w](const QString& path) {
            std::unique_ptr<QMenu> menu(DocumentContextMenu::of(w.editwindow(), &w)->build(QPoint()));
            for (QAction* entry : menu->findChild<QMenu*>("recentMenu")->actions())
                if (entry->data().toString() == path)
                    entry->trigger();
            QCoreApplication::processEvents();
        };
        w.editwindow()->replaceSelection("unsaved ");
        auto no = answerNextMessageBox(QMessageBox::No);
        choose(m_folder->file("a.htm"));
        QTRY_VERIFY(no->seen);
        expectFile(w, m_folder->file("saved.htm"), "b\r\n");
        auto yes = answerNextMessageBox(QMessageBox::Yes);
        choose(m_folder->file("a.htm"));
        QTRY_VERIFY(yes->seen);
        expectFile(w, m_folder->file("a.htm"), "a\r\n");
        QCOMPARE(recent().first(), m_folder->file("a.htm"));

        QVERIFY(QFile::remove(m_folder->file("saved.htm")));
        auto told = answerNextMessageBox(QMessageBox::Ok);
        choose(m_folder->file("saved.htm"));
        QTRY_VERIFY(told->seen);
        QVERIFY(told->text.contains(m_folder->file("saved.htm")));
        QCOMPARE(recent(), QStringList({m_folder->file("a.htm"), m_folder->file("b & c.htm")}));
        expectFile(w, m_folder->file("a.htm"), "a\r\n");
    }

private:
    void open(HtmlE& w, const QString& path)
    {
        m_dialogAnswer = path;
        trigger(w, "openfile");
    }

    std::unique_ptr<TestProgramFolder> m_folder;
    QString m_dialogAnswer;
};

VORNIK_WINDOW_TEST_MAIN(OpeningTest)
#include "test_opening.moc"
