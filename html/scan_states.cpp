#include "html/scan_states.h"

namespace html {
namespace {
constexpr ScanState kUnknown = -1; // never a state the scanner gives
}

ScanStates::ScanStates(UnitText unitText, qsizetype unitCount) : m_unitText(std::move(unitText))
{
    reset(unitCount);
}

void ScanStates::reset(qsizetype unitCount)
{
    m_states.fill(kUnknown, std::max<qsizetype>(unitCount, 0) + 1);
    m_states[0] = kPageStart;
    m_valid = 1;
    m_trustFrom = m_trustTo = 0;
    m_restyledFrom = m_restyledTo = -1;
}

qsizetype ScanStates::scanNext()
{
    const qsizetype i = m_valid;
    const Unit before = m_unitText(i - 1);
    m_runs.clear();
    const ScanState state = scan(m_states[i - 1], before.text, before.end, m_runs);
    if (i >= m_trustFrom && i < m_trustTo && m_states[i] == state) {
        m_valid = m_trustTo; // the edit's effect ends here
        m_trustFrom = m_trustTo = 0;
        return before.text.size();
    }
    if (m_states[i] != state && m_states[i] != kUnknown) // a unit never asked for was never coloured
        restyle(i);
    m_states[i] = state;
    ++m_valid;
    return before.text.size();
}

ScanState ScanStates::stateAt(qsizetype unit)
{
    unit = std::clamp<qsizetype>(unit, 0, unitCount());
    while (m_valid <= unit)
        scanNext();
    return m_states[unit];
}

ScanState ScanStates::guessAt(qsizetype unit, qsizetype lookBehind)
{
    unit = std::clamp<qsizetype>(unit, 0, unitCount());
    lookBehind = std::max<qsizetype>(lookBehind, 0);
    if (unit < m_valid + lookBehind)
        return stateAt(unit);
    if (m_states[unit] != kUnknown)
        return m_states[unit]; // what it was coloured in before, or guessed then
    qsizetype from = unit;
    while (from > unit - lookBehind && m_states[from] == kUnknown)
        --from;
    ScanState state = m_states[from] == kUnknown ? kPageStart : m_states[from]; // from a guess, if need be
    for (qsizetype k = from; k < unit; ++k) {
        const Unit text = m_unitText(k);
        m_runs.clear();
        state = scan(state, text.text, text.end, m_runs);
        if (m_states[k + 1] == kUnknown)
            m_states[k + 1] = state; // so that the true state, once known, tells whether to colour again
    }
    if (m_states[unit] == kUnknown)
        m_states[unit] = state; // a guess from nothing before it
    return state;
}

bool ScanStates::workAhead(qsizetype characters)
{
    for (qsizetype done = 0; m_valid <= unitCount() && done < characters;)
        done += scanNext();
    return m_valid > unitCount();
}

void ScanStates::unitsChanged(qsizetype first, qsizetype removed, qsizetype added)
{
    first = std::clamp<qsizetype>(first, 0, unitCount());
    removed = std::clamp<qsizetype>(removed, 0, unitCount() - first);
    added = std::max<qsizetype>(added, 0);
    if (removed == 0 && added == 0)
        return;
    // m_states[first] stays (what comes before the edit did not change). The old state at the
    // start of the unit after the edit stays as an old state of use, moved to its new place,
    // unless no unit is left in the edit's place, where the start of `first` is its start.
    const qsizetype tail = first + removed;
    const qsizetype keepFrom = added > 0 ? tail : tail + 1; // old entries from here on are kept
    const qsizetype shift = added - removed;
    if (m_restyledFrom >= 0) { // units edited away are coloured afresh anyway
        const auto moved = [&](qsizetype k) { return k < first ? k : k < tail ? first : k + shift; };
        m_restyledFrom = moved(m_restyledFrom);
        m_restyledTo = std::max(moved(m_restyledTo - 1) + 1, m_restyledFrom);
    }
    if (added == 0) {
        // The unit after the edit now starts where `first` started, perhaps in another state
        // than it was coloured in.
        if (m_states[tail] != kUnknown)
            restyle(first);
        m_states.remove(first + 1, removed);
    } else if (removed == 0) {
        m_states.insert(first + 1, m_states[first]);
        m_states.insert(first + 1, added - 1, kUnknown);
    } else {
        m_states.remove(first + 1, removed - 1);
        m_states.insert(first + 1, added - 1, kUnknown);
    }

    // Where old states still form an unbroken chain over units the edit did not touch: before
    // the edit (left of an earlier, unscanned edit), or after it.
    const qsizetype oldValid = m_valid;
    const qsizetype trustStart = std::max(m_trustFrom, oldValid); // those before were scanned again
    const qsizetype before = std::min(m_trustTo, first + 1);
    if (trustStart < before) {
        m_trustFrom = trustStart;
        m_trustTo = before;
    } else if (oldValid > keepFrom) {
        m_trustFrom = keepFrom + shift;
        m_trustTo = oldValid + shift;
    } else if (std::max(trustStart, keepFrom) < m_trustTo) {
        m_trustFrom = std::max(trustStart, keepFrom) + shift;
        m_trustTo += shift;
    } else {
        m_trustFrom = m_trustTo = 0;
    }
    m_valid = std::min(oldValid, first + 1);
}

void ScanStates::restyle(qsizetype unit)
{
    m_restyledFrom = m_restyledFrom < 0 ? unit : std::min(m_restyledFrom, unit);
    m_restyledTo = std::max(m_restyledTo, unit + 1);
}

std::pair<qsizetype, qsizetype> ScanStates::takeRestyled()
{
    const std::pair<qsizetype, qsizetype> restyled = m_restyledFrom < 0 ? std::pair<qsizetype, qsizetype>{0, 0}
                                                                         : std::pair{m_restyledFrom, m_restyledTo};
    m_restyledFrom = m_restyledTo = -1;
    return restyled;
}

}
