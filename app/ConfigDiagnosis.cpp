#include "app/ConfigDiagnosis.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/Globals.h"
#include "config/CipherHex.h"
#include "db/SqlDialect.h"

namespace {

const char* const kKeys[] = {"DB_SYSTEM", "DATABASE", "LOGIN", "PASS", "SCHEMA"};

void Report(const CString& strPath, const CString& strFinding) {
    g_log.Notice("kvt: Konfigurationsdatei " + strPath + strFinding, LogLevel::Error);
}

// A deciphered value may hold any byte; in a line for the operator control characters become '?'.
CString Printable(const CString& strValue) {
    CString strOut;
    for (int i = 0; i < strValue.GetLength(); ++i) {
        const auto ch = static_cast<unsigned char>(strValue.GetAt(i));
        strOut += ch < 0x20 || ch == 0x7F ? '?' : static_cast<char>(ch);
    }
    return strOut;
}

// Reads the first byte as kvt reads the file: a directory, for one, opens but cannot be read.
// Returns 0, or the error number; *pbEmpty tells whether there was no byte.
int ProbeRead(const CString& strPath, bool* pbEmpty) {
    FILE* pFile = std::fopen(strPath, "rt");
    if (pFile == nullptr) {
        return errno;
    }
    const int ch = std::fgetc(pFile);
    const int nError = ch == EOF && std::ferror(pFile) != 0 ? errno : 0;
    std::fclose(pFile);
    *pbEmpty = ch == EOF;
    return nError;
}

// SCHEMA may be missing: the command line names the schema as a rule.
void ReportValues(const CIniConfig& config) {
    for (const char* pszKey : kKeys) {
        const CString strRaw = config.GetValue(pszKey);
        CString strFinding;
        if (strRaw.IsEmpty() && std::strcmp(pszKey, "SCHEMA") != 0) {
            strFinding.Format(": Eintrag %s fehlt oder ist leer", pszKey);
        } else if (!strRaw.IsEmpty() && !IsCipherText(strRaw)) {
            strFinding.Format(": Wert von %s ist nicht chiffriert (kvt-crypt write)", pszKey);
        }
        if (!strFinding.IsEmpty()) {
            Report(config.GetIniFile(), strFinding);
        }
    }
}

}  // namespace

void ReportUnusableConfigFile(const char* pszPath) {
    struct stat info {};
    const int nError = stat(pszPath, &info) == 0 ? 0 : errno;
    const bool bMissing = nError == ENOENT || nError == ENOTDIR;
    Report(pszPath,
           bMissing ? CString(" nicht gefunden") : " nicht lesbar: " + CString(std::strerror(nError)));
}

void ReportConnectFailureCauses(const CIniConfig& config, const CDbConnection& db) {
    const CString& strPath = config.GetIniFile();
    bool bEmpty = false;
    const int nError = ProbeRead(strPath, &bEmpty);
    if (nError != 0) {
        Report(strPath, " nicht lesbar: " + CString(std::strerror(nError)));
        return;
    }
    if (bEmpty) {
        Report(strPath, " ist leer");
        return;
    }
    ReportValues(config);

    const CString strDbSystem = IsCipherText(config.GetValue("DB_SYSTEM")) ? config.GetDbSystem() : CString();
    if (!strDbSystem.IsEmpty() && DialectFromName(strDbSystem) == SqlDialect::Unknown) {
        Report(strPath, ": DB_SYSTEM ist \"" + Printable(strDbSystem) +
                            "\", erlaubt sind ORACLE, MSSQL und MYSQL (in Grossbuchstaben)");
    }
    const CString strDataSource = config.GetDatabase();
    if (db.GetSqlState() == "IM002" && !strDataSource.IsEmpty()) {
        Report(strPath, ": Datenquelle \"" + Printable(strDataSource) +
                            "\" (DATABASE) ist nicht definiert (odbc.ini)");
    }
}
