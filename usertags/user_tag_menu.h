#pragma once

#include "usertags/user_tag_store.h"

#include <QString>

class InsertionPoint;
class MenuSurface;
class QObject;
class QRect;
class QWidget;
class Receiver;

// Program-wide: one per process.
struct ProgramState {
    qint16 UserExeRunning = 0; // 1 while the companion tag editor is taken to be running
};
ProgramState& programState();

// The store as last loaded: program-wide, one per process.
UserTagStore& userTags();

// The companion's command-line argument: the editor's right edge and top, in twips.
QString companionPlacementArgument(const QRect& frame);

// The user-tag items insert into `document`; タグ追加 starts the companion beside `window`.
void installUserTagCommands(MenuSurface& menus, InsertionPoint& document, QWidget& window);
// Reads tag.ini again and puts its titles and descriptions on the menus.
void LoadUserTags(MenuSurface& menus);
// Run by the window's timer: once the companion has gone, the tags are read again.
void watchCompanion(MenuSurface& menus);

// The receiving endpoint: texts sent in are inserted into `document`, owned by `window`.
void startReceiver(InsertionPoint& document, QObject& window);
// The window's receiving endpoint (started by startReceiver), or null.
Receiver* receiverOf(const QObject& window);
