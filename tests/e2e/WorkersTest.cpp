// Any number of programs may serve the same schema and user: each claims the request it works on,
// and the others pass over it. Four of them on one queue, four requests for each of 500 persons,
// half of them queued after every person's carry-over has changed while the programs work: every
// request is closed exactly once, and every person's rows are those of a calculation of the final
// inputs, however the requests of a person were shared out and joined.
#include <signal.h>

#include <array>
#include <memory>
#include <string>

#include "tests/e2e/FaultRunTest.h"
#include "tests/support/WorkerLoad.h"

namespace {

const int kWorkers = 4;
const int kRequests = 2000;

class WorkersTest : public FaultRunTest {
protected:
    std::array<std::unique_ptr<CChildProcess>, kWorkers> m_workers;
};

TEST_F(WorkersTest, FourProgramsOnOneQueueCloseEveryRequestOnceAndStoreTheFinalInputs) {
    LoadWorkerPersons(m_raw);
    QueueTwoEach(m_raw, 0);
    for (int i = 0; i < kWorkers; ++i) {
        m_workers[i] = std::make_unique<CChildProcess>();
        ASSERT_TRUE(m_workers[i]->Start(KvtArgs(), WorkDir(), m_dir.File("worker" + std::to_string(i) + ".out")));
    }
    m_raw.Exec("UPDATE KVTTEST.ZTW332SFV SET SFVVTG = SFVVTG + 1 WHERE SFVJHR = 2024");
    QueueTwoEach(m_raw, 1000);
    const bool bEmptied = WaitForEmptyQueue(240000);
    for (const std::unique_ptr<CChildProcess>& pWorker : m_workers) {
        pWorker->Signal(SIGTERM);
    }
    for (int i = 0; i < kWorkers; ++i) {
        EXPECT_EQ(m_workers[i]->Wait(30000), 0) << ReadBytes(m_dir.File("worker" + std::to_string(i) + ".out"));
    }
    ASSERT_TRUE(bEmptied);

    ExpectClosedOnce(m_raw, kRequests);
    ExpectRowsOfFinalInputs(m_raw);
    // The workers never hold each other up: no request needed a second attempt.
    std::string strRetries;
    for (const std::string& strText : LogTexts()) {
        if (strText.find("(Versuch ") != std::string::npos) {
            strRetries += strText + "\n";
        }
    }
    EXPECT_EQ(strRetries, "");
}

}  // namespace
