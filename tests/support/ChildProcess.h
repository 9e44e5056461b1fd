// A program started in the background for the end-to-end suites, which must act while it runs
// (stop the database, queue requests, send SIGTERM). Its standard output and error go to a file.
// The object owns the child: a child still running at destruction is killed and reaped.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class CChildProcess {
public:
    CChildProcess() = default;
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    bool Start(const std::vector<std::string>& args, const std::string& strWorkDir, const std::string& strOutputFile);
    void Signal(int nSignal) const;
    // The exit code once the child has exited within the time; -1 when it is still running or
    // ended by a signal.
    int Wait(int nTimeoutMs);
    bool IsRunning() const { return m_nPid > 0; }

private:
    pid_t m_nPid = -1;
};
