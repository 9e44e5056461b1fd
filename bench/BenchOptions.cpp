#include "bench/BenchOptions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int kMaxPersons = 1000000;

const char* const kUsage =
    "usage: kvt_bench_calc [--persons N] [--dialect mysql|oracle] [--dsn NAME] [--schema NAME]\n"
    "                      [--workdir DIR] [--skip-load] [--queue]\n"
    "  --persons N      persons to load and calculate, 1 to 1000000 (default 200)\n"
    "  --dialect D      statement texts of the program's connection (default mysql)\n"
    "  --dsn NAME       ODBC data source (default KVT_MYSQL or KVT_ORACLE of scripts/testdb)\n"
    "  --schema NAME    tenant schema to empty and fill (default KVTBENCH)\n"
    "  --workdir DIR    where the program's configuration file and run log go (default .)\n"
    "  --skip-load      calculate the persons already loaded, replacing their results\n"
    "  --queue          queue one request per person for kvt (schema, user BENCH) instead of\n"
    "                   calculating them\n"
    "The login comes from KVT_TESTDB_LOGIN and KVT_TESTDB_PASSWORD, the data sources from ODBCINI:\n"
    "source the env file of scripts/testdb first.\n";

bool ParseCount(const char* pszText, int* pnValue) {
    char* pszEnd = nullptr;
    const long nValue = std::strtol(pszText, &pszEnd, 10);
    if (pszEnd == pszText || *pszEnd != '\0' || nValue < 1 || nValue > kMaxPersons) {
        return false;
    }
    *pnValue = static_cast<int>(nValue);
    return true;
}

const char* const kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
const char* const kNameCharacters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";

// The schema is written into every statement, so it must be a plain name.
bool IsPlainName(const char* pszName) {
    const size_t nLength = std::strlen(pszName);
    return nLength >= 1 && nLength <= 64 && std::strchr(kLetters, pszName[0]) != nullptr &&
           std::strspn(pszName, kNameCharacters) == nLength;
}

bool ParseDialect(const char* pszDialect, BenchOptions* pOptions) {
    CString strDialect(pszDialect);
    strDialect.MakeUpper();
    if (strDialect != "MYSQL" && strDialect != "ORACLE") {
        return false;
    }
    pOptions->strDbSystem = strDialect;
    return true;
}

bool ParseValue(const char* pszOption, const char* pszValue, BenchOptions* pOptions) {
    if (std::strcmp(pszOption, "--persons") == 0) {
        return ParseCount(pszValue, &pOptions->nPersons);
    }
    if (std::strcmp(pszOption, "--dialect") == 0) {
        return ParseDialect(pszValue, pOptions);
    }
    if (std::strcmp(pszOption, "--dsn") == 0) {
        pOptions->strDsn = pszValue;
        return *pszValue != '\0';
    }
    if (std::strcmp(pszOption, "--schema") == 0) {
        pOptions->strSchema = pszValue;
        return IsPlainName(pszValue);
    }
    if (std::strcmp(pszOption, "--workdir") == 0) {
        pOptions->strWorkDir = pszValue;
        return *pszValue != '\0';
    }
    return false;
}

}  // namespace

bool ParseBenchOptions(int argc, char* argv[], BenchOptions* pOptions) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--skip-load") == 0) {
            pOptions->bSkipLoad = true;
        } else if (std::strcmp(argv[i], "--queue") == 0) {
            pOptions->bQueue = true;
        } else if (i + 1 >= argc || !ParseValue(argv[i], argv[i + 1], pOptions)) {
            return false;
        } else {
            ++i;
        }
    }
    if (pOptions->strDsn.IsEmpty()) {
        pOptions->strDsn = pOptions->strDbSystem == "ORACLE" ? "KVT_ORACLE" : "KVT_MYSQL";
    }
    return true;
}

void PrintBenchUsage() {
    std::fputs(kUsage, stderr);
}
