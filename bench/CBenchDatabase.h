// CBenchDatabase: the benchmark's own ODBC connection, apart from the program's connection under
// measurement, for loading the data set, queueing the requests, watching the queue and counting
// the results. It owns its environment and connection handles; every call allocates and frees its
// own statement. A failure is written to the standard error stream with the statement and the
// driver's first diagnostic record, so that a broken setup cannot pass for a fast one.
// Single-threaded.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include "base/CString.h"

class CBenchDatabase {
public:
    CBenchDatabase() = default;
    virtual ~CBenchDatabase();
    CBenchDatabase(const CBenchDatabase&) = delete;
    CBenchDatabase& operator=(const CBenchDatabase&) = delete;

    bool Connect(const CString& strDsn, const CString& strLogin, const CString& strPassword);
    // Rows the statement touched (0 for one that reports none), or -1 after a failure.
    long Exec(const CString& strSql);
    // First column of the first row as an integer, or -1 after a failure or without a row.
    long QueryLong(const CString& strSql);

private:
    SQLHSTMT Execute(const CString& strSql);
    void Report(const char* pszWhat, SQLSMALLINT nHandleType, SQLHANDLE hHandle, const CString& strSql) const;
    void Disconnect();

    SQLHENV m_hEnv = SQL_NULL_HENV;
    SQLHDBC m_hDbc = SQL_NULL_HDBC;
    bool m_bConnected = false;
};
