// CServiceMonitor: what the service run reports about itself besides its specified log entries.
// In the run log: a lost and a regained connection (once each) and an ignored SIGHUP. To systemd
// (app/ServiceNotify.h): ready, the status line of app/RequestStats.h whenever it changes,
// watchdog keep-alives and the stop. The run loop calls it at four points:
//
//   Connected()                      once, after the connection at start succeeded
//   AfterClaim(db, claim)            after every claim of a request, with its result
//   RequestsDone(closed, bFailed)    after every calculation the loop has finished with, with the
//                                    requests it closed
//   Stopping()                       once, when the loop has ended, before the finish entry
//
// Owned by the service run for the whole run; borrows the run log, which must outlive it.
// Single-threaded use.
#pragma once

#include <cstdint>
#include <vector>

#include "app/ConnectionWatch.h"
#include "app/RequestClaim.h"
#include "app/RequestStats.h"
#include "db/CDbConnection.h"
#include "db/ParamRecord.h"
#include "log/CLogFile.h"

class CServiceMonitor {
public:
    explicit CServiceMonitor(CLogFile& log) : m_log(log), m_watch(log) {}
    virtual ~CServiceMonitor() = default;
    CServiceMonitor(const CServiceMonitor&) = delete;
    CServiceMonitor& operator=(const CServiceMonitor&) = delete;

    void Connected();
    // After a failed claim the connection holds the failure.
    void AfterClaim(const CDbConnection& db, ClaimResult claim);
    // The requests closed by one calculation, in queue order; bFailed: something went wrong on the way.
    void RequestsDone(const std::vector<ParamRecord>& closed, bool bFailed);
    void Stopping();

private:
    void PublishStatus();

    CLogFile& m_log;
    CConnectionWatch m_watch;
    CRequestStats m_stats;
    CString m_strPublished;
};
