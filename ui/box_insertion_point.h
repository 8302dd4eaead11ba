#pragma once

#include "document/insertion_point.h"

#include <QPointer>

class DocumentBox;
class QWidget;

// The insertion point of a window's document box.
class BoxInsertionPoint : public InsertionPoint {
    Q_OBJECT
public:
    BoxInsertionPoint(DocumentBox* box, QWidget* window);

    QString readSelection() const override;
    void insert(const QString& crlfText) override;
    void focusDocument() override;
    void activateDocument() override;
    void raiseWindow() override;

private:
    QPointer<DocumentBox> m_box;
    QPointer<QWidget> m_window;
};
