// kvt-report's explanation of randomized persons on each product, with rules that change within the
// year: on every day the rest is what the columns add up to, and the postings add up to the table.
#include <algorithm>
#include <random>
#include <set>

#include "calc/DateAdd.h"
#include "report/Postings.h"
#include "report/YearTable.h"
#include "tests/db/Scenario.h"

namespace {

class ReportExplainTest : public KvtCalcTest {
protected:
    int Random(int nLow, int nHigh) { return std::uniform_int_distribution<int>(nLow, nHigh)(m_random); }

    // A person from 2024 on with one to three contract rows on random rules, shifts on some days up to
    // the end of September 2025 (a fiscal year runs to then), bookings of free time and of vacation,
    // whole and half days, some of them of a function that does not count.
    void AddPerson(const CString& strPnr, int nRows) {
        m_scenario.Person(strPnr);
        int nFrom = Random(0, 1) == 0 ? 20230601 : 20240101;
        for (int i = 0; i < nRows; ++i) {
            const int nTo = i + 1 == nRows ? 0 : DateAdd(std::max(nFrom, 20240101), Random(30, 150), 0, 0);
            m_scenario.Contract(strPnr, nFrom, nTo, kRules[static_cast<size_t>(Random(0, 5))]);
            nFrom = DateAdd(nTo, Random(1, 10), 0, 0);
        }
        if (Random(0, 3) != 0) {
            m_scenario.CarryOver(strPnr, 2024, Random(-4, 12) / 2.0, Random(0, 9), Random(0, 10));
        }
        for (int nDay = 20240101; nDay <= 20250930; nDay = DayAfter(nDay)) {
            if (Random(0, 9) < 4) {
                m_scenario.Shift(strPnr, nDay, Random(0, 1) == 0 ? "N" : "S", Random(4, 10));
            }
        }
        std::set<int> booked;  // a day record a day
        for (int i = 0; i < 16; ++i) {
            const int nDay = DateAdd(20240101, Random(0, 800), 0, 0);
            if (!booked.insert(nDay).second) {
                continue;
            }
            m_scenario.Booking(strPnr, nDay, static_cast<BookedDay>(Random(0, 2)), Random(0, 5) == 0 ? 4 : 1,
                               Random(0, 4) == 0 ? CScenario::HOLIDAY : CScenario::FREE_TIME);
        }
    }

    static constexpr const char* kRules[] = {"R1", "R2", "R3", "R4", "R5", "RF"};
    std::mt19937 m_random{20241231};
};

TEST_P(ReportExplainTest, TheColumnsAndThePostingsAddUpOnEveryDayOfRandomPersons) {
    // Another share count, another carry-over month (0, 3, 4, 12), steps larger than a day, a cap.
    m_scenario.Rule("R1", 10, 5, 300, 4);
    m_scenario.Rule("R2", 8, 4, 120, 3);
    m_scenario.Rule("R3", 7, 0, 300, 0);
    m_scenario.Rule("R4", 12, 13, 300, 12);
    m_scenario.Rule("R5", 5, 2, 40, 6, 12);
    m_scenario.Rule("RF", 10, 5, 300, 3, 9);
    for (const char* pszRule : kRules) {
        m_scenario.QualifyingShift(pszRule, "N", Random(1, 8) / 2.0, 6.0);
        m_scenario.QualifyingShift(pszRule, "S", 0.25, 8.0);
    }
    // The first person changes on 1 April from a carry-over month of 4 to one of 3.
    m_scenario.Person("P0");
    m_scenario.Contract("P0", 20240101, 20240331, "R1");
    m_scenario.Contract("P0", 20240401, 0, "R2");
    m_scenario.CarryOver("P0", 2024, 5.0, 4.5, 0);
    m_scenario.Booking("P0", 20240215);
    for (int i = 1; i < 12; ++i) {
        AddPerson(CString("P") + std::to_string(i).c_str(), 1 + i % 3);
    }
    m_scenario.Commit();

    for (int i = 0; i < 12; ++i) {
        const CString strPnr = CString("P") + std::to_string(i).c_str();
        PersonYear year;
        ASSERT_EQ(CalculatePersonYear(m_db, strPnr, 20241231, &year), CalcOutcome::Done) << year.strFailure;
        const ExplainedYear explained = ExplainYear(year, 0);
        std::vector<Posting> postings;
        ASSERT_EQ(ReadPostings(m_db, year, explained, &postings), 0) << m_db.GetSqlMessage();
        m_db.Rollback();
        ASSERT_FALSE(explained.days.empty()) << strPnr;

        double dTaken = 0.0;
        auto itPosting = postings.begin();
        for (const ExplainedDay& day : explained.days) {
            const auto& v = day.pRow->values;
            const int32_t nDay = day.pRow->key;
            EXPECT_NEAR(v[kSfzRst], v[kSfzAns] + day.dCarry + day.dUsed - v[kSfzGen] - v[kSfzVpl], 1e-5)
                << strPnr << " " << nDay;
            double dShares = 0.0;
            for (; itPosting != postings.end() && itPosting->nDay <= nDay; ++itPosting) {
                dShares += itPosting->count == PostingCount::Shares ? itPosting->dShares : 0.0;
                dTaken += itPosting->count == PostingCount::Taken ? itPosting->dDays : 0.0;
            }
            EXPECT_NEAR(dShares, day.dShares, 1e-6) << strPnr << " " << nDay;
            EXPECT_NEAR(dTaken, v[kSfzGen], 1e-6) << strPnr << " " << nDay;
            // Planned: the bookings after the day that the window of the day's contract row holds.
            const ContractRecord& rule = *explained.ranges[static_cast<size_t>(day.nRange)].pContract;
            double dPlanned = 0.0;
            for (auto it = itPosting; it != postings.end(); ++it) {
                const bool bCounts = it->count == PostingCount::Taken || it->count == PostingCount::Planned;
                const bool bInWindow =
                    it->nDay >= rule.validFrom && it->nDay <= rule.validFrom / 10000 * 10000 + 1231;
                dPlanned += bCounts && bInWindow && !it->bShift ? it->dDays : 0.0;
            }
            EXPECT_NEAR(dPlanned, v[kSfzVpl], 1e-6) << strPnr << " " << nDay;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Products, ReportExplainTest, ::testing::Values(kMySqlCase, kOracleCase),
                         DialectName);

}  // namespace
