// Runs a built program as a child process for the process suites: feeds it a text on standard
// input, collects everything it writes to standard output and standard error, and waits for its
// end. Each call owns its child and its pipes and leaves nothing behind: the child leads a process
// group of its own, and a timeout signal goes to the whole group. The test process ignores
// SIGPIPE from the first call on, so that a child that stops reading cannot end the suite.
#pragma once

#include <csignal>
#include <string>
#include <vector>

struct ProcessSpec {
    std::vector<std::string> m_args;  // m_args[0]: the program's path (absolute when m_strWorkDir is set)
    std::string m_strStdin;           // written to the child's standard input, which is then closed
    std::string m_strWorkDir;         // the child's working directory; empty: the caller's
    std::vector<std::string> m_env;   // "NAME=value" entries that add to or replace the caller's environment
    int m_nTimeoutMs = 30000;         // after this the child is sent m_nTimeoutSignal
    int m_nTimeoutSignal = SIGKILL;
};

struct ProcessResult {
    int m_nExitCode = -1;  // the exit status, or -1 when the child did not exit normally
    int m_nSignal = 0;     // the signal that ended the child, or 0
    bool m_bTimedOut = false;
    std::string m_strOut;
    std::string m_strErr;
};

ProcessResult RunProcess(const ProcessSpec& launch);

// The common case: arguments and standard input only.
ProcessResult RunProcess(const std::vector<std::string>& args, const std::string& strStdin = std::string());

// The command line that starts the program: kvt, kvt-crypt and kvt-report run under the command
// in the environment variable KVT_TEST_WRAPPER when it is set (a program by its absolute path and
// its options, separated by blanks; scripts/valgrind sets it), every other program as it is.
std::vector<std::string> WrappedCommand(const std::vector<std::string>& args);
