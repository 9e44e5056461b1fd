// The fixture of the end-to-end suites: the built kvt run as a process against the private test
// server, from a working directory whose ../quorvanel_php/log is the log directory, with a
// configuration file written by the built kvt-crypt. Each test starts from an empty queue.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TestDatabase.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/TempDir.h"

// The two products the suites run kvt for: MYSQL, and ORACLE on MariaDB's ORACLE mode.
struct Product {
    const char* pszDbSystem;
    const char* pszDsn;
    const char* pszSchema;
};

inline const Product kMySql{"MYSQL", CTestDatabase::DSN_MYSQL, CTestDatabase::SCHEMA_MYSQL};
inline const Product kOracle{"ORACLE", CTestDatabase::DSN_ORACLE, CTestDatabase::SCHEMA_ORACLE};

class KvtRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_dir.Path() / "work");
        std::filesystem::create_directories(m_dir.Path() / "quorvanel_php" / "log");
        ASSERT_TRUE(m_raw.Connect(Dsn()));
        m_raw.Exec("DELETE FROM ZTWBASIS.ZTW002PRM");
        m_raw.Exec("DELETE FROM ZTWBASIS.ZTW002ERR");
        for (const char* pszTable : {"ZTW300PNR", "ZTW310BSV", "ZTW155KVT", "ZTW332SFZ", "ZTW332SFV"}) {
            m_raw.Exec(("DELETE FROM KVTTEST." + std::string(pszTable)).c_str());
        }
        m_raw.Exec("INSERT INTO KVTTEST.ZTW155KVT (KVTMOD, KVTANZ, KVTTKT, KVTMAX, KVTVMO, KVTJMO) "
                   "VALUES ('R1', 10, 5, 300, 3, NULL)");
        WriteConfig("MYSQL", CTestDatabase::PASSWORD, Dsn());
    }

    // The data source of the test's own connection and of the configuration file.
    virtual const char* Dsn() const { return CTestDatabase::DSN_MYSQL; }

    // The configuration as an operator writes it with kvt-crypt.
    void WriteConfig(const std::string& strDbSystem, const std::string& strPassword,
                     const std::string& strDsn = CTestDatabase::DSN_MYSQL) {
        std::filesystem::remove(ConfigPath());
        const ProcessResult result =
            RunProcess({KVT_CRYPT_BINARY, "write", ConfigPath()},
                       strDbSystem + "\n" + strDsn + "\n" + CTestDatabase::LOGIN + "\n" + strPassword +
                           "\nKVTTEST\n");
        ASSERT_EQ(result.m_nExitCode, 0) << result.m_strErr;
    }

    // A waiting request of type 5 for schema KVTTEST and user PLANER (or strUser), for a person
    // with one contract over 2024.
    void Queue(const std::string& strNumber, const std::string& strPnr, const std::string& strUser = "planer") {
        m_raw.Exec(("INSERT INTO KVTTEST.ZTW300PNR (PNRNUM) VALUES ('" + strPnr + "')").c_str());
        m_raw.Exec(("INSERT INTO KVTTEST.ZTW310BSV (BSVPNR, BSVGVO, BSVGBI, BSVKVT) VALUES ('" + strPnr +
                    "', '2020-01-01', NULL, 'R1')")
                       .c_str());
        m_raw.Exec(("INSERT INTO ZTWBASIS.ZTW002PRM (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMPNR, PRMDTM, "
                    "PRMUHR, PRMFCD, PRMERF) VALUES ('" +
                    strNumber + "', 1, 5, 'KVTTEST', '" + strUser + "', '" + strPnr +
                    "', '2024-06-30', '2024-06-30 07:45:00', 'SF', 'Planer')")
                       .c_str());
    }

    std::vector<std::string> KvtArgs(const std::vector<std::string>& extra = {}) const {
        std::vector<std::string> args = {KVT_BINARY, ConfigPath(), "USER:kvttest#planer"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }

    ProcessResult RunKvt(const std::vector<std::string>& extra) const {
        ProcessSpec launch;
        launch.m_args = KvtArgs(extra);
        launch.m_strWorkDir = WorkDir();
        return RunProcess(launch);
    }

    bool StartPolling() { return m_polling.Start(KvtArgs(), WorkDir(), m_dir.File("polling.out")); }

    // Waits until the queue is empty, at most nTimeoutMs.
    bool WaitForEmptyQueue(int nTimeoutMs) {
        for (int nWaited = 0; nWaited < nTimeoutMs; nWaited += 100) {
            if (m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM") == 0) {
                return true;
            }
            usleep(100000);
        }
        return false;
    }

    // The log entries' texts, without their timestamps.
    std::vector<std::string> LogTexts() const {
        std::vector<std::string> texts;
        const std::string strLog = ReadBytes(LogPath());
        size_t nStart = 0;
        while (nStart < strLog.size()) {
            const size_t nEnd = strLog.find('\n', nStart);
            const std::string strLine = strLog.substr(nStart, nEnd - nStart);
            texts.push_back(strLine.size() >= 22 && strLine[19] == ' ' && strLine[20] == '-' ? strLine.substr(22)
                                                                                                : strLine);
            nStart = nEnd == std::string::npos ? strLog.size() : nEnd + 1;
        }
        return texts;
    }

    std::string ConfigPath() const { return m_dir.File("kvt.ini"); }
    std::string WorkDir() const { return m_dir.File("work"); }
    std::string LogPath() const { return m_dir.File("quorvanel_php/log/CppKvt.log"); }

    TempDir m_dir;
    CTestDatabase m_raw;
    CChildProcess m_polling;
};
