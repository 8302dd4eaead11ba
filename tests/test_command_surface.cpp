#include "app/about_box.h"
#include "document/document.h"
#include "document/insertion_point.h"
#include "usertags/user_tag_menu.h"
#include "platform/file_exists.h"
#include "app/version.h"
#include "platform/clock.h"
#include "ui/menu_surface.h"
#include "ui/menu_tree.h"
#include "ui/picture_button.h"
#include "ui/toolbar_table.h"
#include "window_test_support.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QScrollBar>
#include <QSet>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <functional>

// Stands in for the desktop's opener: records what would have been opened.
class OpenerDouble : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

namespace {
PictureButton* button(HtmlE& w, const char* name)
{
    auto* b = w.clientArea()->findChild<PictureButton*>(QLatin1String(name));
    if (!b)
        qFatal("no button %s", name);
    return b;
}

QPoint centre(QWidget* w)
{
    return w->rect().center();
}

// Runs `step` on the pop-up menu once it is open (the click that opens it waits for it).
void whenPopupOpens(std::function<void(QMenu*)> step)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, step] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer->stop();
        timer->deleteLater();
        step(menu);
    });
    timer->start();
    QTimer::singleShot(10000, timer, [timer] { timer->deleteLater(); });
}

void collectNames(const std::vector<MenuItemSpec>& items, std::vector<const MenuItemSpec*>& out)
{
    for (const MenuItemSpec& item : items) {
        out.push_back(&item);
        collectNames(item.children, out);
    }
}
}

class CommandSurfaceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestProgramFolder>();
        programState() = ProgramState();
        platform::setClockForTesting([] { return QTime(9, 5, 7); });
        QGuiApplication::clipboard()->clear();
        // Nothing a test does may open a real browser or file manager.
        QDesktopServices::setUrlHandler("file", &m_opener, "open");
    }
    void cleanup()
    {
        platform::setClockForTesting({});
        QDesktopServices::unsetUrlHandler("file");
        m_opener.opened.clear();
        m_folder.reset();
    }

    // The window builds every item and button its tables name; captions, geometry and tips
    // come straight from those tables and are not compared again here. Every button is named
    // for screen readers.
    void everyMenuItemAndButtonIsLive()
    {
        HtmlE w;
        std::vector<const MenuItemSpec*> items;
        collectNames(menuTree(), items);
        for (const MenuItemSpec* item : items) {
            const QByteArray name = item->name.toUtf8();
            if (item->arrayLength > 0) {
                QCOMPARE(w.menus().arrayLength(item->name), item->arrayLength);
                QVERIFY2(w.menus().arrayItem(item->name, item->arrayLength - 1), name);
            } else {
                QVERIFY2(w.menus().action(item->name), name);
                QVERIFY2(!item->isSubmenu() || w.menus().menu(item->name), name);
            }
        }
        for (const ToolbarButtonSpec& entry : toolbarButtons()) {
            PictureButton* b = button(w, entry.name);
            // Every picture named in the table is in the resources and reads as SVG.
            QCOMPARE(b->hasPicture(), *entry.picture != '\0');
            // Screen readers get the button's tip as its name.
            QVERIFY2(!b->accessibleName().isEmpty(), entry.name);
            QCOMPARE(b->accessibleName(), b->toolTip());
        }
    }

    void panelSwitchChangesVisibilityOnly()
    {
        StartedWindow w(Shown::Exposed);
        auto shownPanel = [&w] {
            QStringList shown;
            for (const ToolbarButtonSpec& entry : toolbarButtons()) {
                if (button(w, entry.name)->isVisible())
                    shown << entry.name;
            }
            return shown;
        };
        const QStringList general = shownPanel();
        QVERIFY(general.contains("ButtonChange") && general.contains("FixedFontChangeIcon"));

        w.editwindow()->clearFocus();
        QTest::mouseClick(button(w, "ButtonChange"), Qt::LeftButton);
        const QStringList tags = shownPanel();
        QVERIFY(tags.contains("ButtonChange") && tags.contains("NewOpenFileMini") && !tags.contains("NewFileIcon"));
        // Every button is on one panel, the switch on both.
        const qsizetype all = qsizetype(toolbarButtons().size());
        QCOMPARE(general.size() + tags.size(), all + 1);
        QCOMPARE(QSet<QString>(general.begin(), general.end()).unite(QSet<QString>(tags.begin(), tags.end())).size(), all);
        QCOMPARE(w.focusWidget(), w.editwindow());
        // Disabled buttons stay disabled while shown and hidden.
        for (const char* name : {"SaveMini", "SaveFileIcon", "htmlUserTag"})
            QVERIFY2(!button(w, name)->isEnabled(), name);

        QTest::mouseClick(button(w, "ButtonChange"), Qt::LeftButton);
        QCOMPARE(shownPanel(), general);
        QVERIFY(!button(w, "SaveFileIcon")->isEnabled());

        // The Save buttons follow the document commands on either panel.
        w.menus().action("SaveFiLE")->setEnabled(true);
        QVERIFY(button(w, "SaveMini")->isEnabled());
        QTest::mouseClick(button(w, "ButtonChange"), Qt::LeftButton);
        QVERIFY(button(w, "SaveMini")->isEnabled() && button(w, "SaveFileIcon")->isEnabled());
    }

    void tagButtonsRunTheMenuBarsCommands()
    {
        StartedWindow w(Shown::Exposed);
        QTest::mouseClick(button(w, "ButtonChange"), Qt::LeftButton);
        w.editwindow()->setDocumentText("one word");
        selectRange(w, 4, 8);

        // Dismissed: nothing runs, the focus still comes back.
        w.editwindow()->clearFocus();
        QMenu* shown = nullptr;
        whenPopupOpens([&shown](QMenu* menu) {
            shown = menu;
            QTest::keyClick(menu, Qt::Key_Escape);
        });
        QTest::mouseClick(button(w, "htmlFontT"), Qt::LeftButton);
        QCOMPARE(shown, w.menus().menu("hFontTT"));
        QCOMPARE(w.editwindow()->documentText(), QString("one word"));
        QCOMPARE(w.focusWidget(), w.editwindow());

        // Chosen with the keyboard: down to the first submenu, into it, its first item (ボールド).
        w.editwindow()->clearFocus();
        whenPopupOpens([](QMenu* menu) {
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Right);
            whenPopupOpens([](QMenu* sub) { QTest::keyClick(sub, Qt::Key_Return); });
        });
        QTest::mouseClick(button(w, "htmlFontT"), Qt::LeftButton);
        QCOMPARE(w.editwindow()->documentText(), QString("one <b>word</b>"));
        QCOMPARE(w.focusWidget(), w.editwindow());
        QVERIFY(!QApplication::activePopupWidget());

        // Buttons without a pop-up run their menu item at once.
        w.editwindow()->clearFocus();
        QTest::mouseClick(button(w, "htmlBr"), Qt::LeftButton);
        QTest::mouseClick(button(w, "htmlC"), Qt::LeftButton);
        QCOMPARE(w.editwindow()->documentText(), QString("one <b>word</b><br><!--  -->"));
        QCOMPARE(w.focusWidget(), w.editwindow());
    }

    void userTagPopupLeavesTheFocusToARunningCompanion()
    {
        m_folder->write("user.exe", "");
        StartedWindow w(Shown::Exposed);
        QTest::mouseClick(button(w, "ButtonChange"), Qt::LeftButton);
        QVERIFY(button(w, "htmlUserTag")->isEnabled());

        programState().UserExeRunning = 1;
        w.editwindow()->clearFocus();
        whenPopupOpens([](QMenu* menu) { QTest::keyClick(menu, Qt::Key_Escape); });
        QTest::mouseClick(button(w, "htmlUserTag"), Qt::LeftButton);
        QVERIFY(w.focusWidget() != w.editwindow());

        programState().UserExeRunning = 0;
        whenPopupOpens([](QMenu* menu) { QTest::keyClick(menu, Qt::Key_Escape); });
        QTest::mouseClick(button(w, "htmlUserTag"), Qt::LeftButton);
        QCOMPARE(w.focusWidget(), w.editwindow());
    }

    void ctrlCInTheBoxRunsTheWindowsCopy()
    {
        StartedWindow w(Shown::Active);
        w.editwindow()->setDocumentText("a\r\nb");
        QClipboard* clipboard = QGuiApplication::clipboard();

        // The box's own copy would leave the clipboard alone with nothing selected; the
        // window's empties it.
        clipboard->setText("other program");
        QTest::keyClick(w.editwindow(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), QString());

        // Outside the program the clipboard carries LF.
        selectRange(w, 0, 3);
        QTest::keyClick(w.editwindow(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), QString("a\nb"));
        QCOMPARE(w.editwindow()->documentText(), QString("a\r\nb"));

        // Ctrl+X takes it out; Ctrl+V puts it back as CR LF.
        QTest::keyClick(w.editwindow(), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(w.editwindow()->documentText(), QString());
        QTest::keyClick(w.editwindow(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.editwindow()->documentText(), QString("a\r\nb"));
    }

    void windowShortcutsWorkFromTheBox()
    {
        StartedWindow w(Shown::Active);
        w.editwindow()->setDocumentText("line one\r\nline two");
        placeCaret(w, 2);
        std::vector<const MenuItemSpec*> items;
        collectNames(menuTree(), items);
        for (const MenuItemSpec* item : items) {
            if (item->shortcut.isEmpty() || !item->enabled)
                continue;
            // Only the routing is under test: the commands themselves would open dialogs.
            QAction* a = w.menus().action(item->name);
            QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
            QSignalSpy triggered(a, &QAction::triggered);
            const QKeyCombination key = QKeySequence(item->shortcut)[0];
            QTest::keyClick(w.editwindow(), key.key(), key.keyboardModifiers());
            QVERIFY2(triggered.count() == 1, qPrintable(item->name));
        }
        // None of them reached the box (Ctrl+K would delete to the end of the line there).
        QCOMPARE(w.editwindow()->documentText(), QString("line one\r\nline two"));
        QCOMPARE(caretPosition(w), 2);
    }

    void pasteReplacesTheSelection()
    {
        StartedWindow w;
        QClipboard* clipboard = QGuiApplication::clipboard();

        // No text, whether the clipboard is empty or holds a picture: the selection goes and
        // nothing comes in.
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::red);
        for (bool withPicture : {false, true}) {
            if (withPicture)
                clipboard->setImage(picture);
            w.editwindow()->setDocumentText("one word two");
            selectRange(w, 4, 9);
            trigger(w, "clippaste");
            QCOMPARE(w.editwindow()->documentText(), QString("one two"));
        }

        // Line ends of any kind arrive as the document's CR LF; the caret ends after them.
        clipboard->setText("x\ny\r\nz");
        selectRange(w, 4, 7);
        trigger(w, "clippaste");
        QCOMPARE(w.editwindow()->documentText(), QString("one x\r\ny\r\nz"));
        QCOMPARE(caretPosition(w), 4 + 5);
    }

    void f1InsertsALineBreakWithAnyModifier()
    {
        StartedWindow w(Shown::Active);
        w.editwindow()->setDocumentText("a word");
        selectRange(w, 2, 6);
        QTest::keyClick(w.editwindow(), Qt::Key_F1);
        QCOMPARE(w.editwindow()->documentText(), QString("a <br>"));
        QCOMPARE(w.insertion().TagRam(), QString("<br>"));
        QTest::keyClick(w.editwindow(), Qt::Key_F1, Qt::ShiftModifier);
        QTest::keyClick(w.editwindow(), Qt::Key_F1, Qt::ControlModifier);
        // The key goes on to the box, which types nothing for it.
        QTest::keyClick(w.editwindow(), Qt::Key_Q);
        QCOMPARE(w.editwindow()->documentText(), QString("a <br><br><br>q"));
    }

    void captionFollowsTheFileAndTheClock()
    {
        StartedWindow w;
        QCOMPARE(w.windowTitle(), QString("vornikedit 09:05:07"));

        // One tick names a new file: title and path menu agree at once, the menu's
        // ampersand not taken for a mnemonic.
        w.document().setFilePath("/web/a&b.htm");
        w.state().HoverText = " 新規作成";
        w.tick();
        QCOMPARE(w.windowTitle(), QString("a&b.htm 09:05:07 新規作成"));
        QCOMPARE(w.menus().action("PathMenu")->text(), QString("/web/a&&b.htm"));

        // Qt's modified-mark placeholder in a file name shows as it is.
        w.winId();
        w.document().setFilePath("/web/x[*].htm");
        w.tick();
        QCOMPARE(w.windowHandle()->title(), QString("x[*].htm 09:05:07 新規作成"));

        platform::setClockForTesting([] { return QTime(23, 59, 0); });
        w.document().setFilePath("/web/");
        w.tick();
        QCOMPARE(w.windowTitle(), QString("vornikedit 23:59:00 新規作成"));
    }

    void hoverRebuildsTheCaptionOnEntryOnly()
    {
        int ticks = 0;
        platform::setClockForTesting([&ticks] { return QTime(0, 0, 0).addSecs(++ticks); });
        StartedWindow w(Shown::Exposed);
        w.timet()->stop();
        QCOMPARE(w.state().HoverText, QString());

        QTest::mouseMove(button(w, "NewFileIcon"), QPoint(5, 5));
        QCOMPARE(w.state().HoverText, QString(" 新規作成"));
        QVERIFY(w.windowTitle().endsWith(" 新規作成"));
        const int entered = ticks;
        QTest::mouseMove(button(w, "NewFileIcon"), QPoint(12, 12));
        QTest::mouseMove(button(w, "NewFileIcon"), QPoint(18, 10));
        QCOMPARE(ticks, entered);
        QTest::mouseMove(button(w, "OpenFileIcon"), centre(button(w, "OpenFileIcon")));
        QCOMPARE(ticks, entered + 1);

        // A disabled button is bare window, and so is the gap between two buttons.
        QTest::mouseMove(button(w, "SaveFileIcon"), centre(button(w, "SaveFileIcon")));
        QCOMPARE(w.state().HoverText, QString(" "));
        QTest::mouseMove(button(w, "CutIcon"), centre(button(w, "CutIcon")));
        QTest::mouseMove(w.clientArea(), QPoint(146, 10));
        QCOMPARE(w.state().HoverText, QString(" "));

        // The narrow buttons read as their big brothers.
        platform::setClockForTesting([] { return QTime(12, 0, 0); });
        QTest::mouseMove(button(w, "NewFileIcon"), centre(button(w, "NewFileIcon")));
        const QString overIcon = w.windowTitle();
        QTest::mouseClick(button(w, "ButtonChange"), Qt::LeftButton);
        QTest::mouseMove(w.editwindow()->viewport(), QPoint(50, 50));
        QTest::mouseMove(button(w, "NewFileMini"), centre(button(w, "NewFileMini")));
        QCOMPARE(w.windowTitle(), overIcon);

        // The document box's scroll bars are the box as well.
        for (QScrollBar* bar : {w.editwindow()->verticalScrollBar(), w.editwindow()->horizontalScrollBar()}) {
            QTest::mouseMove(button(w, "NewFileMini"), centre(button(w, "NewFileMini")));
            QTest::mouseMove(bar, centre(bar));
            QCOMPARE(w.state().HoverText, QString(" "));
        }
    }

    void previewOpensTheFileOnDisk()
    {
        StartedWindow w;

        // No file yet: a box says so and nothing is opened.
        auto answer = answerNextMessageBox(QMessageBox::Ok);
        trigger(w, "Br_open");
        QVERIFY(answer->seen);
        QVERIFY(m_opener.opened.isEmpty());

        // A file loaded is previewed at once.
        m_folder->write("page.htm", "<p>\r\n");
        w.document().setFilePath(m_folder->file("page.htm"));
        trigger(w, "Br_open");
        QCOMPARE(m_opener.opened, QList<QUrl>({QUrl::fromLocalFile(m_folder->file("page.htm"))}));

        // A file deleted behind our back opens nothing.
        QFile::remove(m_folder->file("page.htm"));
        trigger(w, "Br_open");
        QCOMPARE(m_opener.opened.size(), 1);
    }

    void fileManagerOpensTheFilesFolder()
    {
        StartedWindow w;
        trigger(w, "Ex_open");
        QCOMPARE(m_opener.opened, QList<QUrl>({QUrl::fromLocalFile(QDir::homePath())}));

        w.document().setFilePath("/srv/web/index.htm");
        trigger(w, "Ex_open");
        QCOMPARE(m_opener.opened.last(), QUrl::fromLocalFile("/srv/web/"));
        // After New the folder of the last file stays.
        w.document().setFilePath(QString());
        trigger(w, "Ex_open");
        QCOMPARE(m_opener.opened.last(), QUrl::fromLocalFile("/srv/web/"));
    }

    void versionBoxNamesTheOptions()
    {
        for (bool withCompanion : {false, true}) {
            TestProgramFolder folder;
            if (withCompanion)
                folder.write("user.exe", "");
            StartedWindow w;
            QString version, options;
            bool okIsDefault = false, blankTitle = false;
            auto seen = onNextModal<frmAbout>([&](frmAbout& box) {
                version = box.findChild<QLabel*>("lblVersion")->text();
                options = box.findChildren<QLabel*>("L").last()->text();
                okIsDefault = box.findChild<QPushButton*>("cmdOK")->isDefault();
                // A title Qt would not replace with the program's name, and that shows nothing.
                blankTitle = !box.windowTitle().isEmpty() && box.windowTitle().trimmed().isEmpty();
                // Esc closes it like OK.
                QTest::keyClick(&box, Qt::Key_Escape);
            });
            trigger(w, "vershow");
            QVERIFY(!QApplication::activeModalWidget());
            QVERIFY(version.endsWith(QString("%1.%2.%3").arg(vornik::versionMajor).arg(vornik::versionMinor).arg(vornik::versionPatch)));
            QCOMPARE(options, withCompanion ? "タグ追加機能" : "なし");
            QVERIFY(okIsDefault);
            QVERIFY(blankTitle);
        }
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
    OpenerDouble m_opener;
};

VORNIK_WINDOW_TEST_MAIN(CommandSurfaceTest)
#include "test_command_surface.moc"
