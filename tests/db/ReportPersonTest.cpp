// kvt-report's database work on each product: a person's year calculated without a change to what
// is stored, compared at the decimals the tables keep, and a request queued in the form kvt reads.
#include "base/FieldText.h"
#include "report/CRequestQueue.h"
#include "report/PersonYear.h"
#include "report/StaleCheck.h"
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
    // The carry-over into 2024 as it was read, and the one into 2025 as calculated.
    ASSERT_EQ(year.computed.years.size(), 2u);
    EXPECT_EQ(year.computed.years[1].key, 2025);
    EXPECT_DOUBLE_EQ(year.computed.years[1].values[kSfvVtg], 3.5);

    const std::vector<StaleFinding> findings = FindStaleResults(year);
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].strPlace, "2024-01-01");
    EXPECT_EQ(findings[1].strPlace, "Vortrag 2025");
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
