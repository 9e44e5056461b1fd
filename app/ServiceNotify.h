// The messages for the service manager (systemd's notification protocol): ready once the database
// is connected, a status line for "systemctl status", keep-alives for its watchdog, and the start
// of the stop. The entry function of kvt installs the sender when systemd listens
// (app/systemd/SystemdHooks.h); without a sender every call does nothing, so that the service run
// links without libsystemd into the tests and tools. Single-threaded use.
#pragma once

#include "base/CString.h"

// Sends one message of assignments separated by line breaks ("READY=1\nSTATUS=...").
using NotifySender = void (*)(const char* pszMessage);

void SetNotifySender(NotifySender pfnSender);

// The status is a text of the program, in Windows-1252; it is sent in UTF-8, and a control
// character in it (a request number may hold any byte) becomes a blank, so that it stays one
// assignment.
void NotifyReady(const CString& strStatus);
void NotifyStatus(const CString& strStatus);
// At most one keep-alive a second goes out, however often the loop calls it.
void NotifyWatchdog();
void NotifyStopping();
