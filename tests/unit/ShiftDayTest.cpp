#include <gtest/gtest.h>

#include <limits>

#include "calc/ShiftDay.h"

namespace {

ContractRecord Rule(int32_t nAnz, int32_t nTkt, int32_t nMax, int32_t nVmo) {
    ContractRecord contract{};
    contract.validFrom = 20240101;
    contract.validTo = 20241231;
    contract.kvtAnz = nAnz;
    contract.kvtTkt = nTkt;
    contract.kvtMax = nMax;
    contract.kvtVmo = nVmo;
    contract.kvtJmo = 12;
    return contract;
}

struct Day {
    ShiftDayResult result;
    DayRecord record;
};

class ShiftDayTest : public ::testing::Test {
protected:
    Day Compute(int32_t nDay, double dShares, double dUpTo, double dAfter, double dRowBase = 0.0) {
        Day day{{}, {nDay, dShares, dUpTo, dAfter}};
        day.result = ComputeShiftDay(m_contract, dRowBase, 2024, m_carry, &day.record, &m_state);
        return day;
    }

    ContractRecord m_contract = Rule(10, 5, 300, 3);
    CarryOver m_carry{2.0, 3.0, 4};
    ShiftRunState m_state;
};

TEST_F(ShiftDayTest, TheWorkedYear) {
    const Day first = Compute(20240101, 6, 0, 1);
    EXPECT_DOUBLE_EQ(first.record.shares, 10);
    EXPECT_DOUBLE_EQ(first.record.daysUpTo, 0);
    EXPECT_DOUBLE_EQ(first.result.dEntitlement, 1.0);
    EXPECT_DOUBLE_EQ(first.result.dCarryDays, 2.5);
    EXPECT_DOUBLE_EQ(first.result.dCarryShares, 0);
    EXPECT_DOUBLE_EQ(first.result.dRest, 2.5);
    EXPECT_EQ(first.result.nCarryDaysUsed, 0);
    EXPECT_DOUBLE_EQ(m_state.dSharesLeft, 0);

    const Day march = Compute(20240310, 27, 3, 0);
    EXPECT_DOUBLE_EQ(march.record.shares, 37);
    EXPECT_DOUBLE_EQ(march.result.dEntitlement, 3.5);
    EXPECT_DOUBLE_EQ(march.result.dCarryDays, 2.5);
    EXPECT_DOUBLE_EQ(march.result.dRest, 3.0);
    EXPECT_EQ(march.result.nCarryDaysUsed, 2);
    EXPECT_DOUBLE_EQ(m_state.dSharesLeft, 2);

    const Day april = Compute(20240415, 15, 4, 0);
    EXPECT_DOUBLE_EQ(april.record.shares, 52);
    EXPECT_DOUBLE_EQ(april.result.dEntitlement, 5.0);
    EXPECT_DOUBLE_EQ(april.result.dCarryDays, 0);
    EXPECT_DOUBLE_EQ(april.result.dRest, 3.5);
    EXPECT_EQ(april.result.nCarryDaysUsed, 2);
    EXPECT_DOUBLE_EQ(m_state.dSharesLeft, 2);
    EXPECT_DOUBLE_EQ(m_state.dRest, 3.5);
    EXPECT_DOUBLE_EQ(m_state.dPreviousTaken, 4);
}

TEST_F(ShiftDayTest, AboveTheCapOnlyWholeDaysOfTheCapAndNoSharesLeft) {
    m_contract.kvtMax = 40;
    Compute(20240101, 6, 0, 1);
    Compute(20240310, 27, 3, 0);
    const Day capped = Compute(20240415, 15, 4, 0);
    EXPECT_DOUBLE_EQ(capped.result.dEntitlement, 4.0);
    EXPECT_DOUBLE_EQ(m_state.dSharesLeft, 0);

    // At exactly the cap the part day still counts.
    m_contract.kvtMax = 57;
    const Day atCap = Compute(20240416, 5, 4, 0);
    EXPECT_DOUBLE_EQ(atCap.record.shares, 57);
    EXPECT_DOUBLE_EQ(atCap.result.dEntitlement, 5.5);
}

TEST_F(ShiftDayTest, TheDeadlineDayItselfIsAfterTheDeadline) {
    Compute(20240331, 0, 1, 0);
    const Day deadline = Compute(20240401, 0, 1, 0);
    EXPECT_DOUBLE_EQ(deadline.result.dCarryDays, 0);
    EXPECT_DOUBLE_EQ(deadline.result.dCarryShares, 0);
    // One day taken from the carry-over before the deadline; the rest of it is lost.
    EXPECT_DOUBLE_EQ(deadline.result.dRest, 0.0 - ((1 - 1) + 0));
    EXPECT_EQ(deadline.result.nCarryDaysUsed, 1);
}

TEST_F(ShiftDayTest, MonthZeroShowsTheCarryOverEveryDayButNeverCountsIt) {
    m_contract.kvtVmo = 0;
    const Day day = Compute(20240115, 10, 1, 0);
    EXPECT_DOUBLE_EQ(day.result.dCarryDays, 2.5);
    EXPECT_DOUBLE_EQ(day.result.dRest, 1.0 - 1);
    EXPECT_EQ(day.result.nCarryDaysUsed, 0);
}

TEST_F(ShiftDayTest, MonthTwelveAndAboveKeepTheCarryOverUntilTheNextFirstOfJanuary) {
    for (int32_t nVmo : {12, 13, std::numeric_limits<int32_t>::max()}) {
        m_contract.kvtVmo = nVmo;
        m_state = ShiftRunState();
        EXPECT_DOUBLE_EQ(Compute(20241231, 0, 0, 0).result.dCarryDays, 2.5) << nVmo;
        EXPECT_DOUBLE_EQ(Compute(20250101, 0, 0, 0).result.dCarryDays, 0) << nVmo;
    }
}

TEST_F(ShiftDayTest, WithoutAStepOnlyWholeDaysAndTheCarryOverUnchanged) {
    m_contract.kvtTkt = 0;
    const Day day = Compute(20240101, 15, 0, 0);
    EXPECT_DOUBLE_EQ(day.result.dEntitlement, 1.0);
    EXPECT_DOUBLE_EQ(day.result.dCarryDays, 2.0);
    EXPECT_DOUBLE_EQ(day.result.dCarryShares, 3.0);
    EXPECT_DOUBLE_EQ(m_state.dSharesLeft, 3.0 + 19 - 10);
}

TEST_F(ShiftDayTest, WithoutADivisorNoEntitlementAndAllSharesLeft) {
    m_contract.kvtAnz = 0;
    const Day day = Compute(20240101, 6, 0, 0);
    EXPECT_DOUBLE_EQ(day.result.dEntitlement, 0);
    EXPECT_DOUBLE_EQ(m_state.dSharesLeft, 3.0 + 10);
}

TEST_F(ShiftDayTest, CarryOverDaysBelowOneAreNeverCountedAsUsed) {
    m_carry = {0.5, 0.0, 0};
    const Day day = Compute(20240201, 0, 1, 0);
    EXPECT_DOUBLE_EQ(day.result.dCarryDays, 0.5);
    EXPECT_EQ(day.result.nCarryDaysUsed, 0);
}

TEST_F(ShiftDayTest, YearStartSharesAreAddedOnceAndSharesOutsideTheContractDoNotCount) {
    m_contract.validFrom = 20240201;
    const Day before = Compute(20240115, 9, 0, 0);
    EXPECT_DOUBLE_EQ(before.record.shares, 4);
    const Day inside = Compute(20240201, 9, 0, 0);
    EXPECT_DOUBLE_EQ(inside.record.shares, 13);
}

TEST_F(ShiftDayTest, TakenDaysRunOnFromTheRowBase) {
    const Day day = Compute(20240701, 0, 2, 1, 5.5);
    EXPECT_DOUBLE_EQ(day.record.daysUpTo, 7.5);
    EXPECT_DOUBLE_EQ(m_state.dPreviousTaken, 7.5);
}

TEST_F(ShiftDayTest, ValuesBeyondTheIntegerRangeSaturateInsteadOfOverflowing) {
    m_contract = Rule(-1, 0, std::numeric_limits<int32_t>::max(), 3);
    m_carry = {1e300, -1e300, std::numeric_limits<int32_t>::min()};
    const Day day = Compute(20240101, -1e12, 1e300, 0);
    EXPECT_DOUBLE_EQ(day.result.dEntitlement, 2147483648.0);
    EXPECT_EQ(TruncToInt32(1e300), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(TruncToInt32(-1e300), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(TruncToInt32(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(TruncToInt32(-2.9), -2);
}

}  // namespace
