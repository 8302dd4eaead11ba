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
constexpr int kFolderWidthChars = 40;

// Notes each file the document opens or saves (a load, a new name, a save of the current
// one). One event comes as several signals, and an edit back to the saved text looks like a
// save: a repeat of the file noted last writes nothing.
class RecentNotes : public QObject {
public:
    RecentNotes(Document& document, QWidget& window) : QObject(&window), m_document(document)
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
        RecentFiles().add(path);
    }

    Document& m_document;
    QString m_last;
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

void openRecent(QWidget* window, const QString& path, const std::function<void(const QString&)>& open)
{
    if (!QFileInfo(path).isFile()) {
        RecentFiles().remove(path);
        tellUser(window, QStringLiteral("HtmlE"), kGone.arg(path), MessageIcon::Exclamation);
        return;
    }
    open(path);
}
}

void installRecentFiles(Document& document, DocumentBox& box, QWidget& window,
                        std::function<void(const QString& path)> open)
{
    new RecentNotes(document, window);
    QPointer<QWidget> parent(&window);
    DocumentContextMenu::of(&box, &window)->addEntries([parent, open](QMenu& menu) {
        QMenu* recent = menu.addMenu(kMenuTitle);
        recent->setObjectName(QStringLiteral("recentMenu"));
        recent->setToolTipsVisible(true);
        const QStringList paths = RecentFiles().entries();
        if (paths.isEmpty())
            recent->addAction(kNone)->setEnabled(false);
        for (const QString& path : paths) {
            QAction* entry = recent->addAction(entryText(path, recent->fontMetrics()));
            entry->setToolTip(path);
            entry->setData(path);
            // Queued: the file opens once the menu has closed, as 開く runs from the menu bar.
            QObject::connect(entry, &QAction::triggered, parent, [parent, path, open] {
                QMetaObject::invokeMethod(parent, [parent, path, open] { openRecent(parent, path, open); },
                                          Qt::QueuedConnection);
            });
        }
    });
}
