#include "document/document.h"
#include "document/insertion_point.h"
#include "platform/clock.h"
#include "platform/launcher.h"
#include "platform/window_lookup.h"
#include "ui/menu_surface.h"
#include "usertags/user_tag_menu.h"
#include "window_test_support.h"

#include <QAction>
#include <QMenu>

namespace {
struct Launch {
    QString program;
    QStringList arguments;
};

// What the test doubles of the launcher, the window lookup and the clock report.
struct World {
    QList<Launch> launches;
    bool startSucceeds = true;
    bool windowShown = false;
    bool lookupAvailable = true;
    bool processRuns = true;
    qint64 now = 0;
};
}

class UserTagsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // The receiving endpoint that start-up opens stays inside the test.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }

    void init()
    {
        m_folder = std::make_unique<TestProgramFolder>();
        m = World();
        platform::setStartDetachedForTesting([this](const QString& program, const QStringList& args, qint64* pid) {
            m.launches.append({program, args});
            if (pid)
                *pid = 4242;
            return m.startSucceeds;
        });
        platform::setWindowLookupForTesting([this](const QString& title) -> std::optional<bool> {
            if (!m.lookupAvailable)
                return std::nullopt;
            return m.windowShown && title == QString("タグ追加");
        });
        platform::setProcessRunningForTesting([this](qint64 pid) { return pid == 4242 && m.processRuns; });
        platform::setMonotonicClockForTesting([this] { return m.now; });
        programState().UserExeRunning = 0;
    }

    void cleanup()
    {
        platform::setStartDetachedForTesting({});
        platform::setWindowLookupForTesting({});
        platform::setProcessRunningForTesting({});
        platform::setMonotonicClockForTesting({});
        programState().UserExeRunning = 0;
        m_folder.reset();
    }

    void withoutStoreEverythingIsEmpty()
    {
        m_folder->write("user.exe", "");
        StartedWindow w;
        QVERIFY(w.menus().action("uTag")->isEnabled());
        for (int k = 1; k <= 10; ++k) {
            QCOMPARE(w.menus().menu(QString("uTagAdd_%1").arg(k))->title(), QString());
            for (int i = 0; i < 10; ++i)
                QCOMPARE(w.menus().arrayItem(QString("uTagView%1").arg(k), i)->text(), QString());
        }
        // An empty entry still replaces the selection with its (empty) tag.
        w.setDocument("abcdef");
        selectRange(w, 1, 4);
        w.menus().arrayItem("uTagView3", 5)->trigger();
        QCOMPARE(w.editwindow()->documentText(), QString("aef"));
        QCOMPARE(caretPosition(w), 1);
    }

    void storeFillsTheMenus()
    {
        m_folder->write("user.exe", "");
        m_folder->write("tag.ini", QString("[tag set]\r\nTitle0=見出し\r\nsetumei0=改段\r\ntag0=<p>\r\n"
                                           "setumei99=最後\r\ntag99=<hr>\r\nsetumei10=太字\r\n")
                                       .toUtf8());
        StartedWindow w;
        QCOMPARE(w.menus().menu("uTagAdd_1")->title(), QString("見出し"));
        QCOMPARE(w.menus().arrayItem("uTagView1", 0)->text(), QString("改段"));
        QCOMPARE(w.menus().arrayItem("uTagView10", 9)->text(), QString("最後"));
        QCOMPARE(w.menus().arrayItem("uTagView2", 0)->text(), QString("太字"));

        w.setDocument("one two");
        selectRange(w, 4, 7);
        w.menus().arrayItem("uTagView1", 0)->trigger();
        QCOMPARE(w.editwindow()->documentText(), QString("one <p>"));
        QCOMPARE(w.insertion().TagRam(), QString("<p>"));
        QCOMPARE(caretPosition(w), 7);
        QVERIFY(!hasSelection(w));
        w.menus().arrayItem("uTagView10", 9)->trigger();
        QCOMPARE(w.editwindow()->documentText(), QString("one <p><hr>"));
    }

    void withoutCompanionTheStoreIsNotRead()
    {
        m_folder->write("tag.ini", "[tag set]\r\nTitle0=x\r\n");
        StartedWindow w;
        QVERIFY(!w.menus().action("uTag")->isEnabled());
        QVERIFY(w.menus().menu("uTagAdd_1")->title() != QString("x"));
    }

    void startingTheCompanion()
    {
        StartedWindow w;
        // Missing user.exe: a message, nothing started.
        auto answer = answerNextMessageBox(QMessageBox::Ok);
        trigger(w, "uTagAdd");
        QVERIFY(answer->seen);
        QVERIFY(m.launches.isEmpty());
        QCOMPARE(programState().UserExeRunning, qint16(0));

        m_folder->write("user.exe", "");
        w.move(96, 80);
        trigger(w, "uTagAdd");
        QCOMPARE(m.launches.size(), 1);
        QCOMPARE(m.launches[0].program, m_folder->file("user.exe"));
        const QRect frame = w.frameGeometry();
        QCOMPARE(m.launches[0].arguments,
                 QStringList(QString("%1,%2").arg((frame.x() + frame.width()) * 15).arg(frame.y() * 15)));
        QCOMPARE(programState().UserExeRunning, qint16(1));

        // A second choice starts a second companion.
        trigger(w, "uTagAdd");
        QCOMPARE(m.launches.size(), 2);

        // A start that fails leaves the flag alone and says so.
        programState().UserExeRunning = 0;
        m.startSucceeds = false;
        answer = answerNextMessageBox(QMessageBox::Ok);
        trigger(w, "uTagAdd");
        QVERIFY(answer->seen);
        QCOMPARE(programState().UserExeRunning, qint16(0));
    }

    void reloadsOnceAfterTheWindowCloses()
    {
        m_folder->write("user.exe", "");
        m_folder->write("tag.ini", "[tag set]\r\nTitle0=before\r\nsetumei5=gone soon\r\n");
        StartedWindow w;
        QCOMPARE(w.menus().arrayItem("uTagView1", 5)->text(), QString("gone soon"));
        trigger(w, "uTagAdd");

        // The companion has not shown its window yet: the state holds.
        tickAt(w, 900);
        QCOMPARE(programState().UserExeRunning, qint16(1));
        m.windowShown = true;
        tickAt(w, 1900);
        m_folder->write("tag.ini", "[tag set]\r\nTitle0=after\r\n");
        tickAt(w, 2900);
        QCOMPARE(w.menus().menu("uTagAdd_1")->title(), QString("before"));

        m.windowShown = false;
        tickAt(w, 3900);
        QCOMPARE(programState().UserExeRunning, qint16(0));
        QCOMPARE(w.menus().menu("uTagAdd_1")->title(), QString("after"));
        QCOMPARE(w.menus().arrayItem("uTagView1", 5)->text(), QString()); // removed from the file

        // Once only: later changes wait for the next editing session.
        m_folder->write("tag.ini", "[tag set]\r\nTitle0=later\r\n");
        tickAt(w, 4900);
        QCOMPARE(w.menus().menu("uTagAdd_1")->title(), QString("after"));
    }

    void withoutWindowLookupTheProcessDecides()
    {
        m_folder->write("user.exe", "");
        m.lookupAvailable = false;
        StartedWindow w;
        trigger(w, "uTagAdd");
        tickAt(w, 60000);
        QCOMPARE(programState().UserExeRunning, qint16(1));
        m_folder->write("tag.ini", "[tag set]\r\nTitle3=saved\r\n");
        m.processRuns = false;
        w.tick();
        QCOMPARE(programState().UserExeRunning, qint16(0));
        QCOMPARE(w.menus().menu("uTagAdd_4")->title(), QString("saved"));
    }

    void noDisplayMeansNoWindowLookup()
    {
        platform::setWindowLookupForTesting({});
        const QByteArray display = qgetenv("DISPLAY");
        qunsetenv("DISPLAY");
        QCOMPARE(platform::topLevelWindowExists("タグ追加"), std::optional<bool>());
        if (!display.isEmpty())
            qputenv("DISPLAY", display);
    }

private:
    void tickAt(HtmlE& w, qint64 now)
    {
        m.now = now;
        w.tick();
    }

    QTemporaryDir m_runtime;
    std::unique_ptr<TestProgramFolder> m_folder;
    World m;
};

QTEST_MAIN(UserTagsTest)
#include "test_user_tags.moc"
