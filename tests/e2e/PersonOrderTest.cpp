// The requests of one person are calculated one at a time, in queue order, by however many workers:
// an older request that stalls after reading its inputs cannot commit last over a newer one, a
// person's waiting requests for one year are closed by one calculation, and a worker that passes
// over the joined requests does not deadlock with the one that holds them. In both dialects.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <memory>

#include "tests/e2e/FaultRunTest.h"

namespace {

class PersonOrderTest : public FaultRunTest, public ::testing::WithParamInterface<Product> {
protected:
    void SetUp() override {
        FaultRunTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        DropStall();
        for (const char* pszTable : {"ZTW300PNR", "ZTW310BSV", "ZTW155KVT", "ZTW155SF1", "ZTW329ZTG", "ZTW320TGB",
                                     "ZTW332SFZ", "ZTW332SFV"}) {
            Exec("DELETE FROM " + Table(pszTable));
        }
        Exec("INSERT INTO " + Table("ZTW155KVT") +
             " (KVTMOD, KVTANZ, KVTTKT, KVTMAX, KVTVMO, KVTJMO) VALUES ('R1', 10, 5, 300, 3, NULL)");
        WriteConfig(GetParam().pszDbSystem, CTestDatabase::PASSWORD, GetParam().pszDsn);
    }

    void TearDown() override {
        DropStall();
        FaultRunTest::TearDown();
    }

    std::string Table(const char* pszTable) const { return std::string(GetParam().pszSchema) + "." + pszTable; }

    void Exec(const std::string& strSql) { ASSERT_GE(m_raw.Exec(strSql.c_str()), 0) << strSql; }

    // A person with a contract over 2024 and nDays carry-over days from 2023.
    void Person(const std::string& strPnr, int nDays) {
        Exec("INSERT INTO " + Table("ZTW300PNR") + " (PNRNUM) VALUES ('" + strPnr + "')");
        Exec("INSERT INTO " + Table("ZTW310BSV") + " (BSVPNR, BSVGVO, BSVGBI, BSVKVT) VALUES ('" + strPnr +
             "', '2024-01-01', '2024-12-31', 'R1')");
        Exec("INSERT INTO " + Table("ZTW332SFV") + " (SFVPNR, SFVJHR, SFVMAN, SFVVTG, SFVVAN, SFVZUS) VALUES ('" +
             strPnr + "', 2024, 0, " + std::to_string(nDays) + ", 0, 0)");
    }

    void QueueFor(const std::string& strNumber, const std::string& strPnr, const std::string& strDate,
                  const std::string& strUserText) {
        Exec("INSERT INTO ZTWBASIS.ZTW002PRM (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMPNR, PRMDTM, PRMUHR, "
             "PRMFCD, PRMERF) VALUES ('" + strNumber + "', 1, 5, '" + GetParam().pszSchema + "', 'planer', '" +
             strPnr + "', '" + strDate + "', '" + strDate + " 07:45:00', 'SF', '" + strUserText + "')");
    }

    std::vector<std::string> Args() const {
        return {KVT_BINARY, ConfigPath(), std::string("USER:") + GetParam().pszSchema + "#planer"};
    }

    // Every read of the person's shifts takes two seconds: the per-day statement stalls with the
    // inputs it has read, before anything is written.
    void StallShifts() {
        Exec("RENAME TABLE " + Table("ZTW329ZTG") + " TO " + Table("ZTW329ZTG_WEG"));
        Exec("CREATE VIEW " + Table("ZTW329ZTG") + " AS SELECT ZTGPNR, ZTGVON, ZTGAZT FROM " +
             Table("ZTW329ZTG_WEG") + " WHERE SLEEP(2) = 0");
        Exec("INSERT INTO " + Table("ZTW329ZTG_WEG") + " (ZTGPNR, ZTGVON, ZTGAZT) VALUES ('PO', '2024-01-02', 'X')");
        Exec("INSERT INTO " + Table("ZTW155SF1") + " (SF1NUM, SF1AZT, SF1MIN, SF1ANT) VALUES ('R1', 'X', 0, 0)");
        Exec("INSERT INTO " + Table("ZTW320TGB") + " (TGBPNR, TGBDTM, TGBZTR, TGBMAX) VALUES ('PO', '2024-01-02', 1, 0)");
    }

    void DropStall() {
        m_raw.Exec(("DROP TRIGGER IF EXISTS " + Table("FAULT_REFUSE_SFZ")).c_str());
        if (m_raw.QueryInt(("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = '" +
                            std::string(GetParam().pszSchema) + "' AND TABLE_NAME = 'ZTW329ZTG_WEG'")
                               .c_str()) > 0) {
            m_raw.Exec(("DROP VIEW IF EXISTS " + Table("ZTW329ZTG")).c_str());
            m_raw.Exec(("RENAME TABLE " + Table("ZTW329ZTG_WEG") + " TO " + Table("ZTW329ZTG")).c_str());
        }
    }

    // The id of the session that runs the per-day statement, once it does.
    long PerDaySession() {
        for (int nWaited = 0; nWaited < 10000; nWaited += 20) {
            const long nId = m_raw.QueryInt(
                "SELECT COALESCE(MAX(ID), 0) FROM information_schema.PROCESSLIST WHERE USER = 'kvt' AND ID <> "
                "CONNECTION_ID() AND INFO LIKE '%SUM(TAKEN_W)%'");
            if (nId != 0) {
                return nId;
            }
            usleep(20000);
        }
        return 0;
    }

    long Count(const std::string& strSql) { return m_raw.QueryInt(strSql.c_str()); }

    // Waits until both workers have emptied the queue, then stops them; each must end with 0.
    bool StopBothOnceTheQueueIsEmpty() {
        const bool bEmptied = WaitForEmptyQueue(30000);
        m_polling.Signal(SIGTERM);
        m_second.Signal(SIGTERM);
        EXPECT_EQ(m_polling.Wait(10000), 0);
        EXPECT_EQ(m_second.Wait(10000), 0);
        return bEmptied;
    }

    CChildProcess m_second;
};

// Worker A reads the inputs of request 1 and stops before it writes; meanwhile the person's
// carry-over changes and request 2 comes. Worker B must leave request 2 until A is done: otherwise
// A would commit last, and the stored year would be one that no calculation of the current data
// gives.
TEST_P(PersonOrderTest, AnOlderRequestThatStallsCannotCommitOverANewerOne) {
    Person("PO", 3);
    StallShifts();
    QueueFor("1", "PO", "2024-12-31", "Alt");
    ASSERT_TRUE(m_polling.Start(Args(), WorkDir(), m_dir.File("a.out")));
    ASSERT_NE(PerDaySession(), 0);
    m_polling.Signal(SIGSTOP);
    Exec("UPDATE " + Table("ZTW332SFV") + " SET SFVVTG = 7 WHERE SFVPNR = 'PO' AND SFVJHR = 2024");
    QueueFor("2", "PO", "2024-12-31", "Neu");
    ASSERT_TRUE(m_second.Start(Args(), WorkDir(), m_dir.File("b.out")));
    sleep(3);
    EXPECT_EQ(ClosingRowCount("2"), 0) << "worker B calculated while request 1 was in work";

    m_polling.Signal(SIGCONT);
    ASSERT_TRUE(StopBothOnceTheQueueIsEmpty());

    EXPECT_EQ(ClosingRowCount("1"), 1);
    EXPECT_EQ(ClosingRowCount("2"), 1);
    // Seven carry-over days with rule R1 give 7.5 usable days until the end of March.
    EXPECT_EQ(Count("SELECT COUNT(*) FROM " + Table("ZTW332SFZ") + " WHERE SFZPNR = 'PO' AND SFZERF = 'Neu'"), 366);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM " + Table("ZTW332SFZ") + " WHERE SFZPNR = 'PO' AND SFZVTG = 7.5"), 91);
}

// Three requests of one person for 2024 and one for 2023: two calculations, every request closed
// once, and the rows carry the user text of the newest request of their year.
TEST_P(PersonOrderTest, APersonsWaitingRequestsOfOneYearAreClosedByOneCalculation) {
    Person("PJ", 3);
    Exec("UPDATE " + Table("ZTW310BSV") + " SET BSVGVO = '2023-01-01' WHERE BSVPNR = 'PJ'");
    QueueFor("1", "PJ", "2024-03-01", "Erster");
    QueueFor("2", "PJ", "2023-06-30", "Vorjahr");
    QueueFor("3", "PJ", "2024-12-31", "Zweiter");
    QueueFor("4", "PJ", "2024-06-30", "Neuester");

    ASSERT_TRUE(m_polling.Start(Args(), WorkDir(), m_dir.File("polling.out")));
    const bool bEmptied = WaitForEmptyQueue(20000);
    m_polling.Signal(SIGTERM);
    EXPECT_EQ(m_polling.Wait(5000), 0);
    ASSERT_TRUE(bEmptied);

    EXPECT_EQ(Count("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR"), 4);
    EXPECT_EQ(Count("SELECT COUNT(DISTINCT ERRPRM) FROM ZTWBASIS.ZTW002ERR"), 4);
    const Rows texts = LogTexts();
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                            [](const std::string& strText) {
                                return strText.find("Bewegungsdaten erfolgreich ermittelt") != std::string::npos;
                            }),
              2);
    EXPECT_EQ(std::count(texts.begin(), texts.end(),
                         "Info : Parametersatz 1, lfd. Nr. 1, Personalnummer PJ: zusammen mit 2 weiteren "
                         "Auftr\xE4gen derselben Person f\xFCr das Jahr 2024 berechnet (3/1, 4/1)"),
              1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM " + Table("ZTW332SFZ") +
                    " WHERE SFZPNR = 'PJ' AND YEAR(SFZDTM) = 2024 AND SFZERF = 'Neuester'"),
              366);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM " + Table("ZTW332SFZ") +
                    " WHERE SFZPNR = 'PJ' AND YEAR(SFZDTM) = 2023 AND SFZERF = 'Vorjahr'"),
              365);
}

// The daily rows are refused after the person's second request has joined the calculation of the
// first: the request given back is the one the calculation was claimed for.
TEST_P(PersonOrderTest, AJoinedCalculationThatFailsGivesBackItsOwnRequest) {
    Person("PF", 3);
    QueueFor("1", "PF", "2024-03-01", "Erster");
    QueueFor("2", "PF", "2024-12-31", "Zweiter");
    Exec("CREATE TRIGGER " + Table("FAULT_REFUSE_SFZ") + " BEFORE INSERT ON " + Table("ZTW332SFZ") +
         " FOR EACH ROW SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'abgelehnt'");
    const std::string strGivenBack = "Fehler : Parametersatz 1, lfd. Nr. 1, Personalnummer PF: Berechnung abgebrochen, "
                                     "alles zur\xFC" "ckgesetzt (Versuch 1 von 3)";
    const auto givenBack = [&] {
        const Rows texts = LogTexts();
        return std::any_of(texts.begin(), texts.end(),
                           [&](const std::string& strText) { return strText.rfind(strGivenBack, 0) == 0; });
    };

    ASSERT_TRUE(m_polling.Start(Args(), WorkDir(), m_dir.File("polling.out")));
    for (int nWaited = 0; nWaited < 20000 && !givenBack(); nWaited += 100) {
        usleep(100000);
    }
    m_polling.Signal(SIGTERM);
    EXPECT_EQ(m_polling.Wait(5000), 0);
    EXPECT_TRUE(givenBack());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM"), 2);
}

// Worker A has joined request 2 of person PB to request 1 and written PB's rows; it closes them
// slowly. Worker B then claims request 3 of PA, passing over A's two, and its delete of PA's range
// reads on to PB's first row, which A holds: B waits for A. A must not wait for B in turn.
TEST_P(PersonOrderTest, AWorkerThatPassesOverAJoinedRequestDoesNotDeadlockWithIt) {
    Person("PA", 3);
    Person("PB", 3);
    QueueFor("1", "PB", "2024-12-31", "Erster");
    QueueFor("2", "PB", "2024-12-31", "Zweiter");
    QueueFor("3", "PA", "2024-12-31", "Dritter");
    Exec("CREATE TRIGGER ZTWBASIS.FAULT_SLOW_ERR BEFORE INSERT ON ZTWBASIS.ZTW002ERR FOR EACH ROW "
         "SET @fault_slow = SLEEP(1)");
    ASSERT_TRUE(m_polling.Start(Args(), WorkDir(), m_dir.File("a.out")));
    ASSERT_TRUE(WaitForUncommitted("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR", 1, 10000));
    ASSERT_TRUE(m_second.Start(Args(), WorkDir(), m_dir.File("b.out")));

    ASSERT_TRUE(StopBothOnceTheQueueIsEmpty());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR"), 3);
    for (const std::string& strText : LogTexts()) {
        EXPECT_EQ(strText.find("Fehler"), std::string::npos) << strText;
    }
}

INSTANTIATE_TEST_SUITE_P(Products, PersonOrderTest, ::testing::Values(kMySql, kOracle),
                         [](const ::testing::TestParamInfo<Product>& info) { return info.param.pszDbSystem; });

}  // namespace
