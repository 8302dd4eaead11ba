#include "usertags/user_tag_menu.h"

#include "app/document_box.h"
#include "app/main_window.h"
#include "app/paths.h"
#include "app/subsystems.h"
#include "platform/clock.h"
#include "platform/launcher.h"
#include "platform/optional_files.h"
#include "platform/program_folder.h"
#include "platform/window_lookup.h"
#include "text/twips.h"
#include "ui/menu_surface.h"
#include "ui/message_box.h"
#include "usertags/companion_watch.h"
#include "usertags/profile_reader.h"
#include "usertags/receiver.h"

#include <QAction>
#include <QMenu>

namespace {
const QString kCompanionTitle = QStringLiteral("タグ追加");
const QString kCompanionFile = QStringLiteral("user.exe");

CompanionWatch& companionWatch()
{
    static CompanionWatch watch;
    return watch;
}

void insertEntry(HtmlE& window, int entry)
{
    window.state().TagRam = userTags().UserTagTable.value(entry);
    window.replaceSelection(window.state().TagRam);
}

void uTagAdd_Click(HtmlE& window)
{
    const QString program = ProgramFolder() + kCompanionFile;
    if (!FileExists(program)) {
        tellUser(&window, QStringLiteral("vornik!"), QStringLiteral("設定ファイルが見つかりません。"),
                 MessageIcon::Exclamation);
        return;
    }
    qint64 pid = 0;
    if (!platform::startDetached(program, {companionPlacementArgument(window)}, &pid)) {
        tellUser(&window, QStringLiteral("vornik!"), QStringLiteral("タグ追加を起動できませんでした。"),
                 MessageIcon::Exclamation);
        return;
    }
    companionWatch().started(pid, platform::monotonicMilliseconds());
    programState().UserExeRunning = 1;
}
}

UserTagStore& userTags()
{
    static UserTagStore store;
    return store;
}

QString companionPlacementArgument(const HtmlE& window)
{
    const QRect frame = window.frameGeometry();
    return QStringLiteral("%1,%2")
        .arg(pixelsToTwips(frame.x() + frame.width()))
        .arg(pixelsToTwips(frame.y()));
}

Receiver* receiverOf(HtmlE& window)
{
    return window.findChild<Receiver*>(QStringLiteral("add"), Qt::FindDirectChildrenOnly);
}

void installUserTagCommands(HtmlE& window)
{
    MenuSurface& menus = window.menus();
    menus.onTriggered(QStringLiteral("uTagAdd"), [&window] { uTagAdd_Click(window); });
    for (int k = 1; k <= usertags::kSets; ++k) {
        menus.onArrayTriggered(QStringLiteral("uTagView%1").arg(k),
                               [&window, k](int i) { insertEntry(window, 10 * (k - 1) + i); });
    }
}

void LoadUserTags(HtmlE& window)
{
    // Every caption is replaced, so entries taken out of the file disappear too.
    userTags() = readUserTagStore(Profile::load(optionalFilePath(QStringLiteral("tag.ini"))));
    const UserTagStore& store = userTags();
    MenuSurface& menus = window.menus();
    for (int k = 1; k <= usertags::kSets; ++k) {
        for (int i = 0; i < 10; ++i) {
            if (QAction* item = menus.arrayItem(QStringLiteral("uTagView%1").arg(k), i))
                item->setText(store.descriptions.value(10 * (k - 1) + i));
        }
        if (QMenu* set = menus.menu(QStringLiteral("uTagAdd_%1").arg(k)))
            set->setTitle(store.UserTagTitles.value(k - 1));
    }
}

void watchCompanion(HtmlE& window)
{
    if (programState().UserExeRunning != 1)
        return;
    CompanionWatch& watch = companionWatch();
    const std::optional<bool> windowShown = platform::topLevelWindowExists(kCompanionTitle);
    bool runs = watch.pids().isEmpty() && windowShown.has_value(); // unknown: the window decides
    for (qint64 pid : watch.pids())
        runs = runs || platform::processRunning(pid);
    if (!watch.active()) // started by other means: the window alone decides
        watch.started(0, platform::monotonicMilliseconds());
    if (!watch.poll(windowShown, runs, platform::monotonicMilliseconds()))
        return;
    // The flag goes first, so one ending reloads once.
    programState().UserExeRunning = 0;
    LoadUserTags(window);
}

void startReceiver(HtmlE& window)
{
    if (receiverOf(window))
        return;
    auto* receiver = new Receiver(
        [&window](const QString& text) {
            window.replaceSelection(text);
            if (window.isMinimized())
                window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
            window.raise();
            window.activateWindow();
        },
        &window);
    receiver->setObjectName(QStringLiteral("add"));
}
