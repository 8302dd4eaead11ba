#pragma once

#include <QAbstractButton>
#include <QString>

class QSvgRenderer;

// A toolbar button that shows its picture or its caption on its face colour and nothing
// else but a thin bevel. The face is the palette's Button colour, so setFaceColour, a
// palette or a style sheet's background-color all change it; the caption uses the
// button's own font.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PictureButton(QWidget* parent = nullptr);
    ~PictureButton() override;

    // An SVG resource path; false when it cannot be read as a picture.
    bool setPicture(const QString& resource);
    bool hasPicture() const;
    void setFaceColour(const QColor& colour);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSvgRenderer* m_picture = nullptr;
};
