// CConnectionWatch: one run-log entry when the request table can no longer be read (the
// connection is lost, or the server refuses the read for a while) and one when a read succeeds
// again, instead of silence while the loop retries every 10 seconds. A read that shows the
// database does not fit the configuration ends the run and is reported there, not here. Borrows
// the run log, which must outlive it. Single-threaded use.
#pragma once

#include "db/CDbConnection.h"
#include "log/CLogFile.h"

class CConnectionWatch {
public:
    explicit CConnectionWatch(CLogFile& log) : m_log(log) {}
    virtual ~CConnectionWatch() = default;
    CConnectionWatch(const CConnectionWatch&) = delete;
    CConnectionWatch& operator=(const CConnectionWatch&) = delete;

    // After a failed read: logs the first failure with the connection's diagnostics (a warning).
    void ReadFailed(const CDbConnection& db);
    // After a read that succeeded or found nothing: logs that the connection is back, once.
    void ReadSucceeded();

private:
    CLogFile& m_log;
    bool m_bLost = false;
};
