#include "config/CIniConfig.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "base/FileProbe.h"
#include "config/CipherHex.h"
#include "config/CipherKey.h"

namespace {

// A longer physical line arrives in pieces of 399 characters, each matched as a line of its own;
// the configuration files in use have always been read that way, so the size is part of the format.
const int kLineBufferSize = 400;

}  // namespace

bool CIniConfig::SetIniFile(const CString& strPath) {
    if (!FileExists(strPath)) {
        return false;
    }
    m_path = strPath;
    return true;
}

CString CIniConfig::GetValue(const CString& strKey) const {
    if (strKey.IsEmpty()) {
        return CString();
    }
    FILE* pFile = std::fopen(m_path, "rt");
    if (pFile == nullptr) {
        return CString();
    }

    CString strValue;
    char szLine[kLineBufferSize];
    while (std::fgets(szLine, sizeof(szLine), pFile) != nullptr) {
        CString strLine(szLine);
        strLine.Trim();
        strLine.MakeUpper();
        if (!strLine.IsEmpty() && strLine.GetAt(0) == 'X') {
            continue;
        }
        const int nFirst = strLine.Find(';');
        if (nFirst < 0) {
            continue;
        }
        strLine.Delete(0, nFirst + 1);
        const int nSecond = strLine.Find(';');
        if (nSecond < 0 || strLine.Left(nSecond) != strKey) {
            continue;
        }
        strValue = strLine.Mid(nSecond + 1);
        break;
    }
    std::fclose(pFile);
    return strValue;
}

CString CIniConfig::GetDbSystem() const {
    return GetDecryptedValue("DB_SYSTEM");
}

CString CIniConfig::GetDatabase() const {
    return GetDecryptedValue("DATABASE");
}

CString CIniConfig::GetLogin() const {
    return GetDecryptedValue("LOGIN");
}

CString CIniConfig::GetPass() const {
    return GetDecryptedValue("PASS");
}

CString CIniConfig::GetSchema() const {
    return GetDecryptedValue("SCHEMA");
}

CString CIniConfig::GetDecryptedValue(const char* pszKey) const {
    CString strCipher = GetValue(pszKey);
    if (strCipher.IsEmpty()) {
        return strCipher;
    }
    return Decrypt(strCipher);
}

CString CIniConfig::Decrypt(const CString& strCipher) const {
    std::vector<unsigned char> abPlain(static_cast<size_t>(DecryptHexBufferSize(strCipher.GetLength())));
    CString strKey;
    AssembleCipherKey(strKey);
    DecryptHex(strCipher, abPlain.data(), strKey);
    strKey.Empty();
    CString strPlain(reinterpret_cast<const char*>(abPlain.data()));
    explicit_bzero(abPlain.data(), abPlain.size());
    return strPlain;
}
