#include "bench/BenchResults.h"

#include "bench/BenchData.h"

namespace {

const char* const kCalendarDays =
    "SELECT COUNT(*) FROM ZTWBASIS.ZTW133BAK WHERE BAKDTM BETWEEN '%d-01-01' AND '%d-12-31'";

// The personnel numbers are of one width, so the persons of the run are a range of them.
const char* const kDailyRows =
    "SELECT COUNT(*) FROM %s.ZTW332SFZ "
    "WHERE SFZPNR BETWEEN '%s' AND '%s' AND SFZDTM BETWEEN '%d-01-01' AND '%d-12-31'";
const char* const kCarryOverRows =
    "SELECT COUNT(*) FROM %s.ZTW332SFV WHERE SFVPNR BETWEEN '%s' AND '%s' AND SFVJHR = %d AND SFVMAN = 0";

}  // namespace

bool CountBenchResults(CBenchDatabase& db, const CString& strSchema, int nPersons, BenchResults* pResults) {
    const CString strFirst = BenchPnr(1);
    const CString strLast = BenchPnr(nPersons);
    CString strSql;
    strSql.Format(kCalendarDays, kBenchYear, kBenchYear);
    pResults->nCalendarDays = db.QueryLong(strSql);
    strSql.Format(kDailyRows, strSchema.GetString(), strFirst.GetString(), strLast.GetString(), kBenchYear,
                  kBenchYear);
    pResults->nDailyRows = db.QueryLong(strSql);
    strSql.Format(kCarryOverRows, strSchema.GetString(), strFirst.GetString(), strLast.GetString(),
                  kBenchYear + 1);
    pResults->nCarryOverRows = db.QueryLong(strSql);
    return pResults->nCalendarDays >= 0 && pResults->nDailyRows >= 0 && pResults->nCarryOverRows >= 0;
}

bool IsComplete(const BenchResults& results, int nPersons) {
    return results.nCalendarDays > 0 && results.nDailyRows == results.nCalendarDays * nPersons &&
           results.nCarryOverRows == nPersons;
}
