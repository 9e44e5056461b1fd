#include "app/ServiceNotify.h"

#include <ctime>
#include <string>

#include "base/Cp1252.h"

namespace {

NotifySender s_pfnSender = nullptr;
time_t s_lastKeepAlive = 0;

time_t MonotonicSeconds() {
    struct timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec;
}

std::string StatusAssignment(const CString& strStatus) {
    std::string strUtf8 = Utf8FromCp1252(strStatus);
    for (char& ch : strUtf8) {
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) {
            ch = ' ';
        }
    }
    return "STATUS=" + strUtf8;
}

void Send(const std::string& strMessage) {
    if (s_pfnSender != nullptr) {
        s_pfnSender(strMessage.c_str());
    }
}

}  // namespace

void SetNotifySender(NotifySender pfnSender) {
    s_pfnSender = pfnSender;
}

void NotifyReady(const CString& strStatus) {
    Send("READY=1\n" + StatusAssignment(strStatus));
}

void NotifyStatus(const CString& strStatus) {
    Send(StatusAssignment(strStatus));
}

void NotifyWatchdog() {
    const time_t now = MonotonicSeconds();
    if (s_pfnSender != nullptr && now != s_lastKeepAlive) {
        s_lastKeepAlive = now;
        Send("WATCHDOG=1");
    }
}

void NotifyStopping() {
    Send("STOPPING=1");
}
