#include "calc/ShiftDay.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Days granted for nShares: whole days of nAnz shares, plus part days in steps of nTkt shares.
// Integer division and remainder truncate toward zero; 64 bits keep them defined for every
// 32-bit operand.
double StepPart(int64_t nShares, int32_t nAnz, int32_t nTkt) {
    const int64_t nRemainder = nShares % nAnz;
    return static_cast<double>(nRemainder - nRemainder % nTkt) / nAnz;
}

}  // namespace

// A month above 12 has no meaning and counts as 12: the carry-over then lasts the calendar year.
int32_t CarryOverDeadline(int32_t nVmo, int32_t nCalcYear) {
    const int64_t nMonth = std::min(nVmo, 12);
    if (nMonth + 1 <= 12) {
        return static_cast<int32_t>(int64_t{nCalcYear} * 10000 + (nMonth + 1) * 100 + 1);
    }
    return static_cast<int32_t>((int64_t{nCalcYear} + 1) * 10000 + 101);
}

// The days and the shares carried over are added up, and what that sum gives in steps of nTkt
// shares (of nAnz) is added to the days; without steps or without a share count both stay.
void UsableCarryOver(const CarryOver& carry, int32_t nAnz, int32_t nTkt, double* pdDays, double* pdShares) {
    *pdDays = carry.dDays;
    *pdShares = carry.dShares;
    if (nTkt != 0 && nAnz != 0) {
        const int64_t nCarried = TruncToInt32(carry.dShares + carry.dDays);
        const int64_t nRemainder = nCarried % nAnz;
        *pdDays = carry.dDays + StepPart(nCarried, nAnz, nTkt);
        *pdShares = static_cast<double>(nRemainder % nTkt);
    }
}

int32_t TruncToInt32(double dValue) {
    if (std::isnan(dValue)) {
        return 0;
    }
    if (dValue >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    if (dValue <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(dValue);
}

ShiftDayResult ComputeShiftDay(const ContractRecord& contract, double dRowBase, int32_t nCalcYear,
                               const CarryOver& carry, DayRecord* pDay, ShiftRunState* pState) {
    const int32_t nAnz = contract.kvtAnz;
    const int32_t nTkt = contract.kvtTkt;
    const int32_t nMax = contract.kvtMax;
    const int32_t nVmo = contract.kvtVmo;
    ShiftDayResult result;

    // Shares of the day count only within the contract row; the year-start shares are added
    // once, on the first day processed in the request.
    const bool bInContract = contract.validFrom <= pDay->day && pDay->day <= contract.validTo;
    const double dShares = bInContract ? pDay->shares : 0.0;
    if (pState->dCumulative == kNoDayProcessed) {
        pState->dCumulative = carry.nYearStartShares + dShares;
    } else {
        pState->dCumulative += dShares;
    }
    const double dCumulative = pState->dCumulative;

    const double dTaken = pDay->daysUpTo + dRowBase;
    const double dPlanned = pDay->daysAfter;

    // Carry-over days can be used until the deadline; a day equal to it is after it.
    const int32_t nDeadline = CarryOverDeadline(nVmo, nCalcYear);
    const bool bBeforeDeadline = pDay->day < nDeadline;
    const bool bCarryExists = carry.dDays != 0.0 || carry.dShares != 0.0;
    if (bCarryExists && (nVmo <= 0 || bBeforeDeadline)) {
        UsableCarryOver(carry, nAnz, nTkt, &result.dCarryDays, &result.dCarryShares);
    }

    // Entitlement: whole days of the cumulative shares plus part days; above the cap whole days
    // of the cap only.
    const int64_t nCumulative = TruncToInt32(dCumulative);
    result.dEntitlement = nAnz != 0 ? static_cast<double>(nCumulative / nAnz) : 0.0;
    if (nMax < dCumulative) {
        if (nAnz != 0) {
            result.dEntitlement = static_cast<double>(int64_t{nMax} / nAnz);
        }
    } else if (nTkt != 0 && nAnz != 0) {
        result.dEntitlement += StepPart(nCumulative, nAnz, nTkt);
    }

    // Carry-over days not taken by the deadline are lost: after it only the days that were taken
    // from the carry-over before it still count.
    if (!bCarryExists) {
        result.dRest = result.dEntitlement - (dPlanned + dTaken);
    } else if (bBeforeDeadline) {
        result.dRest = (result.dEntitlement + result.dCarryDays) - (dPlanned + dTaken);
        pState->dExcessAtDeadline = result.dCarryDays - dTaken < 0 ? dTaken - result.dCarryDays : 0.0;
        pState->dTakenAtDeadline = dTaken;
    } else {
        const double dUsed =
            pState->dTakenAtDeadline != 0.0 ? pState->dTakenAtDeadline - pState->dExcessAtDeadline : 0.0;
        result.dRest = result.dEntitlement - ((dTaken - dUsed) + dPlanned);
    }

    if (pState->dTakenAtDeadline != 0.0 && carry.dDays >= 1.0) {
        result.nCarryDaysUsed = TruncToInt32(pState->dTakenAtDeadline - pState->dExcessAtDeadline);
    }

    pDay->shares = dCumulative;
    pDay->daysUpTo = dTaken;
    pState->dPreviousTaken = dTaken;
    pState->dRest = result.dRest;
    pState->dSharesLeft = nMax < dCumulative ? 0.0 : (result.dCarryShares + dCumulative) - nAnz * result.dEntitlement;
    return result;
}
