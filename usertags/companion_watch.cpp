#include "usertags/companion_watch.h"

void CompanionWatch::started(qint64 pid, qint64 nowMs)
{
    if (!m_active) {
        m_windowSeen = false;
        m_pids.clear();
    }
    m_active = true;
    // A second start gives its window the same chance as the first.
    m_startedMs = nowMs;
    m_windowSeen = false;
    if (pid > 0)
        m_pids.append(pid);
}

bool CompanionWatch::poll(std::optional<bool> windowExists, bool anyProcessRuns, qint64 nowMs)
{
    if (!m_active)
        return false;
    bool ended;
    if (!windowExists) {
        ended = !anyProcessRuns;
    } else if (*windowExists) {
        m_windowSeen = true;
        ended = false;
    } else {
        ended = m_windowSeen || !anyProcessRuns || nowMs - m_startedMs >= kGraceMs;
    }
    if (ended) {
        m_active = false;
        m_pids.clear();
    }
    return ended;
}
