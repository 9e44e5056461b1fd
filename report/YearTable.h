// The explanation of one accounting year in numbers: the daily rows that the calculation stores,
// with what follows from them and the rules of the day for the carry-over, as a table by month or
// by day. Every column is a stored column or follows from stored columns and the contract row
// whose rules the calculation used on the day:
//   Anteile       shares earned in the month or on the day (change of SFZANT; on the first day
//                 less the shares the year started with)
//   Anteile kum.  cumulative shares (SFZANT)          Anspruch   free days earned (SFZANS)
//   genommen      free days taken (SFZGEN)            geplant    free days planned later (SFZVPL)
//   Vortrag       the carry-over days as they count on the day: SFZVTG before the deadline of
//                 the day's rule, 0 from it on and where the rule lets none count (KVTVMO 0)
//   genutzt       from the deadline on: the carry-over days that the days taken used by then,
//                 which count in place of the Vortrag
//   verfallen     carry-over days lost at a deadline: usable but not used by then
//   Rest          the balance (SFZRST) = Anspruch + Vortrag + genutzt - genommen - geplant
// Beside them the stored balance where the stored rows differ, and a note on the last day of a
// year still running. The result points into the PersonYear it was made from.
#pragma once

#include <cstdint>
#include <vector>

#include "report/ContractRanges.h"
#include "report/PersonYear.h"
#include "report/ReportTable.h"

struct ExplainedDay {
    const ResultRow* pRow = nullptr;     // as computed
    const ResultRow* pStored = nullptr;  // as stored; nullptr when there is no stored row
    bool bStoredDiffers = false;         // not stored, or stored with other values
    int nRange = -1;                     // the contract range whose rules computed the day
    double dShares = 0.0;                // earned on the day
    double dCarry = 0.0;                 // the Vortrag column
    double dUsed = 0.0;                  // the genutzt column
    double dExpired = 0.0;               // carry-over days lost on the day
};

// A day from which the carry-over stops counting, after days on which it counted.
struct CarryDeadline {
    int32_t nDay = 0;
    int nRange = -1;
    double dExpired = 0.0;
};

struct ExplainedYear {
    std::vector<ContractRange> ranges;
    bool bCarryCounts = false;  // the year before handed on days or shares
    std::vector<CarryDeadline> deadlines;
    std::vector<ExplainedDay> days;
    int32_t nFirstDifference = 0;   // the first day whose stored results differ; 0: none
    bool bNextYearDiffers = false;  // the stored carry-over into the following year differs
    int32_t nProvisional = 0;       // today, when the year is still running; 0 otherwise
};

ExplainedYear ExplainYear(const PersonYear& year, int32_t nToday);

// How a table of the year is written: by month or by day, with the personnel number in front (for
// output that holds several persons), the decimals of the numbers, and whether the columns of
// the stored balance and the note are there always (CSV) or only where needed (people).
struct YearTableStyle {
    bool bDays = false;
    bool bWithPnr = false;
    int nDecimals = 6;
    bool bFixedColumns = false;
};

// One row per month (or per day) that has daily rows.
ReportTable BuildYearTable(const PersonYear& year, const ExplainedYear& explained,
                           const YearTableStyle& style);

// The line under the table, and the one that says from which day the stored results differ
// (empty when they do not).
const char* RestRule();
CString StoredDifferenceLine(const PersonYear& year, const ExplainedYear& explained);
