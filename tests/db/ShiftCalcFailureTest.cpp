// A calculation that meets a failing statement: what it logs, and what it leaves of the person's
// stored rows.
#include "tests/db/Scenario.h"

namespace {

const char* const kRefusedDay = "2024-01-10";

class ShiftCalcFailureTest : public KvtCalcTest {
protected:
    void TearDown() override {
        m_scenario.Commit();
        if (m_bTableAway) {
            m_raw.TryExec("RENAME TABLE ZTW327TAG_WEG TO ZTW327TAG");
        }
        DropRefusal();
    }

    void DropRefusal() {
        if (m_bTrigger) {
            CTestDatabase admin;
            ConnectAdmin(admin);
            admin.TryExec(CString("DROP TRIGGER IF EXISTS ") + Schema() + ".KVT_TEST_REFUSE");
            m_bTrigger = false;
        }
    }

    // Rule K1 (10 shares a day in steps of 5) and a contract row for January 2024.
    // Shares: 1 Jan night shift 6, 10 and 11 Jan early shifts 3 each; a half free day on 10 Jan.
    void January(const char* pszPnr) {
        m_scenario.Rule("K1", 10, 5, 300, 3);
        m_scenario.QualifyingShift("K1", "N", 6, 8.0);
        m_scenario.QualifyingShift("K1", "F", 3, 6.0);
        m_scenario.Person(pszPnr);
        m_scenario.Contract(pszPnr, 20240101, 20240131, "K1");
        m_scenario.Shift(pszPnr, 20240101, "N");
        m_scenario.Shift(pszPnr, 20240110, "F");
        m_scenario.Shift(pszPnr, 20240111, "F");
        m_scenario.Booking(pszPnr, 20240110, BookedDay::FirstHalf);
    }

    // A connection for changes of the schema, which wait for the scenario's transaction: it is
    // committed first, and a forgotten lock fails the test instead of hanging it.
    bool ConnectAdmin(CTestDatabase& admin) {
        m_scenario.Commit();
        if (!admin.Connect(CTestDatabase::DSN_MYSQL)) {
            return false;
        }
        admin.Exec("SET SESSION lock_wait_timeout = 10");
        return true;
    }

    void TakeTableAway() {
        m_scenario.Commit();
        m_raw.Exec("RENAME TABLE ZTW327TAG TO ZTW327TAG_WEG");
        m_bTableAway = true;
    }

    // A trigger of the server refuses to insert (or delete) the person's daily row of kRefusedDay,
    // as a constraint would. Created through the MYSQL connection: the ORACLE mode would read its
    // body as PL/SQL.
    void RefuseDailyRow(const char* pszPnr, const char* pszEvent) {
        CTestDatabase admin;
        ASSERT_TRUE(ConnectAdmin(admin));
        const char* pszRow = std::string(pszEvent) == "INSERT" ? "NEW" : "OLD";
        CString strSql;
        strSql.Format(
            "CREATE TRIGGER %s.KVT_TEST_REFUSE BEFORE %s ON %s.ZTW332SFZ FOR EACH ROW BEGIN "
            "IF %s.SFZPNR = '%s' AND %s.SFZDTM = '%s' THEN "
            "SIGNAL SQLSTATE '23000' SET MESSAGE_TEXT = 'refused'; END IF; END",
            Schema(), pszEvent, Schema(), pszRow, pszPnr, pszRow, kRefusedDay);
        admin.Exec(strSql);
        m_bTrigger = true;
    }

    bool m_bTableAway = false;
    bool m_bTrigger = false;
};

// A table that is missing is the installation's fault, not the request's: the request stays queued
// and the log names the statement and its tables.
TEST_P(ShiftCalcFailureTest, AFailingDailyCursorChangesNothing) {
    January("4711");
    Calculate("4711", 20240115);
    const std::vector<CString> before = m_scenario.StoredRows("4711");
    ASSERT_EQ(before.size(), 32u);
    // Would change every row from 2 January on, had the calculation gone through.
    m_scenario.Shift("4711", 20240102, "N");
    TakeTableAway();
    ClearLog();

    Calculate("4711", 20240115);

    EXPECT_EQ(m_scenario.StoredRows("4711"), before);
    const std::string strLog = LogEntries();
    const std::string strExpected =
        "Schichtfreizeit(getKvtBewData) : F\xFC"
        "r die Personanummer 4711 von 20240101, bis 20240131, von 20240101, bis 20241231 konnten keine "
        "Bewegungsdaten ermittelt werden.\n"
        "Fehler : Datenbankfehler bei Funktion OpenKvtBewData,   1146 42S02 ";
    EXPECT_EQ(strLog.substr(0, strExpected.size()), strExpected);
    EXPECT_NE(strLog.find("Fehler : Parametersatz T1, lfd. Nr. 1, Personalnummer 4711: Berechnung abgebrochen: "
                          "die Datenbank passt nicht zur Konfiguration, alles zur\xFC" "ckgesetzt und kein Auftrag "
                          "ver\xE4ndert; Kvt wird beendet (Exitcode 5). Anweisung OpenKvtBewData (Tabellen "
                          "ZTWBASIS.ZTW133BAK, " + std::string(Schema()) + ".ZTW300PNR, "),
              std::string::npos)
        << strLog;
    EXPECT_NE(strLog.find("SqlCode: 1146, SqlState: 42S02, "), std::string::npos) << strLog;
}

// A row the server refuses, whether a daily row that cannot be written or an old one that cannot
// be deleted, ends the calculation: a series of days with a hole in it would be read as the
// person's balance. Everything the calculation wrote is undone, and the request is still closed.
TEST_P(ShiftCalcFailureTest, ARefusedDailyRowOrDeleteUndoesTheWholeCalculation) {
    for (const char* pszEvent : {"INSERT", "DELETE"}) {
        SCOPED_TRACE(pszEvent);
        m_scenario.Clear();
        January("4711");
        m_scenario.OldDailyRow("4711", 20240110, 99);
        m_scenario.CarryOver("4711", 2025, 7, 7, 0);
        const std::vector<CString> before = m_scenario.StoredRows("4711");
        RefuseDailyRow("4711", pszEvent);
        ClearLog();

        Calculate("4711", 20240115);

        EXPECT_EQ(m_scenario.StoredRows("4711"), before);
        const char* pszFailed = std::string(pszEvent) == "INSERT"
                                    ? "Bewegungsdaten konnten nicht geschrieben werden"
                                    : "Bewegungsdaten konnten nicht gel\xF6scht werden";
        EXPECT_EQ(1, CountLogged(std::string("Schichtfreizeit : Personalnummer 4711, ") + pszFailed));
        EXPECT_EQ(0, CountLogged("Schichtfreizeit Vortrag: Personanummer 4711, Jahr 2025, Rest: 0.500000, "
                                 "Anteile: 2.000000"));
        EXPECT_NE(LogText().find("Personalnummer 4711: Berechnung fehlgeschlagen und zur\xFC" "ckgesetzt"),
                  std::string::npos);
        EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR WHERE ERRPNR = '4711'"), 1);
        m_raw.Exec("DELETE FROM ZTWBASIS.ZTW002ERR");
        DropRefusal();
    }
}

INSTANTIATE_TEST_SUITE_P(Products, ShiftCalcFailureTest, ::testing::Values(kMySqlCase, kOracleCase),
                         DialectName);

// One request is one transaction: when the second contract row cannot be read, the rows that the
// first row had already deleted and written again are rolled back with everything else.
//
// Both rows read the same tables, so the test makes the qualifying shifts of the second row's rule
// unreadable: ZTW155SF1 is replaced by a view whose share column comes through a function that
// refuses that rule. The view is merged into the per-day query, so the function only sees the
// rows of the rule a cursor asks for.
class ShiftCalcTransactionTest : public ShiftCalcFailureTest {
protected:
    void TearDown() override {
        if (m_bSharesRefused) {
            AcceptShares();
        }
        ShiftCalcFailureTest::TearDown();
    }

    void RefuseShares(const char* pszRule) {
        CTestDatabase admin;
        ASSERT_TRUE(ConnectAdmin(admin));
        admin.Exec(CString("USE ") + Schema());
        CString strSql;
        strSql.Format(
            "CREATE FUNCTION KVT_TEST_SHARES(n VARCHAR(8), a DECIMAL(15, 6)) RETURNS DECIMAL(15, 6) "
            "BEGIN IF n = '%s' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'; END IF; "
            "RETURN a; END",
            pszRule);
        admin.Exec(strSql);
        admin.Exec("RENAME TABLE ZTW155SF1 TO ZTW155SF1_WEG");
        admin.Exec(
            "CREATE ALGORITHM = MERGE VIEW ZTW155SF1 AS SELECT SF1NUM, SF1AZT, SF1MIN, "
            "KVT_TEST_SHARES(SF1NUM, SF1ANT) AS SF1ANT FROM ZTW155SF1_WEG");
        m_bSharesRefused = true;
    }

    void AcceptShares() {
        CTestDatabase admin;
        ConnectAdmin(admin);
        admin.Exec(CString("USE ") + Schema());
        admin.TryExec("DROP VIEW IF EXISTS ZTW155SF1");
        admin.TryExec("RENAME TABLE ZTW155SF1_WEG TO ZTW155SF1");
        admin.TryExec("DROP FUNCTION IF EXISTS KVT_TEST_SHARES");
        m_bSharesRefused = false;
    }

    bool m_bSharesRefused = false;
};

TEST_P(ShiftCalcTransactionTest, AFailureInTheSecondContractRowKeepsTheStoredRows) {
    January("4711");
    m_scenario.Rule("K2", 8, 4, 300, 3);
    m_scenario.QualifyingShift("K2", "F", 2, 6.0);
    m_scenario.Contract("4711", 20240201, 0, "K2");
    m_scenario.Shift("4711", 20240205, "F");
    m_scenario.CarryOver("4711", 2024, 2.0, 3.0, 4);
    Calculate("4711", 20240115);
    const std::vector<CString> before = m_scenario.StoredRows("4711");
    ASSERT_EQ(before.size(), 366u + 2u);
    // Would change every row from 2 January on, had the calculation gone through.
    m_scenario.Shift("4711", 20240102, "N");
    RefuseShares("K2");
    ClearLog();

    Calculate("4711", 20240115);

    EXPECT_EQ(m_scenario.StoredRows("4711"), before);
    const std::string strExpected =
        "Schichtfreizeit : Personalnummer 4711, Jahr 2024, Bewegungsdaten erfolgreich ermittelt\n"
        "Schichtfreizeit(getKvtBewData) : F\xFC"
        "r die Personanummer 4711 von 20240201, bis 20241231, von 20240201, bis 20241231 konnten keine "
        "Bewegungsdaten ermittelt werden.\n"
        "Fehler : Datenbankfehler bei Funktion OpenKvtBewData,   1644 45000 ";
    EXPECT_EQ(LogEntries().substr(0, strExpected.size()), strExpected);

    // Once the second row can be read, the same request goes through and the new shift shows.
    AcceptShares();
    Calculate("4711", 20240115);
    EXPECT_EQ(m_scenario.DailyCount("4711"), 366);
    // 16 shares, 1.5 days; the half day of 10 January planned; rest = (1.5 + 2.5) - 0.5.
    EXPECT_EQ(Day("4711", 20240102), Row(16, 2.5, 0, 1.5, 0, 0.5, 3.5, 0));
}

INSTANTIATE_TEST_SUITE_P(Products, ShiftCalcTransactionTest, ::testing::Values(kMySqlCase, kOracleCase),
                         DialectName);

}  // namespace
