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
    // Counts the nRequests requests finished by one calculation, the last of them strNumber; the
    // time is now.
    void CountRequests(const CString& strNumber, long nRequests, bool bFailed);
    // The phase, then for example "seit dem Start 12 erledigt, davon 1 mit Fehlern und 3 mit einer
    // anderen Berechnung derselben Person; zuletzt Auftrag 00042 am 09.12.2025 14:03:12"
    // (Windows-1252, like every text of the program).
    CString StatusText() const;

private:
    Phase m_phase = Phase::Waiting;
    long m_nDone = 0;
    long m_nFailed = 0;
    long m_nJoined = 0;  // closed by the calculation of an earlier request of the same person
    CString m_strLastNumber;
    time_t m_lastFinished = 0;
};
