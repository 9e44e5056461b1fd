// The contract periods of a request: the contract rows of the personnel number that overlap the
// accounting year, clipped to it, and the accounting year itself, settled from the request date
// and the rule of the first contract row.
#include <algorithm>
#include <cstring>

#include "calc/CShiftCalc.h"
#include "calc/DateAdd.h"

namespace {

struct AccountingYear {
    int32_t nStart = 0;
    int32_t nEnd = 0;
};

// The calendar year for kvtJmo 12, else the twelve months after month kvtJmo, starting in the
// calculation year or, when the request date lies before that start, in the year before. A month
// outside 0..12 has no meaning and counts as 12.
AccountingYear SettleAccountingYear(int32_t nJmo, int32_t nRequestDate, int32_t* pnCalcYear) {
    AccountingYear year;
    if (nJmo < 0 || nJmo >= 12) {
        year.nStart = *pnCalcYear * 10000 + 101;
        year.nEnd = *pnCalcYear * 10000 + 1231;
        return year;
    }
    year.nStart = *pnCalcYear * 10000 + nJmo * 100 + 101;
    if (year.nStart > nRequestDate) {
        --*pnCalcYear;
        year.nStart = *pnCalcYear * 10000 + nJmo * 100 + 101;
    }
    year.nEnd = DateAdd(year.nStart, -1, 0, 1);
    return year;
}

}  // namespace

bool CShiftCalc::LoadContracts() {
    if (m_bContractsLoaded) {
        return true;
    }
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    if (m_db.OpenKvtBsvData(&hStmt, m_strPnr) != 0) {
        ReportError("BSVINVALID", "");
        LogDatabaseError("OpenKvtBsvData");
        m_db.ReleaseStatement(hStmt);
        return false;
    }

    AccountingYear year;
    ContractRecord row{};
    int32_t nFetched = m_db.FetchKvtBsvData(&hStmt, &row);
    for (; nFetched == m_db.m_nRcSuccess; nFetched = m_db.FetchKvtBsvData(&hStmt, &row)) {
        if (year.nStart == 0) {
            m_nFirstJmo = row.kvtJmo;
            year = SettleAccountingYear(row.kvtJmo, m_nRequestDate, &m_nCalcYear);
        }
        if (row.validTo == 0) {
            row.validTo = year.nEnd;
        }
        if (row.validFrom < year.nEnd && row.validTo > year.nStart) {
            row.validFrom = std::max(row.validFrom, year.nStart);
            row.validTo = std::min(row.validTo, year.nEnd);
            row.periodStart = year.nStart;
            row.periodEnd = year.nEnd;
            if (row.kvtTkt > row.kvtAnz) {
                row.kvtTkt = 0;
            }
            m_contracts.Add(row);
        }
    }
    // Rows that cannot all be read are no contract periods to calculate with.
    if (nFetched != m_db.m_nRcNoData) {
        ReportError("BSVINVALID", m_db.GetSqlMessage());
        LogDatabaseError("FetchKvtBsvData");
        return false;
    }
    m_db.ReleaseStatement(hStmt);

    // A year without contract rows still carries its person and accounting year; its dates of 0
    // make the calculation skip it.
    if (m_contracts.GetCount() == 0) {
        ContractRecord placeholder{};
        std::strncpy(placeholder.pnr, m_strPnr.GetString(), sizeof(placeholder.pnr) - 1);
        placeholder.periodStart = year.nStart;
        placeholder.periodEnd = year.nEnd;
        m_contracts.Add(placeholder);
    }
    m_bContractsLoaded = true;
    return true;
}

// The accounting year is settled from the first contract row's KVTJMO whatever the request date,
// so requests of the same person compare by the same rule.
int32_t CShiftCalc::CalcYearFor(int32_t nRequestDate) const {
    int32_t nCalcYear = RequestYear(nRequestDate);
    if (m_nFirstJmo >= 0) {
        SettleAccountingYear(m_nFirstJmo, nRequestDate, &nCalcYear);
    }
    return nCalcYear;
}
