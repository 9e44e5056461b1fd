// One accounting year of one contract row, calculated end to end: a worked year and its variants
// of cap, step, divisor, deadline month and carry-over.
#include "tests/db/Scenario.h"

namespace {

// The worked year 2024 (a leap year, 366 days) with one contract row that began long before it.
// Shares, with 4 year-start shares from the carry-over row where there is one:
//   1 Jan night shift 6 -> 10 | 8-12 Jan early shifts 3 each -> 25 | 4-7 Mar 3 each -> 37 |
//   2-6 Apr 3 each -> 52.
// Free days booked: 15 Jan, 12 Feb, 4 Mar, 8 Apr; so taken + planned is 4 on every day:
//   taken 0 until 14 Jan, 1 from 15 Jan, 2 from 12 Feb, 3 from 4 Mar, 4 from 8 Apr.
class ShiftCalcYearTest : public KvtCalcTest {
protected:
    // A rule of the worked year: a night shift earns 6 shares, an early shift 3.
    void WorkedRule(const char* pszRule, int nAnz, int nTkt, int nMax, int nVmo) {
        m_scenario.Rule(pszRule, nAnz, nTkt, nMax, nVmo);
        m_scenario.QualifyingShift(pszRule, "N", 6, 8.0);
        m_scenario.QualifyingShift(pszRule, "F", 3, 6.0);
    }

    // nEnd: the last day of the contract row (0: open-ended). Nothing happens after 8 April, so
    // most cases stop at the end of April (121 days) and still see the state of the whole year.
    void WorkedYear(const char* pszPnr, const char* pszRule, int nEnd = 20240430) {
        m_scenario.Person(pszPnr);
        m_scenario.Contract(pszPnr, 20200601, nEnd, pszRule);
        m_scenario.Shift(pszPnr, 20240101, "N");
        for (int nDay : {20240108, 20240109, 20240110, 20240111, 20240112, 20240304, 20240305, 20240306,
                         20240307, 20240402, 20240403, 20240404, 20240405, 20240406}) {
            m_scenario.Shift(pszPnr, nDay, "F");
        }
        for (int nDay : {20240115, 20240212, 20240304, 20240408}) {
            m_scenario.Booking(pszPnr, nDay);
        }
        // None of these counts: a day maximum below the rule's minimum, a day not worked, a
        // model the rule does not know, a holiday, a booking of another kind.
        m_scenario.Shift(pszPnr, 20240122, "F", 5.5);
        m_scenario.Shift(pszPnr, 20240123, "F", 8.0, 0);
        m_scenario.Shift(pszPnr, 20240124, "X");
        m_scenario.Booking(pszPnr, 20240220, BookedDay::Full, 1, CScenario::HOLIDAY);
        m_scenario.Booking(pszPnr, 20240221, BookedDay::Full, 4);
    }

    // The carry-over into the worked year: 2.0 days, 3.0 shares, 4 year-start shares.
    // Before the deadline n = trunc(3.0 + 2.0) = 5, so with 10 shares a day in steps of 5 the usable
    // carry-over is 2.0 + 5 / 10 = 2.5 days and no shares remain.
    void WorkedCarryOver(const char* pszPnr) { m_scenario.CarryOver(pszPnr, 2024, 2.0, 3.0, 4); }
};

TEST_P(ShiftCalcYearTest, TheWorkedYear) {
    WorkedRule("K1", 10, 5, 300, 3);
    WorkedYear("4711", "K1", 0);
    WorkedCarryOver("4711");

    Calculate("4711", 20240615, "M\xFCller");

    // Deadline 1 April. Before it: rest = entitlement + 2.5 - (planned + taken); once 3 days are
    // taken against 2.5 usable, 0.5 are in excess and 2.5 used, which stays so after the deadline.
    //                                   ANT  VTG VAN  ANS GEN VPL   RST GVV
    EXPECT_EQ(Day("4711", 20240101), Row(10, 2.5, 0, 1.0, 0, 4, -0.5, 0));
    EXPECT_EQ(Day("4711", 20240115), Row(25, 2.5, 0, 2.5, 1, 3, 1.0, 1));
    EXPECT_EQ(Day("4711", 20240310), Row(37, 2.5, 0, 3.5, 3, 1, 2.0, 2));
    EXPECT_EQ(Day("4711", 20240331), Row(37, 2.5, 0, 3.5, 3, 1, 2.0, 2));
    // The deadline day itself is after the deadline: no carry-over shown, the 2.5 used still count.
    // rest = 3.5 - ((3 - 2.5) + 1)
    EXPECT_EQ(Day("4711", 20240401), Row(37, 0, 0, 3.5, 3, 1, 2.0, 2));
    // rest = 5.0 - ((4 - 2.5) + 0)
    EXPECT_EQ(Day("4711", 20240415), Row(52, 0, 0, 5.0, 4, 0, 3.5, 2));
    EXPECT_EQ(Day("4711", 20241231), Row(52, 0, 0, 5.0, 4, 0, 3.5, 2));
    EXPECT_EQ(m_scenario.DailyCount("4711"), 366);

    // Shares left = 52 - 10 * 5.0.
    EXPECT_EQ(Year("4711", 2025), (YearRow{3.5, 2}));
    EXPECT_EQ(Year("4711", 2024), (YearRow{2.0, 3.0}));
    EXPECT_EQ(m_scenario.YearlyCount("4711"), 2);
    std::vector<CString> rows;
    m_raw.QueryRows("SELECT DISTINCT SFZERF, SFZSTA FROM ZTW332SFZ", rows);
    EXPECT_EQ(rows, std::vector<CString>{"M\xFCller|1"});
    EXPECT_EQ(m_raw.QueryText("SELECT CONCAT(SFVERF, '|', SFVSTA) FROM ZTW332SFV WHERE SFVJHR = 2025"),
              "M\xFCller|1");

    EXPECT_EQ(1, CountLogged("Schichtfreizeit : Personalnummer 4711, Jahr 2024, "
                             "Bewegungsdaten erfolgreich ermittelt"));
    EXPECT_EQ(1, CountLogged("Schichtfreizeit Vortrag: Personanummer 4711, Jahr 2025, "
                             "Rest: 3.500000, Anteile: 2.000000"));
}

TEST_P(ShiftCalcYearTest, TheWorkedYearCappedAt40) {
    WorkedRule("K1", 10, 5, 40, 3);
    WorkedYear("4711", "K1");
    WorkedCarryOver("4711");

    Calculate("4711", 20240615);

    EXPECT_EQ(Day("4711", 20240310), Row(37, 2.5, 0, 3.5, 3, 1, 2.0, 2));
    // 52 > 40: entitlement 40 div 10 = 4 whole days; rest = 4 - ((4 - 2.5) + 0).
    EXPECT_EQ(Day("4711", 20240415), Row(52, 0, 0, 4.0, 4, 0, 2.5, 2));
    EXPECT_EQ(Year("4711", 2025), (YearRow{2.5, 0}));
}

TEST_P(ShiftCalcYearTest, TheCapCutsOnlySharesAboveIt) {
    WorkedRule("K1", 10, 5, 37, 3);
    WorkedYear("4711", "K1");
    WorkedCarryOver("4711");

    Calculate("4711", 20240615);

    // Below and at 37 the part day of 5 shares is granted: 25 -> 2.5 and 37 -> 3.5.
    EXPECT_EQ(Day("4711", 20240112), Row(25, 2.5, 0, 2.5, 0, 4, 1.0, 0));
    EXPECT_EQ(Day("4711", 20240307), Row(37, 2.5, 0, 3.5, 3, 1, 2.0, 2));
    // Above: 37 div 10 = 3 whole days; rest = 3 - ((3 - 2.5) + 1).
    EXPECT_EQ(Day("4711", 20240402), Row(40, 0, 0, 3.0, 3, 1, 1.5, 2));
    // rest = 3 - ((4 - 2.5) + 0); above the cap no shares are left.
    EXPECT_EQ(Year("4711", 2025), (YearRow{1.5, 0}));
}

TEST_P(ShiftCalcYearTest, WithoutAStepOnlyWholeDaysAndTheCarryOverAsItIs) {
    WorkedRule("K0", 10, 0, 300, 3);
    // A step above the divisor is no step at all.
    WorkedRule("K7", 5, 7, 300, 3);
    WorkedYear("4711", "K0");
    WorkedYear("4712", "K7");
    WorkedCarryOver("4711");
    WorkedCarryOver("4712");

    Calculate("4711", 20240615);
    Calculate("4712", 20240615);

    // Usable carry-over 2.0 days and 3.0 shares unchanged; 2 days in excess on 10 March.
    EXPECT_EQ(Day("4711", 20240101), Row(10, 2.0, 3.0, 1.0, 0, 4, -1.0, 0));
    EXPECT_EQ(Day("4711", 20240112), Row(25, 2.0, 3.0, 2.0, 0, 4, 0.0, 0));
    EXPECT_EQ(Day("4711", 20240310), Row(37, 2.0, 3.0, 3.0, 3, 1, 1.0, 2));
    EXPECT_EQ(Day("4711", 20240415), Row(52, 0, 0, 5.0, 4, 0, 3.0, 2));
    EXPECT_EQ(Year("4711", 2025), (YearRow{3.0, 2}));

    // 5 shares a day: 10 -> 2, 37 -> 7, 52 -> 10 days. A step of 7 would have left no carry-over
    // shares (5 mod 5 = 0); without a step the 3.0 stand.
    EXPECT_EQ(Day("4712", 20240101), Row(10, 2.0, 3.0, 2.0, 0, 4, 0.0, 0));
    EXPECT_EQ(Day("4712", 20240310), Row(37, 2.0, 3.0, 7.0, 3, 1, 5.0, 2));
    EXPECT_EQ(Year("4712", 2025), (YearRow{8.0, 2}));
}

TEST_P(ShiftCalcYearTest, WithoutADivisorNoEntitlementAndAllSharesLeft) {
    WorkedRule("KA", 0, 5, 300, 3);
    // The row ends before the deadline, so its last day hands on the carry-over shares as well.
    WorkedYear("4711", "KA", 20240331);
    WorkedCarryOver("4711");

    Calculate("4711", 20240615);

    EXPECT_EQ(Day("4711", 20240101), Row(10, 2.0, 3.0, 0, 0, 4, -2.0, 0));
    EXPECT_EQ(Day("4711", 20240331), Row(37, 2.0, 3.0, 0, 3, 1, -2.0, 2));
    EXPECT_EQ(m_scenario.DailyCount("4711"), 91);
    // Shares left = 3.0 + 37 - 0.
    EXPECT_EQ(Year("4711", 2025), (YearRow{-2.0, 40}));
}

TEST_P(ShiftCalcYearTest, DeadlineMonthZeroAndTwelve) {
    WorkedRule("V0", 10, 5, 300, 0);
    WorkedRule("VC", 10, 5, 300, 12);
    WorkedYear("4711", "V0");
    WorkedYear("4712", "VC");
    WorkedCarryOver("4711");
    WorkedCarryOver("4712");

    Calculate("4711", 20240615);
    Calculate("4712", 20240615);

    // Month 0: the carry-over is shown every day but never counts: rest = entitlement - 4.
    EXPECT_EQ(Day("4711", 20240101), Row(10, 2.5, 0, 1.0, 0, 4, -3.0, 0));
    EXPECT_EQ(Day("4711", 20240310), Row(37, 2.5, 0, 3.5, 3, 1, -0.5, 0));
    EXPECT_EQ(Day("4711", 20240430), Row(52, 2.5, 0, 5.0, 4, 0, 1.0, 0));
    EXPECT_EQ(Year("4711", 2025), (YearRow{1.0, 2}));

    // Month 12: the whole year is before the deadline; rest = entitlement + 2.5 - 4.
    EXPECT_EQ(Day("4712", 20240101), Row(10, 2.5, 0, 1.0, 0, 4, -0.5, 0));
    EXPECT_EQ(Day("4712", 20240415), Row(52, 2.5, 0, 5.0, 4, 0, 3.5, 2));
    EXPECT_EQ(Day("4712", 20240430), Row(52, 2.5, 0, 5.0, 4, 0, 3.5, 2));
    EXPECT_EQ(Year("4712", 2025), (YearRow{3.5, 2}));
}

TEST_P(ShiftCalcYearTest, WithoutACarryOverRowAndWithLessThanOneDay) {
    WorkedRule("K1", 10, 5, 300, 3);
    WorkedYear("4711", "K1");
    WorkedYear("4712", "K1");
    m_scenario.CarryOver("4712", 2024, 0.5, 5.0, 4);

    Calculate("4711", 20240615);
    Calculate("4712", 20240615);

    // No year-start shares either: 6, 33, 48 shares; rest = entitlement - 4.
    EXPECT_EQ(Day("4711", 20240101), Row(6, 0, 0, 0.5, 0, 4, -3.5, 0));
    EXPECT_EQ(Day("4711", 20240310), Row(33, 0, 0, 3.0, 3, 1, -1.0, 0));
    EXPECT_EQ(Day("4711", 20240415), Row(48, 0, 0, 4.5, 4, 0, 0.5, 0));
    EXPECT_EQ(Year("4711", 2025), (YearRow{0.5, 3}));

    // n = trunc(5.0 + 0.5) = 5: usable 0.5 + 5 / 10 = 1.0 day. Of the 3 days taken by the deadline
    // 1.0 came from the carry-over, yet with less than one carry-over day none counts as used.
    EXPECT_EQ(Day("4712", 20240101), Row(10, 1.0, 0, 1.0, 0, 4, -2.0, 0));
    EXPECT_EQ(Day("4712", 20240310), Row(37, 1.0, 0, 3.5, 3, 1, 0.5, 0));
    // rest = 5 - ((4 - 1.0) + 0)
    EXPECT_EQ(Day("4712", 20240415), Row(52, 0, 0, 5.0, 4, 0, 2.0, 0));
    EXPECT_EQ(Year("4712", 2025), (YearRow{2.0, 2}));
}

TEST_P(ShiftCalcYearTest, HalfDaysCountOneHalf) {
    // January only; the planning range runs to the end of the year all the same.
    m_scenario.Rule("K1", 10, 5, 300, 3);
    m_scenario.Person("4711");
    m_scenario.Contract("4711", 20240101, 20240131, "K1");
    m_scenario.Booking("4711", 20240110, BookedDay::FirstHalf);
    m_scenario.Booking("4711", 20240120, BookedDay::Full);
    m_scenario.Booking("4711", 20240122, BookedDay::SecondHalf);
    m_scenario.Booking("4711", 20240215, BookedDay::Full);

    Calculate("4711", 20240115);

    EXPECT_EQ(Day("4711", 20240109), Row(0, 0, 0, 0, 0, 3.0, -3.0, 0));
    EXPECT_EQ(Day("4711", 20240110), Row(0, 0, 0, 0, 0.5, 2.5, -3.0, 0));
    EXPECT_EQ(Day("4711", 20240121), Row(0, 0, 0, 0, 1.5, 1.5, -3.0, 0));
    EXPECT_EQ(Day("4711", 20240131), Row(0, 0, 0, 0, 2.0, 1.0, -3.0, 0));
    EXPECT_EQ(m_scenario.DailyCount("4711"), 31);
    EXPECT_EQ(Year("4711", 2025), (YearRow{-3.0, 0}));
}

INSTANTIATE_TEST_SUITE_P(Products, ShiftCalcYearTest, ::testing::Values(kMySqlCase, kOracleCase),
                         DialectName);

}  // namespace
