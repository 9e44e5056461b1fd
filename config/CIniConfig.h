// CIniConfig: the configuration file of the run and its five enciphered values (database product,
// data source, login, password, default schema). The program has one instance, g_config, owned by
// the entry code; the connection borrows it and asks for the values at every connect. The file is
// read anew for every value, so it may be edited while the program runs. Single-threaded use: the
// deciphering shares one process-wide cipher context.
#pragma once

#include "base/CString.h"

class CIniConfig {
public:
    CIniConfig() = default;
    virtual ~CIniConfig() = default;

    // Remembers the path when it names an existing entry; otherwise keeps the previous one.
    bool SetIniFile(const CString& strPath);
    const CString& GetIniFile() const { return m_path; }

    // The raw (still enciphered, upper-cased) value of the first line with this key, or an empty
    // text when the key, the file or the value is missing.
    CString GetValue(const CString& strKey) const;

    CString GetDbSystem() const;
    CString GetDatabase() const;
    CString GetLogin() const;
    CString GetPass() const;
    CString GetSchema() const;

    // The plain value of an enciphered hex text: the deciphered bytes up to the first zero byte.
    CString Decrypt(const CString& strCipher) const;

private:
    CString GetDecryptedValue(const char* pszKey) const;

    CString m_path;
};
