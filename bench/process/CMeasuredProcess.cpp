#include "bench/process/CMeasuredProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const int kPollMs = 10;

}  // namespace

CMeasuredProcess::~CMeasuredProcess() {
    if (m_nPid > 0) {
        kill(m_nPid, SIGKILL);
        waitpid(m_nPid, nullptr, 0);
    }
}

// The program starts in its own working directory, so a path with a directory in it is made
// absolute first: it means the caller's directory, as on a command line. A bare name is looked up
// in PATH.
bool CMeasuredProcess::Start(char* const* ppszArgs, const CString& strWorkDir, const CString& strInput,
                             const CString& strOutput) {
    std::vector<char*> args;
    for (char* const* ppszArg = ppszArgs; *ppszArg != nullptr; ++ppszArg) {
        args.push_back(*ppszArg);
    }
    args.push_back(nullptr);
    char szProgram[PATH_MAX];
    if (std::strchr(args[0], '/') != nullptr) {
        if (realpath(args[0], szProgram) == nullptr) {
            return false;
        }
        args[0] = szProgram;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, strInput, O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, strOutput, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, strWorkDir);
    const int nError = posix_spawnp(&m_nPid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (nError != 0) {
        m_nPid = -1;
    }
    return nError == 0;
}

bool CMeasuredProcess::HasEnded() {
    if (m_nPid <= 0) {
        return true;
    }
    int nStatus = 0;
    struct rusage usage {};
    if (wait4(m_nPid, &nStatus, WNOHANG, &usage) != m_nPid) {
        return false;
    }
    m_nPid = -1;
    m_nExitCode = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
    m_dEndCpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return true;
}

bool CMeasuredProcess::ReadUsage(ProcUsage* pUsage) const {
    if (m_nPid > 0) {
        return ReadProcUsage(m_nPid, pUsage);
    }
    *pUsage = ProcUsage{};
    pUsage->dCpuSeconds = m_dEndCpuSeconds;
    return true;
}

void CMeasuredProcess::Stop() const {
    if (m_nPid > 0) {
        kill(m_nPid, SIGTERM);
    }
}

bool CMeasuredProcess::WaitForEnd(int nTimeoutMs) {
    for (int nWaited = 0; !HasEnded(); nWaited += kPollMs) {
        if (nWaited >= nTimeoutMs) {
            return false;
        }
        usleep(kPollMs * 1000);
    }
    return true;
}
