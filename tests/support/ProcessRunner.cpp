#include "tests/support/ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <sstream>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A child that ignores its timeout signal is killed this long after it was sent.
const auto kKillGrace = std::chrono::seconds(5);

class Pipe {
public:
    Pipe() {
        int anFds[2];
        if (pipe2(anFds, O_CLOEXEC) == 0) {
            m_hRead = anFds[0];
            m_hWrite = anFds[1];
        }
    }
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    bool IsOpen() const { return m_hRead >= 0 && m_hWrite >= 0; }
    void CloseRead() { Close(m_hRead); }
    void CloseWrite() { Close(m_hWrite); }

    int m_hRead = -1;
    int m_hWrite = -1;

private:
    static void Close(int& hFd) {
        if (hFd >= 0) {
            close(hFd);
            hFd = -1;
        }
    }
};

bool IsReplaced(const std::string& strEntry, const std::vector<std::string>& additions) {
    const std::string strName = strEntry.substr(0, strEntry.find('=') + 1);
    for (const std::string& strAddition : additions) {
        if (strAddition.compare(0, strName.size(), strName) == 0) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& additions) {
    std::vector<std::string> env;
    for (char** ppsz = environ; *ppsz != nullptr; ++ppsz) {
        if (!IsReplaced(*ppsz, additions)) {
            env.emplace_back(*ppsz);
        }
    }
    env.insert(env.end(), additions.begin(), additions.end());
    return env;
}

std::vector<char*> NullTerminated(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& strText : texts) {
        pointers.push_back(strText.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Runs in the forked child: only async-signal-safe calls until execve.
[[noreturn]] void ExecChild(const ProcessSpec& launch, Pipe& in, Pipe& out, Pipe& err, char** argv,
                            char** envp) {
    dup2(in.m_hRead, STDIN_FILENO);
    dup2(out.m_hWrite, STDOUT_FILENO);
    dup2(err.m_hWrite, STDERR_FILENO);
    // An ignored signal stays ignored across execve; the child gets the usual default.
    signal(SIGPIPE, SIG_DFL);
    setpgid(0, 0);
    if (launch.m_strWorkDir.empty() || chdir(launch.m_strWorkDir.c_str()) == 0) {
        execve(argv[0], argv, envp);
    }
    const char szFailed[] = "ProcessRunner: chdir or execve failed\n";
    (void)!write(STDERR_FILENO, szFailed, sizeof(szFailed) - 1);
    _exit(127);
}

bool ReadSome(int hFd, std::string& strInto) {
    char achBuffer[4096];
    const ssize_t nRead = read(hFd, achBuffer, sizeof(achBuffer));
    if (nRead > 0) {
        strInto.append(achBuffer, static_cast<size_t>(nRead));
        return true;
    }
    if (nRead < 0 && (errno == EINTR || errno == EAGAIN)) {
        return true;
    }
    return false;
}

void Exchange(pid_t nPid, const ProcessSpec& launch, Pipe& in, Pipe& out, Pipe& err, ProcessResult& result) {
    size_t nWritten = 0;
    if (launch.m_strStdin.empty()) {
        in.CloseWrite();
    } else {
        fcntl(in.m_hWrite, F_SETFL, O_NONBLOCK);
    }
    auto deadline = Clock::now() + std::chrono::milliseconds(launch.m_nTimeoutMs);
    while (out.m_hRead >= 0 || err.m_hRead >= 0) {
        pollfd aPoll[3] = {{in.m_hWrite, POLLOUT, 0}, {out.m_hRead, POLLIN, 0}, {err.m_hRead, POLLIN, 0}};
        const auto nWaitMs = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int nReady = poll(aPoll, 3, static_cast<int>(std::max<long long>(nWaitMs.count(), 0)));
        if (nReady < 0 && errno == EINTR) {
            continue;
        }
        if (nReady < 0) {
            kill(-nPid, SIGKILL);
            return;
        }
        if (nReady == 0) {
            kill(-nPid, result.m_bTimedOut ? SIGKILL : launch.m_nTimeoutSignal);
            result.m_bTimedOut = true;
            deadline = Clock::now() + kKillGrace;
            continue;
        }
        if (aPoll[0].revents != 0) {
            const ssize_t nChunk =
                write(in.m_hWrite, launch.m_strStdin.data() + nWritten, launch.m_strStdin.size() - nWritten);
            if (nChunk > 0) {
                nWritten += static_cast<size_t>(nChunk);
            }
            if (nWritten == launch.m_strStdin.size() || (nChunk < 0 && errno != EAGAIN && errno != EINTR)) {
                in.CloseWrite();
            }
        }
        if (aPoll[1].revents != 0 && !ReadSome(out.m_hRead, result.m_strOut)) {
            out.CloseRead();
        }
        if (aPoll[2].revents != 0 && !ReadSome(err.m_hRead, result.m_strErr)) {
            err.CloseRead();
        }
    }
}

}  // namespace

ProcessResult RunProcess(const ProcessSpec& launch) {
    static const bool bIgnoringSigpipe = signal(SIGPIPE, SIG_IGN) != SIG_ERR;
    (void)bIgnoringSigpipe;

    ProcessResult result;
    std::vector<std::string> args = WrappedCommand(launch.m_args);
    std::vector<std::string> env = ChildEnvironment(launch.m_env);
    std::vector<char*> argv = NullTerminated(args);
    std::vector<char*> envp = NullTerminated(env);
    Pipe in;
    Pipe out;
    Pipe err;
    if (args.empty() || !in.IsOpen() || !out.IsOpen() || !err.IsOpen()) {
        result.m_strErr = "ProcessRunner: no program or no pipes";
        return result;
    }

    const pid_t nPid = fork();
    if (nPid == 0) {
        ExecChild(launch, in, out, err, argv.data(), envp.data());
    }
    in.CloseRead();
    out.CloseWrite();
    err.CloseWrite();
    if (nPid < 0) {
        result.m_strErr = "ProcessRunner: fork failed";
        return result;
    }
    // Set on both sides so that the group exists whichever runs first.
    setpgid(nPid, nPid);

    Exchange(nPid, launch, in, out, err, result);
    int nStatus = 0;
    while (waitpid(nPid, &nStatus, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(nStatus)) {
        result.m_nExitCode = WEXITSTATUS(nStatus);
    } else if (WIFSIGNALED(nStatus)) {
        result.m_nSignal = WTERMSIG(nStatus);
    }
    return result;
}

ProcessResult RunProcess(const std::vector<std::string>& args, const std::string& strStdin) {
    ProcessSpec launch;
    launch.m_args = args;
    launch.m_strStdin = strStdin;
    return RunProcess(launch);
}

std::vector<std::string> WrappedCommand(const std::vector<std::string>& args) {
    const char* pszWrapper = std::getenv("KVT_TEST_WRAPPER");
    if (pszWrapper == nullptr || args.empty() ||
        (args[0] != KVT_BINARY && args[0] != KVT_CRYPT_BINARY && args[0] != KVT_REPORT_BINARY)) {
        return args;
    }
    std::vector<std::string> command;
    std::istringstream words(pszWrapper);
    for (std::string strWord; words >> strWord;) {
        command.push_back(strWord);
    }
    command.insert(command.end(), args.begin(), args.end());
    return command;
}
