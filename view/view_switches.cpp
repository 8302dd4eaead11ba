#include "view/view_switches.h"

#include "ui/document_box.h"
#include "ui/document_context_menu.h"

#include <QAction>
#include <QMenu>

namespace {
struct Switch {
    const char* name;
    const char* caption;
    bool ViewSettings::*value;
};
const Switch kSwitches[] = {
    {"viewColour", "色分け", &ViewSettings::colour},
    {"viewLineNumbers", "行番号", &ViewSettings::lineNumbers},
    {"viewBlanks", "全角スペース・タブを表示", &ViewSettings::showBlanks},
    {"viewWrap", "折り返し", &ViewSettings::wrap},
    {"viewIndent", "インデント保持", &ViewSettings::keepIndentation},
    {"viewCloseTags", "閉じタグ補完", &ViewSettings::closeTags},
};
}

ViewSwitches* ViewSwitches::of(DocumentBox* box, QWidget* window)
{
    if (auto* existing = box->findChild<ViewSwitches*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new ViewSwitches(box, window);
}

ViewSwitches::ViewSwitches(DocumentBox* box, QWidget* window) : QObject(box), m_settings(readViewSettings())
{
    setObjectName(QStringLiteral("viewSwitches"));
    box->setWrapWanted(m_settings.wrap);
    connect(this, &ViewSwitches::changed, box, [box](const ViewSettings& s) { box->setWrapWanted(s.wrap); });
    // The box knows nothing of the switches: it is handed the typing help they ask for.
    const auto typingHelp = [box](const ViewSettings& s) { box->setTypingHelp({s.keepIndentation, s.closeTags}); };
    typingHelp(m_settings);
    connect(this, &ViewSwitches::changed, box, typingHelp);
    DocumentContextMenu::of(box, window)->addEntries([this](QMenu& menu) {
        QMenu* view = menu.addMenu(QStringLiteral("表示"));
        view->setObjectName(QStringLiteral("viewMenu"));
        for (const Switch& s : kSwitches) {
            if (s.value == &ViewSettings::keepIndentation)
                view->addSeparator(); // what the box shows above, help with typing below
            QAction* entry = view->addAction(QString::fromUtf8(s.caption));
            entry->setObjectName(QLatin1String(s.name));
            entry->setCheckable(true);
            entry->setChecked(m_settings.*s.value);
            const auto value = s.value;
            connect(entry, &QAction::toggled, this, [this, value](bool on) {
                ViewSettings next = m_settings;
                next.*value = on;
                setSettings(next);
            });
        }
    });
}

void ViewSwitches::setSettings(const ViewSettings& settings)
{
    if (settings == m_settings)
        return;
    m_settings = settings;
    writeViewSettings(m_settings); // where it cannot be written, the switch holds for this run
    Q_EMIT changed(m_settings);
}
