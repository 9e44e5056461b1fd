#include "tests/e2e/KvtRunTest.h"

#include "tests/support/ConfigFile.h"

#include <unistd.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using Lines = std::vector<std::string>;

const std::string kStarted = "Info : Kvt wurde gestartet";
const std::string kFinished = "Info : Kvt wurde beendet";
const std::string kHangupIgnored =
    "Info : SIGHUP wird ignoriert; die Konfiguration wird bei jedem Verbindungsaufbau gelesen";

std::string Calculated(const std::string& strPnr) {
    return "Schichtfreizeit : Personalnummer " + strPnr + ", Jahr 2024, Bewegungsdaten erfolgreich ermittelt";
}

TEST_F(KvtRunTest, PollingWorksThroughTheQueueInOrderAndStopsCleanlyOnSigterm) {
    Queue("3", "P3");
    Queue("1", "P1");
    Queue("2", "P2");
    ASSERT_TRUE(StartPolling());
    ASSERT_TRUE(WaitForEmptyQueue(30000));

    // A hang-up ends nothing and is logged once.
    m_polling.Signal(SIGHUP);
    m_polling.Signal(SIGHUP);
    for (int i = 0; i < 100; ++i) {
        const Lines logged = LogTexts();
        if (std::count(logged.begin(), logged.end(), kHangupIgnored) > 0) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const auto signalled = std::chrono::steady_clock::now();
    m_polling.Signal(SIGTERM);
    EXPECT_EQ(m_polling.Wait(5000), 0);
    // The 250 ms wait of an empty queue is cut short: no waiting out a pause on stop.
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(2));

    const Lines texts = LogTexts();
    ASSERT_GE(texts.size(), 8u);
    EXPECT_EQ(texts.front(), kStarted);
    EXPECT_EQ(texts[1], Calculated("P1"));
    EXPECT_EQ(texts[3], Calculated("P2"));
    EXPECT_EQ(texts[5], Calculated("P3"));
    EXPECT_EQ(std::count(texts.begin(), texts.end(), kHangupIgnored), 1);
    EXPECT_EQ(texts.back(), kFinished);
    std::vector<CString> rows;
    ASSERT_EQ(m_raw.QueryRows("SELECT ERRPRM, ERRPNR, DATE_FORMAT(ERRUHR, '%Y%m%d %H:%i') FROM "
                              "ZTWBASIS.ZTW002ERR ORDER BY ERRPRM",
                              rows),
              3);
    EXPECT_STREQ(rows[0], "1|P1|20240630 07:45");
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(DISTINCT SFZPNR) FROM KVTTEST.ZTW332SFZ"), 3);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM KVTTEST.ZTW332SFV WHERE SFVJHR = 2025"), 3);
}

TEST_F(KvtRunTest, SingleRequestModeProcessesTheNamedRequestOnly) {
    Queue("7", "P7");
    Queue("8", "P8");
    const ProcessResult result = RunKvt({"parm:7"});
    EXPECT_EQ(result.m_nExitCode, 0);
    EXPECT_EQ(result.m_strOut, "");
    EXPECT_EQ(LogTexts(), (Lines{kStarted, Calculated("P7"),
                                 "Schichtfreizeit Vortrag: Personanummer P7, Jahr 2025, Rest: 0.000000, Anteile: "
                                 "0.000000",
                                 kFinished}));
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM WHERE PRMNUM = '8'"), 1);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM = '7'"), 1);
}

TEST_F(KvtRunTest, SingleRequestModeReportsANumberThatNamesNoRequest) {
    Queue("7", "P7");
    const ProcessResult result = RunKvt({"PARM:99"});
    EXPECT_EQ(result.m_nExitCode, 0);
    EXPECT_EQ(LogTexts(), (Lines{kStarted, "Fehler beim Lesen Parametersatz: 99 RC: 100", kFinished}));
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM"), 1);
}

TEST_F(KvtRunTest, AConnectionFailureAtStartIsLoggedPrintedAndEndsWithThree) {
    WriteConfig("MYSQL", "falsch");
    const ProcessResult wrongPassword = RunKvt({});
    EXPECT_EQ(wrongPassword.m_nExitCode, 3);
    EXPECT_EQ(wrongPassword.m_strOut.rfind("Fehler beim Verbindungsaufbau zur Datenbank:\n SqlCode: 1045\n "
                                           "SqlState: 28000\n",
                                           0),
              0u)
        << wrongPassword.m_strOut;
    EXPECT_EQ(wrongPassword.m_strOut.find("falsch"), std::string::npos);
    const Lines texts = LogTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts.front(), kStarted);
    EXPECT_EQ(
        texts[1].rfind("Fehler beim Verbindungsaufbau zur Datenbank: SqlCode: 1045 SqlState: 28000 [", 0),
        0u);
    EXPECT_EQ(texts.back(), kFinished);

    std::filesystem::remove(LogPath());
    WriteConfigFile(ConfigPath(), {"mysql", CTestDatabase::DSN_MYSQL, CTestDatabase::LOGIN,
                                   CTestDatabase::PASSWORD, "KVTTEST"});
    const ProcessResult unknownProduct = RunKvt({});
    EXPECT_EQ(unknownProduct.m_nExitCode, 2);
    EXPECT_EQ(unknownProduct.m_strOut, "");
    EXPECT_NE(unknownProduct.m_strErr.find(": DB_SYSTEM ist \"mysql\", erlaubt sind"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(LogPath()));
}

// A table that is missing is no fault of the request: it stays queued, and the run ends with 5.
TEST_F(KvtRunTest, AMissingTableLeavesTheRequestQueuedEndsWithFiveAndLogsInWindows1252) {
    Queue("5", "P5");
    m_raw.Exec("RENAME TABLE KVTTEST.ZTW327TAG TO KVTTEST.ZTW327TAG_WEG");
    const ProcessResult result = RunKvt({"PARM:5"});
    m_raw.Exec("RENAME TABLE KVTTEST.ZTW327TAG_WEG TO KVTTEST.ZTW327TAG");

    EXPECT_EQ(result.m_nExitCode, 5);
    const std::string strLog = ReadBytes(LogPath());
    EXPECT_NE(strLog.find("Schichtfreizeit(getKvtBewData) : \x46\xFC\x72 die Personanummer P5 von 20240101, bis "
                          "20241231, von 20240101, bis 20241231 konnten keine Bewegungsdaten ermittelt werden."),
              std::string::npos);
    EXPECT_NE(strLog.find("Fehler : Datenbankfehler bei Funktion OpenKvtBewData,   1146 42S02 "),
              std::string::npos);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM"), 1);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM = '5'"), 0);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM KVTTEST.ZTW332SFZ"), 0);
}

// The server goes away while the program polls: it waits 10 seconds between attempts, reconnects
// by itself and processes what was queued meanwhile, once. The loss and the return are logged once
// each.
TEST_F(KvtRunTest, ThePollingProgramReconnectsAfterTheDatabaseWasDown) {
    ASSERT_TRUE(StartPolling());
    // Connected and polling before the server goes away (slow under valgrind).
    for (int i = 0; i < 100 && LogTexts().empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const std::string strTestdb = std::string(KVT_SOURCE_DIR) + "/scripts/testdb";
    const std::string strDir = std::getenv("KVT_TESTDB_DIR");
    ASSERT_EQ(std::system((strTestdb + " pause " + strDir).c_str()), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_EQ(std::system((strTestdb + " resume " + strDir).c_str()), 0);
    ASSERT_TRUE(m_raw.Connect(CTestDatabase::DSN_MYSQL));
    Queue("9", "P9");

    ASSERT_TRUE(WaitForEmptyQueue(30000));
    m_polling.Signal(SIGTERM);
    EXPECT_EQ(m_polling.Wait(5000), 0);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM = '9'"), 1);
    const Lines texts = LogTexts();
    ASSERT_GE(texts.size(), 5u);
    EXPECT_EQ(texts.front(), kStarted);
    const std::string strLost = "Fehler : Verbindung zur Datenbank unterbrochen, neuer Versuch alle 10 Sekunden";
    EXPECT_EQ(texts[1].rfind(strLost, 0), 0u) << texts[1];
    EXPECT_EQ(texts[2], "Info : Verbindung zur Datenbank wiederhergestellt");
    EXPECT_EQ(texts[3], Calculated("P9"));
    EXPECT_EQ(texts.back(), kFinished);
}

}  // namespace
