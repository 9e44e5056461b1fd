// The fixture of the fault suites: kvt interrupted from outside (the program or the server killed,
// a stop signal) in the middle of a calculation, and kvt with a run log that is shared or taken
// away. It adds to KvtRunTest a person with stored results of an earlier run, a trigger that slows
// the writing of daily rows down so that an interruption lands inside the calculation, and control
// of the test server. Whatever a test adds to the server (triggers, an audit table) or stops there
// is undone when the test ends, also when it fails half-way.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/KvtRunTest.h"

class FaultRunTest : public KvtRunTest {
protected:
    using Rows = std::vector<std::string>;

    void SetUp() override {
        KvtRunTest::SetUp();
        if (!HasFatalFailure()) {
            DropFaultObjects();
        }
    }

    void TearDown() override {
        if (m_bServerDown) {
            ResumeServer();
        }
        DropFaultObjects();
    }

    static std::string Calculated(const std::string& strPnr) {
        return "Schichtfreizeit : Personalnummer " + strPnr +
               ", Jahr 2024, Bewegungsdaten erfolgreich ermittelt";
    }

    static std::string CarriedOver(const std::string& strPnr, const std::string& strShares = "0.000000") {
        return "Schichtfreizeit Vortrag: Personanummer " + strPnr +
               ", Jahr 2025, Rest: 0.000000, Anteile: " + strShares;
    }

    // A request for person PF, whose contract covers the whole of 2024, with the results of an
    // earlier run ('Vorher') stored from July 2023 to June 2025 and carry-over rows into 2024 and
    // 2025. The calculation replaces the daily rows of 2024 and the carry-over into 2025.
    void QueueYearWithStoredResults(const std::string& strNumber) {
        Queue(strNumber, "PF");
        m_raw.Exec(
            "INSERT INTO KVTTEST.ZTW332SFZ SELECT 'PF', DATE '2023-07-01' + INTERVAL seq DAY, seq / 4, 2, 3, "
            "4, 5, 6, 7, 1, '2023-12-31 10:00:00', 'Vorher', 1 FROM seq_0_to_730");
        m_raw.Exec(
            "INSERT INTO KVTTEST.ZTW332SFV VALUES ('PF', 2024, 0, 1.5, 2.25, 3, '2023-12-31 10:00:00', "
            "'Vorher', 1), ('PF', 2025, 0, 3.25, 4.5, 7, '2024-12-31 10:00:00', 'Vorher', 1)");
    }

    // Every stored result row of PF, daily rows then carry-over rows, with all their columns.
    Rows StoredResults() {
        Rows rows = Query("SELECT * FROM KVTTEST.ZTW332SFZ WHERE SFZPNR = 'PF' ORDER BY SFZDTM");
        const Rows carry = Query("SELECT * FROM KVTTEST.ZTW332SFV WHERE SFVPNR = 'PF' ORDER BY SFVJHR");
        rows.insert(rows.end(), carry.begin(), carry.end());
        return rows;
    }

    // The stored results of PF that the calculation of 2024 must leave alone.
    Rows ResultsOutsideTheYear() {
        Rows rows = Query(
            "SELECT * FROM KVTTEST.ZTW332SFZ WHERE SFZPNR = 'PF' AND SFZDTM NOT BETWEEN "
            "'2024-01-01' AND '2024-12-31' ORDER BY SFZDTM");
        const Rows carry = Query("SELECT * FROM KVTTEST.ZTW332SFV WHERE SFVPNR = 'PF' AND SFVJHR <> 2025");
        rows.insert(rows.end(), carry.begin(), carry.end());
        return rows;
    }

    // Compares row by row, so that a failure names the first row that differs instead of
    // printing hundreds.
    static void ExpectSameRows(const Rows& actual, const Rows& expected) {
        EXPECT_EQ(actual.size(), expected.size());
        for (size_t i = 0; i < actual.size() && i < expected.size(); ++i) {
            if (actual[i] != expected[i]) {
                ADD_FAILURE() << "row " << i << " is\n  " << actual[i] << "\ninstead of\n  " << expected[i];
                return;
            }
        }
    }

    // The request of PF was processed completely and once: one closing row, no longer queued, all
    // daily rows of 2024 and the carry-over into 2025 written anew, everything else untouched.
    void ExpectProcessedOnce(const std::string& strNumber, const Rows& outside) {
        EXPECT_EQ(QueuedCount(strNumber), 0);
        EXPECT_EQ(ClosingRowCount(strNumber), 1);
        EXPECT_EQ(
            m_raw.QueryInt("SELECT COUNT(*) FROM KVTTEST.ZTW332SFZ WHERE SFZPNR = 'PF' AND SFZDTM BETWEEN "
                           "'2024-01-01' AND '2024-12-31' AND SFZERF = 'Planer'"),
            366);
        EXPECT_EQ(
            m_raw.QueryInt("SELECT COUNT(*) FROM KVTTEST.ZTW332SFV WHERE SFVPNR = 'PF' AND SFVJHR = 2025 AND "
                           "SFVERF = 'Planer'"),
            1);
        ExpectSameRows(ResultsOutsideTheYear(), outside);
    }

    long QueuedCount(const std::string& strNumber) {
        return m_raw.QueryInt(
            ("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM WHERE PRMNUM = '" + strNumber + "'").c_str());
    }

    long ClosingRowCount(const std::string& strNumber) {
        return m_raw.QueryInt(
            ("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM = '" + strNumber + "'").c_str());
    }

    // Every daily row then takes 5 ms more to write: a year's rows about two seconds.
    void SlowDownDailyRows() {
        m_raw.Exec(
            "CREATE TRIGGER KVTTEST.FAULT_SLOW_SFZ BEFORE INSERT ON KVTTEST.ZTW332SFZ FOR EACH ROW "
            "SET @fault_slow = SLEEP(0.005)");
    }

    void EndSlowDown() { m_raw.Exec("DROP TRIGGER IF EXISTS KVTTEST.FAULT_SLOW_SFZ"); }

    static constexpr const char* kNewDailyRows =
        "SELECT COUNT(*) FROM KVTTEST.ZTW332SFZ WHERE SFZPNR = 'PF' AND SFZERF = 'Planer'";

    // Waits until the count of pszCountSql, read with uncommitted data, reaches nAtLeast: only
    // such a reader sees the rows of a transaction that is still running.
    bool WaitForUncommitted(const char* pszCountSql, int nAtLeast, int nTimeoutMs) {
        CTestDatabase dirty;
        if (!dirty.Connect(CTestDatabase::DSN_MYSQL)) {
            return false;
        }
        dirty.Exec("SET SESSION TRANSACTION ISOLATION LEVEL READ UNCOMMITTED");
        for (int nWaited = 0; nWaited < nTimeoutMs; nWaited += 10) {
            if (dirty.QueryInt(pszCountSql) >= nAtLeast) {
                return true;
            }
            usleep(10000);
        }
        return false;
    }

    // Waits until the server has ended the sessions of killed programs: a statement that was
    // running when its program died still runs to its end there.
    bool WaitForOtherSessionsToEnd(int nTimeoutMs) {
        for (int nWaited = 0; nWaited < nTimeoutMs; nWaited += 50) {
            if (m_raw.QueryInt(
                    "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE USER = 'kvt' AND ID <> "
                    "CONNECTION_ID()") == 0) {
                return true;
            }
            usleep(50000);
        }
        return false;
    }

    // SIGKILL to the test server, as in a crash; its data stays for ResumeServer.
    bool KillServer() {
        m_bServerDown = true;
        return ControlServer("kill");
    }

    bool ResumeServer() {
        if (!ControlServer("resume")) {
            return false;
        }
        m_bServerDown = false;
        return m_raw.Connect(CTestDatabase::DSN_MYSQL);
    }

    // Runs statements as the server's root: grants, users, global settings.
    bool RootSql(const std::string& strSql) { return ControlServer("sql", strSql); }

    Rows Query(const char* pszSql) {
        std::vector<CString> rows;
        m_raw.QueryRows(pszSql, rows);
        return Rows(rows.begin(), rows.end());
    }

    std::filesystem::path LogDir() const { return m_dir.Path() / "quorvanel_php" / "log"; }

private:
    bool ControlServer(const char* pszCommand, const std::string& strInput = std::string()) {
        const char* pszDir = std::getenv("KVT_TESTDB_DIR");
        if (pszDir == nullptr) {
            ADD_FAILURE() << "KVT_TESTDB_DIR is not set";
            return false;
        }
        const ProcessResult result =
            RunProcess({std::string(KVT_SOURCE_DIR) + "/scripts/testdb", pszCommand, pszDir}, strInput);
        EXPECT_EQ(result.m_nExitCode, 0) << "testdb " << pszCommand << ": " << result.m_strErr;
        return result.m_nExitCode == 0;
    }

    void DropFaultObjects() {
        EndSlowDown();
        m_raw.Exec("DROP TRIGGER IF EXISTS ZTWBASIS.FAULT_SLOW_ERR");
        m_raw.Exec("DROP TRIGGER IF EXISTS ZTWBASIS.FAULT_AUDIT_PRM");
        m_raw.Exec("DROP TABLE IF EXISTS KVTTEST.FAULT_DELETED");
    }

    bool m_bServerDown = false;
};
