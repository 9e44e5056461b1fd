#include "bench/process/ProcessOptions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "db/SqlText.h"

namespace {

const long kMaxIdleSeconds = 86400;

const char* const kUsage =
    "usage: kvt_bench_process (--until-empty SCHEMA [--stop] | --idle SECONDS) [--workdir DIR]\n"
    "                         [--input FILE] [--output FILE] [--dsn NAME] [--server-pid PID]\n"
    "                         -- PROGRAM [ARGUMENT...]\n"
    "Starts PROGRAM and measures it:\n"
    "  --until-empty SCHEMA  until the requests of SCHEMA in ZTWBASIS.ZTW002PRM are gone; with --stop\n"
    "                        the program is then stopped with SIGTERM, else its end is awaited\n"
    "  --idle SECONDS        its processor time over SECONDS while it waits, then SIGTERM\n"
    "  --workdir DIR         the program's working directory (default .)\n"
    "  --input FILE          its standard input (default /dev/null)\n"
    "  --output FILE         its standard output and error (default /dev/null)\n"
    "  --dsn NAME            ODBC data source of the queue (default KVT_MYSQL)\n"
    "  --server-pid PID      also show the processor time of this process (the database server)\n"
    "Prints one line of name=value figures. The login comes from KVT_TESTDB_LOGIN and\n"
    "KVT_TESTDB_PASSWORD, the data sources from ODBCINI: source the env file of scripts/testdb.\n";

bool ParseNumber(const char* pszText, long nMax, long* pnValue) {
    char* pszEnd = nullptr;
    const long nValue = std::strtol(pszText, &pszEnd, 10);
    if (pszEnd == pszText || *pszEnd != '\0' || nValue < 1 || nValue > nMax) {
        return false;
    }
    *pnValue = nValue;
    return true;
}

bool ParseText(const char* pszValue, CString* pstrValue) {
    *pstrValue = pszValue;
    return *pszValue != '\0';
}

bool ParseValue(const char* pszOption, const char* pszValue, ProcessOptions* pOptions) {
    long nValue = 0;
    if (std::strcmp(pszOption, "--until-empty") == 0) {
        pOptions->strQueueSchema = pszValue;
        return IsPlainIdentifier(pOptions->strQueueSchema);
    }
    if (std::strcmp(pszOption, "--idle") == 0) {
        const bool bParsed = ParseNumber(pszValue, kMaxIdleSeconds, &nValue);
        pOptions->nIdleSeconds = static_cast<int>(nValue);
        return bParsed;
    }
    if (std::strcmp(pszOption, "--server-pid") == 0) {
        return ParseNumber(pszValue, 0x7FFFFFFF, &pOptions->nServerPid);
    }
    if (std::strcmp(pszOption, "--workdir") == 0) {
        return ParseText(pszValue, &pOptions->strWorkDir);
    }
    if (std::strcmp(pszOption, "--input") == 0) {
        return ParseText(pszValue, &pOptions->strInput);
    }
    if (std::strcmp(pszOption, "--output") == 0) {
        return ParseText(pszValue, &pOptions->strOutput);
    }
    if (std::strcmp(pszOption, "--dsn") == 0) {
        return ParseText(pszValue, &pOptions->strDsn);
    }
    return false;
}

}  // namespace

bool ParseProcessOptions(int argc, char* argv[], ProcessOptions* pOptions) {
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--stop") == 0) {
            pOptions->bStop = true;
        } else if (i + 1 >= argc || !ParseValue(argv[i], argv[i + 1], pOptions)) {
            return false;
        } else {
            ++i;
        }
    }
    if (i + 1 >= argc) {
        return false;
    }
    pOptions->ppszCommand = argv + i + 1;
    const bool bUntilEmpty = !pOptions->strQueueSchema.IsEmpty();
    const bool bIdle = pOptions->nIdleSeconds > 0;
    return bUntilEmpty != bIdle && !(bIdle && pOptions->bStop);
}

void PrintProcessUsage() {
    std::fputs(kUsage, stderr);
}
