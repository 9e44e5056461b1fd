// Two programs for two users of one schema, started from the same working directory: they share
// the queue table, the result tables and the run log. Each must take only its own user's
// requests, each request must be processed once and whole, and the log must keep every entry
// whole while it is rotated under both writers.
#include <signal.h>

#include <cstdio>
#include <map>

#include "tests/e2e/FaultRunTest.h"

namespace {

const int kRequestsPerUser = 300;
const size_t kLogLimit = 2000000;
// Room for the first third or so of the run's entries before the limit is reached.
const size_t kPrefill = kLogLimit - 40000;

const std::string kStarted = "Info : Kvt wurde gestartet";
const std::string kFinished = "Info : Kvt wurde beendet";
const std::string kPrefillText = "Vorlauf " + std::string(170, 'x');

// "dd.mm.yyyy hh:mm:ss - " with digits where the pattern has letters.
bool HasTimestamp(const std::string& strLine) {
    const std::string strPattern = "dd.dd.dddd dd:dd:dd - ";
    if (strLine.size() < strPattern.size()) {
        return false;
    }
    for (size_t i = 0; i < strPattern.size(); ++i) {
        const bool bDigit = strLine[i] >= '0' && strLine[i] <= '9';
        if (strPattern[i] == 'd' ? !bDigit : strLine[i] != strPattern[i]) {
            return false;
        }
    }
    return true;
}

std::string PersonNumber(char chPrefix, int nIndex) {
    char szPnr[8];
    std::snprintf(szPnr, sizeof(szPnr), "%c%04d", chPrefix, nIndex);
    return szPnr;
}

std::vector<std::string> Lines(const std::string& strFile) {
    std::vector<std::string> lines;
    size_t nStart = 0;
    while (nStart < strFile.size()) {
        const size_t nEnd = strFile.find('\n', nStart);
        lines.push_back(
            strFile.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart));
        nStart = nEnd == std::string::npos ? strFile.size() : nEnd + 1;
    }
    return lines;
}

class FaultTwoProgramsTest : public FaultRunTest {
protected:
    // The program for user PRUEFER beside the polling one for PLANER.
    bool StartPruefer() {
        return m_pruefer.Start({KVT_BINARY, ConfigPath(), "USER:kvttest#pruefer"}, WorkDir(),
                               m_dir.File("pruefer.out"));
    }

    void StopBoth() {
        m_polling.Signal(SIGTERM);
        m_pruefer.Signal(SIGTERM);
        EXPECT_EQ(m_polling.Wait(5000), 0);
        EXPECT_EQ(m_pruefer.Wait(5000), 0);
    }

    // Requests of user PLANER for persons A0001.. get even numbers, those of PRUEFER for persons
    // B0001.. odd ones, so that the queue holds them interleaved. A contract of two days makes
    // each a cheap calculation with two daily rows and two log entries. Every person has the
    // results of an earlier run, as in a working installation; they keep the rows that the two
    // programs replace at the same time apart in the tables' keys (the test
    // CalculationsAtTheSameTimeEachStayWhole shows what happens otherwise).
    void QueueCheapRequests(const std::string& strUser, const std::string& strPrefix, int nParity) {
        const std::string strPnr = "CONCAT('" + strPrefix + "', LPAD(seq, 4, '0'))";
        const std::string strSeq = " FROM seq_1_to_" + std::to_string(kRequestsPerUser);
        m_raw.Exec(("INSERT INTO KVTTEST.ZTW300PNR (PNRNUM) SELECT " + strPnr + strSeq).c_str());
        m_raw.Exec(("INSERT INTO KVTTEST.ZTW310BSV (BSVPNR, BSVGVO, BSVGBI, BSVKVT) SELECT " + strPnr +
                    ", '2024-01-01', '2024-01-02', 'R1'" + strSeq)
                       .c_str());
        m_raw.Exec(("INSERT INTO KVTTEST.ZTW332SFZ (SFZPNR, SFZDTM, SFZERF) SELECT " + strPnr +
                    ", '2024-01-01', 'Vorher'" + strSeq + " UNION ALL SELECT " + strPnr +
                    ", '2024-01-02', 'Vorher'" + strSeq)
                       .c_str());
        m_raw.Exec(("INSERT INTO KVTTEST.ZTW332SFV (SFVPNR, SFVJHR, SFVMAN, SFVERF) SELECT " + strPnr +
                    ", 2025, 0, 'Vorher'" + strSeq)
                       .c_str());
        m_raw.Exec(("INSERT INTO ZTWBASIS.ZTW002PRM (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMPNR, PRMDTM, "
                    "PRMUHR, PRMFCD, PRMERF) SELECT LPAD(seq * 2 + " +
                    std::to_string(nParity) + ", 5, '0'), 1, 5, 'KVTTEST', '" + strUser + "', " + strPnr +
                    ", '2024-06-30', '2024-06-30 07:45:00', 'SF', 'Planer'" + strSeq)
                       .c_str());
    }

    // Which database session deleted which request: each program has a session of its own.
    void RecordDeletingSessions() {
        m_raw.Exec(
            "CREATE TABLE KVTTEST.FAULT_DELETED (PRMNUM VARCHAR(20), PRMUSR VARCHAR(60), SESSIONID BIGINT)");
        m_raw.Exec(
            "CREATE TRIGGER ZTWBASIS.FAULT_AUDIT_PRM BEFORE DELETE ON ZTWBASIS.ZTW002PRM FOR EACH ROW "
            "INSERT INTO KVTTEST.FAULT_DELETED VALUES (OLD.PRMNUM, OLD.PRMUSR, CONNECTION_ID())");
    }

    // Whole entries of an earlier run, up to nBytes.
    void PrefillLog(size_t nBytes) {
        const std::string strEntry = "31.12.2023 23:59:59 - " + kPrefillText + "\n";
        std::string strLog;
        while (strLog.size() + strEntry.size() <= nBytes) {
            strLog += strEntry;
        }
        WriteBytes(LogPath(), strLog);
    }

    long DailyRowCount(const std::string& strPnr) {
        return m_raw.QueryInt(
            ("SELECT COUNT(*) FROM KVTTEST.ZTW332SFZ WHERE SFZPNR = '" + strPnr + "'").c_str());
    }

    std::string OldLogPath() const { return m_dir.File("quorvanel_php/log/CppKvt.old"); }

    CChildProcess m_pruefer;
};

TEST_F(FaultTwoProgramsTest, TheyShareQueueAndRotatingLogWithoutLosingOrTearingAnything) {
    QueueCheapRequests("planer", "A", 0);
    QueueCheapRequests("pruefer", "B", 1);
    RecordDeletingSessions();
    PrefillLog(kPrefill);

    ASSERT_TRUE(StartPolling());
    ASSERT_TRUE(StartPruefer());
    ASSERT_TRUE(WaitForEmptyQueue(60000));
    StopBoth();

    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR"), 2 * kRequestsPerUser);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(DISTINCT ERRPRM) FROM ZTWBASIS.ZTW002ERR"), 2 * kRequestsPerUser);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM KVTTEST.ZTW332SFZ WHERE SFZERF = 'Planer'"),
              2 * 2 * kRequestsPerUser);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM KVTTEST.ZTW332SFV WHERE SFVERF = 'Planer'"),
              2 * kRequestsPerUser);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(DISTINCT SESSIONID) FROM KVTTEST.FAULT_DELETED"), 2);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM (SELECT SESSIONID FROM KVTTEST.FAULT_DELETED GROUP BY "
                             "SESSIONID HAVING COUNT(DISTINCT PRMUSR) > 1) MIXED"),
              0);

    // One rotation, by the first entry that found the file past the limit: the backup is the
    // prefilled file with the entries up to then, the new file holds the rest.
    const std::string strOld = ReadBytes(OldLogPath());
    const std::string strLog = ReadBytes(LogPath());
    EXPECT_GT(strOld.size(), kLogLimit);
    EXPECT_LT(strOld.size(), kLogLimit + 200);
    EXPECT_EQ(strOld.rfind("31.12.2023 23:59:59 - Vorlauf ", 0), 0u);
    EXPECT_EQ(strLog.find("Vorlauf"), std::string::npos);
    for (const std::string* pFile : {&strOld, &strLog}) {
        EXPECT_NE(pFile->find("Personalnummer A"), std::string::npos);
        EXPECT_NE(pFile->find("Personalnummer B"), std::string::npos);
        EXPECT_TRUE(!pFile->empty() && pFile->back() == '\n');
    }

    // Every line one whole entry, and every entry of the run there exactly once.
    std::map<std::string, int> expected = {{kStarted, 0}, {kFinished, 0}};
    for (const char chPrefix : {'A', 'B'}) {
        for (int i = 1; i <= kRequestsPerUser; ++i) {
            expected[Calculated(PersonNumber(chPrefix, i))] = 0;
            expected[CarriedOver(PersonNumber(chPrefix, i))] = 0;
        }
    }
    int nStrangeLines = 0;
    for (const std::string& strLine : Lines(strOld + strLog)) {
        const auto entry = HasTimestamp(strLine) ? expected.find(strLine.substr(22)) : expected.end();
        if (entry != expected.end()) {
            ++entry->second;
        } else if ((!HasTimestamp(strLine) || strLine.substr(22) != kPrefillText) && ++nStrangeLines <= 5) {
            ADD_FAILURE() << "not one whole entry of the expected kinds: " << strLine.substr(0, 200);
        }
    }
    EXPECT_EQ(nStrangeLines, 0);
    int nMiscounted = 0;
    for (const auto& [strText, nCount] : expected) {
        const int nWanted = strText == kStarted || strText == kFinished ? 2 : 1;
        if (nCount != nWanted && ++nMiscounted <= 5) {
            ADD_FAILURE() << nCount << " times instead of " << nWanted << ": " << strText;
        }
    }
    EXPECT_EQ(nMiscounted, 0);
}

// Persons whose result rows fall into the same gap of the table's key (here: neither has any
// stored yet) lock each other's inserts out when they are calculated at the same time, and the
// server rolls one of the two transactions back. The first daily row waits one second, so that
// both programs have deleted their ranges before either inserts. Whatever the programs then do,
// no person may be left with a part of a year.
TEST_F(FaultTwoProgramsTest, CalculationsAtTheSameTimeEachStayWhole) {
    m_raw.Exec(
        "CREATE TRIGGER KVTTEST.FAULT_SLOW_SFZ BEFORE INSERT ON KVTTEST.ZTW332SFZ FOR EACH ROW "
        "SET @fault_slow = IF(NEW.SFZDTM = '2024-01-01', SLEEP(1), 0)");
    ASSERT_TRUE(StartPolling());
    ASSERT_TRUE(StartPruefer());
    usleep(300000);
    Queue("1", "PA");
    Queue("2", "PB", "pruefer");
    ASSERT_TRUE(WaitForEmptyQueue(30000));
    StopBoth();

    for (const char* pszPnr : {"PA", "PB"}) {
        const long nRows = DailyRowCount(pszPnr);
        EXPECT_TRUE(nRows == 0 || nRows == 366)
            << pszPnr << " has " << nRows << " of the 366 daily rows of 2024";
    }
    EXPECT_EQ(ClosingRowCount("1"), 1);
    EXPECT_EQ(ClosingRowCount("2"), 1);
}

}  // namespace
