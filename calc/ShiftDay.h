// The computation of one calendar day of a request: shares, entitlement, carry-over and rest.
// Pure arithmetic on the day's record and the request's working values; reading and storing are
// the CShiftCalc's.
#pragma once

#include <cstdint>

#include "calc/ContractRecord.h"
#include "calc/DayRecord.h"

// The carry-over row of the calculation year: remaining days and shares of the year before, and
// the shares the year starts with.
struct CarryOver {
    double dDays = 0.0;
    double dShares = 0.0;
    int32_t nYearStartShares = 0;
};

// Marks the cumulative shares of a request in which no day has been processed yet.
constexpr double kNoDayProcessed = -99999.99;

// Working values of one request, carried across all its contract rows.
struct ShiftRunState {
    double dCumulative = kNoDayProcessed;
    double dPreviousTaken = 0.0;
    double dTakenAtDeadline = 0.0;
    double dExcessAtDeadline = 0.0;
    double dRest = 0.0;
    double dSharesLeft = 0.0;
};

// The values of a daily row that do not travel in the day record.
struct ShiftDayResult {
    double dCarryDays = 0.0;    // usable carry-over days
    double dCarryShares = 0.0;  // carry-over share remainder
    double dEntitlement = 0.0;
    double dRest = 0.0;
    int32_t nCarryDaysUsed = 0;
};

// Computes the day for the contract row (dates clipped to the accounting year) whose days taken
// start from dRowBase. Afterwards the record holds the cumulative shares in shares and the
// request-wide days taken in daysUpTo, and the state is that of the day just computed.
ShiftDayResult ComputeShiftDay(const ContractRecord& contract, double dRowBase, int32_t nCalcYear,
                               const CarryOver& carry, DayRecord* pDay, ShiftRunState* pState);

// Truncation toward zero into the 32-bit range, saturating at its limits (NaN gives 0).
int32_t TruncToInt32(double dValue);

// The first day of the month after the last month (nVmo) of the calculation year in which
// carry-over days can be used; a day equal to it is after it.
int32_t CarryOverDeadline(int32_t nVmo, int32_t nCalcYear);

// The carry-over as a rule of nAnz shares a day in steps of nTkt lets it be used: the days with
// what the shares and days carried over give in steps, and the shares that remain.
void UsableCarryOver(const CarryOver& carry, int32_t nAnz, int32_t nTkt, double* pdDays, double* pdShares);
