#include "calc/CShiftCalc.h"

#include <algorithm>
#include <ctime>

#include "base/FieldText.h"
#include "calc/DateAdd.h"

namespace {

int32_t CurrentYear() {
    const time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

}  // namespace

// A request dated in 1900 carries no year of its own: it concerns the current year.
int32_t CShiftCalc::RequestYear(int32_t nRequestDate) {
    const int32_t nYear = nRequestDate / 10000;
    return nYear == 1900 ? CurrentYear() : nYear;
}

CShiftCalc::CShiftCalc(CDbConnection& db, const ParamRecord& request, CLogFile& log)
    : m_db(db),
      m_log(log),
      m_strUser(FieldText(request.PRMERF, sizeof(request.PRMERF))),
      m_strPnr(FieldText(request.PRMPNR, sizeof(request.PRMPNR))),
      m_nRequestDate(request.PRMDTM),
      m_nCalcYear(RequestYear(request.PRMDTM)) {}

bool CShiftCalc::getKvtBewData() {
    ShiftRunState state;
    if (!LoadContracts() || !ReadCarryOver(&m_bCarryOverExists)) {
        return false;
    }
    m_nPeriodStart = m_contracts.GetAt(0)->periodStart;
    m_nPeriodEnd = m_contracts.GetAt(0)->periodEnd;
    // Without a carry-over row, the placeholder of a year without contracts has nothing to hand on:
    // no yearly row is written for it.
    if (!m_bCarryOverExists && m_contracts.GetAt(0)->validFrom == 0) {
        m_contracts.RemoveAll();
    }
    return ProcessContracts(&state) && DeleteUncoveredDays() && WriteCarryOverRow(state);
}

bool CShiftCalc::ReadCarryOver(bool* pbExists) {
    const int32_t nResult = m_db.ReadKvtSfvData(m_strPnr, m_nCalcYear, &m_carry.dDays, &m_carry.dShares,
                                                &m_carry.nYearStartShares);
    *pbExists = nResult == m_db.m_nRcSuccess;
    if (*pbExists || nResult == m_db.m_nRcNoData) {
        return true;
    }
    CString strText;
    strText.Format("Schichtfreizeit : Personalnummer %s, Jahr %d, Vortrag konnte nicht gelesen werden",
                   m_strPnr.GetString(), m_nCalcYear);
    LogFailure(strText);
    LogDatabaseError("ReadKvtSfvData");
    return false;
}

bool CShiftCalc::DeleteDailyRows(int32_t nFrom, int32_t nTo) {
    int32_t nResult = DeleteDays(nFrom, nTo);
    if (nResult == m_db.m_nRcNoData) {
        nResult = m_db.m_nRcSuccess;
    }
    return nResult == m_db.m_nRcSuccess;
}

void CShiftCalc::ReportError(const CString& strWhat, const CString& strDetail) {
    CString strText;
    strText.Format("Fehler bei PNR: %s, - %s : %s", m_strPnr.GetString(), strWhat.GetString(),
                   strDetail.GetString());
    LogFailure(strText);
}

// A statement that another node of a cluster came first to is no fault: the request is taken up
// again at once, and the lines are information.
void CShiftCalc::LogFailure(const CString& strText) {
    Log(strText, m_db.ClassifyLastFailure() == SqlFailure::Conflict ? LogLevel::Info : LogLevel::Error);
}

// The diagnostics of the statement that failed, in the form the run log has always shown them.
void CShiftCalc::LogDatabaseError(const char* pszFunction) {
    CString strText;
    strText.Format("Fehler : Datenbankfehler bei Funktion %s,   %ld\n%s\n%s\n", pszFunction,
                   static_cast<long>(m_db.GetSqlCode()), m_db.GetSqlState().GetString(),
                   m_db.GetSqlMessage().GetString());
    LogFailure(strText);
}

// The contract rows in order of their start. A later row begins the day after the previous row
// ended, whatever its own start, so that taken days and shares run on without a gap or overlap.
bool CShiftCalc::ProcessContracts(ShiftRunState* pState) {
    int32_t nPreviousValidTo = 0;
    for (int32_t i = 0; i < m_contracts.GetCount(); ++i) {
        const ContractRecord contract = *m_contracts.GetAt(i);
        const int32_t nStart = i == 0 ? contract.periodStart : DateAdd(nPreviousValidTo, 1, 0, 0);
        nPreviousValidTo = contract.validTo;
        if (nStart == 0 || contract.validTo == 0 || contract.validFrom == 0) {
            continue;
        }
        if (!ProcessContract(contract, nStart, pState)) {
            return false;
        }
        m_nCoveredTo = std::max(m_nCoveredTo, contract.validTo);
    }
    return true;
}

// The ranges run on from the first day of the accounting year, so the days that no range reached
// are those after the furthest end. Their rows are gone with the contract that covered them once
// (shortened, removed, or begun later): kept, they would be read as a balance that no calculation
// of the present data gives. Without any contract row there is no accounting year to clear.
// Only where rows are stored: a delete of a range without rows still locks the row after it, the
// next person's first, and two calculations of neighbours would wait for each other.
bool CShiftCalc::DeleteUncoveredDays() {
    const int32_t nFrom = m_nCoveredTo == 0 ? m_nPeriodStart : DateAdd(m_nCoveredTo, 1, 0, 0);
    if (m_nPeriodStart == 0 || nFrom > m_nPeriodEnd) {
        return true;
    }
    bool bAny = true;
    if (AnyDays(nFrom, m_nPeriodEnd, &bAny) != m_db.m_nRcSuccess) {
        LogDatabaseError("CountKvtSfzData");
        return false;
    }
    return !bAny || DeleteDaysOrReport(nFrom, m_nPeriodEnd);
}

bool CShiftCalc::DeleteDaysOrReport(int32_t nFrom, int32_t nTo) {
    if (DeleteDailyRows(nFrom, nTo)) {
        return true;
    }
    CString strText;
    strText.Format("Schichtfreizeit : Personalnummer %s, Bewegungsdaten konnten nicht gel\xF6scht werden",
                   m_strPnr.GetString());
    LogFailure(strText);
    LogDatabaseError("DeleteKvtSfzData");
    return false;
}

// One contract row: its days from nStart to its end, as far as they have happened, each computed
// as it is fetched; then the range's daily rows are stored together.
bool CShiftCalc::ProcessContract(const ContractRecord& contract, int32_t nStart, ShiftRunState* pState) {
    const int32_t nEnd = contract.validTo;
    const int32_t nYearEnd = contract.validFrom / 10000 * 10000 + 1231;
    const char* pszPnr = m_strPnr.GetString();
    CString strText;

    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    const int32_t nOpened = m_db.OpenKvtBewData(&hStmt, m_strPnr, FieldText(contract.ruleCode, sizeof(contract.ruleCode)),
                                                nStart, nEnd, contract.validFrom, nYearEnd);
    if (nOpened != 0) {
        strText.Format("Schichtfreizeit(getKvtBewData) : F\xFC"
                       "r die Personanummer %s von %d, bis %d, von %d, bis %d konnten keine Bewegungsdaten "
                       "ermittelt werden.",
                       pszPnr, nStart, nEnd, contract.validFrom, nYearEnd);
        LogFailure(strText);
        LogDatabaseError("OpenKvtBewData");
        m_db.ReleaseStatement(hStmt);
        return false;
    }

    strText.Format("Schichtfreizeit : Personalnummer %s, Jahr %d, Bewegungsdaten erfolgreich ermittelt", pszPnr,
                   m_nCalcYear);
    Log(strText);
    if (!DeleteDaysOrReport(nStart, nEnd)) {
        m_db.ReleaseStatement(hStmt);
        return false;
    }

    const double dRowBase = pState->dPreviousTaken;
    DailyRows rows;
    DayRecord day{};
    int32_t nFetched = m_db.FetchKvtBewData(&hStmt, &day);
    while (nFetched == m_db.m_nRcSuccess) {
        const ShiftDayResult result = ComputeShiftDay(contract, dRowBase, m_nCalcYear, m_carry, &day, pState);
        rows.Add(day, result);
        nFetched = m_db.FetchKvtBewData(&hStmt, &day);
    }
    if (nFetched != m_db.m_nRcNoData) {
        strText.Format("Schichtfreizeit(getKvtBewData) #2: F\xFC"
                       "r die Personanummer %s im Jahr %d konnten keine Bewegungsdaten ermittelt werden. "
                       "(lRC = %ld)",
                       pszPnr, m_nCalcYear, static_cast<long>(nFetched));
        LogFailure(strText);
        LogDatabaseError("FetchKvtBewData");
        return false;
    }
    m_db.ReleaseStatement(hStmt);
    return StoreDays(rows);
}

// A day whose row cannot be written ends the calculation: a hole in the series of days would be
// read as the person's balance.
bool CShiftCalc::StoreDays(const DailyRows& rows) {
    if (rows.Count() == 0 || InsertDays(rows) == m_db.m_nRcSuccess) {
        return true;
    }
    CString strText;
    strText.Format("Schichtfreizeit : Personalnummer %s, Bewegungsdaten konnten nicht geschrieben werden",
                   m_strPnr.GetString());
    LogFailure(strText);
    LogDatabaseError("InsertKvtSfzData");
    return false;
}

// The carry-over of the following year is replaced: the rest and the shares left of the last day
// computed. A year without contract rows only loses its old row.
bool CShiftCalc::WriteCarryOverRow(const ShiftRunState& state) {
    const int32_t nNextYear = m_nCalcYear + 1;
    const char* pszPnr = m_strPnr.GetString();
    CString strText;
    const int32_t nDeleted = DeleteCarryOverRow(nNextYear);
    if (nDeleted != m_db.m_nRcSuccess && nDeleted != m_db.m_nRcNoData) {
        strText.Format("Schichtfreizeit : Personalnummer %s, Jahr %d, Vortrag konnte nicht gel\xF6scht werden",
                       pszPnr, nNextYear);
        LogFailure(strText);
        LogDatabaseError("DeleteKvtSfvData");
        return false;
    }
    if (m_contracts.GetCount() == 0) {
        return true;
    }
    strText.Format("Schichtfreizeit Vortrag: Personanummer %s, Jahr %d, Rest: %f, Anteile: %f", pszPnr, nNextYear,
                   state.dRest, state.dSharesLeft);
    Log(strText);
    if (InsertCarryOverRow(nNextYear, state.dRest, state.dSharesLeft) != m_db.m_nRcSuccess) {
        strText.Format("Schichtfreizeit : Personalnummer %s, Jahr %d, Bewegungsdaten konnten nicht geschrieben werden",
                       pszPnr, nNextYear);
        LogFailure(strText);
        LogDatabaseError("InsertKvtSfvData");
        return false;
    }
    return true;
}

int32_t CShiftCalc::DeleteDays(int32_t nFrom, int32_t nTo) {
    return m_db.DeleteKvtSfzData(m_strPnr, nFrom, nTo);
}

int32_t CShiftCalc::AnyDays(int32_t nFrom, int32_t nTo, bool* pbAny) {
    int32_t nCount = 0;
    const int32_t nResult = m_db.CountKvtSfzData(m_strPnr, nFrom, nTo, &nCount);
    *pbAny = nCount > 0;
    return nResult;
}

int32_t CShiftCalc::InsertDays(const DailyRows& rows) {
    return m_db.InsertKvtSfzData(m_strPnr, m_strUser, rows);
}

int32_t CShiftCalc::DeleteCarryOverRow(int32_t nYear) {
    return m_db.DeleteKvtSfvData(m_strPnr, nYear, 0);
}

int32_t CShiftCalc::InsertCarryOverRow(int32_t nYear, double dRest, double dSharesLeft) {
    return m_db.InsertKvtSfvData(m_strPnr, m_strUser, nYear, dRest, dSharesLeft);
}
