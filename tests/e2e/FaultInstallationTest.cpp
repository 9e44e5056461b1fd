// A database that does not fit the configuration (another product, a table, column or privilege
// missing) is no fault of any request: the run ends with 5 before or right after the first request
// it touches, every request stays queued and every stored row as it was, and once the database is
// mended the next run processes them all. A configuration file that cannot be used ends kvt with 2
// before anything logs in.
#include <signal.h>
#include <unistd.h>

#include <filesystem>

#include "tests/e2e/FaultRunTest.h"
#include "tests/support/ConfigFile.h"

namespace {

const char* const kGrantLogin = "kvtgrant";

class FaultInstallationTest : public FaultRunTest {
protected:
    void TearDown() override {
        RootSql(std::string("DROP USER IF EXISTS '") + kGrantLogin + "'@'localhost'");
        m_raw.TryExec("ALTER TABLE KVTTEST.ZTW332SFV RENAME COLUMN SFVZUS_WEG TO SFVZUS");
        m_raw.TryExec("RENAME TABLE KVTTEST.ZTW155KVT_WEG TO KVTTEST.ZTW155KVT");
        FaultRunTest::TearDown();
    }

    // A login with exactly the privileges the README lists, table by table.
    void CreateGrantLogin() {
        std::string strSql = std::string("CREATE USER '") + kGrantLogin + "'@'localhost' IDENTIFIED BY 'pw';";
        for (const char* pszTable : {"ZTW300PNR", "ZTW310BSV", "ZTW155KVT", "ZTW155SF1", "ZTW329ZTG", "ZTW320TGB",
                                     "ZTW327TAG", "ZTW131FCD", "ZTW321BCH"}) {
            strSql += std::string("GRANT SELECT ON KVTTEST.") + pszTable + " TO '" + kGrantLogin + "'@'localhost';";
        }
        strSql += std::string("GRANT SELECT ON ZTWBASIS.ZTW133BAK TO '") + kGrantLogin + "'@'localhost';" +
                  "GRANT SELECT, DELETE ON ZTWBASIS.ZTW002PRM TO '" + kGrantLogin + "'@'localhost';" +
                  "GRANT INSERT ON ZTWBASIS.ZTW002ERR TO '" + kGrantLogin + "'@'localhost';" +
                  "GRANT SELECT, INSERT, DELETE ON KVTTEST.ZTW332SFZ TO '" + kGrantLogin + "'@'localhost';" +
                  "GRANT SELECT, INSERT, DELETE ON KVTTEST.ZTW332SFV TO '" + kGrantLogin + "'@'localhost';";
        ASSERT_TRUE(RootSql(strSql));
        WriteConfigFile(ConfigPath(), {"MYSQL", CTestDatabase::DSN_MYSQL, kGrantLogin, "pw", "KVTTEST"});
    }

    // Three requests, the first of a person with stored results, as the program reaches them.
    void QueueThree() {
        QueueYearWithStoredResults("1");
        Queue("2", "P2");
        Queue("3", "P3");
    }

    long Connections() { return m_raw.QueryInt("SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS "
                                                "WHERE VARIABLE_NAME = 'CONNECTIONS'"); }
};

TEST_F(FaultInstallationTest, AnotherProductThanTheConfiguredOneIsRefusedBeforeAnyRequestIsRead) {
    Queue("1", "P1");
    for (const char* pszProduct : {"ORACLE", "MSSQL"}) {
        SCOPED_TRACE(pszProduct);
        WriteConfig(pszProduct, CTestDatabase::PASSWORD);
        const ProcessResult result = RunKvt({});
        EXPECT_EQ(result.m_nExitCode, 5);
        EXPECT_NE(result.m_strErr.find(std::string("DB_SYSTEM ist ") + pszProduct +
                                       ", die Datenquelle KVT_MYSQL ist aber MariaDB. Kein Auftrag wurde gelesen"),
                  std::string::npos)
            << result.m_strErr;
        EXPECT_EQ(QueuedCount("1"), 1);
    }
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR"), 0);
}

// Each fault strikes while the program polls an empty queue; the requests come after it.
TEST_F(FaultInstallationTest, AMissingPrivilegeColumnOrTableEndsTheRunAndEveryRequestWaitsForTheRepair) {
    struct Fault {
        const char* pszName;
        std::string strBreak;
        std::string strRepair;
        bool bAsRoot;
    };
    const std::string strGrantee = std::string(" '") + kGrantLogin + "'@'localhost'";
    const std::vector<Fault> faults = {
        {"privilege", "REVOKE SELECT ON KVTTEST.ZTW332SFV FROM" + strGrantee,
         "GRANT SELECT ON KVTTEST.ZTW332SFV TO" + strGrantee, true},
        {"column", "ALTER TABLE KVTTEST.ZTW332SFV RENAME COLUMN SFVZUS TO SFVZUS_WEG",
         "ALTER TABLE KVTTEST.ZTW332SFV RENAME COLUMN SFVZUS_WEG TO SFVZUS", false},
        {"table", "RENAME TABLE KVTTEST.ZTW155KVT TO KVTTEST.ZTW155KVT_WEG",
         "RENAME TABLE KVTTEST.ZTW155KVT_WEG TO KVTTEST.ZTW155KVT", false},
    };
    CreateGrantLogin();
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.pszName);
        SetUp();  // an empty queue and tables for each fault
        WriteConfigFile(ConfigPath(), {"MYSQL", CTestDatabase::DSN_MYSQL, kGrantLogin, "pw", "KVTTEST"});
        ASSERT_TRUE(StartPolling());
        usleep(500000);
        ASSERT_TRUE(fault.bAsRoot ? RootSql(fault.strBreak) : m_raw.Exec(fault.strBreak.c_str()) >= 0);
        QueueThree();
        const Rows before = StoredResults();

        EXPECT_EQ(m_polling.Wait(20000), 5);
        ExpectSameRows(StoredResults(), before);
        EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM"), 3);
        EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR"), 0);
        const Rows texts = LogTexts();
        EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                                [](const std::string& strText) {
                                    return strText.find("die Datenbank passt nicht zur Konfiguration") !=
                                           std::string::npos;
                                }),
                  1);

        ASSERT_TRUE(fault.bAsRoot ? RootSql(fault.strRepair) : m_raw.Exec(fault.strRepair.c_str()) >= 0);
        ASSERT_TRUE(StartPolling());
        EXPECT_TRUE(WaitForEmptyQueue(20000));
        m_polling.Signal(SIGTERM);
        EXPECT_EQ(m_polling.Wait(5000), 0);
        EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR"), 3);
        std::filesystem::remove(LogPath());
    }
}

// Neither a missing password nor a file that cannot be read leads to a login with what is left.
TEST_F(FaultInstallationTest, AnUnusableConfigurationEndsWithTwoWithoutALogin) {
    Queue("1", "P1");
    const long nBefore = Connections();
    const std::string strWithoutPass =
        ConfigText({"MYSQL", CTestDatabase::DSN_MYSQL, CTestDatabase::LOGIN, "", "KVTTEST"});
    WriteBytes(ConfigPath(), strWithoutPass);
    const ProcessResult withoutPass = RunKvt({});
    std::filesystem::remove(ConfigPath());
    std::filesystem::create_directory(ConfigPath());
    const ProcessResult unreadable = RunKvt({});

    EXPECT_EQ(withoutPass.m_nExitCode, 2);
    EXPECT_NE(withoutPass.m_strErr.find(": Eintrag PASS fehlt oder ist leer"), std::string::npos);
    EXPECT_EQ(unreadable.m_nExitCode, 2);
    EXPECT_NE(unreadable.m_strErr.find(" nicht lesbar: Is a directory"), std::string::npos);
    EXPECT_EQ(Connections(), nBefore);
    EXPECT_EQ(QueuedCount("1"), 1);
}

}  // namespace
