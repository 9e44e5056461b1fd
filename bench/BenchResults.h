// What the calculation of persons 1 to N must have left in the tenant schema, and what it did:
// the benchmark reports its figures only for a complete result.
#pragma once

#include "base/CString.h"
#include "bench/CBenchDatabase.h"

struct BenchResults {
    long nCalendarDays = -1;   // days of the benchmark year in the central calendar
    long nDailyRows = -1;      // daily rows of the year in ZTW332SFZ
    long nCarryOverRows = -1;  // carry-over rows of the following year in ZTW332SFV
};

// False when a count failed; the counts that could not be read stay -1.
bool CountBenchResults(CBenchDatabase& db, const CString& strSchema, int nPersons, BenchResults* pResults);

// Every day of the year for every person, and one carry-over row for each.
bool IsComplete(const BenchResults& results, int nPersons);
