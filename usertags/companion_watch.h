#pragma once

#include <QList>

#include <optional>

// When the editing state that "タグ追加" began is over. The companion's window is looked
// for on every tick; a tick that finds none ends the state only once the window had a
// chance to appear: it was seen before, or every started process has ended, or it has been
// missing for ten seconds since the start. Where windows cannot be looked up, the state
// ends with the last started process.
class CompanionWatch {
public:
    static constexpr qint64 kGraceMs = 10000;

    // A companion was started (another one may still run).
    void started(qint64 pid, qint64 nowMs);
    // `windowExists` is empty where there is no window lookup. True when the editing state
    // ends now; the watch is then idle again.
    bool poll(std::optional<bool> windowExists, bool anyProcessRuns, qint64 nowMs);

    bool active() const { return m_active; }
    const QList<qint64>& pids() const { return m_pids; }

private:
    bool m_active = false;
    bool m_windowSeen = false;
    qint64 m_startedMs = 0;
    QList<qint64> m_pids;
};
