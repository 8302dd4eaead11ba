#pragma once

#include <QHash>
#include <QList>
#include <QTimer>
#include <QWidget>

class DocumentBox;

// The line numbers at the left of the document box, in the viewport's margin (the box keeps
// its place and size; the text moves over). Logical lines: a line held in pieces or wrapped is
// numbered once, and each line of a block holding several is numbered where it starts. Only
// the blocks shown are looked at.
class LineGutter : public QWidget {
    Q_OBJECT
public:
    explicit LineGutter(DocumentBox* box);

    void setOn(bool on);
    bool isOn() const { return m_on; }

    // A number to paint: the line, the top of its first row in the viewport.
    struct Label {
        int line = 0;
        qreal top = 0;
        bool operator==(const Label&) const = default;
    };
    // The numbers of the lines shown, top to bottom.
    QList<Label> labels() const;
    // The font, the colours or the number of lines changed.
    void follow();

protected:
    void paintEvent(QPaintEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void place();

    DocumentBox* m_box;
    bool m_on = false;
    int m_width = 0;
    QTimer m_follow;
    // The caret's line, found while the labels are laid out.
    mutable int m_caretLine = 0;
    // What the numbers were last painted for: the lines counted, the caret's line.
    int m_lines = -1;
    int m_caretLineShown = -1;
};
