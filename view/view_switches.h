#pragma once

#include "settings/view_settings.h"

#include <QObject>

class DocumentBox;
class QWidget;

// The switches of what the document box shows and how it helps typing, one set per box: read
// from the user's view.ini when the box gets them, offered in the box's context menu as the
// submenu 表示, and written back at each change.
class ViewSwitches : public QObject {
    Q_OBJECT
public:
    // The switches of this box, made and put into its context menu on first use.
    static ViewSwitches* of(DocumentBox* box, QWidget* window);

    const ViewSettings& settings() const { return m_settings; }
    void setSettings(const ViewSettings& settings);

Q_SIGNALS:
    void changed(const ViewSettings& settings);

private:
    ViewSwitches(DocumentBox* box, QWidget* window);

    ViewSettings m_settings;
};
