// A calculation that meets a failing statement: what it logs, and what it leaves of the person's
// stored rows.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "tests/db/Scenario.h"

namespace {

const char* const kRefusedDay = "2024-01-10";

class ShiftCalcFailureTest : public KvtCalcTest {
protected:
    void TearDown() override {
        if (m_bTableAway) {
            m_raw.TryExec("RENAME TABLE ZTW327TAG_WEG TO ZTW327TAG");
        }
        if (m_bTrigger) {
            CTestDatabase admin;
            admin.Connect(CTestDatabase::DSN_MYSQL);
            admin.TryExec(CString("DROP TRIGGER IF EXISTS ") + Schema() + ".KVT_TEST_REFUSE");
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

    void TakeTableAway() {
        m_raw.Exec("RENAME TABLE ZTW327TAG TO ZTW327TAG_WEG");
        m_bTableAway = true;
    }

    // A trigger of the server refuses the daily row of the person for kRefusedDay. Created through
    // the MYSQL connection: the ORACLE mode would read its body as PL/SQL.
    void RefuseOneDailyRow(const char* pszPnr) {
        CTestDatabase admin;
        ASSERT_TRUE(admin.Connect(CTestDatabase::DSN_MYSQL));
        CString strSql;
        strSql.Format("CREATE TRIGGER %s.KVT_TEST_REFUSE BEFORE INSERT ON %s.ZTW332SFZ FOR EACH ROW BEGIN "
                      "IF NEW.SFZPNR = '%s' AND NEW.SFZDTM = '%s' THEN "
                      "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'; END IF; END",
                      Schema(), Schema(), pszPnr, kRefusedDay);
        admin.Exec(strSql);
        m_bTrigger = true;
    }

    // The entries of the run log without their timestamps; cleared before each request.
    std::string Entries() const {
        static const std::regex stamp("(^|\n)[0-9]{2}\\.[0-9]{2}\\.[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2} - ");
        return std::regex_replace(LogText(), stamp, "$1");
    }
    void ClearLog() { std::filesystem::remove(m_logDir.File("CppKvt.log")); }

    bool m_bTableAway = false;
    bool m_bTrigger = false;
};

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
    const std::string strLog = Entries();
    const std::string strExpected =
        "Schichtfreizeit(getKvtBewData) : F\xFC"
        "r die Personanummer 4711 von 20240101, bis 20240131, von 20240101, bis 20241231 konnten keine "
        "Bewegungsdaten ermittelt werden.\n"
        "Fehler : Datenbankfehler bei Funktion OpenKvtBewData,   1146\n42S02\n";
    EXPECT_EQ(strLog.substr(0, strExpected.size()), strExpected);
    const std::string strMessageEnd = std::string(".ZTW327TAG' doesn't exist\n\n");
    EXPECT_TRUE(strLog.size() > strExpected.size() + strMessageEnd.size() &&
                strLog.compare(strLog.size() - strMessageEnd.size(), strMessageEnd.size(), strMessageEnd) == 0)
        << strLog;
}

TEST_P(ShiftCalcFailureTest, ARefusedDailyRowIsLoggedAndTheOthersAreWritten) {
    January("4711");
    m_scenario.OldDailyRow("4711", 20240110, 99);
    RefuseOneDailyRow("4711");

    Calculate("4711", 20240115);

    // 10 Jan: 9 shares, 0.5 days, half a day taken. The refused day still counts for those after it.
    EXPECT_EQ(Day("4711", 20240109), Row(6, 0, 0, 0.5, 0, 0.5, 0.0, 0));
    EXPECT_FALSE(Day("4711", 20240110));
    EXPECT_EQ(Day("4711", 20240111), Row(12, 0, 0, 1.0, 0.5, 0, 0.5, 0));
    EXPECT_EQ(Day("4711", 20240131), Row(12, 0, 0, 1.0, 0.5, 0, 0.5, 0));
    EXPECT_EQ(m_scenario.DailyCount("4711"), 30);
    EXPECT_EQ(Year("4711", 2025), (YearRow{0.5, 2}));
    const std::string strLog = Entries();
    const std::string strRefused = "Schichtfreizeit : Personalnummer 4711, Bewegungsdaten konnten nicht geschrieben werden\n";
    const size_t nFirst = strLog.find(strRefused);
    EXPECT_NE(nFirst, std::string::npos) << strLog;
    EXPECT_EQ(strLog.find(strRefused, nFirst + 1), std::string::npos) << strLog;
    EXPECT_TRUE(Logged("Schichtfreizeit Vortrag: Personanummer 4711, Jahr 2025, Rest: 0.500000, Anteile: 2.000000"));
}

INSTANTIATE_TEST_SUITE_P(Products, ShiftCalcFailureTest, ::testing::Values(kMySqlCase, kOracleCase), DialectName);

// One request is one transaction: when the second contract row cannot be read, the rows that the
// first row had already deleted and written again are rolled back with everything else.
//
// ORACLE only: its statements convert dates with TO_DATE, on the test server a stored function
// of the tenant schema, which the test can replace by one that refuses the second row's start.
// The MYSQL statements use the server's built-in DATE_FORMAT, and both rows read the same
// tables, so there is no clean way to make the second row's cursor alone fail there.
class ShiftCalcTransactionTest : public ShiftCalcFailureTest {
protected:
    void TearDown() override {
        if (m_bToDateReplaced) {
            RestoreToDate();
        }
        ShiftCalcFailureTest::TearDown();
    }

    void RefuseToDate(const char* pszDay) {
        CString strSql;
        strSql.Format("CREATE OR REPLACE FUNCTION TO_DATE(s VARCHAR(64), f VARCHAR(64)) RETURNS DATETIME "
                      "DETERMINISTIC BEGIN "
                      "IF s = '%s' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'; END IF; "
                      "RETURN STR_TO_DATE(s, REPLACE(REPLACE(REPLACE(REPLACE(REPLACE(LOWER(f), "
                      "'yyyy', '%%Y'), 'mm', '%%m'), 'dd', '%%d'), 'hh24', '%%H'), 'mi', '%%i')); END",
                      pszDay);
        ExecInTenant(strSql);
        m_bToDateReplaced = true;
    }

    // Back to the function exactly as the schema script creates it.
    void RestoreToDate() {
        std::ifstream file(std::string(KVT_SOURCE_DIR) + "/sql/mysql/tenant.sql");
        const std::string strScript((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const size_t nStart = strScript.find("CREATE FUNCTION TO_DATE");
        const size_t nEnd = strScript.find(";\n", nStart);
        ASSERT_NE(nStart, std::string::npos);
        ASSERT_NE(nEnd, std::string::npos);
        ExecInTenant("DROP FUNCTION IF EXISTS TO_DATE");
        ExecInTenant(strScript.substr(nStart, nEnd - nStart).c_str());
        m_bToDateReplaced = false;
    }

    void ExecInTenant(const CString& strSql) {
        CTestDatabase admin;
        ASSERT_TRUE(admin.Connect(CTestDatabase::DSN_MYSQL));
        admin.Exec(CString("USE ") + Schema());
        admin.Exec("SET sql_mode = 'TRADITIONAL'");
        admin.Exec(strSql);
    }

    bool m_bToDateReplaced = false;
};

TEST_P(ShiftCalcTransactionTest, AFailureInTheSecondContractRowKeepsTheStoredRows) {
    January("4711");
    m_scenario.Rule("K2", 8, 4, 300, 3);
    m_scenario.Contract("4711", 20240201, 0, "K2");
    m_scenario.CarryOver("4711", 2024, 2.0, 3.0, 4);
    Calculate("4711", 20240115);
    const std::vector<CString> before = m_scenario.StoredRows("4711");
    ASSERT_EQ(before.size(), 366u + 2u);
    m_scenario.Shift("4711", 20240102, "N");
    RefuseToDate("20240201");
    ClearLog();

    Calculate("4711", 20240115);

    EXPECT_EQ(m_scenario.StoredRows("4711"), before);
    const std::string strExpected =
        "Schichtfreizeit : Personalnummer 4711, Jahr 2024, Bewegungsdaten erfolgreich ermittelt\n"
        "Schichtfreizeit(getKvtBewData) : F\xFC"
        "r die Personanummer 4711 von 20240201, bis 20241231, von 20240201, bis 20241231 konnten keine "
        "Bewegungsdaten ermittelt werden.\n"
        "Fehler : Datenbankfehler bei Funktion OpenKvtBewData,   1644\n45000\n";
    EXPECT_EQ(Entries().substr(0, strExpected.size()), strExpected);

    // Once the second row can be read, the same request goes through and the new shift shows.
    RestoreToDate();
    Calculate("4711", 20240115);
    EXPECT_EQ(m_scenario.DailyCount("4711"), 366);
    EXPECT_EQ(Day("4711", 20240102)->SFZANT, 4 + 6 + 6);
}

INSTANTIATE_TEST_SUITE_P(Products, ShiftCalcTransactionTest, ::testing::Values(kOracleCase), DialectName);

}  // namespace
