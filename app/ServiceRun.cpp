// The working life of the process once its arguments are accepted: the run log is named, the
// database connected, and requests are read and processed until the queue is empty (PARM:) or
// the process is stopped.
#include "app/ServiceRun.h"

#include <cstdio>

#include "app/ConfigDiagnosis.h"
#include "app/Globals.h"
#include "app/ProcessRequest.h"
#include "app/RequestLedger.h"
#include "app/ServiceMonitor.h"
#include "base/StopSignal.h"
#include "db/CDbConnection.h"

namespace {

const int kEmptyQueueWaitMs = 250;
const int kFailedReadWaitMs = 10000;
const int kExitRequestStillQueued = 4;

void Log(const CString& strText, LogLevel level = LogLevel::Info) {
    g_log.Write(strText, true, level);
}

// Claims the next request; in polling mode those that this run cannot remove are passed over.
int32_t ReadRequest(CDbConnection& db, const CRequestLedger& ledger, ParamRecord* pRequest) {
    if (!g_singleRequest) {
        int32_t nResult = db.ReadNextRequest(g_schema, g_user, pRequest);
        while (nResult == db.m_nRcSuccess && ledger.IsUnremovable(*pRequest)) {
            const ParamRecord passedOver = *pRequest;
            nResult = db.ReadNextRequestAfter(g_schema, g_user, passedOver, pRequest);
        }
        return nResult;
    }
    const int32_t nResult = db.ReadRequestByNumber(g_schema, g_user, g_requestNumber, pRequest);
    if (nResult == 0) {
        g_firstRead = false;
    } else if (g_firstRead) {
        CString strText;
        strText.Format("Fehler beim Lesen Parametersatz: %s RC: %ld", g_requestNumber.GetString(),
                       static_cast<long>(nResult));
        Log(strText, LogLevel::Error);
    }
    return nResult;
}

// One pass: requests are processed back to back while reads succeed; an empty queue, a failed
// read or a request that had to be left queued ends the pass after its wait (in single-request
// mode a request left queued ends the run at once: there is nothing to wait for). A stop request
// ends the pass between requests and cuts a wait short. True when a claimed request is still
// queued.
bool RunPass(CDbConnection& db, CRequestLedger& ledger, ParamRecord* pRequest, CServiceMonitor& monitor) {
    g_firstRead = true;
    while (!StopRequested()) {
        const int32_t nResult = ReadRequest(db, ledger, pRequest);
        monitor.AfterRead(db, nResult);
        if (nResult == db.m_nRcNoData) {
            db.Rollback();
            WaitForStop(kEmptyQueueWaitMs);
            return false;
        }
        if (nResult != db.m_nRcSuccess) {
            db.Rollback();
            if (!WaitForStop(kFailedReadWaitMs)) {
                db.Connect();
            }
            return false;
        }
        const int nErrorsBefore = g_log.ErrorCount();
        if (ProcessRequest(db, *pRequest, ledger) == RequestOutcome::StillQueued) {
            if (!g_singleRequest && !WaitForStop(kFailedReadWaitMs)) {
                db.Connect();
            }
            return true;
        }
        monitor.RequestDone(*pRequest, g_log.ErrorCount() != nErrorsBefore);
    }
    return false;
}

}  // namespace

int RunService() {
    CDbConnection db;
    ParamRecord request{};
    CRequestLedger ledger;
    CServiceMonitor monitor(g_log);
    CString strText;
    BlockStopSignals();

    g_log.SetMaxSize(2000000);
    g_log.SetFileName("..\\quorvanel_php\\log", "CppKvt");
    db.SetConfig(&g_config);
    Log("Info : Kvt wurde gestartet");
    db.SetSchema(g_schema);

    if (db.Connect() != 0) {
        strText.Format("Fehler beim Verbindungsaufbau zur Datenbank:\n SqlCode: %ld\n SqlState: %s\n%s",
                       static_cast<long>(db.GetSqlCode()), db.GetSqlState().GetString(),
                       db.GetSqlMessage().GetString());
        Log(strText, LogLevel::Error);
        std::fputs(strText, stdout);
        std::fflush(stdout);
        ReportConnectFailureCauses(g_config, db);
        Log("Info : Kvt wurde beendet");
        return 3;
    }

    monitor.Connected();
    bool bLeftQueued = false;
    while (g_keepRunning) {
        bLeftQueued = RunPass(db, ledger, &request, monitor);
        if (g_singleRequest || StopRequested()) {
            g_keepRunning = false;
        }
    }

    monitor.Stopping();
    Log("Info : Kvt wurde beendet");
    return g_singleRequest && bLeftQueued ? kExitRequestStillQueued : 0;
}
