#include "app/ProcessRequest.h"

#include "app/Globals.h"
#include "base/FieldText.h"
#include "calc/CShiftCalc.h"

namespace {

void LogFailure(const CString& strText) {
    g_log.Write(strText, true, LogLevel::Error);
}

// "Parametersatz <number>, lfd. Nr. <running number>, Personalnummer <pnr>"
CString RequestName(const ParamRecord& request) {
    CString strName;
    strName.Format("Parametersatz %s, lfd. Nr. %ld, Personalnummer %s",
                   FieldText(request.PRMNUM, sizeof(request.PRMNUM)).GetString(), static_cast<long>(request.PRMLFD),
                   FieldText(request.PRMPNR, sizeof(request.PRMPNR)).GetString());
    return strName;
}

CString Diagnostics(const CDbConnection& db) {
    CString strText;
    strText.Format("SqlCode: %ld, SqlState: %s, %s", static_cast<long>(db.GetSqlCode()),
                   db.GetSqlState().GetString(), db.GetSqlMessage().GetString());
    return strText;
}

// Gives the whole transaction up, the claim included: the request stays queued as it was. Called
// right after the failure, while the connection still holds its diagnostics. A failure that may
// pass is tried again after the pause, at most three times; one that will not pass makes the
// request one that this run leaves alone.
RequestOutcome GiveBack(CDbConnection& db, const ParamRecord& request, CRequestLedger& ledger, const char* pszWhat) {
    const CString strDiagnostics = Diagnostics(db);
    const bool bMayPass = db.ClassifyLastFailure() != SqlFailure::Permanent;
    db.Rollback();
    CString strText;
    const int nAttempt = ledger.CountAttempt(request);
    if (bMayPass && nAttempt <= CRequestLedger::kMaxAttempts) {
        strText.Format("Fehler : %s: %s, alles zur\xFC"
                       "ckgesetzt (Versuch %d von %d); der Auftrag bleibt in der Warteschlange. %s",
                       RequestName(request).GetString(), pszWhat, nAttempt, CRequestLedger::kMaxAttempts,
                       strDiagnostics.GetString());
    } else {
        ledger.MarkUnremovable(request);
        strText.Format("Fehler : %s: %s, alles zur\xFC"
                       "ckgesetzt; der Auftrag bleibt in der Warteschlange und wird in diesem Lauf nicht mehr "
                       "bearbeitet. %s",
                       RequestName(request).GetString(), pszWhat, strDiagnostics.GetString());
    }
    LogFailure(strText);
    return RequestOutcome::StillQueued;
}

// The calculation runs after a savepoint. When it fails for good (a refused row, a missing table
// or privilege) its writes are undone to the savepoint and the request is closed all the same; a
// failure that may pass gives the whole request back. A request that failed three times is closed
// without another attempt. True when the request is to be closed.
bool Calculate(CDbConnection& db, const ParamRecord& request, CRequestLedger& ledger, RequestOutcome* pOutcome) {
    CString strText;
    if (ledger.IsGivenUp(request)) {
        strText.Format("Fehler : %s: nach %d Versuchen nicht berechnet, die gespeicherten Ergebnisse bleiben "
                       "unver\xE4ndert; der Auftrag wird abgeschlossen.",
                       RequestName(request).GetString(), CRequestLedger::kMaxAttempts);
        LogFailure(strText);
        return true;
    }
    if (db.SetSavepoint() != 0) {
        *pOutcome = GiveBack(db, request, ledger, "Sicherungspunkt nicht gesetzt");
        return false;
    }
    CShiftCalc calc(db, request, g_log);
    if (calc.getKvtBewData()) {
        return true;
    }
    if (db.ClassifyLastFailure() != SqlFailure::Permanent) {
        *pOutcome = GiveBack(db, request, ledger, "Berechnung abgebrochen");
        return false;
    }
    const CString strDiagnostics = Diagnostics(db);
    if (db.RollbackToSavepoint() != 0) {
        *pOutcome = GiveBack(db, request, ledger, "Berechnung nicht zur\xFC" "ckgesetzt");
        return false;
    }
    strText.Format("Fehler : %s: Berechnung fehlgeschlagen und zur\xFC"
                   "ckgesetzt, die gespeicherten Ergebnisse bleiben unver\xE4ndert; der Auftrag wird "
                   "abgeschlossen. %s",
                   RequestName(request).GetString(), strDiagnostics.GetString());
    LogFailure(strText);
    return true;
}

// Closing row, removal and commit: the request is done exactly when all three are.
RequestOutcome Close(CDbConnection& db, const ParamRecord& request, CRequestLedger& ledger) {
    if (db.InsertErrorRow(FieldText(request.PRMNUM, sizeof(request.PRMNUM)), request.PRMLFD, request.PRMTYP,
                          FieldText(request.PRMPNR, sizeof(request.PRMPNR)),
                          FieldText(request.PRMFCD, sizeof(request.PRMFCD)), request.PRMDTM,
                          FieldText(request.PRMUHR, sizeof(request.PRMUHR)), 0, 0) != db.m_nRcSuccess) {
        return GiveBack(db, request, ledger, "Abschlusssatz nicht geschrieben");
    }
    const int32_t nDeleted = db.DeleteRequest(&request);
    if (nDeleted != db.m_nRcSuccess && nDeleted != db.m_nRcNoData) {
        return GiveBack(db, request, ledger, "Auftrag nicht gel\xF6scht");
    }
    if (db.Commit() != db.m_nRcSuccess) {
        return GiveBack(db, request, ledger, "Commit fehlgeschlagen");
    }
    return RequestOutcome::Closed;
}

}  // namespace

RequestOutcome ProcessRequest(CDbConnection& db, const ParamRecord& request, CRequestLedger& ledger) {
    RequestOutcome outcome = RequestOutcome::StillQueued;
    if (!Calculate(db, request, ledger, &outcome)) {
        return outcome;
    }
    return Close(db, request, ledger);
}
