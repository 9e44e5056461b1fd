// One request is one unit of work: its claim keeps other connections off it without making them
// wait, and a request whose calculation keeps failing is given up and closed in the end.
#include <string>

#include "app/ProcessRequest.h"
#include "tests/db/Scenario.h"

namespace {

class RequestUnitTest : public KvtCalcTest {
protected:
    void Queue(const char* pszNumber) {
        m_scenario.Commit();
        CString strSql;
        strSql.Format(
            "INSERT INTO ZTWBASIS.ZTW002PRM (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMPNR, PRMDTM, PRMUHR, "
            "PRMFCD, PRMERF) VALUES ('%s', 1, 5, 'KVTTEST', 'PLANER', '4711', DATE '2024-01-15', "
            "TIMESTAMP '2024-01-15 08:30:00', 'SF', 'Planer')",
            pszNumber);
        m_raw.Exec(strSql);
    }

    static std::string Claim(CDbConnection& db) {
        ParamRecord record{};
        const int32_t nResult = db.ReadNextRequest("KVTTEST", "PLANER", &record);
        return nResult == 0 ? std::string(record.PRMNUM) : "rc " + std::to_string(nResult);
    }
};

// MariaDB in its ORACLE mode locks every row of a FOR UPDATE SKIP LOCKED cursor when it executes,
// where Oracle locks the rows it fetches: there the other connection finds nothing free, but it
// never waits either.
TEST_P(RequestUnitTest, AClaimedRequestIsPassedOverByOthersUntilItsTransactionEnds) {
    Queue("1");
    Queue("2");
    CDbConnection other;
    other.SetConfig(&m_config);
    other.SetSchema(Schema());
    ASSERT_EQ(other.Connect(), 0);

    EXPECT_EQ(Claim(m_db), "1");
    const std::string strOther = Claim(other);
    EXPECT_TRUE(strOther == "2" || (!IsMySql() && strOther == "rc 100")) << strOther;
    EXPECT_EQ(other.Rollback(), 0);
    EXPECT_EQ(m_db.Rollback(), 0);
    EXPECT_EQ(Claim(other), "1");
    EXPECT_EQ(other.Rollback(), 0);
}

// The fourth time a request comes up after three attempts that failed in a way that might pass, it
// is closed without a calculation: the stored rows stay as they are.
TEST_P(RequestUnitTest, ARequestGivenUpAfterThreeAttemptsIsClosedWithoutCalculation) {
    m_scenario.Person("4711");
    m_scenario.OldDailyRow("4711", 20240110, 99);
    Queue("7");
    ParamRecord request{};
    ASSERT_EQ(m_db.ReadNextRequest("KVTTEST", "PLANER", &request), 0);
    CRequestLedger ledger;
    for (int i = 0; i < CRequestLedger::kMaxAttempts; ++i) {
        ledger.CountAttempt(request);
    }

    EXPECT_EQ(ProcessRequest(m_db, request, ledger), RequestOutcome::Closed);

    EXPECT_EQ(m_scenario.DailyCount("4711"), 1);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM"), 0);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM = '7'"), 1);
    EXPECT_TRUE(Logged("Fehler : Parametersatz 7, lfd. Nr. 1, Personalnummer 4711: nach 3 Versuchen nicht "
                       "berechnet, die gespeicherten Ergebnisse bleiben unver\xE4ndert; der Auftrag wird "
                       "abgeschlossen."));
}

INSTANTIATE_TEST_SUITE_P(Products, RequestUnitTest, ::testing::Values(kMySqlCase, kOracleCase), DialectName);

}  // namespace
