// What the kernel reports about a running process in /proc: the processor time it has used and
// its resident memory, now and at its peak. Read for the program under measurement and for the
// database server beside it.
#pragma once

#include <sys/types.h>

struct ProcUsage {
    double dCpuSeconds = 0.0;  // user and system time together
    long nVmHwmKib = 0;        // peak resident set; 0 once the process has ended
    long nVmRssKib = 0;        // resident set now; 0 once the process has ended
};

// False when the process does not exist (any more) or its entry cannot be read.
bool ReadProcUsage(pid_t nPid, ProcUsage* pUsage);
