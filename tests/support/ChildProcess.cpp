#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/support/ProcessRunner.h"

extern char** environ;

CChildProcess::~CChildProcess() {
    if (m_nPid > 0) {
        kill(m_nPid, SIGKILL);
        waitpid(m_nPid, nullptr, 0);
    }
}

bool CChildProcess::Start(const std::vector<std::string>& args, const std::string& strWorkDir,
                          const std::string& strOutputFile) {
    const std::vector<std::string> command = WrappedCommand(args);
    std::vector<char*> argv;
    for (const std::string& strArg : command) {
        argv.push_back(const_cast<char*>(strArg.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, strOutputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, strWorkDir.c_str());
    const int nError = posix_spawn(&m_nPid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (nError != 0) {
        m_nPid = -1;
    }
    return nError == 0;
}

void CChildProcess::Signal(int nSignal) const {
    if (m_nPid > 0) {
        kill(m_nPid, nSignal);
    }
}

int CChildProcess::Wait(int nTimeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nTimeoutMs);
    while (m_nPid > 0) {
        int nStatus = 0;
        if (waitpid(m_nPid, &nStatus, WNOHANG) == m_nPid) {
            m_nPid = -1;
            return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}
