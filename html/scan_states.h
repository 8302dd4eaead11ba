#pragma once

#include "html/html_scan.h"

#include <QList>
#include <QString>

#include <functional>

namespace html {

// The scanner's state at the start of each unit of the page (a line, or a block of the box:
// a piece of a long line, or a few lines joined by U+2028), kept so that colouring a unit
// needs the units before it only once, and worked out lazily: only as far as the unit asked
// for. An edit forgets the states after it until they are asked for again; where a state comes
// out as it was before the edit, every later one is good again, so typing in a 50 MB page
// scans a line or two, and opening one scans only what is shown. Typing "<!--" at the top
// changes every later state, and they are found again only as far as the page is shown.
class ScanStates {
public:
    struct Unit {
        QString text;
        TextEnd end = TextEnd::LineEnd;
    };
    using UnitText = std::function<Unit(qsizetype unit)>;

    explicit ScanStates(UnitText unitText, qsizetype unitCount = 0);

    // A new page of `unitCount` units: nothing known but the start.
    void reset(qsizetype unitCount);
    qsizetype unitCount() const { return m_states.size() - 1; }

    // The state at the start of `unit` (0 to unitCount(); unitCount() gives the page's end),
    // scanning every unit before it that is not known yet.
    ScanState stateAt(qsizetype unit);

    // The same where it is known or at most `lookBehind` units past what is known; farther on,
    // a guess from `lookBehind` units back, started as if the page started there (a jump to the
    // end of a 50 MB page colours at once). The guess is kept: when workAhead() finds the
    // true state and it differs, the unit is among the ones to colour again.
    ScanState guessAt(qsizetype unit, qsizetype lookBehind);

    // Works out the states after the known ones, about `characters` characters' worth (for
    // spare moments after opening or an edit); true once all are known.
    bool workAhead(qsizetype characters);
    // The units [0, knownUnits()) start in states known to be true.
    qsizetype knownUnits() const { return m_valid; }

    // Units [first, first + removed) became `added` new units (the text of `first` changed, if
    // nothing else): as the box's blocks report a change.
    void unitsChanged(qsizetype first, qsizetype removed, qsizetype added);

    // The units whose start state has changed since the last call, as [from, to): the ones on
    // screen among them must be coloured again, though their own text did not change.
    std::pair<qsizetype, qsizetype> takeRestyled();

private:
    qsizetype scanNext();
    void restyle(qsizetype unit);
    UnitText m_unitText;
    QList<ScanState> m_states; // at the start of each unit, and the page's end
    qsizetype m_valid = 1;     // m_states[0, m_valid) are right
    // Old states, right before the edit that is not yet scanned past: where a new state meets
    // its old one in here, all up to m_trustTo are right again.
    qsizetype m_trustFrom = 0;
    qsizetype m_trustTo = 0;
    qsizetype m_restyledFrom = -1;
    qsizetype m_restyledTo = -1;
    QList<RoleRun> m_runs; // reused, not read
};

}
