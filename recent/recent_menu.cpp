#include "recent/recent_menu.h"

#include "document/document.h"
#include "recent/recent_files.h"
#include "ui/document_context_menu.h"
#include "ui/message_box.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QMenu>
#include <QPointer>

namespace {
const QString kMenuTitle = QStringLiteral("最近使ったファイル");
const QString kNone = QStringLiteral("（なし）");
const QString kGone = QStringLiteral("%1 は見つかりません。\r一覧から外します。");
const QString kNotAFile = QStringLiteral("%1 はファイルではありません。\r一覧から外します。");
constexpr int kFolderWidthChars = 40;

// Notes each file the document opens or saves (a load, a new name, a save of the current
// one). One event comes as several signals, and an edit back to the saved text looks like a
// save: a repeat of the file noted last writes nothing.
class RecentNotes : public QObject {
public:
    RecentNotes(Document& document, QWidget& window) : QObject(&window), m_document(document), m_changes(recentListPath(), this)
    {
        connect(&document, &Document::fileLoaded, this, &RecentNotes::note);
        connect(&document, &Document::filePathChanged, this, &RecentNotes::note);
        connect(&document, &Document::changedStateChanged, this, [this](bool mayDiffer) {
            if (!mayDiffer)
                note(m_document.FilePath());
        });
    }

private:
    void note(const QString& path)
    {
        if (path.isEmpty() || path == m_last || !QFileInfo(path).isFile())
            return;
        m_last = path;
        m_changes.add(path);
    }

public:
    RecentChanges& changes() { return m_changes; }

private:
    Document& m_document;
    QString m_last;
    RecentChanges m_changes;
};

QString entryText(const QString& path, const QFontMetrics& metrics)
{
    const QFileInfo info(path);
    QString name = info.fileName();
    name.replace(u'&', QStringLiteral("&&"));
    const QString folder = metrics.elidedText(info.absolutePath(), Qt::ElideMiddle,
                                              metrics.averageCharWidth() * kFolderWidthChars);
    // After a tab the menu shows the text in the shortcut column: the folder as a quiet hint.
    return name + u'\t' + folder;
}

void openRecent(QWidget* window, RecentChanges& changes, const QString& path,
                const std::function<void(const QString&)>& open)
{
    const QFileInfo info(path);
    // A FIFO or a device is never read: the open would wait on it, or read without end.
    if (!info.isFile()) {
        changes.remove(path);
        tellUser(window, QStringLiteral("HtmlE"), (info.exists() ? kNotAFile : kGone).arg(path),
                 MessageIcon::Exclamation);
        return;
    }
    open(path);
}
}

void installRecentFiles(Document& document, DocumentBox& box, QWidget& window,
                        std::function<void(const QString& path)> open)
{
    auto* notes = new RecentNotes(document, window);
    QPointer<QWidget> parent(&window);
    DocumentContextMenu::of(&box, &window)->addEntries([parent, notes, open](QMenu& menu) {
        QMenu* recent = menu.addMenu(kMenuTitle);
        recent->setObjectName(QStringLiteral("recentMenu"));
        recent->setToolTipsVisible(true);
        const QStringList paths = notes->changes().entries();
        if (paths.isEmpty())
            recent->addAction(kNone)->setEnabled(false);
        for (const QString& path : paths) {
            QAction* entry = recent->addAction(entryText(path, recent->fontMetrics()));
            entry->setToolTip(path);
            entry->setData(path);
            // Queued: the file opens once the menu has closed, as 開く runs from the menu bar.
            QObject::connect(entry, &QAction::triggered, parent, [parent, notes, path, open] {
                QMetaObject::invokeMethod(
                    parent, [parent, notes, path, open] { openRecent(parent, notes->changes(), path, open); },
                    Qt::QueuedConnection);
            });
        }
    });
}
