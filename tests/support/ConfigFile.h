// Writes a configuration file the way an operator's kvt-crypt does: one line per key, every value
// enciphered with the program's own key.
#pragma once

#include <fstream>
#include <string>

#include "config/CipherHex.h"
#include "config/CipherKey.h"

struct ConfigValues {
    std::string strDbSystem;
    std::string strDatabase;
    std::string strLogin;
    std::string strPass;
    std::string strSchema;
};

inline std::string EncipheredForTest(const std::string& strPlain) {
    CString strKey;
    AssembleCipherKey(strKey);
    const CString strHex = EncryptHex(CString(strPlain.data(), static_cast<int>(strPlain.size())), strKey);
    strKey.Empty();
    return strHex.GetString();
}

inline std::string ConfigText(const ConfigValues& values) {
    return "1;DB_SYSTEM;" + EncipheredForTest(values.strDbSystem) + "\n1;DATABASE;" +
           EncipheredForTest(values.strDatabase) + "\n1;LOGIN;" + EncipheredForTest(values.strLogin) +
           "\n1;PASS;" + EncipheredForTest(values.strPass) + "\n1;SCHEMA;" +
           EncipheredForTest(values.strSchema) + "\n";
}

inline void WriteConfigFile(const std::string& strPath, const ConfigValues& values) {
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out << ConfigText(values);
}
