// Which days a request calculates: contract rows within the accounting year, fiscal years, requests
// dated in 1900, years without a contract and days that have not happened yet.
#include <algorithm>

#include "tests/db/Scenario.h"

namespace {

class ShiftCalcPeriodTest : public KvtCalcTest {
protected:
    void SetUp() override {
        KvtCalcTest::SetUp();
        m_nYear = CurrentYear();
        m_nToday = Today(m_raw);
    }

    int Date(int nYear, int nMonthDay) const { return nYear * 10000 + nMonthDay; }

    int m_nYear = 0;
    int m_nToday = 0;
};

// Row 1 (rule K1: 10 shares a day, steps of 5) to 31 March, row 2 (rule K2: 8 shares a day, steps
// of 4, early shifts worth 2) from 1 April. Carry-over into 2024: 2.0 days, 3.0 shares, 4 year-start
// shares, usable as 2.5 days until the deadline of 1 April (as in the worked year).
TEST_P(ShiftCalcPeriodTest, ASecondContractRowRunsOnFromTheFirst) {
    m_scenario.Rule("K1", 10, 5, 300, 3);
    m_scenario.Rule("K2", 8, 4, 300, 3);
    m_scenario.QualifyingShift("K1", "F", 3, 6.0);
    m_scenario.QualifyingShift("K2", "F", 2, 6.0);
    // 4812 has a gap: its second row begins on 3 April, yet its days are calculated from 1 April.
    for (const char* pszPnr : {"4811", "4812"}) {
        m_scenario.Person(pszPnr);
        m_scenario.Contract(pszPnr, 20240101, 20240331, "K1");
        m_scenario.CarryOver(pszPnr, 2024, 2.0, 3.0, 4);
        for (int nDay : {20240304, 20240305, 20240306, 20240307, 20240308, 20240309, 20240310, 20240311,
                         20240402, 20240403, 20240404, 20240405, 20240406}) {
            m_scenario.Shift(pszPnr, nDay, "F");
        }
        for (int nDay : {20240115, 20240212, 20240304, 20240408}) {
            m_scenario.Booking(pszPnr, nDay);
        }
    }
    m_scenario.Contract("4811", 20240401, 0, "K2");
    m_scenario.Contract("4812", 20240403, 0, "K2");

    Calculate("4811", 20240601);
    Calculate("4812", 20240601);

    // 4 + 8 early shifts of 3 = 28 shares by 11 March; 3 taken, 1 planned (8 April).
    // entitlement 2 + 5 / 10 = 2.5; rest = (2.5 + 2.5) - 4; 0.5 days in excess of the carry-over.
    EXPECT_EQ(Day("4811", 20240331), Row(28, 2.5, 0, 2.5, 3, 1, 1.0, 2));
    // Row 2 takes the taken days on from 3 and the shares from 28; every day of it is after the
    // deadline. 2 April: 30 shares, 30 div 8 = 3, 6 mod 8 = 6 -> 4 / 8: 3.5; rest = 3.5 - (0.5 + 1).
    EXPECT_EQ(Day("4811", 20240401), Row(28, 0, 0, 3.5, 3, 1, 2.0, 2));
    EXPECT_EQ(Day("4811", 20240402), Row(30, 0, 0, 3.5, 3, 1, 2.0, 2));
    // 38 shares: 4 + (6 - 2) / 8 = 4.5; rest = 4.5 - ((4 - 2.5) + 0).
    EXPECT_EQ(Day("4811", 20240415), Row(38, 0, 0, 4.5, 4, 0, 3.0, 2));
    EXPECT_EQ(m_scenario.DailyCount("4811"), 366);
    // Shares left = 38 - 8 * 4.5.
    EXPECT_EQ(Year("4811", 2025), (YearRow{3.0, 2}));

    // The shift of 2 April lies before the row's own start: no shares. Planning counts from 3 April.
    EXPECT_EQ(Day("4812", 20240402), Row(28, 0, 0, 3.5, 3, 1, 2.0, 2));
    // 36 shares: 4 + (4 - 4 mod 4) / 8 = 4.5; rest = 4.5 - 1.5; shares left = 36 - 8 * 4.5.
    EXPECT_EQ(Day("4812", 20240415), Row(36, 0, 0, 4.5, 4, 0, 3.0, 2));
    EXPECT_EQ(m_scenario.DailyCount("4812"), 366);
    EXPECT_EQ(Year("4812", 2025), (YearRow{3.0, 0}));
}

// A row that begins on 1 March: the year is calculated from 1 January all the same, but shifts
// count from the row's start only, and planning looks at the row's days only. The day booked
// before it is taken all the same. Carry-over as above; early shifts on 5 February and 4 March.
TEST_P(ShiftCalcPeriodTest, AContractRowThatBeginsWithinTheYear) {
    m_scenario.Rule("K1", 10, 5, 300, 3);
    m_scenario.QualifyingShift("K1", "F", 3, 6.0);
    m_scenario.Person("4711");
    m_scenario.Contract("4711", 20240301, 0, "K1");
    m_scenario.CarryOver("4711", 2024, 2.0, 3.0, 4);
    m_scenario.Shift("4711", 20240205, "F");
    m_scenario.Shift("4711", 20240304, "F");
    m_scenario.Booking("4711", 20240212);

    Calculate("4711", 20240601);

    // Only the 4 year-start shares: no entitlement; rest = 2.5 - 0.
    EXPECT_EQ(Day("4711", 20240101), Row(4, 2.5, 0, 0, 0, 0, 2.5, 0));
    EXPECT_EQ(Day("4711", 20240205), Row(4, 2.5, 0, 0, 0, 0, 2.5, 0));
    EXPECT_EQ(Day("4711", 20240212), Row(4, 2.5, 0, 0, 1, 0, 1.5, 1));
    // 7 shares: 0 + (7 - 2) / 10 = 0.5; rest = (0.5 + 2.5) - 1.
    EXPECT_EQ(Day("4711", 20240304), Row(7, 2.5, 0, 0.5, 1, 0, 2.0, 1));
    EXPECT_EQ(m_scenario.DailyCount("4711"), 366);
    // The day taken came from the carry-over: rest = 0.5 - ((1 - 1) + 0); shares left = 7 - 5.
    EXPECT_EQ(Year("4711", 2025), (YearRow{0.5, 2}));
}

// Rule KF: the accounting year ends with September, carry-over days are usable until the end of
// December. Night shifts earn 6 shares; free days are planned up to the end of the calendar year
// of the row's start only.
TEST_P(ShiftCalcPeriodTest, AFiscalYearStartsInOctober) {
    m_scenario.Rule("KF", 10, 5, 300, 12, 9);
    m_scenario.QualifyingShift("KF", "N", 6, 8.0);
    m_scenario.Person("4711");
    m_scenario.Contract("4711", 20200101, 0, "KF");
    m_scenario.CarryOver("4711", 2023, 2.0, 0.0, 0);
    for (int nDay : {20231106, 20240205, 20241104}) {
        m_scenario.Shift("4711", nDay, "N");
    }
    for (int nDay : {20231120, 20240219, 20241118}) {
        m_scenario.Booking("4711", nDay);
    }

    // 15 March 2024 lies before 1 October 2024: accounting year 1 Oct 2023 to 30 Sep 2024,
    // calculation year 2023, carry-over of 2023. n = trunc(0 + 2.0) = 2: usable 2.0 days and, since
    // the carry-over days count into n, 2 shares.
    Calculate("4711", 20240315);

    EXPECT_EQ(1, CountLogged("Schichtfreizeit : Personalnummer 4711, Jahr 2023, "
                             "Bewegungsdaten erfolgreich ermittelt"));
    EXPECT_EQ(Day("4711", 20231001), Row(0, 2.0, 2, 0, 0, 1, 1.0, 0));
    EXPECT_EQ(Day("4711", 20231120), Row(6, 2.0, 2, 0.5, 1, 0, 1.5, 1));
    // From 1 January the carry-over day not taken is lost: rest = 0.5 - ((1 - 1) + 0).
    EXPECT_EQ(Day("4711", 20240101), Row(6, 0, 0, 0.5, 1, 0, 0.5, 1));
    // The booking of 19 February is taken but was never planned.
    EXPECT_EQ(Day("4711", 20240219), Row(12, 0, 0, 1.0, 2, 0, 0.0, 1));
    EXPECT_EQ(Day("4711", 20240930), Row(12, 0, 0, 1.0, 2, 0, 0.0, 1));
    EXPECT_FALSE(Day("4711", 20241001));
    EXPECT_EQ(m_scenario.DailyCount("4711"), 366);
    EXPECT_EQ(Year("4711", 2024), (YearRow{0.0, 2}));

    // 1 October 2024 is the first day of the next accounting year, which starts from the row just
    // written: 0.0 days and 2.0 shares, so usable 0 days and 2 shares until 1 January 2025.
    Calculate("4711", 20241001);

    EXPECT_EQ(Day("4711", 20241001), Row(0, 0, 2, 0, 0, 1, -1.0, 0));
    // 1 day taken, none from the carry-over: excess 1, and below one carry-over day none is used.
    EXPECT_EQ(Day("4711", 20241118), Row(6, 0, 2, 0.5, 1, 0, -0.5, 0));
    EXPECT_EQ(Day("4711", 20250101), Row(6, 0, 0, 0.5, 1, 0, -0.5, 0));
    EXPECT_EQ(Day("4711", 20250930), Row(6, 0, 0, 0.5, 1, 0, -0.5, 0));
    EXPECT_EQ(m_scenario.DailyCount("4711"), 366 + 365);
    EXPECT_EQ(Day("4711", 20240930), Row(12, 0, 0, 1.0, 2, 0, 0.0, 1));
    EXPECT_EQ(Year("4711", 2025), (YearRow{-0.5, 1}));
    EXPECT_EQ(Year("4711", 2024), (YearRow{0.0, 2}));
}

// A request dated in 1900 concerns the current year. With a fiscal year (here ending with
// September) its date always lies before the year's start, so it concerns the fiscal year that
// began on 1 October of the year before.
TEST_P(ShiftCalcPeriodTest, ARequestDatedIn1900ConcernsTheCurrentYear) {
    const int nLast = m_nYear - 1;
    m_scenario.Rule("KF", 10, 5, 300, 12, 9);
    m_scenario.Person("4711");
    m_scenario.Contract("4711", 20200101, 0, "KF");
    m_scenario.CarryOver("4711", nLast, 1.0, 0.0, 0);
    m_scenario.CarryOver("4711", m_nYear, 7.0, 0.0, 0);

    Calculate("4711", 19000101);

    // n = trunc(0 + 1.0) = 1: usable 1.0 day and 1 share until 1 January.
    EXPECT_EQ(Day("4711", Date(nLast, 1001)), Row(0, 1.0, 1, 0, 0, 0, 1.0, 0));
    EXPECT_EQ(Day("4711", Date(nLast, 1231)), Row(0, 1.0, 1, 0, 0, 0, 1.0, 0));
    EXPECT_EQ(Day("4711", Date(m_nYear, 101)), Row(0, 0, 0, 0, 0, 0, 0.0, 0));
    const int nLastDay = std::min(Date(m_nYear, 930), m_nToday);
    EXPECT_EQ(m_scenario.DailyCount("4711"), DaysBetween(Date(nLast, 1001), nLastDay));
    EXPECT_EQ(Year("4711", m_nYear), (YearRow{0.0, 0.0}));
    EXPECT_EQ(Year("4711", nLast), (YearRow{1.0, 0.0}));
    EXPECT_EQ(m_scenario.YearlyCount("4711"), 2);
}

// The current year itself: the days up to today are written, the old rows of later days are
// deleted and not written again, rows outside the year stay.
TEST_P(ShiftCalcPeriodTest, DaysAfterTodayAreNotWritten) {
    m_scenario.Rule("K1", 10, 5, 300, 3);
    m_scenario.QualifyingShift("K1", "N", 6, 8.0);
    m_scenario.Person("4711");
    m_scenario.Contract("4711", Date(m_nYear - 1, 601), 0, "K1");
    m_scenario.Shift("4711", Date(m_nYear, 101), "N");
    const int nTomorrow = DayAfter(m_nToday);
    const int nYearEnd = Date(m_nYear, 1231);
    for (int nDay : {Date(m_nYear, 101), nYearEnd, Date(m_nYear + 1, 101)}) {
        m_scenario.OldDailyRow("4711", nDay, 99);
    }
    if (nTomorrow < nYearEnd) {
        m_scenario.OldDailyRow("4711", nTomorrow, 99);
    }

    Calculate("4711", 19000101);

    // 6 shares: 0.5 days.
    EXPECT_EQ(Day("4711", Date(m_nYear, 101)), Row(6, 0, 0, 0.5, 0, 0, 0.5, 0));
    EXPECT_EQ(Day("4711", m_nToday), Row(6, 0, 0, 0.5, 0, 0, 0.5, 0));
    if (m_nToday < nYearEnd) {
        EXPECT_FALSE(Day("4711", nYearEnd));
        EXPECT_FALSE(Day("4711", nTomorrow));
    }
    EXPECT_EQ(Day("4711", Date(m_nYear + 1, 101)), Row(99, 99, 99, 99, 99, 99, 99, 99));
    EXPECT_EQ(m_scenario.DailyCount("4711"), DaysBetween(Date(m_nYear, 101), m_nToday) + 1);
    EXPECT_EQ(Year("4711", m_nYear + 1), (YearRow{0.5, 1}));
}

// Without a contract in the accounting year no daily row is written. The carry-over row of the
// next year is deleted; it is written again, with nothing left, only when the year had one.
TEST_P(ShiftCalcPeriodTest, AYearWithoutAContract) {
    m_scenario.Rule("K1", 10, 5, 300, 3);
    for (const char* pszPnr : {"4711", "4712", "4713"}) {
        m_scenario.Person(pszPnr);
        m_scenario.Booking(pszPnr, 20240115);
        m_scenario.OldDailyRow(pszPnr, 20240110, 99);
        m_scenario.CarryOver(pszPnr, 2025, 9.0, 9.0, 9);
    }
    m_scenario.CarryOver("4712", 2024, 2.0, 3.0, 4);
    // A row that ends on the first day of the accounting year does not reach into it.
    m_scenario.Contract("4713", 20230301, 20240101, "K1");

    Calculate("4711", 20240615);
    Calculate("4712", 20240615);
    Calculate("4713", 20240615);

    EXPECT_EQ(Year("4711", 2025), std::nullopt);
    EXPECT_EQ(Year("4712", 2025), (YearRow{0.0, 0.0}));
    EXPECT_EQ(Year("4712", 2024), (YearRow{2.0, 3.0}));
    EXPECT_EQ(Year("4713", 2025), std::nullopt);
    // Without any contract row there is no accounting year and the old row stays; a contract that
    // does not reach into the year leaves no row of the year behind.
    for (const char* pszPnr : {"4711", "4712"}) {
        EXPECT_EQ(m_scenario.DailyCount(pszPnr), 1) << pszPnr;
        EXPECT_EQ(Day(pszPnr, 20240110), Row(99, 99, 99, 99, 99, 99, 99, 99)) << pszPnr;
    }
    EXPECT_EQ(m_scenario.DailyCount("4713"), 0);
    EXPECT_EQ(0, CountLogged("Schichtfreizeit Vortrag: Personanummer 4711, Jahr 2025, "
                             "Rest: 0.000000, Anteile: 0.000000"));
    EXPECT_EQ(1, CountLogged("Schichtfreizeit Vortrag: Personanummer 4712, Jahr 2025, "
                             "Rest: 0.000000, Anteile: 0.000000"));
}

INSTANTIATE_TEST_SUITE_P(Products, ShiftCalcPeriodTest, ::testing::Values(kMySqlCase, kOracleCase),
                         DialectName);

}  // namespace
