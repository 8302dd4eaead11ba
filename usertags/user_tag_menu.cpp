#include "usertags/user_tag_menu.h"

#include "document/insertion_point.h"
#include "platform/file_exists.h"
#include "platform/clock.h"
#include "platform/launcher.h"
#include "platform/optional_files.h"
#include "platform/program_folder.h"
#include "platform/window_lookup.h"
#include "platform/twips.h"
#include "ui/menu_surface.h"
#include "ui/message_box.h"
#include "usertags/companion_watch.h"
#include "usertags/profile_reader.h"
#include "usertags/receiver.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QWidget>

namespace {
const QString kCompanionTitle = QStringLiteral("タグ追加");
const QString kCompanionFile = QStringLiteral("user.exe");

CompanionWatch& companionWatch()
{
    static CompanionWatch watch;
    return watch;
}

void insertEntry(InsertionPoint& document, int entry)
{
    document.insert(userTags().UserTagTable.value(entry));
}

void uTagAdd_Click(QWidget& window)
{
    const QString program = ProgramFolder() + kCompanionFile;
    if (!FileExists(program)) {
        tellUser(&window, QStringLiteral("vornik!"), QStringLiteral("設定ファイルが見つかりません。"),
                 MessageIcon::Exclamation);
        return;
    }
    qint64 pid = 0;
    if (!platform::startDetached(program, {companionPlacementArgument(window.frameGeometry())}, &pid)) {
        tellUser(&window, QStringLiteral("vornik!"), QStringLiteral("タグ追加を起動できませんでした。"),
                 MessageIcon::Exclamation);
        return;
    }
    companionWatch().started(pid, platform::monotonicMilliseconds());
    programState().UserExeRunning = 1;
}
}

ProgramState& programState()
{
    static ProgramState state;
    return state;
}

UserTagStore& userTags()
{
    static UserTagStore store;
    return store;
}

QString companionPlacementArgument(const QRect& frame)
{
    return QStringLiteral("%1,%2")
        .arg(pixelsToTwips(frame.x() + frame.width()))
        .arg(pixelsToTwips(frame.y()));
}

Receiver* receiverOf(const QObject& window)
{
    return window.findChild<Receiver*>(QStringLiteral("add"), Qt::FindDirectChildrenOnly);
}

void installUserTagCommands(MenuSurface& menus, InsertionPoint& document, QWidget& window)
{
    menus.onTriggered(QStringLiteral("uTagAdd"), [&window] { uTagAdd_Click(window); });
    for (int k = 1; k <= usertags::kSets; ++k) {
        menus.onArrayTriggered(QStringLiteral("uTagView%1").arg(k),
                               [&document, k](int i) { insertEntry(document, 10 * (k - 1) + i); });
    }
}

void LoadUserTags(MenuSurface& menus)
{
    // Every caption is replaced, so entries taken out of the file disappear too.
    userTags() = readUserTagStore(Profile::load(optionalFilePath(QStringLiteral("tag.ini"))));
    const UserTagStore& store = userTags();
    for (int k = 1; k <= usertags::kSets; ++k) {
        for (int i = 0; i < 10; ++i) {
            if (QAction* item = menus.arrayItem(QStringLiteral("uTagView%1").arg(k), i))
                item->setText(store.descriptions.value(10 * (k - 1) + i));
        }
        if (QMenu* set = menus.menu(QStringLiteral("uTagAdd_%1").arg(k)))
            set->setTitle(store.UserTagTitles.value(k - 1));
    }
}

void watchCompanion(MenuSurface& menus)
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
    LoadUserTags(menus);
}

namespace {
// Texts that arrive while a question is open wait for it to be answered: the question may be
// about the text as it stood (a save, a recovery copy), and its answer must not drop them.
class HeldInsertions : public QObject {
public:
    explicit HeldInsertions(InsertionPoint& document, QObject* parent) : QObject(parent), m_document(document)
    {
        m_retry.setInterval(100);
        connect(&m_retry, &QTimer::timeout, this, &HeldInsertions::flush);
    }
    void insert(const QString& text)
    {
        m_held.append(text);
        flush();
    }

private:
    void flush()
    {
        if (QApplication::activeModalWidget()) {
            m_retry.start(); // only while something waits
            return;
        }
        m_retry.stop();
        for (const QString& text : std::exchange(m_held, {})) {
            m_document.insert(text);
            m_document.raiseWindow();
        }
    }

    InsertionPoint& m_document;
    QStringList m_held;
    QTimer m_retry;
};
}

void startReceiver(InsertionPoint& document, QObject& window)
{
    if (receiverOf(window))
        return;
    auto* held = new HeldInsertions(document, &window);
    auto* receiver = new Receiver([held](const QString& text) { held->insert(text); }, &window);
    receiver->setObjectName(QStringLiteral("add"));
}
