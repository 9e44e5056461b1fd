// CRequestLedger: what the run remembers of the requests it could not finish, so that it passes
// them over when it claims the next one, and of those it found held back behind them. A request whose work failed in a way that may pass is
// tried again at once after the pause of the pass, three times, and then after waits that double
// from 20 seconds up to an hour: it stays queued and never blocks the queue. A request that cannot
// be removed is not taken up again in this run, so that it is not calculated over and over; nor is
// a request that this run has closed already. Owned by the service run for the whole run; it lives
// in memory only and starts empty with every run. Single-threaded use.
#pragma once

#include <ctime>
#include <deque>
#include <map>
#include <set>
#include <string>

#include "db/ParamRecord.h"

class CRequestLedger {
public:
    static constexpr int kMaxAttempts = 3;
    // How many requests that wait for an earlier request of their person a claim looks past.
    static constexpr int kMostWaiting = 64;
    // Conflicts with other nodes in a row that are taken up at once; more count as failed attempts.
    static constexpr int kMostConflicts = 20;

    CRequestLedger() = default;
    virtual ~CRequestLedger() = default;
    CRequestLedger(const CRequestLedger&) = delete;
    CRequestLedger& operator=(const CRequestLedger&) = delete;

    // Counts one more failed attempt at the request, made at tNow; returns the attempts so far.
    int CountFailure(const ParamRecord& request, time_t tNow);
    // Counts one more conflict with another node's transaction; returns the conflicts so far.
    int CountConflict(const ParamRecord& request);
    // Seconds from the last failure until the request is tried again; 0 for the first attempts.
    int DelaySeconds(const ParamRecord& request) const;
    void MarkUnremovable(const ParamRecord& request);
    bool IsUnremovable(const ParamRecord& request) const;
    void MarkClosed(const ParamRecord& request);
    bool IsClosed(const ParamRecord& request) const;
    // True when the run leaves the request alone at tNow: it cannot be removed, it was closed, or
    // its next attempt is not due.
    bool IsPassedOver(const ParamRecord& request, time_t tNow) const;
    // The requests that may be passed over at the most: the claim reads that many more.
    int PassedOverCount() const;
    // True the first time a request is found held back by an earlier request of its person that
    // the run leaves alone, so that this is logged once.
    bool NoteHeldBack(const ParamRecord& request);

private:
    struct Attempts {
        int nFailed = 0;
        int nConflicts = 0;
        time_t tDue = 0;
    };
    // A request is its row's key: the number as the table holds it, the running number, the type.
    static std::string Key(const ParamRecord& request);
    static int DelayAfter(int nFailed);

    std::map<std::string, Attempts> m_attempts;
    std::set<std::string> m_unremovable;
    std::set<std::string> m_heldBack;
    // The requests closed last, oldest first: a request claimed again right after it was closed
    // has not been removed, whatever the removal reported. A long run closes millions; only the
    // recent ones can come back.
    std::deque<std::string> m_closed;
};
