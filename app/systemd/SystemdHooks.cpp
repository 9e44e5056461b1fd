#include "app/systemd/SystemdHooks.h"

// Without this every entry would carry the source file, line and function of the one call below,
// with the path of the machine that built the program: nothing an operator can use.
#define SD_JOURNAL_SUPPRESS_LOCATION

#include <sys/stat.h>
#include <syslog.h>
#include <systemd/sd-daemon.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/Globals.h"
#include "app/MetricsFile.h"
#include "app/ServiceNotify.h"
#include "base/Cp1252.h"
#include "log/CLogFile.h"

namespace {

// systemd names the journal stream it connected as "device:inode" (sd_journal_stream_fd(3)); a
// standard error redirected elsewhere by the caller does not match.
bool StandardErrorIsJournal() {
    const char* pszStream = std::getenv("JOURNAL_STREAM");
    if (pszStream == nullptr) {
        return false;
    }
    char* pszEnd = nullptr;
    const unsigned long long nDevice = std::strtoull(pszStream, &pszEnd, 10);
    if (*pszEnd != ':') {
        return false;
    }
    const unsigned long long nInode = std::strtoull(pszEnd + 1, &pszEnd, 10);
    struct stat info {};
    return *pszEnd == '\0' && fstat(STDERR_FILENO, &info) == 0 && info.st_dev == nDevice &&
           info.st_ino == nInode;
}

int Priority(LogLevel level) {
    switch (level) {
        case LogLevel::Error:
            return LOG_ERR;
        case LogLevel::Warning:
            return LOG_WARNING;
        case LogLevel::Info:
            break;
    }
    return LOG_INFO;
}

void SendToJournal(const CString& strText, LogLevel level) {
    const std::string strMessage = Utf8FromCp1252(OneLine(strText));
    sd_journal_send("MESSAGE=%s", strMessage.c_str(), "PRIORITY=%d", Priority(level), nullptr);
}

void SendToServiceManager(const char* pszMessage) {
    sd_notify(0, pszMessage);
}

}  // namespace

void InstallSystemdHooks() {
    if (StandardErrorIsJournal()) {
        g_log.SetMirror(SendToJournal);
    }
    if (std::getenv("NOTIFY_SOCKET") != nullptr) {
        SetNotifySender(SendToServiceManager);
    }
    const char* pszMetrics = std::getenv("KVT_METRICS_DIR");
    if (pszMetrics != nullptr && *pszMetrics != '\0') {
        SetMetricsDirectory(pszMetrics);
    }
}
