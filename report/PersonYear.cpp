#include "report/PersonYear.h"

#include <cstring>

#include "calc/CShiftCalc.h"
#include "calc/DateAdd.h"
#include "log/CLogFile.h"

namespace {

// The user text goes only into the rows that are rolled back. That of the stored rows keeps every
// rewritten row at its length, so that the server changes it in place: a text of another length
// makes it move each row, which on MariaDB made the calculation and its rollback a third slower.
ParamRecord RequestFor(const CString& strPnr, int32_t nDate, const CString& strStoredUser) {
    ParamRecord request{};
    std::strncpy(request.PRMPNR, strPnr.GetString(), sizeof(request.PRMPNR) - 1);
    std::strncpy(request.PRMERF, strStoredUser.IsEmpty() ? kReportUser : strStoredUser.GetString(),
                 sizeof(request.PRMERF) - 1);
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
}

// Everything but the rollback. The engine's run log stays unnamed: its entries would tell the
// operators of kvt about calculations that were never stored.
bool Calculate(CDbConnection& db, int32_t nDate, bool bReadStored, PersonYear* pYear) {
    const int32_t nFirstDay = DateAdd(nDate, 0, 0, -1);
    const int32_t nLastDay = DateAdd(nDate, 0, 0, 1);
    const int32_t nYear = nDate / 10000;
    if (bReadStored &&
        db.ReadKvtResults(pYear->strPnr, nFirstDay, nLastDay, nYear, nYear + 1, &pYear->stored) != 0) {
        pYear->strFailure = Failure(db, "Gespeicherte Ergebnisse nicht gelesen");
        return false;
    }
    CLogFile silentLog;
    CShiftCalc calc(db, RequestFor(pYear->strPnr, nDate, pYear->stored.strUserText), silentLog);
    if (!calc.getKvtBewData()) {
        pYear->strFailure = Failure(db, "Berechnung fehlgeschlagen");
        return false;
    }
    TakeContracts(calc, pYear);
    const int32_t nCarry = db.ReadKvtSfvData(pYear->strPnr, pYear->nCalcYear, &pYear->dCarryDays,
                                             &pYear->dCarryShares, &pYear->nYearStartShares);
    pYear->bCarryOver = nCarry == db.m_nRcSuccess;
    if (nCarry != db.m_nRcSuccess && nCarry != db.m_nRcNoData) {
        pYear->strFailure = Failure(db, "Vortrag nicht gelesen");
        return false;
    }
    if (db.ReadKvtResults(pYear->strPnr, nFirstDay, nLastDay, nYear, nYear + 1, &pYear->computed) != 0) {
        pYear->strFailure = Failure(db, "Berechnete Ergebnisse nicht gelesen");
        return false;
    }
    return true;
}

}  // namespace

CalcOutcome CalculatePersonYear(CDbConnection& db, const CString& strPnr, int32_t nDate, bool bReadStored,
                                PersonYear* pYear) {
    *pYear = PersonYear();
    pYear->strPnr = strPnr;
    const bool bCalculated = Calculate(db, nDate, bReadStored, pYear);
    if (db.Rollback() != 0) {
        pYear->strFailure = Failure(db,
                                    "Zur\xFC"
                                    "cksetzen fehlgeschlagen");
        return CalcOutcome::NotRolledBack;
    }
    return bCalculated ? CalcOutcome::Done : CalcOutcome::Failed;
}
