// Under a real X server (run_with_x.sh): the window lookup against the companion's window
// in another process, and the editor's watch around a real companion.
#include "app/main_window.h"
#include "usertags/user_tag_menu.h"
#include "platform/launcher.h"
#include "platform/window_lookup.h"
#include "ui/menu_surface.h"
#include "window_test_support.h"

#include <QGuiApplication>
#include <QMenu>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <csignal>

namespace {
const QString kTitle = QStringLiteral("タグ追加");
const QString kCompanion = QStringLiteral(VORNIK_PROGRAM_DIR "/user.exe");

bool xcbPlatform()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}
}

class CompanionX11Test : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!qgetenv("DISPLAY").isEmpty(), "needs an X server");
    }

    void lookupFindsAnotherProcessWindow()
    {
        QCOMPARE(platform::topLevelWindowExists(kTitle), std::optional<bool>(false));
        // A title that only starts the same way is not the companion's; nor is a hidden
        // window of ours never shown (it has no X window yet).
        QWidget similar;
        similar.setWindowTitle(kTitle + "2");
        if (xcbPlatform()) {
            similar.show();
            QVERIFY(QTest::qWaitForWindowExposed(&similar));
        }
        QCOMPARE(platform::topLevelWindowExists(kTitle), std::optional<bool>(false));

        QProcess companion;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        companion.setProcessEnvironment(env);
        companion.start(kCompanion, {"9360,1200"});
        QVERIFY(companion.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(platform::topLevelWindowExists(kTitle), std::optional<bool>(true), 10000);
        companion.terminate();
        QVERIFY(companion.waitForFinished(5000));
        QTRY_COMPARE_WITH_TIMEOUT(platform::topLevelWindowExists(kTitle), std::optional<bool>(false), 5000);
    }

    void editorReloadsAfterTheRealCompanionEnds()
    {
        TestProgramFolder folder;
        QVERIFY(QFile::copy(kCompanion, folder.file("user.exe")));
        folder.write("tag.ini", "[tag set]\r\nTitle0=before\r\n");
        qint64 pid = 0;
        platform::setStartDetachedForTesting([&pid](const QString& program, const QStringList& args, qint64* out) {
            // The companion on X, whichever platform this test's own Qt uses.
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("QT_QPA_PLATFORM", "xcb");
            QProcess process;
            process.setProgram(program);
            process.setArguments(args);
            process.setProcessEnvironment(env);
            const bool ok = process.startDetached(out);
            pid = out ? *out : 0;
            return ok;
        });
        HtmlE w;
        w.startUp(QString());
        QCOMPARE(w.menus().menu("uTagAdd_1")->title(), QString("before"));
        trigger(w, "uTagAdd");
        QCOMPARE(programState().UserExeRunning, qint16(1));
        QVERIFY(pid > 0);

        // The companion is starting, then open: the watch keeps the editing state.
        for (int i = 0; i < 150 && platform::topLevelWindowExists(kTitle) != std::optional<bool>(true); ++i) {
            w.tick();
            QTest::qWait(100);
        }
        QCOMPARE(platform::topLevelWindowExists(kTitle), std::optional<bool>(true));
        w.tick();
        QCOMPARE(programState().UserExeRunning, qint16(1));

        folder.write("tag.ini", "[tag set]\r\nTitle0=after\r\n"); // what the user saved
        ::kill(pid_t(pid), SIGTERM);
        // The timer's own tick (the window is not shown here, so it is started by hand).
        w.timet()->start();
        QTRY_COMPARE_WITH_TIMEOUT(programState().UserExeRunning, qint16(0), 15000);
        QCOMPARE(w.menus().menu("uTagAdd_1")->title(), QString("after"));
        platform::setStartDetachedForTesting({});
    }
};

QTEST_MAIN(CompanionX11Test)
#include "test_companion_x11.moc"
