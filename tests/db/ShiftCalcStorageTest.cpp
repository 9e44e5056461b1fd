// How the results of a request are stored: a request calculated again replaces its rows, and the
// texts of a request reach the tables verbatim.
#include "tests/db/Scenario.h"

namespace {

class ShiftCalcStorageTest : public KvtCalcTest {
protected:
    // January 2024 under rule K1 (10 shares a day, steps of 5, deadline 1 April): a night shift of
    // 6 shares on 1 January and the carry-over 2.0 days, 3.0 shares, 4 year-start shares, usable as
    // 2.5 days. So every day has 10 shares, 1.0 day of entitlement and 2.5 days of carry-over.
    void January(const CString& strPnr) {
        m_scenario.Person(strPnr);
        m_scenario.Contract(strPnr, 20240101, 20240131, "K1");
        m_scenario.Shift(strPnr, 20240101, "N");
        m_scenario.CarryOver(strPnr, 2024, 2.0, 3.0, 4);
    }

    void SetUp() override {
        KvtCalcTest::SetUp();
        m_scenario.Rule("K1", 10, 5, 300, 3);
        m_scenario.QualifyingShift("K1", "N", 6, 8.0);
    }
};

TEST_P(ShiftCalcStorageTest, CalculatingARequestAgainReplacesItsRows) {
    January("4711");
    m_scenario.OldDailyRow("4711", 20240105, 99);
    m_scenario.CarryOver("4711", 2025, 9.0, 9.0, 9);

    Calculate("4711", 20240115);
    const std::vector<CString> first = m_scenario.StoredRows("4711", false);
    Calculate("4711", 20240115);

    EXPECT_EQ(m_scenario.StoredRows("4711", false), first);
    // rest = (1.0 + 2.5) - 0
    EXPECT_EQ(Day("4711", 20240105), Row(10, 2.5, 0, 1.0, 0, 0, 3.5, 0));
    EXPECT_EQ(m_scenario.DailyCount("4711"), 31);
    EXPECT_EQ(Year("4711", 2025), (YearRow{3.5, 0}));
    EXPECT_EQ(m_scenario.YearlyCount("4711"), 2);
}

// A quote and a backslash in the personnel number and in the user text. "O'B1" is what the
// number would turn into where a backslash escapes the next character.
TEST_P(ShiftCalcStorageTest, HostileTextsAreStoredVerbatim) {
    const CString strPnr("O'B\\1");
    const CString strUser("M\xFCller's \\Team");
    January(strPnr);
    m_scenario.Booking(strPnr, 20240120);
    m_scenario.Person("O'B1");
    m_scenario.OldDailyRow("O'B1", 20240105, 99);
    m_scenario.CarryOver("O'B1", 2025, 9.0, 9.0, 9);

    Calculate(strPnr, 20240115, strUser);

    // One day planned, later taken: rest = (1.0 + 2.5) - 1 on every day.
    EXPECT_EQ(Day(strPnr, 20240101), Row(10, 2.5, 0, 1.0, 0, 1, 2.5, 0));
    EXPECT_EQ(Day(strPnr, 20240131), Row(10, 2.5, 0, 1.0, 1, 0, 2.5, 1));
    EXPECT_EQ(m_scenario.DailyCount(strPnr), 31);
    EXPECT_EQ(Year(strPnr, 2025), (YearRow{2.5, 0}));
    std::vector<CString> rows;
    m_raw.QueryRows("SELECT DISTINCT SFZPNR, SFZERF FROM ZTW332SFZ WHERE SFZERF <> 'ALT'", rows);
    EXPECT_EQ(rows, std::vector<CString>{strPnr + "|" + strUser});
    m_raw.QueryRows("SELECT SFVPNR, SFVERF FROM ZTW332SFV WHERE SFVJHR = 2025 ORDER BY SFVPNR", rows);
    EXPECT_EQ(rows, (std::vector<CString>{"O'B1|ALT", strPnr + "|" + strUser}));
    EXPECT_EQ(Day("O'B1", 20240105), Row(99, 99, 99, 99, 99, 99, 99, 99));
    EXPECT_EQ(1, CountLogged("Schichtfreizeit Vortrag: Personanummer O'B\\1, Jahr 2025, "
                             "Rest: 2.500000, Anteile: 0.000000"));
}

INSTANTIATE_TEST_SUITE_P(Products, ShiftCalcStorageTest, ::testing::Values(kMySqlCase, kOracleCase),
                         DialectName);

}  // namespace
