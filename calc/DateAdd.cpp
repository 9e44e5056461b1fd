#include "calc/DateAdd.h"

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date; exact for any 64-bit year.
int64_t DaysFromCivil(int64_t nYear, int64_t nMonth, int64_t nDay) {
    nYear -= nMonth <= 2 ? 1 : 0;
    const int64_t nEra = (nYear >= 0 ? nYear : nYear - 399) / 400;
    const int64_t nYearOfEra = nYear - nEra * 400;
    const int64_t nDayOfYear = (153 * (nMonth + (nMonth > 2 ? -3 : 9)) + 2) / 5 + nDay - 1;
    const int64_t nDayOfEra = nYearOfEra * 365 + nYearOfEra / 4 - nYearOfEra / 100 + nDayOfYear;
    return nEra * 146097 + nDayOfEra - 719468;
}

void CivilFromDays(int64_t nDays, int64_t* pnYear, int64_t* pnMonth, int64_t* pnDay) {
    nDays += 719468;
    const int64_t nEra = (nDays >= 0 ? nDays : nDays - 146096) / 146097;
    const int64_t nDayOfEra = nDays - nEra * 146097;
    const int64_t nYearOfEra = (nDayOfEra - nDayOfEra / 1460 + nDayOfEra / 36524 - nDayOfEra / 146096) / 365;
    const int64_t nDayOfYear = nDayOfEra - (365 * nYearOfEra + nYearOfEra / 4 - nYearOfEra / 100);
    const int64_t nMonthIndex = (5 * nDayOfYear + 2) / 153;
    *pnDay = nDayOfYear - (153 * nMonthIndex + 2) / 5 + 1;
    *pnMonth = nMonthIndex + (nMonthIndex < 10 ? 3 : -9);
    *pnYear = nYearOfEra + nEra * 400 + (*pnMonth <= 2 ? 1 : 0);
}

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}

}  // namespace

int32_t DateAdd(int32_t nDate, int32_t nDays, int32_t nMonths, int32_t nYears) {
    if (nDate < 1900) {
        return 0;
    }
    // Months first, counted from January of the year, so that month 13 is January of the next
    // year and month 0 December of the previous one.
    const int64_t nMonthsFromJanuary = (nDate / 100) % 100 + static_cast<int64_t>(nMonths) - 1;
    const int64_t nYear = nDate / 10000 + static_cast<int64_t>(nYears) + FloorDiv(nMonthsFromJanuary, 12);
    const int64_t nMonth = nMonthsFromJanuary - FloorDiv(nMonthsFromJanuary, 12) * 12 + 1;
    // Then the days, counted from the first of that month: day 0 is the last day of the month
    // before, and 31 February is 3 March (2 March in a leap year).
    const int64_t nDayOffset = nDate % 100 + static_cast<int64_t>(nDays) - 1;
    int64_t nResultYear = 0;
    int64_t nResultMonth = 0;
    int64_t nResultDay = 0;
    CivilFromDays(DaysFromCivil(nYear, nMonth, 1) + nDayOffset, &nResultYear, &nResultMonth, &nResultDay);

    const int64_t nResult = nResultYear * 10000 + nResultMonth * 100 + nResultDay;
    if (nResultYear < 0 || nResult > INT32_MAX) {
        return 0;
    }
    return static_cast<int32_t>(nResult);
}
