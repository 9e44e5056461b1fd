#include "report/PersonYear.h"

#include <cstring>

#include "calc/DateAdd.h"
#include "log/CLogFile.h"
#include "report/CPreviewCalc.h"

namespace {

ParamRecord RequestFor(const CString& strPnr, int32_t nDate) {
    ParamRecord request{};
    std::strncpy(request.PRMPNR, strPnr.GetString(), sizeof(request.PRMPNR) - 1);
    std::strncpy(request.PRMERF, kReportUser, sizeof(request.PRMERF) - 1);
    request.PRMTYP = 5;
    request.PRMDTM = nDate;
    return request;
}

CString Failure(const CDbConnection& db, const char* pszWhat) {
    CString strText;
    strText.Format("%s. SqlCode: %ld, SqlState: %s, %s", pszWhat, static_cast<long>(db.GetSqlCode()),
                   db.GetSqlState().GetString(), db.GetSqlMessage().GetString());
    return strText;
}

// The engine's view of the year, as it settled it.
void TakeContracts(CShiftCalc& calc, PersonYear* pYear) {
    CContractArray& contracts = calc.GetContracts();
    pYear->nCalcYear = calc.GetCalcYear();
    for (int32_t i = 0; i < contracts.GetCount(); ++i) {
        pYear->contracts.push_back(*contracts.GetAt(i));
    }
    if (!pYear->contracts.empty()) {
        pYear->nPeriodStart = pYear->contracts.front().periodStart;
        pYear->nPeriodEnd = pYear->contracts.front().periodEnd;
    }
    pYear->bCarryOver = calc.HasCarryOver();
    pYear->dCarryDays = calc.GetCarryOver().dDays;
    pYear->dCarryShares = calc.GetCarryOver().dShares;
    pYear->nYearStartShares = calc.GetCarryOver().nYearStartShares;
}

// Everything but the rollback. The engine's run log stays unnamed: its entries would tell the
// operators of kvt about calculations that were never stored.
bool Calculate(CDbConnection& db, int32_t nDate, PersonYear* pYear) {
    const int32_t nFirstDay = DateAdd(nDate, 0, 0, -1);
    const int32_t nLastDay = DateAdd(nDate, 0, 0, 1);
    const int32_t nYear = nDate / 10000;
    if (db.ReadKvtResults(pYear->strPnr, nFirstDay, nLastDay, nYear, nYear + 1, &pYear->stored) != 0) {
        pYear->strFailure = Failure(db, "Gespeicherte Ergebnisse nicht gelesen");
        return false;
    }
    CLogFile silentLog;
    CPreviewCalc calc(db, RequestFor(pYear->strPnr, nDate), silentLog, pYear->stored);
    if (!calc.getKvtBewData()) {
        pYear->strFailure = Failure(db, "Berechnung fehlgeschlagen");
        return false;
    }
    TakeContracts(calc, pYear);
    pYear->computed = calc.Results(nFirstDay, nLastDay, nYear, nYear + 1);
    return true;
}

}  // namespace

CalcOutcome CalculatePersonYear(CDbConnection& db, const CString& strPnr, int32_t nDate, PersonYear* pYear) {
    *pYear = PersonYear();
    pYear->strPnr = strPnr;
    const bool bCalculated = Calculate(db, nDate, pYear);
    if (db.Rollback() != 0) {
        pYear->strFailure = Failure(db,
                                    "Zur\xFC"
                                    "cksetzen fehlgeschlagen");
        return CalcOutcome::NotRolledBack;
    }
    return bCalculated ? CalcOutcome::Done : CalcOutcome::Failed;
}
