// CServiceMonitor: what the service run reports about itself besides its specified log entries.
// In the run log: a lost and a regained connection (once each) and an ignored SIGHUP. To systemd
// (app/ServiceNotify.h): ready, the status line of app/RequestStats.h whenever it changes,
// watchdog keep-alives and the stop. The run loop calls it at four points:
//
//   Connected()                     once, after the connection at start succeeded
//   AfterRead(db, nResult)          after every read of the request table, with its result
//   RequestDone(request, bFailed)   after every request the loop has finished with
//   Stopping()                      once, when the loop has ended, before the finish entry
//
// Owned by the service run for the whole run; borrows the run log, which must outlive it.
// Single-threaded use.
#pragma once

#include <cstdint>

#include "app/ConnectionWatch.h"
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
    // nResult is the read's return code, compared with the connection's success and no-data codes.
    void AfterRead(const CDbConnection& db, int32_t nResult);
    // bFailed: the request's calculation or its closing did not succeed.
    void RequestDone(const ParamRecord& request, bool bFailed);
    void Stopping();

private:
    void PublishStatus();

    CLogFile& m_log;
    CConnectionWatch m_watch;
    CRequestStats m_stats;
    CString m_strPublished;
};
