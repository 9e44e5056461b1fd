// DailyRows: the daily result rows of one contract range, collected while its days are computed
// and stored together in one execution. Kept column by column, the way a driver takes arrays of
// parameter values. Owned by the calculation for the range it is working on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "calc/DayRecord.h"
#include "calc/ShiftDay.h"

struct DailyRows {
    std::vector<int32_t> days;  // yyyymmdd
    std::vector<double> shares;  // cumulative shares
    std::vector<double> carryDays;
    std::vector<double> carryShares;
    std::vector<double> entitlement;
    std::vector<double> taken;
    std::vector<double> planned;
    std::vector<double> rest;
    std::vector<int32_t> carryDaysUsed;

    // A computed day: the record as the calculation leaves it and the values it computed.
    void Add(const DayRecord& day, const ShiftDayResult& result);
    size_t Count() const { return days.size(); }
};
