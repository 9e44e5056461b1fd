#include "app/ProcessRequest.h"

#include <cstring>
#include <ctime>

#include "app/Globals.h"
#include "base/FieldText.h"
#include "calc/CShiftCalc.h"

namespace {

// The longest personnel number the calculation takes; a longer one would be cut to another person's.
const size_t kMaxPnrLength = 8;
// The most requests of a person that join one calculation.
const int32_t kMostJoined = 100;

void LogFailure(const CString& strText) {
    g_log.Write(strText, true, LogLevel::Error);
}

CString Diagnostics(const CDbConnection& db) {
    CString strText;
    strText.Format("SqlCode: %ld, SqlState: %s, %s", static_cast<long>(db.GetSqlCode()),
                   db.GetSqlState().GetString(), db.GetSqlMessage().GetString());
    return strText;
}

CString AttemptText(int nAttempt, int nDelaySeconds) {
    CString strText;
    if (nAttempt <= CRequestLedger::kMaxAttempts) {
        strText.Format("Versuch %d von %d", nAttempt, CRequestLedger::kMaxAttempts);
    } else {
        strText.Format("Versuch %d", nAttempt);
    }
    CString strNext;
    if (nDelaySeconds > 0) {
        strNext.Format(", n\xE4" "chster Versuch in %d Sekunden", nDelaySeconds);
    }
    return "(" + strText + "); der Auftrag bleibt in der Warteschlange" + strNext;
}

// Gives the whole transaction up, the claim included: the request stays queued as it was. Called
// right after the failure, while the connection still holds its diagnostics. What follows depends
// on what the failure means: the database does not fit, and the run ends; the request itself
// cannot be closed, and this run leaves it alone; otherwise it may pass, and the request is tried
// again later, ever less often.
RequestOutcome GiveBackAs(SqlFailure failure, CDbConnection& db, const ParamRecord& request, CRequestLedger& ledger,
                          const char* pszWhat, RequestReport* pReport) {
    pReport->failure = failure;
    const CString strWhat = RequestName(request) + ": " + pszWhat;
    const CString strDiagnostics = Diagnostics(db);
    if (failure == SqlFailure::Conflict && ledger.CountConflict(request) <= CRequestLedger::kMostConflicts) {
        db.Rollback();
        g_log.Write("Info : " + strWhat + ", alles zur\xFC" "ckgesetzt: ein anderer Knoten des Clusters kam mit "
                        "denselben Zeilen zuvor; neuer Versuch gleich. " + strDiagnostics,
                    true);
        return RequestOutcome::Conflict;
    }
    if (failure == SqlFailure::Installation) {
        const CString strText = WrongDatabaseText(db, strWhat);
        db.Rollback();
        g_log.WriteFatal(strText);
        return RequestOutcome::WrongDatabase;
    }
    db.Rollback();
    CString strText;
    if (failure == SqlFailure::RequestData) {
        ledger.MarkUnremovable(request);
        strText.Format("Fehler : %s, alles zur\xFC" "ckgesetzt; der Auftrag bleibt in der Warteschlange und wird in "
                       "diesem Lauf nicht mehr bearbeitet. %s",
                       strWhat.GetString(), strDiagnostics.GetString());
    } else {
        const int nAttempt = ledger.CountFailure(request, time(nullptr));
        strText.Format("Fehler : %s, alles zur\xFC" "ckgesetzt %s. %s", strWhat.GetString(),
                       AttemptText(nAttempt, ledger.DelaySeconds(request)).GetString(), strDiagnostics.GetString());
    }
    LogFailure(strText);
    return RequestOutcome::StillQueued;
}

RequestOutcome GiveBack(CDbConnection& db, const ParamRecord& request, CRequestLedger& ledger, const char* pszWhat,
                        RequestReport* pReport) {
    return GiveBackAs(db.ClassifyLastFailure(), db, request, ledger, pszWhat, pReport);
}

// What a failed rollback to the savepoint means. The savepoint was set in this transaction, so the
// rollback to it fails only when the transaction is gone: the connection is lost, or the server has
// rolled the whole transaction back. A node of a Galera cluster whose transaction lost to another
// node's says so by failing the next statement, a duplicate key of the rows the other node wrote
// among others; the savepoint is then unknown (MariaDB 1305, SQLSTATE 42000), which says nothing
// about the installation. Either way the work may succeed when it is done again.
SqlFailure LostSavepointFailure(const CDbConnection& db) {
    const SqlFailure failure = db.ClassifyLastFailure();
    if (failure == SqlFailure::ConnectionLost) {
        return failure;
    }
    return db.IsClusterNode() ? SqlFailure::Conflict : SqlFailure::Transient;
}

// A personnel number longer than the calculation's field names nobody the calculation could take:
// cut, it would be another person's.
bool HasValidPnr(const ParamRecord& request) {
    if (strnlen(request.storedPnr, sizeof(request.storedPnr)) <= kMaxPnrLength) {
        return true;
    }
    CString strText;
    strText.Format("Fehler : %s: die Personalnummer %s ist l\xE4nger als %zu Zeichen; der Auftrag wird ohne "
                   "Berechnung abgeschlossen.",
                   RequestName(request).GetString(), request.storedPnr, kMaxPnrLength);
    LogFailure(strText);
    return false;
}

// The person's later requests that the calculation of the claimed one serves as well: queued for
// the same calculation year, not left alone by this run, and not held by another connection. Each
// is claimed by its key and removed at once; a rollback to the savepoint queues it again.
//
// Claimed by its key, a request's entry in the index that the queue's claim reads stays unlocked.
// Another worker's claim that passes over the request locks that entry and keeps it until it
// commits; a removal at the close would wait for that worker, while that worker may wait for the
// daily rows written here (the delete of its person's range reads on to the first row of the next
// person): a deadlock. Removed before anything is written, the entry is this connection's, and the
// other claim passes over it without a lock.
int32_t JoinLaterRequests(CDbConnection& db, const CRequestLedger& ledger, const CShiftCalc& calc,
                          std::vector<ParamRecord>* pBatch) {
    std::vector<ParamRecord> later;
    const int32_t nResult = db.ReadLaterRequests(g_schema, g_user, pBatch->front(), kMostJoined, &later);
    if (nResult != db.m_nRcSuccess) {
        return nResult == db.m_nRcNoData ? db.m_nRcSuccess : nResult;
    }
    const time_t tNow = time(nullptr);
    for (ParamRecord& request : later) {
        if (IsSameRequest(request, pBatch->front()) || ledger.IsPassedOver(request, tNow) ||
            calc.CalcYearFor(request.PRMDTM) != calc.GetCalcYear()) {
            continue;
        }
        int32_t nJoined = db.ClaimRequestByKey(&request);
        if (nJoined == db.m_nRcSuccess) {
            nJoined = db.DeleteRequest(&request);
        }
        if (nJoined == db.m_nRcSuccess) {
            pBatch->push_back(request);
        } else if (nJoined != db.m_nRcNoData) {
            return nJoined;
        }
    }
    return db.m_nRcSuccess;
}

void LogJoined(const std::vector<ParamRecord>& batch, int32_t nCalcYear) {
    if (batch.size() < 2) {
        return;
    }
    CString strJoined;
    for (size_t i = 1; i < batch.size(); ++i) {
        CString strOne;
        strOne.Format("%s%s/%ld", i == 1 ? "" : ", ", FieldText(batch[i].PRMNUM, sizeof(batch[i].PRMNUM)).GetString(),
                      static_cast<long>(batch[i].PRMLFD));
        strJoined += strOne;
    }
    CString strText;
    strText.Format("Info : %s: zusammen mit %zu weiteren Auftr\xE4gen derselben Person f\xFCr das Jahr %d berechnet "
                   "(%s)",
                   RequestName(batch.front()).GetString(), batch.size() - 1, nCalcYear, strJoined.GetString());
    g_log.Write(strText, true);
}

// The calculation runs after a savepoint. When it fails for a fault of the request's own data, its
// writes are undone to the savepoint and the request is closed all the same; any other failure
// gives the whole request back. True when the requests of *pBatch are to be closed.
bool Calculate(CDbConnection& db, CRequestLedger& ledger, std::vector<ParamRecord>* pBatch, RequestOutcome* pOutcome,
               RequestReport* pReport) {
    // A copy: the requests that join it make the batch grow.
    const ParamRecord request = pBatch->front();
    if (!HasValidPnr(request)) {
        pReport->bFaulty = true;
        return true;
    }
    if (db.SetSavepoint() != 0) {
        *pOutcome = GiveBack(db, request, ledger, "Sicherungspunkt nicht gesetzt", pReport);
        return false;
    }
    CShiftCalc calc(db, request, g_log);
    bool bCalculated = calc.LoadContracts();
    if (bCalculated && !g_singleRequest) {
        if (JoinLaterRequests(db, ledger, calc, pBatch) != db.m_nRcSuccess) {
            *pOutcome = GiveBack(db, request, ledger, "weitere Auftr\xE4ge der Person nicht \xFC" "bernommen", pReport);
            return false;
        }
        calc.SetUserText(FieldText(pBatch->back().PRMERF, sizeof(pBatch->back().PRMERF)));
    }
    bCalculated = bCalculated && calc.getKvtBewData();
    if (bCalculated) {
        LogJoined(*pBatch, calc.GetCalcYear());
        return true;
    }
    if (db.ClassifyLastFailure() != SqlFailure::RequestData) {
        *pOutcome = GiveBack(db, request, ledger, "Berechnung abgebrochen", pReport);
        return false;
    }
    pBatch->resize(1);
    const CString strDiagnostics = Diagnostics(db);
    if (db.RollbackToSavepoint() != 0) {
        *pOutcome = GiveBackAs(LostSavepointFailure(db), db, request, ledger,
                               "Berechnung nicht zur\xFC" "ckgesetzt", pReport);
        return false;
    }
    CString strText;
    strText.Format("Fehler : %s: Berechnung fehlgeschlagen und zur\xFC"
                   "ckgesetzt, die gespeicherten Ergebnisse bleiben unver\xE4ndert; der Auftrag wird "
                   "abgeschlossen. %s",
                   RequestName(request).GetString(), strDiagnostics.GetString());
    LogFailure(strText);
    pReport->bFaulty = true;
    return true;
}

// The closing row of each request of the batch, in queue order, the removal of the claimed one
// (the others were removed when they joined), and the commit: the requests are done exactly when
// all of it is. A removal that finds no row has not removed the request, whatever else succeeded:
// it would be claimed again.
RequestOutcome Close(CDbConnection& db, const std::vector<ParamRecord>& batch, CRequestLedger& ledger,
                     RequestReport* pReport) {
    for (const ParamRecord& request : batch) {
        if (db.InsertErrorRow(FieldText(request.PRMNUM, sizeof(request.PRMNUM)), request.PRMLFD, request.PRMTYP,
                              FieldText(request.PRMPNR, sizeof(request.PRMPNR)),
                              FieldText(request.PRMFCD, sizeof(request.PRMFCD)), request.PRMDTM,
                              FieldText(request.PRMUHR, sizeof(request.PRMUHR)), 0, 0) != db.m_nRcSuccess) {
            return GiveBack(db, request, ledger, "Abschlusssatz nicht geschrieben", pReport);
        }
    }
    const ParamRecord& claimed = batch.front();
    const int32_t nDeleted = db.DeleteRequest(&claimed);
    if (nDeleted == db.m_nRcNoData) {
        db.Rollback();
        ledger.MarkUnremovable(claimed);
        pReport->failure = SqlFailure::RequestData;
        // On a cluster the node may not yet have applied another node's removal of the request.
        g_log.Write("Fehler : " + RequestName(claimed) +
                        ": Auftrag nicht gel\xF6scht, seine Nummer findet keine Zeile der Warteschlange (" +
                        (db.IsClusterNode() ? "ein anderer Knoten hat ihn schon abgeschlossen, oder die Nummer "
                                              "ist so nicht lesbar"
                                            : "die Nummer ist so nicht lesbar") +
                        "); alles zur\xFC" "ckgesetzt, der Auftrag bleibt in der Warteschlange und wird in diesem "
                        "Lauf nicht mehr bearbeitet.",
                    true, db.IsClusterNode() ? LogLevel::Warning : LogLevel::Error);
        return RequestOutcome::StillQueued;
    }
    if (nDeleted != db.m_nRcSuccess) {
        return GiveBack(db, claimed, ledger, "Auftrag nicht gel\xF6scht", pReport);
    }
    if (db.Commit() != db.m_nRcSuccess) {
        return GiveBack(db, batch.front(), ledger, "Commit fehlgeschlagen", pReport);
    }
    for (const ParamRecord& request : batch) {
        ledger.MarkClosed(request);
    }
    return RequestOutcome::Closed;
}

}  // namespace

RequestOutcome ProcessRequest(CDbConnection& db, const ParamRecord& request, CRequestLedger& ledger,
                              RequestReport* pReport) {
    RequestReport report;
    std::vector<ParamRecord> batch = {request};
    RequestOutcome outcome = RequestOutcome::StillQueued;
    if (Calculate(db, ledger, &batch, &outcome, &report)) {
        outcome = Close(db, batch, ledger, &report);
    }
    if (outcome == RequestOutcome::Closed) {
        report.closed = batch;
    }
    if (pReport != nullptr) {
        *pReport = report;
    }
    return outcome;
}

CString RequestName(const ParamRecord& request) {
    CString strName;
    strName.Format("Parametersatz %s, lfd. Nr. %ld, Personalnummer %s",
                   FieldText(request.PRMNUM, sizeof(request.PRMNUM)).GetString(), static_cast<long>(request.PRMLFD),
                   FieldText(request.PRMPNR, sizeof(request.PRMPNR)).GetString());
    return strName;
}

CString WrongDatabaseText(const CDbConnection& db, const CString& strWhat) {
    return "Fehler : " + strWhat +
           ": die Datenbank passt nicht zur Konfiguration, alles zur\xFC" "ckgesetzt und kein Auftrag ver\xE4ndert; "
           "Kvt wird beendet (Exitcode 5). Anweisung " +
           db.LastStatement() + ": " + Diagnostics(db);
}
