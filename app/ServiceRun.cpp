// The working life of the process once its arguments are accepted: the run log is named, the
// database connected, and requests are read and processed until the queue is empty (PARM:) or
// the process is stopped, or until the database shows that it does not fit the configuration.
#include "app/ServiceRun.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

#include "app/Globals.h"
#include "app/ProcessRequest.h"
#include "app/RequestClaim.h"
#include "app/RequestLedger.h"
#include "app/ServiceMonitor.h"
#include "base/StopSignal.h"
#include "db/CDbConnection.h"

namespace {

const int kEmptyQueueWaitMs = 250;
// After a conflict with another node of a cluster: a pause of its own length for every process, so
// that two of them do not meet on the same rows again.
const int kShortestConflictPauseMs = 50;
const int kLongestConflictPauseMs = 500;
const int kFailedReadWaitMs = 10000;
const int kExitConnectionFailed = 3;
const int kExitRequestStillQueued = 4;
const int kExitWrongDatabase = 5;

// How a pass of the run loop ended.
enum class PassEnd {
    Done,           // the queue was empty, or a read failed in a way that may pass
    LeftQueued,     // a request had to be left queued
    WrongDatabase,  // the database does not fit the configuration: the run ends
};

void Log(const CString& strText, LogLevel level = LogLevel::Info) {
    g_log.Write(strText, true, level);
}

// The entry of a failed connect. Where nothing was asked of the database there is no code or
// state to show, only what failed.
CString ConnectFailureText(const CDbConnection& db) {
    CString strText;
    if (db.GetSqlState().IsEmpty()) {
        strText.Format("Fehler beim Verbindungsaufbau zur Datenbank: %s\n", db.GetSqlMessage().GetString());
    } else {
        strText.Format("Fehler beim Verbindungsaufbau zur Datenbank:\n SqlCode: %ld\n SqlState: %s\n%s",
                       static_cast<long>(db.GetSqlCode()), db.GetSqlState().GetString(),
                       db.GetSqlMessage().GetString());
    }
    return strText;
}

bool WaitAfterConflict() {
    static std::minstd_rand s_random(static_cast<std::minstd_rand::result_type>(getpid() ^ time(nullptr)));
    std::uniform_int_distribution<int> pause(kShortestConflictPauseMs, kLongestConflictPauseMs);
    return WaitForStop(pause(s_random));
}

// Connects and makes sure the data source is the product of DB_SYSTEM. False when the connection
// could not be made; *pbWrongProduct tells that it was made to another product.
bool ConnectToProduct(CDbConnection& db, bool* pbWrongProduct) {
    *pbWrongProduct = false;
    if (db.Connect() != 0) {
        return false;
    }
    bool bFits = true;
    if (db.CheckProduct(&bFits) != 0) {
        return false;
    }
    *pbWrongProduct = !bFits;
    return bFits;
}

void ReportWrongProduct(const CDbConnection& db) {
    g_log.WriteFatal("Fehler : Die Datenbank passt nicht zur Konfiguration: " + db.GetSqlMessage() +
             ". Kein Auftrag wurde gelesen; Kvt wird beendet (Exitcode 5).");
}

// After a failure that may pass: the pause, cut short by a stop, and a new connection.
PassEnd WaitAndReconnect(CDbConnection& db) {
    if (WaitForStop(kFailedReadWaitMs)) {
        return PassEnd::Done;
    }
    bool bWrongProduct = false;
    ConnectToProduct(db, &bWrongProduct);
    if (bWrongProduct) {
        ReportWrongProduct(db);
        return PassEnd::WrongDatabase;
    }
    return PassEnd::Done;
}

// A read of the queue failed. In single-request mode the request is still queued as far as the
// run knows, and there is nothing to wait for.
PassEnd AfterFailedRead(CDbConnection& db) {
    const SqlFailure failure = db.ClassifyLastFailure();
    if (failure == SqlFailure::Conflict) {
        db.Rollback();
        WaitAfterConflict();
        return PassEnd::Done;
    }
    if (failure == SqlFailure::Installation) {
        const CString strText = WrongDatabaseText(db, "Die Warteschlange kann nicht gelesen werden");
        db.Rollback();
        g_log.WriteFatal(strText);
        return PassEnd::WrongDatabase;
    }
    db.Rollback();
    return g_singleRequest ? PassEnd::LeftQueued : WaitAndReconnect(db);
}

// One pass: requests are processed back to back while claims succeed; an empty queue, a failed
// read or a request that had to be left queued ends the pass after its wait (in single-request
// mode a request left queued ends the run at once). A stop request ends the pass between requests
// and cuts a wait short.
PassEnd RunPass(CDbConnection& db, CRequestLedger& ledger, ParamRecord* pRequest, CServiceMonitor& monitor) {
    g_firstRead = true;
    while (!StopRequested()) {
        monitor.BeforeClaim(db);
        const auto started = std::chrono::steady_clock::now();
        const ClaimResult claim = ClaimRequest(db, ledger, pRequest);
        monitor.AfterClaim(db, claim);
        switch (claim) {
            case ClaimResult::Nothing:
                db.Rollback();
                WaitForStop(kEmptyQueueWaitMs);
                return PassEnd::Done;
            case ClaimResult::Waiting:
                db.Rollback();
                return PassEnd::LeftQueued;
            case ClaimResult::Failed:
                return AfterFailedRead(db);
            case ClaimResult::Claimed:
                break;
        }
        const int nErrorsBefore = g_log.ErrorCount();
        RequestReport report;
        const RequestOutcome outcome = ProcessRequest(db, *pRequest, ledger, &report);
        monitor.RequestDone(outcome, report,
                            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                            g_log.ErrorCount() != nErrorsBefore);
        switch (outcome) {
            case RequestOutcome::Closed:
                break;
            case RequestOutcome::Conflict:
                WaitAfterConflict();
                break;
            case RequestOutcome::StillQueued:
                if (!g_singleRequest && WaitAndReconnect(db) == PassEnd::WrongDatabase) {
                    return PassEnd::WrongDatabase;
                }
                return PassEnd::LeftQueued;
            case RequestOutcome::WrongDatabase:
                return PassEnd::WrongDatabase;
        }
    }
    return PassEnd::Done;
}

int ExitCode(PassEnd lastPass) {
    switch (lastPass) {
        case PassEnd::WrongDatabase:
            return kExitWrongDatabase;
        case PassEnd::LeftQueued:
            return g_singleRequest ? kExitRequestStillQueued : 0;
        case PassEnd::Done:
            break;
    }
    return 0;
}

}  // namespace

int RunService() {
    CDbConnection db;
    ParamRecord request{};
    CRequestLedger ledger;
    CServiceMonitor monitor(g_log);
    BlockStopSignals();

    g_log.SetMaxSize(2000000);
    g_log.SetFileName("..\\quorvanel_php\\log", "CppKvt");
    db.SetConfig(&g_config);
    Log("Info : Kvt wurde gestartet");
    db.SetSchema(g_schema);

    bool bWrongProduct = false;
    if (!ConnectToProduct(db, &bWrongProduct)) {
        if (bWrongProduct) {
            ReportWrongProduct(db);
        } else {
            const CString strText = ConnectFailureText(db);
            Log(strText, LogLevel::Error);
            // Under systemd standard output is the journal too, which has the entry already.
            if (!g_log.HasMirror()) {
                std::fputs(strText, stdout);
                std::fflush(stdout);
            }
        }
        Log("Info : Kvt wurde beendet");
        return bWrongProduct ? kExitWrongDatabase : kExitConnectionFailed;
    }

    monitor.Connected();
    PassEnd lastPass = PassEnd::Done;
    while (g_keepRunning) {
        lastPass = RunPass(db, ledger, &request, monitor);
        if (g_singleRequest || StopRequested() || lastPass == PassEnd::WrongDatabase) {
            g_keepRunning = false;
        }
    }

    monitor.Stopping();
    Log("Info : Kvt wurde beendet");
    return ExitCode(lastPass);
}
