#include "config/ConfigCheck.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "config/CipherHex.h"

namespace {

const char* const kNeededKeys[] = {"DB_SYSTEM", "DATABASE", "LOGIN", "PASS"};

// Reads the first byte as the reader does: a directory, for one, opens but cannot be read. Returns
// 0 or the error number; *pbEmpty tells whether there was no byte.
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

bool HasControlCharacter(const CString& strValue) {
    for (int i = 0; i < strValue.GetLength(); ++i) {
        const auto ch = static_cast<unsigned char>(strValue.GetAt(i));
        if (ch < 0x20 || ch == 0x7F) {
            return true;
        }
    }
    return false;
}

// What is wrong with the value of one key, or an empty text. A value enciphered with another key
// deciphers to bytes that no value holds: nothing at all, or control characters.
CString ValueFault(const CIniConfig& config, const char* pszKey, bool bNeeded) {
    const CString strRaw = config.GetValue(pszKey);
    CString strFault;
    if (strRaw.IsEmpty()) {
        if (bNeeded) {
            strFault.Format(": Eintrag %s fehlt oder ist leer", pszKey);
        }
    } else if (!IsCipherText(strRaw)) {
        strFault.Format(": Wert von %s ist nicht chiffriert (kvt-crypt write)", pszKey);
    } else {
        const CString strPlain = config.Decrypt(strRaw);
        if (strPlain.IsEmpty() || HasControlCharacter(strPlain)) {
            strFault.Format(": Wert von %s l\xE4sst sich nicht entschl\xFCsseln (kvt-crypt write)", pszKey);
        }
    }
    return strFault;
}

}  // namespace

std::vector<CString> FindConfigFaults(const CIniConfig& config, bool bSchemaGiven) {
    const CString& strPath = config.GetIniFile();
    bool bEmpty = false;
    const int nError = ProbeRead(strPath, &bEmpty);
    if (nError != 0) {
        return {" nicht lesbar: " + CString(std::strerror(nError))};
    }
    if (bEmpty) {
        return {" ist leer"};
    }
    std::vector<CString> faults;
    for (const char* pszKey : kNeededKeys) {
        const CString strFault = ValueFault(config, pszKey, true);
        if (!strFault.IsEmpty()) {
            faults.push_back(strFault);
        }
    }
    const CString strSchemaFault = ValueFault(config, "SCHEMA", !bSchemaGiven);
    if (!strSchemaFault.IsEmpty()) {
        faults.push_back(strSchemaFault);
    }
    if (ValueFault(config, "DB_SYSTEM", true).IsEmpty()) {
        const CString strDbSystem = config.GetDbSystem();
        if (strDbSystem != "ORACLE" && strDbSystem != "MSSQL" && strDbSystem != "MYSQL") {
            faults.push_back(": DB_SYSTEM ist \"" + PrintableValue(strDbSystem) +
                             "\", erlaubt sind ORACLE, MSSQL und MYSQL (in Grossbuchstaben)");
        }
    }
    return faults;
}

CString PrintableValue(const CString& strValue) {
    CString strOut;
    for (int i = 0; i < strValue.GetLength(); ++i) {
        const auto ch = static_cast<unsigned char>(strValue.GetAt(i));
        strOut += ch < 0x20 || ch == 0x7F ? '?' : static_cast<char>(ch);
    }
    return strOut;
}
