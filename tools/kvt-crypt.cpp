// kvt-crypt: enciphers and deciphers configuration values with the program's own key and block
// layout, and writes complete configuration files. Secrets are read from standard input only (on a
// terminal without echo), never from the command line, where other users could see them.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/CString.h"
#include "config/CIniConfig.h"
#include "config/CipherHex.h"
#include "config/CipherKey.h"

namespace {

const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;

const char* const kUsage =
    "Aufruf:\n"
    "  kvt-crypt encrypt      liest einen Wert von der Standardeingabe und gibt ihn chiffriert\n"
    "                         als Hex-Text aus\n"
    "  kvt-crypt decrypt      liest einen Hex-Text von der Standardeingabe und gibt den Wert aus\n"
    "  kvt-crypt write DATEI  fragt DB_SYSTEM, DATABASE, LOGIN, PASS und SCHEMA ab und schreibt\n"
    "                         damit eine vollst\xE4ndige Konfigurationsdatei (Rechte 0600)\n"
    "  kvt-crypt --help       zeigt diesen Text\n"
    "Werte werden nie auf der Befehlszeile angegeben. An einem Terminal wird nach ihnen gefragt,\n"
    "bei encrypt und f\xFCr PASS ohne Echo; sonst wird je Wert eine Zeile gelesen. Ein Wert darf\n"
    "kein Nullbyte und keinen Zeilenumbruch enthalten.\n";

const char* const kConfigKeys[] = {"DB_SYSTEM", "DATABASE", "LOGIN", "PASS", "SCHEMA"};

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

// Reads one line without its line break (LF or CR LF). On a terminal the prompt goes to the
// standard error stream, so that the standard output carries only the result. False at the end of
// the input.
bool ReadLine(const char* pszPrompt, bool bHidden, CString& strLine) {
    // Echo goes off before the prompt appears, so that nothing typed after it is shown.
    const bool bTerminal = isatty(STDIN_FILENO) != 0;
    const bool bEchoOff = bTerminal && bHidden && EchoOff();
    if (bTerminal) {
        std::fputs(pszPrompt, stderr);
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

// A zero byte would end the value early when it is deciphered, and a line break cannot be typed
// at a prompt or carried in one line of a script.
bool ReportBadValue(const char* pszName) {
    std::fprintf(stderr, "kvt-crypt: %s darf kein Nullbyte und keinen Zeilenumbruch enthalten.\n", pszName);
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

bool PrintLine(const CString& strText) {
    std::fwrite(strText.GetString(), 1, static_cast<size_t>(strText.GetLength()), stdout);
    std::fputc('\n', stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "kvt-crypt: Ausgabe fehlgeschlagen: %s\n", std::strerror(errno));
        return false;
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

int RunEncrypt() {
    // An input without any line is the empty value; input after the first line break would be a
    // value of several lines.
    CString strValue;
    ReadLine("Wert: ", true, strValue);
    const bool bOneLine = isatty(STDIN_FILENO) != 0 || std::fgetc(stdin) == EOF;
    const bool bValid = bOneLine ? CheckValue(strValue, "Der Wert") : ReportBadValue("Der Wert");
    if (!bValid) {
        strValue.Empty();
        return kExitFailed;
    }
    const CString strHex = Encipher(strValue);
    strValue.Empty();
    return PrintLine(strHex) ? kExitOk : kExitFailed;
}

bool IsCipherText(const CString& strHex) {
    if (strHex.GetLength() % 16 != 0) {
        return false;
    }
    for (int i = 0; i < strHex.GetLength(); ++i) {
        const char ch = strHex.GetAt(i);
        if (!((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F'))) {
            return false;
        }
    }
    return true;
}

int RunDecrypt() {
    CString strHex;
    ReadLine("Hex-Text: ", false, strHex);
    // The program reads the hex text upper-cased from its file, so either case is accepted here.
    strHex.Trim();
    strHex.MakeUpper();
    if (!IsCipherText(strHex)) {
        std::fputs("kvt-crypt: Kein Hex-Text aus ganzen Gruppen zu je 16 Ziffern (0-9, A-F).\n", stderr);
        return kExitFailed;
    }
    CIniConfig config;
    CString strValue = config.Decrypt(strHex);
    const bool bPrinted = PrintLine(strValue);
    strValue.Empty();
    return bPrinted ? kExitOk : kExitFailed;
}

// Builds the whole file text before anything is written, so that an input ending early leaves an
// existing file untouched.
bool ReadConfigText(CString& strText) {
    for (const char* pszKey : kConfigKeys) {
        CString strPrompt;
        strPrompt.Format("%s: ", pszKey);
        CString strValue;
        if (!ReadLine(strPrompt, std::strcmp(pszKey, "PASS") == 0, strValue)) {
            std::fprintf(stderr, "kvt-crypt: Die Eingabe endet vor dem Wert f\xFCr %s.\n", pszKey);
            return false;
        }
        if (!CheckValue(strValue, pszKey)) {
            strValue.Empty();
            return false;
        }
        const CString strHex = Encipher(strValue);
        strValue.Empty();
        CString strLine;
        strLine.Format("1;%s;%s\n", pszKey, strHex.GetString());
        strText += strLine;
    }
    return true;
}

bool WriteAll(int nFile, const CString& strText) {
    const char* pch = strText.GetString();
    size_t nLeft = static_cast<size_t>(strText.GetLength());
    while (nLeft > 0) {
        const ssize_t nWritten = write(nFile, pch, nLeft);
        if (nWritten < 0 && errno == EINTR) {
            continue;
        }
        if (nWritten <= 0) {
            errno = nWritten == 0 ? EIO : errno;
            return false;
        }
        pch += nWritten;
        nLeft -= static_cast<size_t>(nWritten);
    }
    return true;
}

bool ReportWriteError(const char* pszPath, int nError) {
    std::fprintf(stderr, "kvt-crypt: %s kann nicht geschrieben werden: %s\n", pszPath, std::strerror(nError));
    return false;
}

// The file holds the password, if only enciphered with a key every copy of the program carries:
// it is readable by its owner alone, also when it existed before with wider rights.
bool WriteConfigFile(const char* pszPath, const CString& strText) {
    const int nFile = open(pszPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (nFile < 0) {
        return ReportWriteError(pszPath, errno);
    }
    if (fchmod(nFile, 0600) != 0 || !WriteAll(nFile, strText)) {
        const int nError = errno;
        close(nFile);
        return ReportWriteError(pszPath, nError);
    }
    if (close(nFile) != 0) {
        return ReportWriteError(pszPath, errno);
    }
    return true;
}

int RunWrite(const char* pszPath) {
    CString strText;
    if (!ReadConfigText(strText)) {
        return kExitFailed;
    }
    return WriteConfigFile(pszPath, strText) ? kExitOk : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
    const char* pszCommand = argc > 1 ? argv[1] : "";
    if (argc == 2 && std::strcmp(pszCommand, "--help") == 0) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (argc == 2 && std::strcmp(pszCommand, "encrypt") == 0) {
        return RunEncrypt();
    }
    if (argc == 2 && std::strcmp(pszCommand, "decrypt") == 0) {
        return RunDecrypt();
    }
    if (argc == 3 && std::strcmp(pszCommand, "write") == 0) {
        return RunWrite(argv[2]);
    }
    std::fputs(kUsage, stderr);
    return kExitUsage;
}
