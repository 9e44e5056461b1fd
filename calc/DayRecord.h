// DayRecord: one calendar day of the per-day query, filled by the ODBC driver. Before the day is
// stored the calculation overwrites shares and daysUpTo with the cumulative shares and the
// request-wide days taken, so that the record carries the four values of the daily row.
#pragma once

#include <cstdint>

struct DayRecord {
    int32_t day;       // yyyymmdd
    double shares;     // shares earned on the day
    double daysUpTo;   // free days booked from the first day of the range up to the day
    double daysAfter;  // free days planned after the day
};
