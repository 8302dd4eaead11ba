#pragma once

#include <QDialog>
#include <QString>

// "開発Ver : " and the three version numbers in plain decimal (0.7.0, never 0.07.0).
QString developmentVersionCaption(int major, int minor, int revision);

// frmAbout: the version box. Made afresh for each showing; OK, Enter and Esc close it.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    // `userTagsAvailable`: the companion was found at start-up (the uTag menu is enabled).
    frmAbout(QWidget* parent, bool userTagsAvailable);
};
