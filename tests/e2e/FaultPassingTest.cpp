// Faults that pass, and requests that cannot be addressed: a table that is full for a while leaves
// every request queued until it has passed, a request number that finds no row is left alone once
// while the queue goes on, and a request that another session holds is not reported as done.
#include <signal.h>
#include <unistd.h>

#include <algorithm>

#include "tests/e2e/FaultRunTest.h"

namespace {

class FaultPassingTest : public FaultRunTest {
protected:
    void TearDown() override {
        m_raw.Exec("DROP TRIGGER IF EXISTS KVTTEST.FAULT_FULL_SFZ");
        FaultRunTest::TearDown();
    }

    long CountLogged(const std::string& strPart) const {
        const Rows texts = LogTexts();
        return std::count_if(texts.begin(), texts.end(),
                             [&](const std::string& strText) { return strText.find(strPart) != std::string::npos; });
    }

    bool WaitForLogged(const std::string& strPart, int nTimeoutMs) const {
        for (int nWaited = 0; nWaited < nTimeoutMs; nWaited += 50) {
            if (CountLogged(strPart) > 0) {
                return true;
            }
            usleep(50000);
        }
        return false;
    }
};

// The server refuses every daily row as a full table would (error 1114) until the trigger goes.
TEST_F(FaultPassingTest, ATableFullForAWhileLeavesEveryRequestQueuedUntilItHasPassed) {
    for (const char* pszNumber : {"1", "2", "3"}) {
        Queue(pszNumber, std::string("P") + pszNumber);
    }
    m_raw.Exec(
        "CREATE TRIGGER KVTTEST.FAULT_FULL_SFZ BEFORE INSERT ON KVTTEST.ZTW332SFZ FOR EACH ROW "
        "SIGNAL SQLSTATE 'HY000' SET MYSQL_ERRNO = 1114, MESSAGE_TEXT = 'The table ZTW332SFZ is full'");
    ASSERT_TRUE(StartPolling());
    ASSERT_TRUE(WaitForLogged("Berechnung abgebrochen, alles zur\xFC" "ckgesetzt (Versuch 1 von 3)", 10000));
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM"), 3);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR"), 0);
    m_raw.Exec("DROP TRIGGER KVTTEST.FAULT_FULL_SFZ");

    EXPECT_TRUE(WaitForEmptyQueue(20000));
    m_polling.Signal(SIGTERM);
    EXPECT_EQ(m_polling.Wait(5000), 0);
    for (const char* pszNumber : {"1", "2", "3"}) {
        EXPECT_EQ(ClosingRowCount(pszNumber), 1);
    }
    EXPECT_EQ(CountLogged(Calculated("P1")), 2) << "the attempt undone and the one that went through";
    EXPECT_EQ(CountLogged("SqlCode: 1114, SqlState: HY000, "), 1);
}

// A number with a NUL byte cannot be bound as it is stored: its delete finds no row. Closing it all
// the same would claim it again at once, for ever; it is left alone with one line instead.
TEST_F(FaultPassingTest, ARequestNumberThatFindsNoRowIsLeftAloneOnceAndTheQueueGoesOn) {
    Queue("1", "PN");
    m_raw.Exec("UPDATE ZTWBASIS.ZTW002PRM SET PRMNUM = CONCAT('1', CHAR(0), 'X') WHERE PRMNUM = '1'");
    Queue("2", "P2");
    Queue("3", "P3");
    ASSERT_TRUE(StartPolling());
    for (int nWaited = 0; nWaited < 30000 && ClosingRowCount("3") == 0; nWaited += 100) {
        usleep(100000);
    }
    usleep(500000);
    m_polling.Signal(SIGTERM);
    EXPECT_EQ(m_polling.Wait(5000), 0);

    EXPECT_EQ(ClosingRowCount("2"), 1);
    EXPECT_EQ(ClosingRowCount("3"), 1);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR"), 2);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM"), 1);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM KVTTEST.ZTW332SFZ WHERE SFZPNR = 'PN'"), 0);
    EXPECT_EQ(CountLogged("Personalnummer PN: Auftrag nicht gel\xF6scht, seine Nummer findet keine Zeile"), 1);
    EXPECT_EQ(CountLogged(Calculated("PN")), 1);
}

// PARM: ends with 0 only when its request is no longer queued: one that another session holds is
// waited for as long as the lock wait timeout allows (a second on this data source).
TEST_F(FaultPassingTest, ARequestHeldByAnotherSessionIsNotReportedDone) {
    WriteConfig("MYSQL", CTestDatabase::PASSWORD, "KVT_MYSQL_FAST");
    Queue("1", "P1");
    CTestDatabase other;
    ASSERT_TRUE(other.Connect(CTestDatabase::DSN_MYSQL));
    other.Exec("START TRANSACTION");
    other.Exec("SELECT * FROM ZTWBASIS.ZTW002PRM WHERE PRMNUM = '1' FOR UPDATE");

    EXPECT_EQ(RunKvt({"PARM:1"}).m_nExitCode, 4);
    EXPECT_EQ(CountLogged("Fehler beim Lesen Parametersatz: 1 RC: 1205"), 1);
    EXPECT_EQ(QueuedCount("1"), 1);

    other.Exec("ROLLBACK");
    EXPECT_EQ(RunKvt({"PARM:1"}).m_nExitCode, 0);
    EXPECT_EQ(QueuedCount("1"), 0);
    EXPECT_EQ(ClosingRowCount("1"), 1);
}

}  // namespace
