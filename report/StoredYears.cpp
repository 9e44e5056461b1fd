#include "report/StoredYears.h"

#include <algorithm>
#include <set>

#include "calc/DateAdd.h"

namespace {

constexpr int32_t kLastDay = 99991231;
constexpr int32_t kLastYear = 9999;

// The year in which the accounting year that holds nDay begins.
int32_t BeginYear(int32_t nDay, int32_t nMonthDay) {
    return nDay % 10000 >= nMonthDay ? nDay / 10000 : nDay / 10000 - 1;
}

int32_t LastDayOfYear(int32_t nYear, int32_t nMonthDay) {
    return DateAdd(nYear * 10000 + nMonthDay, -1, 0, 1);
}

// Ends the transaction when no year is calculated; a failure is kept as the last element.
CalcOutcome EndWithoutYear(CDbConnection& db, const CString& strPnr, const CString& strFailure,
                           std::vector<PersonYear>* pYears) {
    PersonYear ended;
    ended.strPnr = strPnr;
    const CalcOutcome outcome = EndPersonTransaction(db, strFailure.IsEmpty(), &ended);
    if (outcome == CalcOutcome::Failed) {
        ended.strFailure = strFailure;
    }
    if (outcome != CalcOutcome::Done) {
        pYears->push_back(ended);
    }
    return outcome;
}

}  // namespace

// Every accounting year of a person begins on the same day of the year: the rule of the first
// contract row decides it, whatever the year. Without a contract row the calculation changes no
// day, and the calendar years stand for the accounting years.
CalcOutcome CalculateStoredYears(CDbConnection& db, const CString& strPnr, const CheckScope& scope,
                                 std::vector<PersonYear>* pYears) {
    int32_t nCurrent = 0;
    int32_t nStart = 0;
    CString strFailure;
    if (!SettleCurrentYear(db, strPnr, &nCurrent, &nStart, &strFailure)) {
        return EndWithoutYear(db, strPnr, strFailure, pYears);
    }
    const int32_t nMonthDay = nStart != 0 ? nStart % 10000 : 101;
    const int32_t nYearOfToday = BeginYear(scope.nToday, nMonthDay);
    const int32_t nSince = scope.nSince != 0 ? scope.nSince : nYearOfToday - 1;
    const int32_t nFirst = std::min(nSince, nCurrent);
    StoredResults stored;
    if (db.ReadKvtResults(strPnr, nFirst * 10000 + 101, kLastDay, nFirst + 1, kLastYear, &stored) != 0) {
        return EndWithoutYear(db, strPnr, DatabaseFailure(db, "Gespeicherte Ergebnisse nicht gelesen"),
                              pYears);
    }
    std::set<int32_t> years;
    for (const ResultRow& row : stored.days) {
        const int32_t nYear = BeginYear(row.key, nMonthDay);
        if (nYear >= nSince || nYear == nCurrent) {
            years.insert(nYear);
        }
    }
    if (scope.bMissing) {
        years.insert(nCurrent);
        for (int32_t nYear = nSince; nYear <= std::max(nCurrent, nYearOfToday); ++nYear) {
            years.insert(nYear);
        }
    }
    for (const int32_t nYear : years) {
        pYears->emplace_back();
        const CalcOutcome outcome =
            CalculateOnStored(db, strPnr, LastDayOfYear(nYear, nMonthDay), stored, &pYears->back());
        if (outcome != CalcOutcome::Done) {
            return outcome;
        }
    }
    return years.empty() ? EndWithoutYear(db, strPnr, CString(), pYears) : CalcOutcome::Done;
}
