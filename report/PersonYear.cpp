#include "report/PersonYear.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "calc/DateAdd.h"
#include "log/CLogFile.h"
#include "report/CPreviewCalc.h"

namespace {

// kvt reads a request dated in 1900 as one for the current year.
constexpr int32_t kCurrentYearDate = 19000101;

ParamRecord RequestFor(const CString& strPnr, int32_t nDate) {
    ParamRecord request{};
    std::strncpy(request.PRMPNR, strPnr.GetString(), sizeof(request.PRMPNR) - 1);
    std::strncpy(request.PRMERF, kReportUser, sizeof(request.PRMERF) - 1);
    request.PRMTYP = 5;
    request.PRMDTM = nDate;
    return request;
}

std::vector<ResultRow> Between(const std::vector<ResultRow>& rows, int32_t nFirst, int32_t nLast) {
    std::vector<ResultRow> kept;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(kept),
                 [=](const ResultRow& row) { return row.key >= nFirst && row.key <= nLast; });
    return kept;
}

// The engine's view of the year, as it settled it.
void TakeContracts(CShiftCalc& calc, PersonYear* pYear) {
    CContractArray& contracts = calc.GetContracts();
    pYear->nCalcYear = calc.GetCalcYear();
    pYear->nPeriodStart = calc.GetPeriodStart();
    pYear->nPeriodEnd = calc.GetPeriodEnd();
    for (int32_t i = 0; i < contracts.GetCount(); ++i) {
        pYear->contracts.push_back(*contracts.GetAt(i));
    }
    pYear->bCarryOver = calc.HasCarryOver();
    pYear->dCarryDays = calc.GetCarryOver().dDays;
    pYear->dCarryShares = calc.GetCarryOver().dShares;
    pYear->nYearStartShares = calc.GetCarryOver().nYearStartShares;
}

// Everything but the rollback. The engine's run log stays unnamed: its entries would tell the
// operators of kvt about calculations that were never stored.
bool Calculate(CDbConnection& db, int32_t nDate, const StoredResults& stored, PersonYear* pYear) {
    CLogFile silentLog;
    CPreviewCalc calc(db, RequestFor(pYear->strPnr, nDate), silentLog, stored);
    if (!calc.getKvtBewData()) {
        pYear->strFailure = DatabaseFailure(db, "Berechnung fehlgeschlagen");
        return false;
    }
    TakeContracts(calc, pYear);
    // Without an accounting year the calculation changes no day; the calendar year stands for it.
    const int32_t nFirstDay = pYear->nPeriodStart != 0 ? pYear->nPeriodStart : pYear->nCalcYear * 10000 + 101;
    const int32_t nLastDay = pYear->nPeriodStart != 0 ? pYear->nPeriodEnd : pYear->nCalcYear * 10000 + 1231;
    const int32_t nNextYear = pYear->nCalcYear + 1;
    pYear->computed = calc.Results(nFirstDay, nLastDay, nNextYear, nNextYear);
    pYear->stored.days = Between(stored.days, nFirstDay, nLastDay);
    pYear->stored.years = Between(stored.years, nNextYear, nNextYear);
    pYear->stored.dayDecimals = stored.dayDecimals;
    pYear->stored.yearDecimals = stored.yearDecimals;
    return true;
}

}  // namespace

CString DatabaseFailure(const CDbConnection& db, const char* pszWhat) {
    CString strText;
    strText.Format("%s. SqlCode: %ld, SqlState: %s, %s", pszWhat, static_cast<long>(db.GetSqlCode()),
                   db.GetSqlState().GetString(), db.GetSqlMessage().GetString());
    return strText;
}

CalcOutcome EndPersonTransaction(CDbConnection& db, bool bCalculated, PersonYear* pYear) {
    if (db.Rollback() != 0) {
        pYear->strFailure = DatabaseFailure(db,
                                            "Zur\xFC"
                                            "cksetzen fehlgeschlagen");
        return CalcOutcome::NotRolledBack;
    }
    return bCalculated ? CalcOutcome::Done : CalcOutcome::Failed;
}

CalcOutcome CalculatePersonYear(CDbConnection& db, const CString& strPnr, int32_t nDate, PersonYear* pYear) {
    *pYear = PersonYear();
    pYear->strPnr = strPnr;
    const int32_t nYear = nDate / 10000;
    StoredResults stored;
    if (db.ReadKvtResults(strPnr, DateAdd(nDate, 0, 0, -1), DateAdd(nDate, 0, 0, 1), nYear, nYear + 1,
                          &stored) != 0) {
        pYear->strFailure = DatabaseFailure(db, "Gespeicherte Ergebnisse nicht gelesen");
        return EndPersonTransaction(db, false, pYear);
    }
    return EndPersonTransaction(db, Calculate(db, nDate, stored, pYear), pYear);
}

CalcOutcome CalculateOnStored(CDbConnection& db, const CString& strPnr, int32_t nDate,
                              const StoredResults& stored, PersonYear* pYear) {
    *pYear = PersonYear();
    pYear->strPnr = strPnr;
    return EndPersonTransaction(db, Calculate(db, nDate, stored, pYear), pYear);
}

bool SettleCurrentYear(CDbConnection& db, const CString& strPnr, int32_t* pnCalcYear, int32_t* pnStart,
                       CString* pstrFailure) {
    CLogFile silentLog;
    CShiftCalc calc(db, RequestFor(strPnr, kCurrentYearDate), silentLog);
    if (!calc.LoadContracts()) {
        *pstrFailure = DatabaseFailure(db, "Vertragszeilen nicht gelesen");
        return false;
    }
    *pnCalcYear = calc.GetCalcYear();
    *pnStart = calc.GetContracts().GetAt(0)->periodStart;
    return true;
}

bool ReadPersonListing(CDbConnection& db, const CString& strPnr, bool* pbListed, bool* pbContracts,
                       CString* pstrFailure) {
    int32_t nCalcYear = 0;
    int32_t nStart = 0;
    bool bRead = db.ReadKvtPersonListed(strPnr, pbListed) == 0;
    if (!bRead) {
        *pstrFailure = DatabaseFailure(db, "Personalnummer nicht gelesen");
    } else {
        bRead = SettleCurrentYear(db, strPnr, &nCalcYear, &nStart, pstrFailure);
    }
    *pbContracts = nStart != 0;
    if (db.Rollback() != 0 && bRead) {
        *pstrFailure = DatabaseFailure(db,
                                       "Zur\xFC"
                                       "cksetzen fehlgeschlagen");
        return false;
    }
    return bRead;
}
