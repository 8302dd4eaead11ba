#pragma once

#include <QGroupBox>

// A frame whose caption sits in its top edge, the line passing behind the caption's middle.
// The side windows place their controls at fixed positions from the frame's top; a style that
// puts the caption above the line pushes the line down into them as soon as the caption's
// font is taller than the one they were laid out for (as the Japanese fonts of a Linux
// desktop are).
class InsetCaptionFrame : public QGroupBox {
public:
    InsetCaptionFrame(const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};
