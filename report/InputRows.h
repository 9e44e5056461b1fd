// The input rows behind a person's per-day figures, as kvt-report reads them for its postings:
// the shifts whose shares the per-day statement sums, and every booking of the person with what
// the statement's count looks at. Plain values, owned by whoever holds them.
#pragma once

#include <cstdint>

#include "base/CString.h"

// A shift of the working-time model on a day that earns shares under a rule (ZTW329ZTG with its
// ZTW155SF1 row and the day balance of ZTW320TGB that reaches the row's threshold).
struct ShiftRow {
    int32_t nDay = 0;      // ZTGVON yyyymmdd
    CString strModel;      // ZTGAZT
    double dShares = 0.0;  // SF1ANT
};

// A booking of ZTW321BCH with its absence code and its day record, either of which may be missing.
struct BookingRow {
    int32_t nDay = 0;          // BCHVON yyyymmdd
    CString strCode;           // BCHFCD
    int32_t nFunction = 0;     // BCHFKT
    bool bKindKnown = false;   // the code is in ZTW131FCD
    int32_t nKind = 0;         // its FCDFCD; 25 is shift free time
    bool bWholeDay = false;    // TAGTGB set
    bool bFirstHalf = false;   // TAGHTV set
    bool bSecondHalf = false;  // TAGHTN set
};
