// CRequestStats: what the run has done since it started, as an operator wants to see it in
// "systemctl status": what it is doing now, how many requests it has finished and how many of
// them with errors, and the last request with the time it was finished. Owned by the service
// monitor (app/ServiceMonitor.h). Single-threaded use.
#pragma once

#include <ctime>

#include "base/CString.h"

class CRequestStats {
public:
    enum class Phase { Working, Waiting, Reconnecting, QueueUnreadable };

    CRequestStats() = default;
    virtual ~CRequestStats() = default;

    void SetPhase(Phase phase) { m_phase = phase; }
    // Counts a finished request; the time is now.
    void CountRequest(const CString& strNumber, bool bFailed);
    // The phase, then for example "seit dem Start 12 erledigt, davon 1 mit Fehlern; zuletzt Auftrag
    // 00042 am 09.12.2025 14:03:12" (Windows-1252, like every text of the program).
    CString StatusText() const;

private:
    Phase m_phase = Phase::Waiting;
    long m_nDone = 0;
    long m_nFailed = 0;
    CString m_strLastNumber;
    time_t m_lastFinished = 0;
};
