#include "bench/BenchConfig.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "config/CipherHex.h"
#include "config/CipherKey.h"

namespace {

bool WriteValue(FILE* pFile, const char* pszKey, const CString& strValue, const CString& strKey) {
    return std::fprintf(pFile, "1;%s;%s\n", pszKey, EncryptHex(strValue, strKey).GetString()) > 0;
}

}  // namespace

bool WriteBenchConfig(const CString& strPath, const BenchConnection& connection) {
    const int fd = open(strPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    FILE* pFile = fdopen(fd, "w");
    if (pFile == nullptr) {
        close(fd);
        return false;
    }
    CString strKey;
    AssembleCipherKey(strKey);
    const bool bWritten = WriteValue(pFile, "DB_SYSTEM", connection.strDbSystem, strKey) &&
                          WriteValue(pFile, "DATABASE", connection.strDsn, strKey) &&
                          WriteValue(pFile, "LOGIN", connection.strLogin, strKey) &&
                          WriteValue(pFile, "PASS", connection.strPassword, strKey) &&
                          WriteValue(pFile, "SCHEMA", connection.strSchema, strKey);
    strKey.Empty();
    return std::fclose(pFile) == 0 && bWritten;
}
