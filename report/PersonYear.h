// One person's accounting year as kvt's own engine calculates it now: the same calculation that a
// request of kvt runs, inside the connection's transaction, which is rolled back at the end. The
// calculation's writes are kept instead of stored (report/CPreviewCalc.h), so nothing stored
// changes and no stored row is locked. The connection is borrowed for the call.
#pragma once

#include <cstdint>
#include <vector>

#include "base/CString.h"
#include "calc/ContractRecord.h"
#include "db/CDbConnection.h"
#include "report/ResultRows.h"

// The user text of the report's requests and of its calculations.
inline constexpr const char* kReportUser = "kvt-report";

struct PersonYear {
    CString strPnr;
    bool bListed = true;  // in ZTW300PNR, without which the calculation finds no day (read by the caller)
    int32_t nCalcYear = 0;
    int32_t nPeriodStart = 0;  // the accounting year; 0 when the person has no contract row at all
    int32_t nPeriodEnd = 0;
    // The contract rows as the calculation used them: clipped to the accounting year, with the
    // values of their rules. A row with validFrom 0 stands for a year without contracts.
    std::vector<ContractRecord> contracts;
    // The carry-over row of the calculation year: what the year before handed on.
    bool bCarryOver = false;
    double dCarryDays = 0.0;
    double dCarryShares = 0.0;
    int32_t nYearStartShares = 0;
    // The rows that the calculation replaces: the days of the accounting year (of the calendar year
    // of the calculation year when there is none) and the carry-over row of the following year.
    StoredResults stored;    // before the calculation
    StoredResults computed;  // what the calculation would store
    CString strFailure;      // what failed, with the database's diagnostics
};

enum class CalcOutcome {
    Done,
    Failed,         // a statement failed; the transaction was rolled back
    NotRolledBack,  // the rollback failed: the connection must not be used for anything more
};

// Calculates the accounting year that holds nDate (yyyymmdd) as a kvt request with that date
// would, reading the person's stored rows from the year before nDate to the year after it, which
// holds every accounting year that can hold nDate.
CalcOutcome CalculatePersonYear(CDbConnection& db, const CString& strPnr, int32_t nDate, PersonYear* pYear);

// The same on stored rows read before, which must hold those of the accounting year.
CalcOutcome CalculateOnStored(CDbConnection& db, const CString& strPnr, int32_t nDate,
                              const StoredResults& stored, PersonYear* pYear);

// The accounting year that a request dated in 1900 calculates, as the engine settles it: its
// calculation year and first day (0 when the person has no contract row). False when the
// contract rows cannot be read; *pstrFailure then says why. The transaction is left open.
bool SettleCurrentYear(CDbConnection& db, const CString& strPnr, int32_t* pnCalcYear, int32_t* pnStart,
                       CString* pstrFailure);

// Whether the person is in ZTW300PNR and whether it has a contract row: one that has neither is
// unknown. False when a read fails; *pstrFailure then says why. Ends the transaction.
bool ReadPersonListing(CDbConnection& db, const CString& strPnr, bool* pbListed, bool* pbContracts,
                       CString* pstrFailure);

// "<what>. SqlCode: n, SqlState: s, message" from the diagnostics of the connection.
CString DatabaseFailure(const CDbConnection& db, const char* pszWhat);

// Ends the person's transaction: Done when bCalculated, Failed when not, NotRolledBack when the
// rollback failed (*pYear's failure then says so).
CalcOutcome EndPersonTransaction(CDbConnection& db, bool bCalculated, PersonYear* pYear);
