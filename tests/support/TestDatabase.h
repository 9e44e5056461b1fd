// CTestDatabase: a plain ODBC connection to the private test server of scripts/testdb, for the
// database tests to load data and check results without going through the program's own code.
// It owns its environment and connection handles; each call allocates and frees its own
// statement. Every failure is reported as a failure of the running test, with the statement and
// the driver's diagnostics, so that a broken setup cannot pass silently. One test thread only.
//
// The names below are the ones scripts/testdb creates. CTest sets ODBCINI and ODBCSYSINI to the
// server's odbc.ini, and KVT_SOURCE_DIR is compiled in for the repository's SQL files.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <vector>

#include "base/CString.h"

class CTestDatabase {
public:
    // MYSQL statements on tenant schema KVTTEST.
    static constexpr const char* DSN_MYSQL = "KVT_MYSQL";
    static constexpr const char* SCHEMA_MYSQL = "KVTTEST";
    // ORACLE statements on MariaDB's ORACLE mode, tenant schema KVTTEST2.
    static constexpr const char* DSN_ORACLE = "KVT_ORACLE";
    static constexpr const char* SCHEMA_ORACLE = "KVTTEST2";
    static constexpr const char* LOGIN = "kvt";
    static constexpr const char* PASSWORD = "kvtpw";

    CTestDatabase() = default;
    CTestDatabase(const CTestDatabase&) = delete;
    CTestDatabase& operator=(const CTestDatabase&) = delete;
    virtual ~CTestDatabase();

    // Connects with the test login; false (and a test failure) when the server does not answer.
    bool Connect(const char* pszDsn);

    // Rows touched by the statement, or -1 after a failure.
    long Exec(const char* pszSql);
    // Runs a SQL file of the repository (path relative to its root): statements end with ";" at
    // the end of a line, lines starting with "--" are comments. False after the first failure.
    bool ExecScript(const char* pszRelativePath);
    // For statements expected to fail: the native error code, 0 on success. Never fails the test.
    int TryExec(const char* pszSql);

    // First column of the first row; a NULL reads as 0 or an empty text. A query without rows
    // fails the test.
    long QueryInt(const char* pszSql);
    double QueryDouble(const char* pszSql);
    CString QueryText(const char* pszSql);

    // Every row as its columns' texts joined by "|" (NULL as "NULL"); returns the row count, -1
    // after a failure.
    int QueryRows(const char* pszSql, std::vector<CString>& rows);

private:
    SQLHSTMT AllocStatement();
    SQLHSTMT Execute(const char* pszSql);
    bool ReadColumn(SQLHSTMT hStmt, SQLUSMALLINT nColumn, CString& strValue, bool& bNull);
    CString Diagnostics(SQLSMALLINT nHandleType, SQLHANDLE hHandle, SQLINTEGER* pnNative = nullptr);
    void ReleaseStatement(SQLHSTMT& hStmt);
    void Disconnect();

    SQLHENV m_hEnv = SQL_NULL_HENV;
    SQLHDBC m_hDbc = SQL_NULL_HDBC;
    bool m_bConnected = false;
};
