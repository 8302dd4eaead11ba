#pragma once

#include "recovery/recovery_folder.h"

#include <QStringList>

#include <optional>
#include <vector>

class QWidget;

// At a start without a file: the unsaved work left behind for files (one renamed or moved
// since is never opened under its old name), each by name, folder and time. 開く hands back
// the copy to open as an unsaved document; 削除 deletes the marked one; 閉じる keeps them all
// for later. `copies` loses the deleted ones.
std::optional<size_t> chooseLeftBehindCopy(QWidget& window, std::vector<OrphanCopy>& copies);

// Says that copies of unsaved work could not be read, and where they are kept.
void tellDamagedCopies(QWidget& window, const QStringList& keptAt);
