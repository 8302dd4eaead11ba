#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The switches of the box's 表示 submenu and the typing help, kept across starts in the
// user's own file view.ini (vornik!.ini keeps the window's four numbers and nothing else).
// The file is lines of "name=1" or "name=0"; a missing, unreadable or mangled file, or a
// line that cannot be read, leaves the defaults, which show the box as it always was.
struct ViewSettings {
    bool colour = true;            // 色分け
    bool lineNumbers = false;      // 行番号
    bool showBlanks = false;       // 全角スペース・タブを表示
    bool wrap = false;             // 折り返し
    bool keepIndentation = true;   // インデント保持
    bool closeTags = true;         // 閉じタグ補完
    bool operator==(const ViewSettings&) const = default;
};

ViewSettings parseViewSettings(QByteArrayView bytes);
QByteArray formatViewSettings(const ViewSettings& settings);

// $XDG_CONFIG_HOME/vornikedit/view.ini
QString viewSettingsPath();

// Never fails: what cannot be read is the defaults.
ViewSettings readViewSettings();
// Into the user's private configuration folder (platform/user_folders.h), made where needed,
// never through a link; false when the file could not be written (the switches then hold for
// this run only).
bool writeViewSettings(const ViewSettings& settings);
