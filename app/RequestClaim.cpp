#include "app/RequestClaim.h"

#include <algorithm>
#include <ctime>
#include <vector>

#include "app/Globals.h"
#include "base/FieldText.h"

namespace {

// A request that the run has closed and that is queued all the same was not removed by its
// delete, whatever the delete reported: it is left alone, so that nothing is closed twice.
void LeaveAloneIfClosed(const ParamRecord& request, CRequestLedger& ledger) {
    if (!ledger.IsClosed(request) || ledger.IsUnremovable(request)) {
        return;
    }
    ledger.MarkUnremovable(request);
    CString strText;
    strText.Format("Fehler : Parametersatz %s, lfd. Nr. %ld, Personalnummer %s: in diesem Lauf schon "
                   "abgeschlossen und noch in der Warteschlange; er wird in diesem Lauf nicht mehr bearbeitet.",
                   FieldText(request.PRMNUM, sizeof(request.PRMNUM)).GetString(), static_cast<long>(request.PRMLFD),
                   FieldText(request.PRMPNR, sizeof(request.PRMPNR)).GetString());
    g_log.Write(strText, true, LogLevel::Error);
}

// Reads the first request and, while those read are all left alone, twice as many, up to as many
// as the ledger may leave alone: the usual claim reads one row.
int32_t ClaimNext(CDbConnection& db, CRequestLedger& ledger, ParamRecord* pRequest) {
    const time_t tNow = time(nullptr);
    const int32_t nMost = 1 + ledger.PassedOverCount();
    for (int32_t nRows = 1;; nRows = std::min(nRows * 2, nMost)) {
        std::vector<ParamRecord> claimed;
        const int32_t nResult = db.ReadNextRequests(g_schema, g_user, nRows, &claimed);
        if (nResult != db.m_nRcSuccess) {
            return nResult;
        }
        for (const ParamRecord& request : claimed) {
            LeaveAloneIfClosed(request, ledger);
            if (!ledger.IsPassedOver(request, tNow)) {
                *pRequest = request;
                return db.m_nRcSuccess;
            }
        }
        if (static_cast<int32_t>(claimed.size()) < nRows || nRows >= nMost) {
            return db.m_nRcNoData;
        }
    }
}

}  // namespace

int32_t ClaimRequest(CDbConnection& db, CRequestLedger& ledger, ParamRecord* pRequest) {
    if (!g_singleRequest) {
        return ClaimNext(db, ledger, pRequest);
    }
    const int32_t nResult = db.ReadRequestByNumber(g_schema, g_user, g_requestNumber, pRequest);
    if (nResult == db.m_nRcSuccess) {
        g_firstRead = false;
    } else if (g_firstRead) {
        CString strText;
        strText.Format("Fehler beim Lesen Parametersatz: %s RC: %ld", g_requestNumber.GetString(),
                       static_cast<long>(nResult));
        g_log.Write(strText, true, LogLevel::Error);
    }
    return nResult;
}
