#include "app/ConfigDiagnosis.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "app/Globals.h"
#include "db/DataSources.h"

namespace {

void Report(const CString& strPath, const CString& strFinding) {
    g_log.Notice("kvt: Konfigurationsdatei " + strPath + strFinding, LogLevel::Error);
}

}  // namespace

void ReportUnusableConfigFile(const char* pszPath) {
    struct stat info {};
    const int nError = stat(pszPath, &info) == 0 ? 0 : errno;
    const bool bMissing = nError == ENOENT || nError == ENOTDIR;
    Report(pszPath,
           bMissing ? CString(" nicht gefunden") : " nicht lesbar: " + CString(std::strerror(nError)));
}

bool ReportConfigFaults(const CIniConfig& config, bool bSchemaGiven) {
    const std::vector<CString> faults = FindStartFaults(config, bSchemaGiven);
    for (const CString& strFault : faults) {
        Report(config.GetIniFile(), strFault);
    }
    return !faults.empty();
}
