// CServiceMonitor: what the service run reports about itself besides its specified log entries.
// In the run log: a lost and a regained connection (once each) and an ignored SIGHUP. To systemd
// (app/ServiceNotify.h): ready, the status line of app/RequestStats.h whenever it changes,
// watchdog keep-alives and the stop. Where a metrics directory is set (app/MetricsFile.h): the
// metrics of app/RunMetrics.h, at most every 15 seconds and at the stop. The run loop calls it at
// these points:
//
//   Connected()                          once, after the connection at start succeeded
//   BeforeClaim(db)                      before every claim of a request
//   AfterClaim(db, claim)                after every claim of a request, with its result
//   RequestDone(outcome, report, dSeconds, bFailed)
//                                        after every claimed request the loop has worked on
//   Stopping()                           once, when the loop has ended, before the finish entry
//
// Owned by the service run for the whole run; borrows the run log, which must outlive it.
// Single-threaded use.
#pragma once

#include <ctime>

#include "app/ConnectionWatch.h"
#include "app/ProcessRequest.h"
#include "app/RequestClaim.h"
#include "app/RequestStats.h"
#include "app/RunMetrics.h"
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
    // Writes the metrics when they are due; the count of the waiting requests is read on db.
    void BeforeClaim(CDbConnection& db);
    // After a failed claim the connection holds the failure.
    void AfterClaim(const CDbConnection& db, ClaimResult claim);
    // What became of a claimed request; dSeconds from its claim to the end of its transaction;
    // bFailed: something went wrong on the way.
    void RequestDone(RequestOutcome outcome, const RequestReport& report, double dSeconds, bool bFailed);
    void Stopping();

private:
    void PublishStatus();
    void WriteMetrics(bool bRunning);

    CLogFile& m_log;
    CConnectionWatch m_watch;
    CRequestStats m_stats;
    CString m_strPublished;
    CRunMetrics m_metrics;
    time_t m_lastMetrics = 0;     // monotonic seconds of the last metrics file; 0: none yet
    bool m_bMetricsUnwritable = false;
};
