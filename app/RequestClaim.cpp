#include "app/RequestClaim.h"

#include <algorithm>
#include <ctime>
#include <vector>

#include "app/Globals.h"
#include "app/ProcessRequest.h"

namespace {

// A request that the run has closed and that is queued all the same was not removed by its
// delete, whatever the delete reported: it is left alone, so that nothing is closed twice.
void LeaveAloneIfClosed(const ParamRecord& request, CRequestLedger& ledger) {
    if (!ledger.IsClosed(request) || ledger.IsUnremovable(request)) {
        return;
    }
    ledger.MarkUnremovable(request);
    g_log.Write("Fehler : " + RequestName(request) +
                    ": in diesem Lauf schon abgeschlossen und noch in der Warteschlange; er wird in diesem "
                    "Lauf nicht mehr bearbeitet.",
                true, LogLevel::Error);
}

// Whether an earlier request of the person is queued. One that this run leaves alone holds the
// person's later requests back for as long: that is said once for each of them.
int32_t WaitsForEarlier(CDbConnection& db, CRequestLedger& ledger, const ParamRecord& request, time_t tNow,
                        bool* pbWaits) {
    *pbWaits = false;
    ParamRecord earlier{};
    const int32_t nResult = db.ReadEarlierRequest(g_schema, g_user, request, &earlier);
    if (nResult != db.m_nRcSuccess) {
        return nResult == db.m_nRcNoData ? db.m_nRcSuccess : nResult;
    }
    earlier.PRMTYP = request.PRMTYP;
    *pbWaits = !IsSameRequest(earlier, request);
    if (*pbWaits && (g_singleRequest || ledger.IsPassedOver(earlier, tNow)) && ledger.NoteHeldBack(request)) {
        CString strText;
        strText.Format("Info : %s: wartet auf den fr\xFC" "heren Auftrag %s, lfd. Nr. %ld derselben Person%s",
                       RequestName(request).GetString(), earlier.storedNumber, static_cast<long>(earlier.PRMLFD),
                       g_singleRequest ? "" : ", der in diesem Lauf zur\xFC" "ckgestellt ist");
        g_log.Write(strText, true, LogLevel::Warning);
    }
    return db.m_nRcSuccess;
}

// Reads the first request and, while those read are all left alone or waiting, twice as many, up to
// as many as the run may pass over: the usual claim reads one row.
ClaimResult ClaimNext(CDbConnection& db, CRequestLedger& ledger, ParamRecord* pRequest) {
    const time_t tNow = time(nullptr);
    const int32_t nMost = 1 + ledger.PassedOverCount() + CRequestLedger::kMostWaiting;
    for (int32_t nRows = 1;; nRows = std::min(nRows * 2, nMost)) {
        std::vector<ParamRecord> claimed;
        const int32_t nResult = db.ReadNextRequests(g_schema, g_user, nRows, &claimed);
        if (nResult == db.m_nRcNoData) {
            return ClaimResult::Nothing;
        }
        if (nResult != db.m_nRcSuccess) {
            return ClaimResult::Failed;
        }
        for (const ParamRecord& request : claimed) {
            LeaveAloneIfClosed(request, ledger);
            if (ledger.IsPassedOver(request, tNow)) {
                continue;
            }
            bool bWaits = false;
            if (WaitsForEarlier(db, ledger, request, tNow, &bWaits) != db.m_nRcSuccess) {
                return ClaimResult::Failed;
            }
            if (!bWaits) {
                *pRequest = request;
                return ClaimResult::Claimed;
            }
        }
        if (static_cast<int32_t>(claimed.size()) < nRows || nRows >= nMost) {
            return ClaimResult::Nothing;
        }
    }
}

ClaimResult ClaimByNumber(CDbConnection& db, CRequestLedger& ledger, ParamRecord* pRequest) {
    const int32_t nResult = db.ReadRequestByNumber(g_schema, g_user, g_requestNumber, pRequest);
    if (nResult != db.m_nRcSuccess) {
        if (g_firstRead) {
            CString strText;
            strText.Format("Fehler beim Lesen Parametersatz: %s RC: %ld", g_requestNumber.GetString(),
                           static_cast<long>(nResult));
            g_log.Write(strText, true, LogLevel::Error);
        }
        return nResult == db.m_nRcNoData ? ClaimResult::Nothing : ClaimResult::Failed;
    }
    g_firstRead = false;
    bool bWaits = false;
    if (WaitsForEarlier(db, ledger, *pRequest, time(nullptr), &bWaits) != db.m_nRcSuccess) {
        return ClaimResult::Failed;
    }
    return bWaits ? ClaimResult::Waiting : ClaimResult::Claimed;
}

}  // namespace

ClaimResult ClaimRequest(CDbConnection& db, CRequestLedger& ledger, ParamRecord* pRequest) {
    return g_singleRequest ? ClaimByNumber(db, ledger, pRequest) : ClaimNext(db, ledger, pRequest);
}
