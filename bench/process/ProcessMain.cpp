// kvt_bench_process: starts one program (kvt in polling mode, or the mariadb client replaying
// kvt's statements), measures it and prints the figures as one line of name=value pairs for
// bench/run. Either until the requests of a schema are gone from the queue (wall-clock time from
// the start, processor time and memory of the program), or while the program waits on an empty
// queue (processor time over a window, resident memory at its end).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench/CBenchDatabase.h"
#include "bench/process/CMeasuredProcess.h"
#include "bench/process/ProcUsage.h"
#include "bench/process/ProcessOptions.h"

namespace {

const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;

// The count of the queue costs the server a scan of the table, 0.3 ms with 200 requests. It is
// taken five times a second while the queue is long, and a hundred times a second once the last
// few requests (more than 200 ms of work) are left, so that the watching costs the server next to
// nothing and the end is still seen within 10 ms.
const int kLongQueuePollMs = 200;
const int kShortQueuePollMs = 10;
const long kShortQueue = 10;
// A queue that does not shrink for this long means that the program is stuck.
const int kStuckSeconds = 300;
// The program first loads its libraries and connects; the idle window begins after that.
const int kIdleSettleMs = 2000;
const int kEndTimeoutMs = 60000;

using Clock = std::chrono::steady_clock;

struct Measurement {
    double dSeconds = 0.0;
    ProcUsage usage;                  // of the program at the end of the measurement
    double dCpuSeconds = 0.0;         // of the program within the measurement
    double dServerCpuSeconds = -1.0;  // of the server within the measurement; -1 when not watched
};

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool ConnectQueueWatch(CBenchDatabase& db, const ProcessOptions& options) {
    const char* pszLogin = std::getenv("KVT_TESTDB_LOGIN");
    const char* pszPassword = std::getenv("KVT_TESTDB_PASSWORD");
    if (pszLogin == nullptr || pszPassword == nullptr) {
        std::fputs(
            "kvt_bench_process: KVT_TESTDB_LOGIN and KVT_TESTDB_PASSWORD are not set; source the env "
            "file of scripts/testdb\n",
            stderr);
        return false;
    }
    return db.Connect(options.strDsn, pszLogin, pszPassword);
}

double ServerCpuSeconds(const ProcessOptions& options) {
    ProcUsage usage;
    if (options.nServerPid == 0 || !ReadProcUsage(static_cast<pid_t>(options.nServerPid), &usage)) {
        return -1.0;
    }
    return usage.dCpuSeconds;
}

double Difference(double dBefore, double dAfter) {
    return dBefore < 0.0 || dAfter < 0.0 ? -1.0 : dAfter - dBefore;
}

// The time runs from the start of the program to the first look that finds the queue empty. A
// program that ends on its own (the replay) may end just after its last commit, so the queue is
// looked at once more after its end before that counts as a failure.
bool MeasureUntilEmpty(CMeasuredProcess& process, CBenchDatabase& db, const ProcessOptions& options,
                       Clock::time_point start, Measurement* pMeasurement) {
    CString strCount;
    strCount.Format("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM WHERE PRMSCH = '%s'",
                    options.strQueueSchema.GetString());
    const double dServerBefore = ServerCpuSeconds(options);
    long nLastCount = -1;
    Clock::time_point lastChange = start;
    for (;;) {
        usleep((nLastCount > kShortQueue ? kLongQueuePollMs : kShortQueuePollMs) * 1000);
        const bool bEnded = process.HasEnded();
        const long nCount = db.QueryLong(strCount);
        if (nCount == 0) {
            break;
        }
        if (nCount < 0 || bEnded) {
            std::fprintf(stderr, "kvt_bench_process: %s with %ld requests left (exit code %d); see %s\n",
                         bEnded ? "the program ended" : "the queue cannot be read", nCount,
                         process.GetExitCode(), options.strOutput.GetString());
            return false;
        }
        if (nCount != nLastCount) {
            nLastCount = nCount;
            lastChange = Clock::now();
        } else if (SecondsSince(lastChange) > kStuckSeconds) {
            std::fprintf(stderr, "kvt_bench_process: %ld requests left unchanged for %d s\n", nCount,
                         kStuckSeconds);
            return false;
        }
    }
    pMeasurement->dSeconds = SecondsSince(start);
    process.ReadUsage(&pMeasurement->usage);
    pMeasurement->dCpuSeconds = pMeasurement->usage.dCpuSeconds;
    pMeasurement->dServerCpuSeconds = Difference(dServerBefore, ServerCpuSeconds(options));
    return true;
}

bool StillRunning(CMeasuredProcess& process, const ProcessOptions& options) {
    if (process.HasEnded()) {
        std::fprintf(stderr,
                     "kvt_bench_process: the program ended while it should wait (exit code %d); see %s\n",
                     process.GetExitCode(), options.strOutput.GetString());
        return false;
    }
    return true;
}

bool MeasureIdle(CMeasuredProcess& process, const ProcessOptions& options, Measurement* pMeasurement) {
    usleep(kIdleSettleMs * 1000);
    ProcUsage before;
    if (!StillRunning(process, options) || !process.ReadUsage(&before)) {
        return false;
    }
    const double dServerBefore = ServerCpuSeconds(options);
    const Clock::time_point start = Clock::now();
    for (int nSecond = 0; nSecond < options.nIdleSeconds; ++nSecond) {
        sleep(1);
        if (!StillRunning(process, options)) {
            return false;
        }
    }
    pMeasurement->dSeconds = SecondsSince(start);
    process.ReadUsage(&pMeasurement->usage);
    pMeasurement->dCpuSeconds = pMeasurement->usage.dCpuSeconds - before.dCpuSeconds;
    pMeasurement->dServerCpuSeconds = Difference(dServerBefore, ServerCpuSeconds(options));
    return true;
}

bool EndProcess(CMeasuredProcess& process, const ProcessOptions& options) {
    if (options.bStop || options.nIdleSeconds > 0) {
        process.Stop();
    }
    if (!process.WaitForEnd(kEndTimeoutMs)) {
        std::fprintf(stderr, "kvt_bench_process: the program did not end within %d s\n",
                     kEndTimeoutMs / 1000);
        return false;
    }
    return true;
}

// The peak memory is the kernel's VmHWM while the program still runs. The maximum resident set
// that wait4 reports would not do: the program is spawned from this process's memory, and the
// kernel counts that in up to the exec.
void Print(const Measurement& measurement, const CMeasuredProcess& process) {
    std::printf(
        "seconds=%.3f cpu_seconds=%.3f vm_hwm_kib=%ld vm_rss_kib=%ld server_cpu_seconds=%.3f exit=%d\n",
        measurement.dSeconds, measurement.dCpuSeconds, measurement.usage.nVmHwmKib,
        measurement.usage.nVmRssKib, measurement.dServerCpuSeconds, process.GetExitCode());
}

}  // namespace

int main(int argc, char* argv[]) {
    ProcessOptions options;
    if (!ParseProcessOptions(argc, argv, &options)) {
        PrintProcessUsage();
        return kExitUsage;
    }
    CBenchDatabase queue;
    const bool bUntilEmpty = !options.strQueueSchema.IsEmpty();
    if (bUntilEmpty && !ConnectQueueWatch(queue, options)) {
        return kExitFailed;
    }

    CMeasuredProcess process;
    const Clock::time_point start = Clock::now();
    if (!process.Start(options.ppszCommand, options.strWorkDir, options.strInput, options.strOutput)) {
        std::fprintf(stderr, "kvt_bench_process: cannot start %s\n", options.ppszCommand[0]);
        return kExitFailed;
    }
    Measurement measurement;
    const bool bMeasured = bUntilEmpty ? MeasureUntilEmpty(process, queue, options, start, &measurement)
                                       : MeasureIdle(process, options, &measurement);
    if (!bMeasured || !EndProcess(process, options)) {
        return kExitFailed;
    }
    Print(measurement, process);
    return kExitOk;
}
