// kvt-report's database work on each product: a person's year calculated without a change to what
// is stored, compared at the decimals the tables keep, and a request queued in the form kvt reads.
#include <string>

#include "base/FieldText.h"
#include "report/CRequestQueue.h"
#include "report/PersonYear.h"
#include "report/ReportFormat.h"
#include "report/StaleCheck.h"
#include "report/StoredYears.h"
#include "tests/db/Scenario.h"

namespace {

class ReportPersonTest : public KvtCalcTest {
protected:
    void SetUp() override {
        KvtCalcTest::SetUp();
        m_scenario.Rule("K1", 10, 5, 300, 3);
        m_scenario.QualifyingShift("K1", "N", 6, 8.0);
    }
};

// January 2024 as in the storage suite: every day 10 shares, 1 day earned, 2.5 days carried over.
TEST_P(ReportPersonTest, TheYearIsCalculatedWithoutChangingWhatIsStored) {
    m_scenario.Person("4711");
    m_scenario.Contract("4711", 20240101, 20240131, "K1");
    m_scenario.Shift("4711", 20240101, "N");
    m_scenario.CarryOver("4711", 2024, 2.0, 3.0, 4);
    m_scenario.OldDailyRow("4711", 20240105, 99);
    m_scenario.Commit();
    const std::vector<CString> before = m_scenario.StoredRows("4711");

    PersonYear year;
    ASSERT_EQ(CalculatePersonYear(m_db, "4711", 20241231, &year), CalcOutcome::Done) << year.strFailure;
    EXPECT_EQ(m_scenario.StoredRows("4711"), before);
    EXPECT_EQ(year.nCalcYear, 2024);
    EXPECT_EQ(year.nPeriodStart, 20240101);
    EXPECT_TRUE(year.bCarryOver);
    EXPECT_EQ(year.nYearStartShares, 4);
    ASSERT_EQ(year.stored.days.size(), 1u);
    EXPECT_EQ(year.stored.days[0].key, 20240105);
    ASSERT_EQ(year.computed.days.size(), 31u);
    EXPECT_EQ(year.computed.days[4].key, 20240105);
    EXPECT_DOUBLE_EQ(year.computed.days[4].values[kSfzRst], 3.5);
    EXPECT_DOUBLE_EQ(year.computed.days[4].values[kSfzSta], 1.0);
    // The carry-over into 2025 as calculated.
    ASSERT_EQ(year.computed.years.size(), 1u);
    EXPECT_EQ(year.computed.years[0].key, 2025);
    EXPECT_DOUBLE_EQ(year.computed.years[0].values[kSfvVtg], 3.5);

    const std::vector<StaleFinding> findings = FindStaleResults(year);
    ASSERT_EQ(findings.size(), 3u);
    EXPECT_EQ(findings[0].strPlace, "2024-01-01");
    EXPECT_STREQ(findings[0].pszKind, kNotStored);
    EXPECT_EQ(findings[0].changes[0].strNew, "30 Tage");
    EXPECT_EQ(findings[1].strPlace, "2024-01-05");
    EXPECT_EQ(findings[2].strPlace, "Vortrag 2025");
}

// A contract shortened, a contract row removed and a start moved beyond the year: the check finds
// the rows that the next request no longer writes, the request removes them and nothing outside
// the year, and the check then finds nothing.
TEST_P(ReportPersonTest, RowsThatNoContractCoversAnyMoreAreFoundAndRemovedByTheNextRequest) {
    const std::vector<CString> persons = {"4711", "4712", "4713"};
    for (const CString& strPnr : persons) {
        m_scenario.Person(strPnr);
        m_scenario.OldDailyRow(strPnr, 20241231, 99);
        m_scenario.OldDailyRow(strPnr, 20260101, 99);
    }
    m_scenario.Contract("4711", 20241201, 0, "K1");
    m_scenario.Contract("4712", 20240101, 20250630, "K1");
    m_scenario.Contract("4712", 20250701, 0, "K1");
    m_scenario.Contract("4713", 20241201, 0, "K1");
    for (const CString& strPnr : persons) {
        Calculate(strPnr, 20251231);
    }
    m_raw.Exec("UPDATE ZTW310BSV SET BSVGBI = DATE '2025-08-31' WHERE BSVPNR = '4711'");
    m_raw.Exec("DELETE FROM ZTW310BSV WHERE BSVPNR = '4712' AND BSVGVO = DATE '2025-07-01'");
    m_raw.Exec("UPDATE ZTW310BSV SET BSVGVO = DATE '2026-01-01' WHERE BSVPNR = '4713'");

    const std::vector<const char*> firstDropped = {"2025-09-01", "2025-07-01", "2025-01-01"};
    const std::vector<long> kept = {243, 181, 0};
    for (size_t i = 0; i < persons.size(); ++i) {
        PersonYear year;
        ASSERT_EQ(CalculatePersonYear(m_db, persons[i], 20251231, &year), CalcOutcome::Done)
            << year.strFailure;
        std::vector<StaleFinding> findings = FindStaleResults(year);
        ASSERT_FALSE(findings.empty()) << persons[i];
        EXPECT_EQ(findings[0].strPlace, firstDropped[i]) << persons[i];
        EXPECT_STREQ(findings[0].pszKind, kStoredDropped) << persons[i];

        Calculate(persons[i], 20251231);
        EXPECT_EQ(m_scenario.DailyCount(persons[i]), kept[i] + 2) << persons[i];
        EXPECT_EQ(Day(persons[i], 20241231), Row(99, 99, 99, 99, 99, 99, 99, 99));
        EXPECT_EQ(Day(persons[i], 20260101), Row(99, 99, 99, 99, 99, 99, 99, 99));
        ASSERT_EQ(CalculatePersonYear(m_db, persons[i], 20251231, &year), CalcOutcome::Done);
        findings = FindStaleResults(year);
        EXPECT_TRUE(findings.empty()) << persons[i] << ": " << findings[0].strPlace;
    }
    // The year of 4713 has no contract any more: its carry-over into 2026 is gone as well.
    EXPECT_EQ(Year("4713", 2026), std::nullopt);
}

// Without a year the check looks at the years with stored daily rows from the year before the
// current one on and at the year that a request dated in 1900 calculates, which for a fiscal year
// from October began in the year before. Right after the requests nothing differs; a booking of
// the year before changed afterwards is found in that year.
TEST_P(ReportPersonTest, TheStoredYearsAndTheYearOfTheCurrentYearRuleAreChecked) {
    const int nYear = CurrentYear();
    m_scenario.Rule("KF", 10, 5, 300, 12, 9);
    for (const char* pszPnr : {"4711", "4713"}) {
        m_scenario.Person(pszPnr);
        m_scenario.Contract(pszPnr, 20200101, 0, "K1");
        m_scenario.Booking(pszPnr, (nYear - 1) * 10000 + 615);
        Calculate(pszPnr, (nYear - 1) * 10000 + 630);
    }
    m_scenario.OldDailyRow("4711", (nYear - 3) * 10000 + 101, 99);
    Calculate("4711", 19000101);
    m_scenario.Person("4712");
    m_scenario.Contract("4712", 20200101, 0, "KF");
    Calculate("4712", 19000101);

    const CheckScope scope{0, false, Today(m_raw)};
    const auto check = [&](const char* pszPnr, const CheckScope& checked) {
        std::vector<PersonYear> years;
        EXPECT_EQ(CalculateStoredYears(m_db, pszPnr, checked, &years), CalcOutcome::Done);
        std::vector<CString> found;
        for (const PersonYear& year : years) {
            CString strYear;
            strYear.Format("%d:", year.nCalcYear);
            const int32_t nPendingFrom = checked.bMissing ? 0 : FirstPendingDay(year, checked.nToday);
            for (const StaleFinding& finding : FindStaleResults(year, nPendingFrom)) {
                strYear += " " + finding.strPlace;
            }
            found.push_back(strYear);
        }
        return found;
    };
    const CString strBefore = CString(std::to_string(nYear - 1).c_str()) + ":";
    const CString strCurrent = CString(std::to_string(nYear).c_str()) + ":";
    EXPECT_EQ(check("4711", scope), (std::vector<CString>{strBefore, strCurrent}));
    EXPECT_EQ(check("4712", scope), (std::vector<CString>{strBefore}));
    EXPECT_EQ(check("4713", scope), (std::vector<CString>{strBefore}));
    CString strNothingStored;
    strNothingStored.Format("%d: %s Vortrag %d", nYear, FormatIsoDate(nYear * 10000 + 101).GetString(),
                            nYear + 1);
    EXPECT_EQ(check("4713", CheckScope{0, true, scope.nToday}),
              (std::vector<CString>{strBefore, strNothingStored}));

    // Half a day less planned from the first day of the year on, and half a day less taken.
    m_raw.Exec("UPDATE ZTW327TAG SET TAGTGB = NULL, TAGHTV = 'X' WHERE TAGPNR = '4711'");
    CString strVortrag;
    strVortrag.Format(" Vortrag %d", nYear);
    EXPECT_EQ(check("4711", scope),
              (std::vector<CString>{strBefore + " " + FormatIsoDate((nYear - 1) * 10000 + 101) + strVortrag,
                                    strCurrent}));
}

// A table that keeps fewer decimals than kvt sends holds kvt's results rounded, and they are still
// what a calculation would store. The rest of 5 January is 3.623 days.
TEST_P(ReportPersonTest, ResultsRoundedByTheTableAreNotStale) {
    const CString strTable = CString(Schema()) + ".ZTW332SFZ";
    m_raw.Exec("SET SESSION lock_wait_timeout = 10");
    m_raw.Exec("ALTER TABLE " + strTable + " MODIFY SFZRST DECIMAL(15, 2) NULL");
    m_scenario.Person("4711");
    m_scenario.Contract("4711", 20240101, 20240131, "K1");
    m_scenario.Shift("4711", 20240101, "N");
    m_scenario.CarryOver("4711", 2024, 2.123, 3.0, 4);
    Calculate("4711", 20241231);

    PersonYear year;
    const CalcOutcome outcome = CalculatePersonYear(m_db, "4711", 20241231, &year);
    m_raw.Exec("ALTER TABLE " + strTable + " MODIFY SFZRST DECIMAL(15, 6) NULL");
    ASSERT_EQ(outcome, CalcOutcome::Done) << year.strFailure;
    ASSERT_EQ(year.stored.days.size(), 31u);
    EXPECT_DOUBLE_EQ(year.stored.days[4].values[kSfzRst], 3.62);
    EXPECT_DOUBLE_EQ(year.computed.days[4].values[kSfzRst], 3.623);
    EXPECT_TRUE(FindStaleResults(year).empty());
}

TEST_P(ReportPersonTest, RequestsAreQueuedAsKvtReadsThemAndNeverShareANumber) {
    CRequestQueue queue(m_db, Schema(), "PLANER");
    CRequestQueue sameSecond(m_db, Schema(), "PLANER");
    CString strFirst;
    CString strSecond;
    CString strOther;
    ASSERT_EQ(queue.Queue("4711", 20241231, &strFirst), 0) << m_db.GetSqlMessage();
    ASSERT_EQ(queue.Queue("4712", 20241231, &strSecond), 0) << m_db.GetSqlMessage();
    ASSERT_EQ(sameSecond.Queue("4713", 20241231, &strOther), 0) << m_db.GetSqlMessage();

    ParamRecord request{};
    ASSERT_EQ(m_db.ReadNextRequest(Schema(), "PLANER", &request), 0);
    const CString strNumber = FieldText(request.PRMNUM, sizeof(request.PRMNUM));
    EXPECT_EQ(strFirst, strNumber + "/1");
    EXPECT_EQ(strSecond, strNumber + "/2");
    EXPECT_NE(strOther.Left(11), strNumber);
    EXPECT_EQ(strNumber.GetAt(0), 'R');
    EXPECT_EQ(request.PRMTYP, 5);
    EXPECT_STREQ(request.PRMPNR, "4711");
    EXPECT_EQ(request.PRMDTM, 20241231);
    EXPECT_STREQ(request.PRMFCD, "SF");
    EXPECT_STREQ(request.PRMERF, "kvt-report");
    m_db.Rollback();
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM"), 3);
}

INSTANTIATE_TEST_SUITE_P(Products, ReportPersonTest, ::testing::Values(kMySqlCase, kOracleCase), DialectName);

}  // namespace
