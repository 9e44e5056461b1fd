// The ranges of days that the calculation computed with each contract row's rules: the first
// from the first day of the accounting year, each later one from the day after the previous row's
// end, whatever the row's own start, each to the row's end. Where ranges overlap, the later one
// wrote the day last. Plain values; each points into the PersonYear it was made from.
#pragma once

#include <cstdint>
#include <vector>

#include "report/PersonYear.h"

struct ContractRange {
    int32_t nStart = 0;
    int32_t nEnd = 0;
    const ContractRecord* pContract = nullptr;
};

std::vector<ContractRange> ContractRanges(const PersonYear& year);

// The index of the range whose rules computed the day, or -1 when none covers it.
int RangeOfDay(const std::vector<ContractRange>& ranges, int32_t nDay);
