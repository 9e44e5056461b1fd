// The working life of the process once its arguments are accepted: the run log is named, the
// database connected, and requests are read and processed until the queue is empty (PARM:) or
// the process is stopped.
#include "app/ServiceRun.h"

#include <cstdio>

#include "app/ConfigDiagnosis.h"
#include "app/Globals.h"
#include "app/ProcessRequest.h"
#include "app/ServiceMonitor.h"
#include "base/FieldText.h"
#include "base/StopSignal.h"
#include "db/CDbConnection.h"

namespace {

const int kEmptyQueueWaitMs = 250;
const int kFailedReadWaitMs = 10000;

void Log(const CString& strText, LogLevel level = LogLevel::Info) {
    g_log.Write(strText, true, level);
}

// Closing row, delete and commit follow every calculation, whatever its outcome, so that a
// request is never processed twice and always leaves its closing row.
void FinishRequest(CDbConnection& db, const ParamRecord& request) {
    db.InsertErrorRow(FieldText(request.PRMNUM, sizeof(request.PRMNUM)), request.PRMLFD, request.PRMTYP,
                      FieldText(request.PRMPNR, sizeof(request.PRMPNR)),
                      FieldText(request.PRMFCD, sizeof(request.PRMFCD)), request.PRMDTM,
                      FieldText(request.PRMUHR, sizeof(request.PRMUHR)), 0, 0);
    db.DeleteRequest(&request);
    db.Commit();
}

int32_t ReadRequest(CDbConnection& db, ParamRecord* pRequest) {
    if (!g_singleRequest) {
        return db.ReadNextRequest(g_schema, g_user, pRequest);
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

// One pass: requests are processed back to back while reads succeed; an empty queue or a failed
// read ends the pass after its wait. A stop request ends the pass between requests and cuts a
// wait short.
void RunPass(CDbConnection& db, ParamRecord* pRequest, CServiceMonitor& monitor) {
    g_firstRead = true;
    while (!StopRequested()) {
        const int32_t nResult = ReadRequest(db, pRequest);
        monitor.AfterRead(db, nResult);
        if (nResult == db.m_nRcNoData) {
            WaitForStop(kEmptyQueueWaitMs);
            return;
        }
        if (nResult != db.m_nRcSuccess) {
            if (!WaitForStop(kFailedReadWaitMs)) {
                db.Connect();
            }
            return;
        }
        const int nErrorsBefore = g_log.ErrorCount();
        ProcessRequest(db, *pRequest);
        FinishRequest(db, *pRequest);
        monitor.RequestDone(*pRequest, g_log.ErrorCount() != nErrorsBefore);
    }
}

}  // namespace

int RunService() {
    CDbConnection db;
    ParamRecord request{};
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
    while (g_keepRunning) {
        RunPass(db, &request, monitor);
        if (g_singleRequest || StopRequested()) {
            g_keepRunning = false;
        }
    }

    monitor.Stopping();
    Log("Info : Kvt wurde beendet");
    return 0;
}
