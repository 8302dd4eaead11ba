#pragma once

#include "colour/colour_model.h"

#include <QAbstractButton>
#include <QColor>
#include <QPointer>
#include <QWidget>

#include <array>

class HtmlE;
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
class hColorF : public QWidget {
    Q_OBJECT
public:
    // Brings the picker to the front, loading it first when it is not open.
    static hColorF* showPicker(HtmlE& window);
    // The open picker, or null.
    static hColorF* instance();

    ~hColorF() override;

    Rgb colour() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    explicit hColorF(HtmlE& window);
    void buildControls();
    void Form_Load();
    void UpdateColorCodes();
    void SetPaletteColors();
    void paletteClick(int index);
    void transfer(const QLineEdit* source);

    QPointer<HtmlE> m_window;
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
