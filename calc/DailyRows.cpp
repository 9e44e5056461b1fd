#include "calc/DailyRows.h"

void DailyRows::Add(const DayRecord& day, const ShiftDayResult& result) {
    days.push_back(day.day);
    shares.push_back(day.shares);
    carryDays.push_back(result.dCarryDays);
    carryShares.push_back(result.dCarryShares);
    entitlement.push_back(result.dEntitlement);
    taken.push_back(day.daysUpTo);
    planned.push_back(day.daysAfter);
    rest.push_back(result.dRest);
    carryDaysUsed.push_back(result.nCarryDaysUsed);
}
