// The command line of kvt_bench_process.
#pragma once

#include "base/CString.h"

struct ProcessOptions {
    CString strQueueSchema;    // --until-empty: measure until this schema's queue is empty
    bool bStop = false;        // then stop the program with SIGTERM instead of awaiting its end
    int nIdleSeconds = 0;      // --idle: measure the program this long while it waits
    CString strWorkDir = ".";  // the program's working directory
    CString strInput = "/dev/null";
    CString strOutput = "/dev/null";     // standard output and error of the program
    CString strDsn = "KVT_MYSQL";        // where the queue is watched
    long nServerPid = 0;                 // the database server, whose processor time is shown beside
    char* const* ppszCommand = nullptr;  // the program and its arguments, within argv
};

// False for an unknown option, a missing or malformed value, no or both measurements, or no
// program after "--".
bool ParseProcessOptions(int argc, char* argv[], ProcessOptions* pOptions);
void PrintProcessUsage();
