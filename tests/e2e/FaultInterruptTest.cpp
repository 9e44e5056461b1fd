// A request cut off half-way, by SIGKILL to the program or to the database server, must leave the
// person's stored results exactly as they were and the request queued, unclosed, for the next
// run, which processes it once; a stop signal must let the request finish first.
#include <signal.h>

#include "tests/e2e/FaultRunTest.h"

namespace {

// Enough of the year's 366 daily rows to be sure the old rows of 2024 are deleted and new ones
// are being written, and far enough from the end to be sure nothing is committed yet.
const int kRowsInFlight = 50;

TEST_F(FaultRunTest, AProgramKilledInTheMiddleOfACalculationLeavesTheResultsAsTheyWereAndTheRequestQueued) {
    QueueYearWithStoredResults("1");
    const Rows before = StoredResults();
    const Rows outside = ResultsOutsideTheYear();
    SlowDownDailyRows();
    ASSERT_TRUE(StartPolling());
    ASSERT_TRUE(WaitForUncommitted(kNewDailyRows, kRowsInFlight, 30000));
    m_polling.Signal(SIGKILL);
    m_polling.Wait(5000);
    ASSERT_TRUE(WaitForOtherSessionsToEnd(10000));

    ExpectSameRows(StoredResults(), before);
    EXPECT_EQ(QueuedCount("1"), 1);
    EXPECT_EQ(ClosingRowCount("1"), 0);

    EndSlowDown();
    const ProcessResult restarted = RunKvt({"PARM:1"});
    EXPECT_EQ(restarted.m_nExitCode, 0);
    ExpectProcessedOnce("1", outside);
}

// The crashed server rolls the open transaction back when it starts again. The program meanwhile
// fails its writes and its next read, waits 10 seconds and connects again by itself.
TEST_F(FaultRunTest, AServerKilledInTheMiddleOfACalculationLosesItAndTheProgramRunsItAgainOnce) {
    QueueYearWithStoredResults("1");
    const Rows before = StoredResults();
    const Rows outside = ResultsOutsideTheYear();
    SlowDownDailyRows();
    ASSERT_TRUE(StartPolling());
    ASSERT_TRUE(WaitForUncommitted(kNewDailyRows, kRowsInFlight, 30000));
    ASSERT_TRUE(KillServer());
    ASSERT_TRUE(ResumeServer());

    // The program's 10-second wait after its failed read leaves the time to look at what the
    // crash left behind.
    ExpectSameRows(StoredResults(), before);
    EXPECT_EQ(QueuedCount("1"), 1);
    EXPECT_EQ(ClosingRowCount("1"), 0);
    EndSlowDown();

    ASSERT_TRUE(WaitForEmptyQueue(30000));
    m_polling.Signal(SIGTERM);
    EXPECT_EQ(m_polling.Wait(5000), 0);
    ExpectProcessedOnce("1", outside);
}

// A second signal does not cut the request short either; the request queued behind it stays for
// the next run.
TEST_F(FaultRunTest, AStopSignalDuringACalculationFinishesItsRequestAndStartsNoOther) {
    QueueYearWithStoredResults("1");
    const Rows outside = ResultsOutsideTheYear();
    Queue("2", "P2");
    SlowDownDailyRows();
    ASSERT_TRUE(StartPolling());
    ASSERT_TRUE(WaitForUncommitted(kNewDailyRows, kRowsInFlight, 30000));
    m_polling.Signal(SIGTERM);
    m_polling.Signal(SIGINT);

    EXPECT_EQ(m_polling.Wait(30000), 0);
    ExpectProcessedOnce("1", outside);
    EXPECT_EQ(QueuedCount("2"), 1);
    EXPECT_EQ(ClosingRowCount("2"), 0);
    EXPECT_EQ(LogTexts(), (Rows{"Info : Kvt wurde gestartet", Calculated("PF"), CarriedOver("PF", "3.000000"),
                                "Info : Kvt wurde beendet"}));
}

}  // namespace
