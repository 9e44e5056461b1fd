// CMeasuredProcess: the one program under measurement, started in the background in its working
// directory with its standard input from a file and its output to another, then watched, stopped
// and reaped. It owns the child: one still running at destruction is killed and reaped, so that
// a failed measurement leaves no process behind. Single-threaded.
#pragma once

#include <sys/types.h>

#include "base/CString.h"
#include "bench/process/ProcUsage.h"

class CMeasuredProcess {
public:
    CMeasuredProcess() = default;
    virtual ~CMeasuredProcess();
    CMeasuredProcess(const CMeasuredProcess&) = delete;
    CMeasuredProcess& operator=(const CMeasuredProcess&) = delete;

    // ppszArgs: the program's path and its arguments, ending with nullptr. Standard output and
    // error both go to strOutput.
    bool Start(char* const* ppszArgs, const CString& strWorkDir, const CString& strInput,
               const CString& strOutput);
    // Reaps the child when it has ended; true from then on.
    bool HasEnded();
    // Of a child already reaped, only the processor time is known.
    bool ReadUsage(ProcUsage* pUsage) const;
    void Stop() const;
    // Waits up to nTimeoutMs for the end; false when the child is still running.
    bool WaitForEnd(int nTimeoutMs);

    int GetExitCode() const { return m_nExitCode; }

private:
    pid_t m_nPid = -1;
    int m_nExitCode = -1;  // -1 also for a child ended by a signal
    double m_dEndCpuSeconds = 0.0;
};
