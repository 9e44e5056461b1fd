// The explanation of one accounting year in numbers: the daily rows that the calculation stores,
// with what follows from them for the carry-over, as a table by month or by day. Every column is
// a stored column or follows from stored columns and the deadline of the carry-over:
//   Anteile       shares earned in the month or on the day (change of SFZANT; on the first day
//                 less the shares the year started with)
//   Anteile kum.  cumulative shares (SFZANT)          Anspruch   free days earned (SFZANS)
//   genommen      free days taken (SFZGEN)            geplant    free days planned later (SFZVPL)
//   Vortrag       usable carry-over days (SFZVTG)
//   genutzt       carry-over days used: the days taken, as far as the carry-over covers them,
//                 until the deadline; from the deadline on, what was used by then
//   verfallen     carry-over days lost at the deadline: usable but not used by then
//   Rest          the balance (SFZRST) = Anspruch + Vortrag - genommen - geplant, from the
//                 deadline on with genutzt in place of Vortrag
#pragma once

#include <cstdint>
#include <vector>

#include "report/PersonYear.h"
#include "report/ReportTable.h"

struct ExplainedDay {
    const ResultRow* pRow = nullptr;
    double dShares = 0.0;   // earned on the day
    double dUsed = 0.0;     // carry-over days used up to the day
    double dExpired = 0.0;  // carry-over days lost on the day (only on the deadline)
};

// The daily rows of the accounting year, computed, with the carry-over deadline of the first
// contract row's rule (0 without a contract row).
struct ExplainedYear {
    int32_t nDeadline = 0;
    double dExpired = 0.0;
    std::vector<ExplainedDay> days;
};

// The first day of the month after month nVmo of the calculation year, from which carry-over days
// not used count no more, as the calculation has it (12: January 1 of the following year).
int32_t CarryOverDeadlineOf(int32_t nVmo, int32_t nCalcYear);

// The rows of pYear->computed that lie in the accounting year; the result points into them.
ExplainedYear ExplainYear(const PersonYear& year);

// One row per month (or per day with bDays) that has daily rows; with bWithPnr the personnel
// number is the first column, for output that holds several persons.
ReportTable BuildYearTable(const PersonYear& year, const ExplainedYear& explained, bool bDays, bool bWithPnr);
