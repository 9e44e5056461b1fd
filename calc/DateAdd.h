// Calendar arithmetic on dates written as yyyymmdd integers (0 = no date).
#pragma once

#include <cstdint>

// Adds years, months and days as calendar arithmetic: months outside 1..12 carry into the year,
// then days outside the month carry into the neighbouring months, by the Gregorian rules. A date
// below 1900 (the open date 0 among them) gives 0, as does a result beyond the yyyymmdd range.
// Examples: 20231001 -1 day +1 year = 20240930; 20240131 +1 month = 20240302.
int32_t DateAdd(int32_t nDate, int32_t nDays, int32_t nMonths, int32_t nYears);
