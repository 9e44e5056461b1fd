// What other sessions do to a request in work: make its calculation the deadlock victim, hold a
// lock past the lock wait timeout, cancel its statement, make a read or the closing row or the
// removal of the request fail. Afterwards the person's stored rows are either exactly as before or
// exactly the new ones, the request is either closed exactly once or still queued, nothing runs in
// a loop, and the log names the request and the cause.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "tests/e2e/FaultRunTest.h"

namespace {

// The daily rows of January and February 2024: written before the calculation waits on 1 March.
const int kRowsBeforeMarch = 60;

const char* const kLeftQueued = ", alles zur\xFC" "ckgesetzt (Versuch 1 von 3); der Auftrag bleibt in der Warteschlange.";
const char* const kLeftAlone =
    ", alles zur\xFC" "ckgesetzt; der Auftrag bleibt in der Warteschlange und wird in diesem Lauf nicht mehr bearbeitet.";

class FaultTransactionTest : public FaultRunTest {
protected:
    void SetUp() override {
        FaultRunTest::SetUp();
        if (!HasFatalFailure()) {
            DropObjects();
        }
    }

    void TearDown() override {
        DropObjects();
        FaultRunTest::TearDown();
    }

    // The writing of the daily row of 1 March waits three seconds in the server.
    void PauseOnFirstOfMarch() {
        m_raw.Exec(
            "CREATE TRIGGER KVTTEST.FAULT_SLOW_SFZ BEFORE INSERT ON KVTTEST.ZTW332SFZ FOR EACH ROW "
            "SET @fault_slow = IF(NEW.SFZDTM = '2024-03-01', SLEEP(3), 0)");
    }

    bool StartRequest(const std::string& strNumber) {
        return m_polling.Start(KvtArgs({"PARM:" + strNumber}), WorkDir(), m_dir.File("polling.out"));
    }

    // The request as it was: the results of PF untouched, queued, no closing row.
    void ExpectLeftAsItWas(const Rows& before) {
        ExpectSameRows(StoredResults(), before);
        EXPECT_EQ(QueuedCount("1"), 1);
        EXPECT_EQ(ClosingRowCount("1"), 0);
    }

    // The whole log as one text, timestamps taken off.
    std::string Log() const {
        std::string strLog;
        for (const std::string& strText : LogTexts()) {
            strLog += strText + "\n";
        }
        return strLog;
    }

    void ExpectLogged(const std::string& strText) const {
        EXPECT_NE(Log().find(strText), std::string::npos) << "missing: " << strText << "\nin:\n" << Log();
    }

    // Another session of the kvt login's: kvt may kill its own statements.
    long KvtStatement(const char* pszLike) {
        CString strSql;
        strSql.Format(
            "SELECT COALESCE(MAX(ID), 0) FROM information_schema.PROCESSLIST WHERE USER = 'kvt' AND "
            "ID <> CONNECTION_ID() AND INFO LIKE '%s'",
            pszLike);
        for (int nWaited = 0; nWaited < 10000; nWaited += 20) {
            const long nId = m_raw.QueryInt(strSql);
            if (nId != 0) {
                return nId;
            }
            usleep(20000);
        }
        return 0;
    }

private:
    void DropObjects() {
        m_raw.Exec("DROP TRIGGER IF EXISTS ZTWBASIS.FAULT_REFUSE_ERR");
        m_raw.Exec("DROP TRIGGER IF EXISTS ZTWBASIS.FAULT_REFUSE_PRM");
        m_raw.Exec("DROP TABLE IF EXISTS KVTTEST.FAULT_BULK");
        if (m_raw.QueryInt("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'KVTTEST' AND "
                           "TABLE_NAME LIKE 'ZTW%_WEG'") > 0) {
            m_raw.Exec("DROP VIEW IF EXISTS KVTTEST.ZTW310BSV, KVTTEST.ZTW332SFV");
            m_raw.TryExec("RENAME TABLE KVTTEST.ZTW310BSV_WEG TO KVTTEST.ZTW310BSV");
            m_raw.TryExec("RENAME TABLE KVTTEST.ZTW332SFV_WEG TO KVTTEST.ZTW332SFV");
        }
        m_raw.Exec("DROP FUNCTION IF EXISTS KVTTEST.FAULT_REFUSE");
    }
};

// A second session that has changed many rows and now wants a daily row the calculation holds,
// while it holds the carry-over row the calculation wants next: the server rolls the smaller
// transaction back, the calculation's. The request must not be closed on what is left.
TEST_F(FaultTransactionTest, TheCalculationAsDeadlockVictimLeavesEverythingAsItWas) {
    QueueYearWithStoredResults("1");
    const Rows before = StoredResults();
    const Rows outside = ResultsOutsideTheYear();
    m_raw.Exec("CREATE TABLE KVTTEST.FAULT_BULK (N INT)");
    PauseOnFirstOfMarch();
    CTestDatabase other;
    ASSERT_TRUE(other.Connect(CTestDatabase::DSN_MYSQL));
    other.Exec("START TRANSACTION");
    other.Exec("INSERT INTO KVTTEST.FAULT_BULK SELECT seq FROM seq_1_to_5000");

    ASSERT_TRUE(StartRequest("1"));
    ASSERT_TRUE(WaitForUncommitted(kNewDailyRows, kRowsBeforeMarch, 30000));
    other.Exec("SELECT * FROM KVTTEST.ZTW332SFV WHERE SFVPNR = 'PF' AND SFVJHR = 2025 FOR UPDATE");
    std::thread waiting([&other] {
        other.Exec("SELECT * FROM KVTTEST.ZTW332SFZ WHERE SFZPNR = 'PF' AND SFZDTM = '2024-01-01' FOR UPDATE");
    });
    const int nExitCode = m_polling.Wait(30000);
    waiting.join();
    other.Exec("ROLLBACK");

    EXPECT_EQ(nExitCode, 4);
    ExpectLeftAsItWas(before);
    ExpectLogged("Fehler : Datenbankfehler bei Funktion DeleteKvtSfvData,   1213 40001 ");
    ExpectLogged(std::string("Fehler : Parametersatz 1, lfd. Nr. 1, Personalnummer PF: Berechnung abgebrochen") +
                 kLeftQueued + " SqlCode: 1213, SqlState: 40001, ");

    EndSlowDown();
    EXPECT_EQ(RunKvt({"PARM:1"}).m_nExitCode, 0);
    ExpectProcessedOnce("1", outside);
}

// A lock held past the lock wait timeout (one second on this data source): the server gives up
// only the waiting statement, the delete of the year's rows; the program gives up the rest.
TEST_F(FaultTransactionTest, ALockWaitTimeoutLeavesEverythingAsItWas) {
    WriteConfig("MYSQL", CTestDatabase::PASSWORD, "KVT_MYSQL_FAST");
    QueueYearWithStoredResults("1");
    const Rows before = StoredResults();
    CTestDatabase other;
    ASSERT_TRUE(other.Connect(CTestDatabase::DSN_MYSQL));
    other.Exec("START TRANSACTION");
    other.Exec("SELECT * FROM KVTTEST.ZTW332SFZ WHERE SFZPNR = 'PF' AND SFZDTM = '2024-06-01' FOR UPDATE");

    const ProcessResult result = RunKvt({"PARM:1"});
    other.Exec("ROLLBACK");

    EXPECT_EQ(result.m_nExitCode, 4);
    ExpectLeftAsItWas(before);
    ExpectLogged("Schichtfreizeit : Personalnummer PF, Bewegungsdaten konnten nicht gel\xF6scht werden\n"
                 "Fehler : Datenbankfehler bei Funktion DeleteKvtSfzData,   1205 ");
    ExpectLogged(std::string("Personalnummer PF: Berechnung abgebrochen") + kLeftQueued + " SqlCode: 1205, ");
}

// The carry-over read cancelled by an operator (KILL QUERY) must not count as "no carry-over".
TEST_F(FaultTransactionTest, ACancelledReadLeavesEverythingAsItWas) {
    QueueYearWithStoredResults("1");
    const Rows before = StoredResults();
    m_raw.Exec("RENAME TABLE KVTTEST.ZTW332SFV TO KVTTEST.ZTW332SFV_WEG");
    m_raw.Exec(
        "CREATE VIEW KVTTEST.ZTW332SFV AS SELECT SFVPNR, SFVJHR, SFVMAN, SFVVTG, SFVVAN, SFVZUS + SLEEP(10) AS "
        "SFVZUS, SFVDAT, SFVERF, SFVSTA FROM KVTTEST.ZTW332SFV_WEG");

    ASSERT_TRUE(StartRequest("1"));
    const long nRead = KvtStatement("SELECT COALESCE(SFVVTG, 0)%");
    ASSERT_NE(nRead, 0);
    m_raw.Exec(("KILL QUERY " + std::to_string(nRead)).c_str());
    const int nExitCode = m_polling.Wait(30000);

    EXPECT_EQ(nExitCode, 4);
    ExpectLogged("Fehler : Datenbankfehler bei Funktion ReadKvtSfvData,   1317 ");
    ExpectLogged(std::string("Personalnummer PF: Berechnung abgebrochen") + kLeftQueued + " SqlCode: 1317, ");
    m_raw.Exec("DROP VIEW KVTTEST.ZTW332SFV");
    m_raw.Exec("RENAME TABLE KVTTEST.ZTW332SFV_WEG TO KVTTEST.ZTW332SFV");
    ExpectLeftAsItWas(before);
}

// A read that fails for a fault of the data (here the contract rows, through a view that finds a
// value out of range) fails the calculation, and the request with it: the results stay as they
// were and the request is closed.
TEST_F(FaultTransactionTest, AReadThatFailsForGoodKeepsTheResultsAndClosesTheRequest) {
    QueueYearWithStoredResults("1");
    const Rows before = StoredResults();
    m_raw.Exec(
        "CREATE FUNCTION KVTTEST.FAULT_REFUSE(s VARCHAR(8)) RETURNS VARCHAR(8) BEGIN "
        "SIGNAL SQLSTATE '22003' SET MESSAGE_TEXT = 'refused'; RETURN s; END");
    m_raw.Exec("RENAME TABLE KVTTEST.ZTW310BSV TO KVTTEST.ZTW310BSV_WEG");
    m_raw.Exec(
        "CREATE VIEW KVTTEST.ZTW310BSV AS SELECT BSVPNR, BSVGVO, BSVGBI, KVTTEST.FAULT_REFUSE(BSVKVT) AS BSVKVT "
        "FROM KVTTEST.ZTW310BSV_WEG");

    EXPECT_EQ(RunKvt({"PARM:1"}).m_nExitCode, 0);

    ExpectSameRows(StoredResults(), before);
    EXPECT_EQ(QueuedCount("1"), 0);
    EXPECT_EQ(ClosingRowCount("1"), 1);
    ExpectLogged("Fehler bei PNR: PF, - BSVINVALID : \nFehler : Datenbankfehler bei Funktion OpenKvtBsvData,   "
                 "1644 22003 ");
    ExpectLogged("Fehler : Parametersatz 1, lfd. Nr. 1, Personalnummer PF: Berechnung fehlgeschlagen und "
                 "zur\xFC" "ckgesetzt, die gespeicherten Ergebnisse bleiben unver\xE4ndert; der Auftrag wird "
                 "abgeschlossen. SqlCode: 1644, SqlState: 22003, ");
}

// A closing row the server refuses for a reason it does not name: the calculation is given up with
// it, and the request stays queued for another attempt instead of being removed without its
// closing row.
TEST_F(FaultTransactionTest, ARefusedClosingRowLeavesEverythingAsItWas) {
    QueueYearWithStoredResults("1");
    const Rows before = StoredResults();
    m_raw.Exec(
        "CREATE TRIGGER ZTWBASIS.FAULT_REFUSE_ERR BEFORE INSERT ON ZTWBASIS.ZTW002ERR FOR EACH ROW "
        "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'");

    EXPECT_EQ(RunKvt({"PARM:1"}).m_nExitCode, 4);

    ExpectLeftAsItWas(before);
    ExpectLogged(std::string("Fehler : Parametersatz 1, lfd. Nr. 1, Personalnummer PF: Abschlusssatz nicht "
                             "geschrieben") +
                 kLeftQueued + " SqlCode: 1644, SqlState: 45000, ");
}

// A request that cannot be removed (a constraint of another program's refuses it) is calculated
// once, rolled back and then left alone for the rest of the run, after the pause: the request
// behind it is processed, and nothing loops.
TEST_F(FaultTransactionTest, ARequestThatCannotBeRemovedIsLeftAloneAndTheNextOneProcessed) {
    QueueYearWithStoredResults("1");
    const Rows before = StoredResults();
    Queue("2", "P2");
    m_raw.Exec(
        "CREATE TRIGGER ZTWBASIS.FAULT_REFUSE_PRM BEFORE DELETE ON ZTWBASIS.ZTW002PRM FOR EACH ROW BEGIN "
        "IF OLD.PRMNUM = '1' THEN SIGNAL SQLSTATE '23000' SET MESSAGE_TEXT = 'refused'; END IF; END");

    ASSERT_TRUE(StartPolling());
    bool bSecondClosed = false;
    for (int nWaited = 0; nWaited < 30000 && !bSecondClosed; nWaited += 100) {
        bSecondClosed = ClosingRowCount("2") == 1;
        usleep(100000);
    }
    usleep(500000);
    m_polling.Signal(SIGTERM);
    EXPECT_EQ(m_polling.Wait(5000), 0);

    EXPECT_TRUE(bSecondClosed);
    ExpectLeftAsItWas(before);
    const Rows texts = LogTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), Calculated("PF")), 1);
    const std::string strLeftAlone = "Fehler : Parametersatz 1, lfd. Nr. 1, Personalnummer PF: Auftrag nicht gel\xF6scht" +
                                     std::string(kLeftAlone) + " SqlCode: 1644, SqlState: 23000, ";
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                            [&](const std::string& strText) { return strText.starts_with(strLeftAlone); }),
              1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), Calculated("P2")), 1);
}

}  // namespace
