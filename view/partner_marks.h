#pragma once

#include "html/markup_structure.h"

#include <QColor>
#include <QObject>

#include <optional>

class DocumentBox;
class QTimer;

// With the caret in a start or end tag, that tag and its partner marked (a decoration of the
// view, not a format of the text), and Ctrl+M to go to the partner's '<'. The question reads
// only a stretch of the page around the caret, and the marks follow the caret after a short
// pause, so moving it stays as fast as without them.
class PartnerMarks : public QObject {
    Q_OBJECT
public:
    explicit PartnerMarks(DocumentBox* box);

    void setOn(bool on);
    void setMarkColour(const QColor& colour);
    // The tag at the caret and its partner, in text positions.
    std::optional<html::TagPair> pairAtCaret() const;
    // The caret goes to the partner's '<'; false, and nothing moves, without one.
    bool goToPartner();
    // Marks the pair at the caret now.
    void mark();

private:
    DocumentBox* m_box;
    QTimer* m_pause;
    QColor m_colour;
    bool m_on = false;
};
