#pragma once

#include <QPointer>
#include <QWidget>

class DocumentBox;
class QLabel;
class QLineEdit;

// 行へ移動: asks for a line number and puts the caret at the start of that line. One per
// process, like the side windows.
class LineJumpWindow : public QWidget {
    Q_OBJECT
public:
    static LineJumpWindow* showFor(DocumentBox* box, QWidget* window);
    static LineJumpWindow* instance();

    // Moves the caret to the typed line and closes; a number out of range is explained and
    // nothing moves.
    void jump();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    LineJumpWindow(DocumentBox* box, QWidget* window);
    void showRange();
    void showRangeLabel();

    QPointer<DocumentBox> m_box;
    QPointer<QWidget> m_window;
    QLabel* m_range = nullptr;
    QLineEdit* m_line = nullptr;
    QLabel* m_note = nullptr;
};
