// The command line of kvt_bench_calc.
#pragma once

#include "base/CString.h"

struct BenchOptions {
    int nPersons = 200;
    CString strDbSystem = "MYSQL";   // statement texts of the program: "MYSQL" or "ORACLE"
    CString strDsn;                  // the data source of scripts/testdb for the dialect unless given
    CString strSchema = "KVTBENCH";  // tenant schema that the benchmark empties and fills
    CString strWorkDir = ".";        // configuration file and run log of the program
    bool bSkipLoad = false;          // calculate the persons already loaded, replacing their results
    bool bQueue = false;             // queue a request per person for kvt instead of calculating
};

// False for an unknown option, a missing or malformed value.
bool ParseBenchOptions(int argc, char* argv[], BenchOptions* pOptions);
void PrintBenchUsage();
