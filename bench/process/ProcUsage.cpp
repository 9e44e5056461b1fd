#include "bench/process/ProcUsage.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The fields of /proc/PID/stat after the command name: the state is field 3, user and system time
// are fields 14 and 15, in clock ticks.
const int kFieldsBeforeUserTime = 11;

// Moves past nCount fields, each followed by one blank; nullptr when the line ends before.
const char* SkipFields(const char* pszFields, int nCount) {
    for (int i = 0; i < nCount && pszFields != nullptr; ++i) {
        pszFields = std::strchr(pszFields, ' ');
        if (pszFields != nullptr) {
            ++pszFields;
        }
    }
    return pszFields;
}

bool ParseTicks(const char** ppszText, unsigned long long* pnTicks) {
    char* pszEnd = nullptr;
    *pnTicks = std::strtoull(*ppszText, &pszEnd, 10);
    const bool bParsed = pszEnd != *ppszText && *pszEnd == ' ';
    *ppszText = pszEnd + 1;
    return bParsed;
}

// The command name in the second field may hold blanks and parentheses, so the fields are counted
// from its closing parenthesis, the last one in the line.
bool ReadCpuSeconds(pid_t nPid, double* pdSeconds) {
    char szPath[64];
    std::snprintf(szPath, sizeof(szPath), "/proc/%ld/stat", static_cast<long>(nPid));
    FILE* pFile = std::fopen(szPath, "r");
    if (pFile == nullptr) {
        return false;
    }
    char szLine[1024] = {};
    const bool bRead = std::fgets(szLine, sizeof(szLine), pFile) != nullptr;
    std::fclose(pFile);
    const char* pszName = bRead ? std::strrchr(szLine, ')') : nullptr;
    const char* pszTicks =
        pszName != nullptr && pszName[1] == ' ' ? SkipFields(pszName + 2, kFieldsBeforeUserTime) : nullptr;
    unsigned long long nUserTicks = 0;
    unsigned long long nSystemTicks = 0;
    if (pszTicks == nullptr || !ParseTicks(&pszTicks, &nUserTicks) || !ParseTicks(&pszTicks, &nSystemTicks)) {
        return false;
    }
    *pdSeconds = static_cast<double>(nUserTicks + nSystemTicks) / static_cast<double>(sysconf(_SC_CLK_TCK));
    return true;
}

// A process that has ended but is not yet reaped has no memory lines; they then stay 0.
bool ReadMemory(pid_t nPid, long* pnHwmKib, long* pnRssKib) {
    char szPath[64];
    std::snprintf(szPath, sizeof(szPath), "/proc/%ld/status", static_cast<long>(nPid));
    FILE* pFile = std::fopen(szPath, "r");
    if (pFile == nullptr) {
        return false;
    }
    char szLine[256];
    while (std::fgets(szLine, sizeof(szLine), pFile) != nullptr) {
        if (std::strncmp(szLine, "VmHWM:", 6) == 0) {
            *pnHwmKib = std::strtol(szLine + 6, nullptr, 10);
        } else if (std::strncmp(szLine, "VmRSS:", 6) == 0) {
            *pnRssKib = std::strtol(szLine + 6, nullptr, 10);
        }
    }
    std::fclose(pFile);
    return true;
}

}  // namespace

bool ReadProcUsage(pid_t nPid, ProcUsage* pUsage) {
    *pUsage = ProcUsage{};
    return ReadCpuSeconds(nPid, &pUsage->dCpuSeconds) &&
           ReadMemory(nPid, &pUsage->nVmHwmKib, &pUsage->nVmRssKib);
}
