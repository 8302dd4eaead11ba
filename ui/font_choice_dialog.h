#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QFontComboBox;
class QLabel;
class QPushButton;

// What the normal-font dialog chooses: the face, size and styles, and the text colour.
struct FontChoice {
    QFont font;
    QColor colour;
};

// A size in points as the program writes it: a plain decimal, "12" or "10.5".
QString pointSizeText(qreal points);

// The font dialog with a text colour. Qt's own font dialog offers whole point sizes only and
// no colour, so the program has this small one: face, size (half points and the like
// allowed), bold, italic, underline, strikeout and a text colour, with a sample.
class FontChoiceDialog : public QDialog {
    Q_OBJECT
public:
    explicit FontChoiceDialog(QWidget* parent = nullptr);

    void setChoice(const FontChoice& choice);
    FontChoice choice() const;

    // The size field holds a usable size (OK is enabled only then).
    bool hasValidSize() const;
    void setTextColour(const QColor& colour);

    static QString title(); // "フォント"

private:
    void chooseColour();
    void refresh();
    qreal typedSize() const;

    QString m_family; // kept as given until the user picks a face (it may not be installed)
    QColor m_colour;
    QFontComboBox* m_face = nullptr;
    QComboBox* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    QCheckBox* m_strikeOut = nullptr;
    QPushButton* m_colourButton = nullptr;
    QLabel* m_sample = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};
