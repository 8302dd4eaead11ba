#pragma once

#include "html/role_palette.h"
#include "html/scan_states.h"

#include <QObject>
#include <QTextBlock>
#include <QTextCharFormat>

#include <array>

class DocumentBox;
class QTimer;

// The HTML colours of the document box. Each block of the box is a unit of the scanner; the
// state at its start is worked out only as far as the box is shown (a guess far ahead, put
// right in spare moments), and only the blocks shown are given colours, as additional formats
// of their layouts: the text, its undo history and its changed state are never touched.
class BoxColour : public QObject {
    Q_OBJECT
public:
    explicit BoxColour(DocumentBox* box);

    bool isOn() const { return m_on; }
    void setOn(bool on);
    // The background or the font colour changed: every block is coloured afresh when shown.
    void followPalette();
    // Gives the blocks shown the colours of their text, where they do not have them yet.
    void colourShown();
    const html::RolePalette& palette() const { return m_palette; }

private:
    void documentChanged(int position, int removed, int added);
    void colourBlock(QTextBlock block, html::ScanState start);
    // Gives the block's layout the colours of its text; false when they were there already.
    bool applyColours(QTextBlock block, html::ScanState start);
    void clearBlock(QTextBlock block);
    void relayout(const QTextBlock& block);
    void workAhead();

    DocumentBox* m_box;
    html::ScanStates m_states;
    html::RolePalette m_palette{};
    std::array<QTextCharFormat, html::kRoleCount> m_formats;
    qsizetype m_blocks = 1;
    qsizetype m_lastShown = 0;
    // Bumped when the colours change, so a block coloured before is coloured again.
    quint32 m_generation = 1;
    bool m_on = false;
    bool m_colouring = false;
    bool m_relayout = false;
    QTimer* m_ahead;
    QList<html::RoleRun> m_runs; // reused
};
