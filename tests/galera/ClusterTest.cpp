// kvt on a three-node MariaDB Galera cluster (scripts/galera), one program connected to each node.
// A node locks rows only for its own sessions, so programs on two nodes may claim the same request;
// the one that commits second has its transaction rolled back for the other's and takes the queue
// up again after a short pause, without counting a failed attempt. Every request is still closed
// exactly once and every person's rows are those of a calculation of the final inputs, also when a
// node is killed in the middle of the run and started again: its program reconnects by itself and
// goes on.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/KvtRunTest.h"
#include "tests/support/ConfigFile.h"
#include "tests/support/WorkerLoad.h"

namespace {

const int kNodes = 3;
const int kRequests = 2000;

long CountOf(const std::vector<std::string>& texts, const char* pszPart) {
    return std::count_if(texts.begin(), texts.end(),
                         [pszPart](const std::string& strText) { return strText.find(pszPart) != std::string::npos; });
}

class ClusterTest : public KvtRunTest {
protected:
    void SetUp() override {
        KvtRunTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        // The test's reads wait until node 1 has applied what the other nodes committed before.
        m_raw.Exec("SET SESSION wsrep_sync_wait = 1");
        LoadWorkerPersons(m_raw);
        QueueTwoEach(m_raw, 0);
    }

    const char* Dsn() const override { return "KVT_NODE1"; }

    // The programs share the working directory and the run log; each has a configuration file
    // naming the data source of its node.
    void StartPrograms() {
        for (int nNode = 1; nNode <= kNodes; ++nNode) {
            const std::string strNode = "node" + std::to_string(nNode);
            WriteConfigFile(m_dir.File(strNode + ".ini"), {"MYSQL", "KVT_NODE" + std::to_string(nNode),
                                                           CTestDatabase::LOGIN, CTestDatabase::PASSWORD, "KVTTEST"});
            ASSERT_TRUE(m_programs[nNode - 1].Start({KVT_BINARY, m_dir.File(strNode + ".ini"), "USER:kvttest#planer"},
                                                    WorkDir(), m_dir.File(strNode + ".out")));
        }
    }

    // The second half of the requests, queued after every person's carry-over has changed.
    void ChangeInputsAndQueueMore() {
        m_raw.Exec("UPDATE KVTTEST.ZTW332SFV SET SFVVTG = SFVVTG + 1 WHERE SFVJHR = 2024");
        QueueTwoEach(m_raw, 1000);
    }

    void Stop(int nNode) {
        m_programs[nNode - 1].Signal(SIGTERM);
        EXPECT_EQ(m_programs[nNode - 1].Wait(30000), 0) << "the program on node " << nNode;
    }

    // Waits for the empty queue, stops the programs still running and checks what they stored.
    void FinishRun() {
        const bool bEmptied = WaitForEmptyQueue(180000);
        for (int nNode = 1; nNode <= kNodes; ++nNode) {
            if (m_programs[nNode - 1].IsRunning()) {
                Stop(nNode);
            }
        }
        ASSERT_TRUE(bEmptied);
        ExpectClosedOnce(m_raw, kRequests);
        ExpectRowsOfFinalInputs(m_raw);
    }

    static bool ControlNode(const char* pszCommand, int nNode) {
        const char* pszDir = std::getenv("KVT_GALERA_DIR");
        if (pszDir == nullptr) {
            ADD_FAILURE() << "KVT_GALERA_DIR is not set";
            return false;
        }
        ProcessSpec launch;
        launch.m_args = {std::string(KVT_SOURCE_DIR) + "/scripts/galera", pszCommand, std::to_string(nNode), pszDir};
        launch.m_nTimeoutMs = 240000;
        const ProcessResult result = RunProcess(launch);
        EXPECT_EQ(result.m_nExitCode, 0) << "galera " << pszCommand << ": " << result.m_strErr;
        return result.m_nExitCode == 0;
    }

    std::array<CChildProcess, kNodes> m_programs;
};

TEST_F(ClusterTest, OneProgramOnEachNodeClosesEveryRequestOnceAndStoresTheFinalInputs) {
    StartPrograms();
    ChangeInputsAndQueueMore();
    FinishRun();

    const std::vector<std::string> texts = LogTexts();
    EXPECT_GT(CountOf(texts, "ein anderer Knoten des Clusters kam mit denselben Zeilen zuvor"), 0)
        << "no conflict between the nodes was taken up";
    EXPECT_EQ(CountOf(texts, "(Versuch "), 0) << "a conflict counted as a failed attempt";
    EXPECT_EQ(CountOf(texts, "Warteschlange nicht lesbar"), 0) << "a conflict taken for an outage";
}

// The program on node 2 loses its connection in the middle of the run, and the others go on. The
// second half of the requests is left to it alone once its node is back.
TEST_F(ClusterTest, ANodeKilledInTheMiddleOfTheRunRejoinsAndItsProgramGoesOn) {
    StartPrograms();
    bool bStarted = false;
    for (int nWaited = 0; nWaited < 60000 && !bStarted; nWaited += 100) {
        usleep(100000);
        bStarted = m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR") >= 100;
    }
    ASSERT_TRUE(bStarted);
    ASSERT_TRUE(ControlNode("kill", 2));
    ASSERT_TRUE(ControlNode("resume", 2));
    ASSERT_TRUE(WaitForEmptyQueue(120000));
    Stop(1);
    Stop(3);
    ChangeInputsAndQueueMore();
    FinishRun();
}

}  // namespace
