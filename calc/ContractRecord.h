// ContractRecord: one contract row of a personnel number joined with the parameters of its
// free-time rule, filled column by column by the ODBC driver. A plain record without pointers:
// the contract array copies it byte for byte.
#pragma once

#include <cstdint>

struct ContractRecord {
    char pnr[9];          // personnel number of the contract row
    int32_t validFrom;    // first day of validity, yyyymmdd
    int32_t validTo;      // last day of validity, yyyymmdd; 0 = open-ended
    char ruleCode[6];     // free-time rule; selects the qualifying shifts of the per-day query
    int32_t kvtAnz;       // shares that make one free day
    int32_t kvtTkt;       // step in shares at which part of a day is granted; 0 = whole days only
    int32_t kvtMax;       // cap on the cumulative shares of the accounting year
    int32_t kvtVmo;       // last month in which the previous year's carry-over days can be used
    int32_t kvtJmo;       // last month of the accounting year; 12 = calendar year
    int32_t periodStart;  // first day of the accounting year, set when the contracts are loaded
    int32_t periodEnd;    // last day of the accounting year, set when the contracts are loaded
};
