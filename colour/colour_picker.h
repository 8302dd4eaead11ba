#pragma once

#include "colour/colour_model.h"
#include "ui/side_window.h"

#include <QAbstractButton>
#include <QColor>
#include <QPointer>
#include <QWidget>

#include <array>

class MenuSurface;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;

// A palette button: nothing but its face colour.
class ColourFaceButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit ColourFaceButton(QWidget* parent);
    QColor face() const { return m_face; }
    void setFace(const QColor& face);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_face;
};

// hColorF: the colour picker. One per process, without an owner, not modal; every transfer
// goes to wherever the selection of the main window's document box is at that moment.
class hColorF : public SideWindow {
    Q_OBJECT
public:
    // Brings the picker to the front, loading it first when it is not open.
    static hColorF* showPicker(InsertionPoint& target);
    // The open picker, or null.
    static hColorF* instance();

    ~hColorF() override;

    Rgb colour() const;

private:
    friend class SideWindow;
    explicit hColorF(InsertionPoint& target);
    void buildControls();
    void Form_Load();
    void UpdateColorCodes();
    void SetPaletteColors();
    void paletteClick(int index);
    void transfer(const QLineEdit* source);

    QGroupBox* m_ColorFrame = nullptr;
    QGroupBox* m_SetColorFrame = nullptr;
    QScrollBar* m_Rs = nullptr;
    QScrollBar* m_Gs = nullptr;
    QScrollBar* m_Bs = nullptr;
    QLabel* m_Rn = nullptr;
    QLabel* m_Gn = nullptr;
    QLabel* m_Bn = nullptr;
    QFrame* m_FullColor = nullptr;
    QLineEdit* m_htmlColorN = nullptr;
    QLineEdit* m_htmlColorN2 = nullptr;
    QLineEdit* m_ColorName = nullptr;
    QPlainTextEdit* m_InHtmlCn = nullptr;
    std::array<ColourFaceButton*, kPaletteSize> m_palette{};
};

// The colour item (and the toolbar button that triggers it) opens the picker.
void installColourCommands(MenuSurface& menus, InsertionPoint& target);
