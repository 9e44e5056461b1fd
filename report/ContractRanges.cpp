#include "report/ContractRanges.h"

#include "calc/DateAdd.h"

std::vector<ContractRange> ContractRanges(const PersonYear& year) {
    std::vector<ContractRange> ranges;
    int32_t nPreviousEnd = 0;
    for (size_t i = 0; i < year.contracts.size(); ++i) {
        const ContractRecord& contract = year.contracts[i];
        const int32_t nStart = i == 0 ? contract.periodStart : DateAdd(nPreviousEnd, 1, 0, 0);
        nPreviousEnd = contract.validTo;
        if (contract.validFrom != 0 && nStart != 0 && contract.validTo != 0) {
            ranges.push_back({nStart, contract.validTo, &contract});
        }
    }
    return ranges;
}

int RangeOfDay(const std::vector<ContractRange>& ranges, int32_t nDay) {
    for (size_t i = ranges.size(); i-- > 0;) {
        if (ranges[i].nStart <= nDay && nDay <= ranges[i].nEnd) {
            return static_cast<int>(i);
        }
    }
    return -1;
}
