// The accounting years of a person that --check looks at when no year is named: every year from a
// first one on for which daily rows are stored, and the year that kvt calculates for a request
// dated in 1900, each calculated on the person's stored rows read once. A year without stored
// daily rows is left out unless the scope asks for the missing ones. The connection is borrowed
// for the call.
#pragma once

#include <cstdint>
#include <vector>

#include "report/PersonYear.h"

struct CheckScope {
    int32_t nSince = 0;     // the first year; 0: the accounting year before the one that holds nToday
    bool bMissing = false;  // also the years from nSince on without stored daily rows
    int32_t nToday = 0;     // yyyymmdd
};

// The years in their order. When something fails, the last element holds the failure.
CalcOutcome CalculateStoredYears(CDbConnection& db, const CString& strPnr, const CheckScope& scope,
                                 std::vector<PersonYear>* pYears);
