#include "tools/CryptValues.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "config/CipherHex.h"
#include "config/CipherKey.h"
#include "tools/CryptConsole.h"

namespace {

// The terminal settings to restore when a signal ends the program while echo is off; otherwise
// the user's shell would stay without echo.
struct termios g_savedTerminal;
const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void RestoreTerminalAndDie(int nSignal) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
    signal(nSignal, SIG_DFL);
    raise(nSignal);
}

// Only signals that would end the program anyway are caught; one the caller chose to ignore
// stays ignored.
void CatchEndingSignals() {
    struct sigaction action {};
    action.sa_handler = RestoreTerminalAndDie;
    sigemptyset(&action.sa_mask);
    for (int nSignal : kEndingSignals) {
        struct sigaction previous {};
        if (sigaction(nSignal, nullptr, &previous) == 0 && previous.sa_handler == SIG_DFL) {
            sigaction(nSignal, &action, nullptr);
        }
    }
}

void ReleaseEndingSignals() {
    for (int nSignal : kEndingSignals) {
        struct sigaction current {};
        if (sigaction(nSignal, nullptr, &current) == 0 && current.sa_handler == RestoreTerminalAndDie) {
            signal(nSignal, SIG_DFL);
        }
    }
}

bool EchoOff() {
    if (tcgetattr(STDIN_FILENO, &g_savedTerminal) != 0) {
        return false;
    }
    CatchEndingSignals();
    struct termios quiet = g_savedTerminal;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0) {
        return true;
    }
    ReleaseEndingSignals();
    return false;
}

void EchoOn() {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_savedTerminal);
    ReleaseEndingSignals();
}

}  // namespace

// On a terminal the prompt goes to the standard error stream, so that the standard output carries
// only the result.
bool ReadLine(const char* pszPrompt, bool bHidden, CString& strLine) {
    // Echo goes off before the prompt appears, so that nothing typed after it is shown.
    const bool bTerminal = isatty(STDIN_FILENO) != 0;
    const bool bEchoOff = bTerminal && bHidden && EchoOff();
    if (bTerminal) {
        PrintText(stderr, pszPrompt);
    }
    char* pszBuffer = nullptr;
    size_t nCapacity = 0;
    ssize_t nRead = getline(&pszBuffer, &nCapacity, stdin);
    if (bEchoOff) {
        EchoOn();
        std::fputc('\n', stderr);
    }

    if (nRead > 0 && pszBuffer[nRead - 1] == '\n') {
        --nRead;
        if (nRead > 0 && pszBuffer[nRead - 1] == '\r') {
            --nRead;
        }
    }
    if (nRead >= 0) {
        strLine = CString(pszBuffer, static_cast<int>(nRead));
    }
    if (pszBuffer != nullptr) {
        explicit_bzero(pszBuffer, nCapacity);
        std::free(pszBuffer);
    }
    return nRead >= 0;
}

bool ReportBadValue(const char* pszName) {
    Complain(CString(pszName) + " darf kein Nullbyte und keinen Zeilenumbruch enthalten.");
    return false;
}

bool CheckValue(const CString& strValue, const char* pszName) {
    for (int i = 0; i < strValue.GetLength(); ++i) {
        const char ch = strValue.GetAt(i);
        if (ch == '\0' || ch == '\n' || ch == '\r') {
            return ReportBadValue(pszName);
        }
    }
    return true;
}

CString Encipher(const CString& strPlain) {
    CString strKey;
    AssembleCipherKey(strKey);
    CString strHex = EncryptHex(strPlain, strKey);
    strKey.Empty();
    return strHex;
}
