// CRequestLedger: what the run remembers of the requests it could not finish. A request whose
// work failed in a way that may pass is tried again, but after three attempts it is given up, so
// that one request can never block the queue; a request that cannot be removed is not taken up
// again in this run, so that it is not calculated over and over. Owned by the service run for the
// whole run; it lives in memory only and starts empty with every run.
#pragma once

#include <map>
#include <set>
#include <string>

#include "db/ParamRecord.h"

class CRequestLedger {
public:
    static constexpr int kMaxAttempts = 3;

    CRequestLedger() = default;
    virtual ~CRequestLedger() = default;
    CRequestLedger(const CRequestLedger&) = delete;
    CRequestLedger& operator=(const CRequestLedger&) = delete;

    // Counts one more failed attempt at the request and returns the attempts so far.
    int CountAttempt(const ParamRecord& request);
    bool IsGivenUp(const ParamRecord& request) const;
    void MarkUnremovable(const ParamRecord& request);
    bool IsUnremovable(const ParamRecord& request) const;

private:
    // A request is its row's key: the number as the table holds it, the running number, the type.
    static std::string Key(const ParamRecord& request);

    std::map<std::string, int> m_attempts;
    std::set<std::string> m_unremovable;
};
