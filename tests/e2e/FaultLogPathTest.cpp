// The run log is only a record: a log directory that is missing or not a directory, a log file
// that is deleted or cannot be written, a backup that cannot be replaced, none of them may stop
// the program or cost a request. The tests run as root, for whom file modes stop no write, so the
// log paths are made unusable by putting the wrong kind of file in their place.
#include <signal.h>
#include <sys/stat.h>

#include "tests/e2e/FaultRunTest.h"

namespace {

namespace fs = std::filesystem;

using Lines = std::vector<std::string>;

class FaultLogPathTest : public FaultRunTest {
protected:
    // Queues a request and waits until the polling program has closed it.
    void ProcessOne(const std::string& strNumber, const std::string& strPnr) {
        Queue(strNumber, strPnr);
        ASSERT_TRUE(WaitForEmptyQueue(20000)) << "request " << strNumber << " was not processed";
        EXPECT_EQ(ClosingRowCount(strNumber), 1);
        EXPECT_EQ(
            m_raw.QueryInt(
                ("SELECT COUNT(*) FROM KVTTEST.ZTW332SFV WHERE SFVJHR = 2025 AND SFVPNR = '" + strPnr + "'")
                    .c_str()),
            1);
    }

    void StopPolling() {
        m_polling.Signal(SIGTERM);
        EXPECT_EQ(m_polling.Wait(5000), 0);
    }
};

TEST_F(FaultLogPathTest, ALogDirectoryMissingAtStartDropsEntriesUntilItAppears) {
    fs::remove(LogDir());
    ASSERT_TRUE(StartPolling());
    ProcessOne("1", "P1");
    fs::create_directory(LogDir());
    ProcessOne("2", "P2");
    StopPolling();
    EXPECT_EQ(LogTexts(), (Lines{Calculated("P2"), CarriedOver("P2"), "Info : Kvt wurde beendet"}));
}

TEST_F(FaultLogPathTest, ALogFileDeletedOrUnwritableWhileRunningCostsNoRequest) {
    ASSERT_TRUE(StartPolling());
    ProcessOne("1", "P1");

    // A deleted file is begun anew by the next entry.
    fs::remove(LogPath());
    ProcessOne("2", "P2");
    EXPECT_EQ(LogTexts(), (Lines{Calculated("P2"), CarriedOver("P2")}));

    fs::remove(LogPath());
    fs::create_directory(LogPath());
    ProcessOne("3", "P3");
    EXPECT_TRUE(fs::is_empty(LogPath()));
    fs::remove(LogPath());

    fs::rename(LogDir(), m_dir.Path() / "log-weg");
    WriteBytes(LogDir().string(), "kein Verzeichnis\n");
    ProcessOne("4", "P4");
    EXPECT_EQ(ReadBytes(LogDir().string()), "kein Verzeichnis\n");
    fs::remove(LogDir());

    fs::create_directory(LogDir());
    ProcessOne("5", "P5");
    StopPolling();
    EXPECT_EQ(LogTexts(), (Lines{Calculated("P5"), CarriedOver("P5"), "Info : Kvt wurde beendet"}));
}

// When the full log cannot be moved to its backup, the entries go on into the full log, and
// every entry tries the move again.
TEST_F(FaultLogPathTest, ABackupThatCannotBeReplacedKeepsTheEntriesInTheFullLog) {
    const std::string strFull = std::string(2000001, 'x') + "\n";
    WriteBytes(LogPath(), strFull);
    fs::create_directories(LogDir() / "CppKvt.old" / "belegt");
    Queue("1", "P1");

    const ProcessResult result = RunKvt({"PARM:1"});
    EXPECT_EQ(result.m_nExitCode, 0);
    EXPECT_EQ(ClosingRowCount("1"), 1);
    const std::string strLog = ReadBytes(LogPath());
    ASSERT_GT(strLog.size(), strFull.size());
    EXPECT_EQ(strLog.compare(0, strFull.size(), strFull), 0);
    const Lines texts = LogTexts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(Lines(texts.begin() + 1, texts.end()), (Lines{"Info : Kvt wurde gestartet", Calculated("P1"),
                                                            CarriedOver("P1"), "Info : Kvt wurde beendet"}));
    EXPECT_TRUE(fs::is_directory(LogDir() / "CppKvt.old" / "belegt"));
}

// A log path that cannot take an entry at once, here a FIFO that nobody reads, must not hold the
// program: the entry is dropped like any other that cannot be written.
TEST_F(FaultLogPathTest, ALogFifoThatNobodyReadsDoesNotHoldTheProgram) {
    ASSERT_EQ(mkfifo(LogPath().c_str(), 0644), 0);
    Queue("1", "P1");
    ProcessSpec launch;
    launch.m_args = KvtArgs({"PARM:1"});
    launch.m_strWorkDir = WorkDir();
    launch.m_nTimeoutMs = 10000;

    const ProcessResult result = RunProcess(launch);
    EXPECT_FALSE(result.m_bTimedOut);
    EXPECT_EQ(result.m_nExitCode, 0);
    EXPECT_EQ(ClosingRowCount("1"), 1);
}

}  // namespace
