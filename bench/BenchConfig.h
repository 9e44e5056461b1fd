// The configuration file through which the program's own connection reaches the test server: the
// five values enciphered with the program's key, as kvt-crypt writes them for an operator.
#pragma once

#include "base/CString.h"

struct BenchConnection {
    CString strDbSystem;  // "MYSQL" or "ORACLE": the statement texts the program sends
    CString strDsn;
    CString strLogin;
    CString strPassword;
    CString strSchema;
};

// Writes the file readable by its owner only (it carries the password); false when it cannot.
bool WriteBenchConfig(const CString& strPath, const BenchConnection& connection);
