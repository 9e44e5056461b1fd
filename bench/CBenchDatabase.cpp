#include "bench/CBenchDatabase.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

SQLCHAR* SqlText(const CString& str) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(str.GetString()));
}

}  // namespace

CBenchDatabase::~CBenchDatabase() {
    Disconnect();
}

bool CBenchDatabase::Connect(const CString& strDsn, const CString& strLogin, const CString& strPassword) {
    Disconnect();
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_hEnv))) {
        m_hEnv = SQL_NULL_HENV;
        std::fprintf(stderr, "%s: no ODBC environment handle\n", program_invocation_short_name);
        return false;
    }
    SQLSetEnvAttr(m_hEnv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, m_hEnv, &m_hDbc))) {
        m_hDbc = SQL_NULL_HDBC;
        Report("no ODBC connection handle", SQL_HANDLE_ENV, m_hEnv, "");
        return false;
    }
    const SQLRETURN nResult = SQLConnect(m_hDbc, SqlText(strDsn), SQL_NTS, SqlText(strLogin), SQL_NTS,
                                         SqlText(strPassword), SQL_NTS);
    if (!SQL_SUCCEEDED(nResult)) {
        Report("cannot connect", SQL_HANDLE_DBC, m_hDbc, strDsn);
        return false;
    }
    m_bConnected = true;
    return true;
}

long CBenchDatabase::Exec(const CString& strSql) {
    SQLHSTMT hStmt = Execute(strSql);
    if (hStmt == SQL_NULL_HSTMT) {
        return -1;
    }
    SQLLEN nRows = 0;
    if (!SQL_SUCCEEDED(SQLRowCount(hStmt, &nRows)) || nRows < 0) {
        nRows = 0;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, hStmt);
    return static_cast<long>(nRows);
}

long CBenchDatabase::QueryLong(const CString& strSql) {
    SQLHSTMT hStmt = Execute(strSql);
    if (hStmt == SQL_NULL_HSTMT) {
        return -1;
    }
    char szValue[32] = {};
    SQLLEN nIndicator = 0;
    long nValue = -1;
    SQLBindCol(hStmt, 1, SQL_C_CHAR, szValue, sizeof(szValue), &nIndicator);
    const SQLRETURN nResult = SQLFetch(hStmt);
    if (SQL_SUCCEEDED(nResult) && nIndicator != SQL_NULL_DATA) {
        nValue = std::strtol(szValue, nullptr, 10);
    } else {
        Report(nResult == SQL_NO_DATA ? "no row" : "fetch failed", SQL_HANDLE_STMT, hStmt, strSql);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, hStmt);
    return nValue;
}

// A searched statement that touches no row ends in SQL_NO_DATA; that is no failure here.
SQLHSTMT CBenchDatabase::Execute(const CString& strSql) {
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    if (!m_bConnected) {
        std::fprintf(stderr, "%s: not connected\n", program_invocation_short_name);
        return SQL_NULL_HSTMT;
    }
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_hDbc, &hStmt))) {
        Report("no statement handle", SQL_HANDLE_DBC, m_hDbc, strSql);
        return SQL_NULL_HSTMT;
    }
    const SQLRETURN nResult = SQLExecDirect(hStmt, SqlText(strSql), SQL_NTS);
    if (!SQL_SUCCEEDED(nResult) && nResult != SQL_NO_DATA) {
        Report("statement failed", SQL_HANDLE_STMT, hStmt, strSql);
        SQLFreeHandle(SQL_HANDLE_STMT, hStmt);
        return SQL_NULL_HSTMT;
    }
    return hStmt;
}

void CBenchDatabase::Report(const char* pszWhat, SQLSMALLINT nHandleType, SQLHANDLE hHandle,
                            const CString& strSql) const {
    SQLCHAR szState[6] = {};
    SQLCHAR szMessage[1000] = {};
    SQLINTEGER nNative = 0;
    SQLSMALLINT nLength = 0;
    SQLGetDiagRec(nHandleType, hHandle, 1, szState, &nNative, szMessage, sizeof(szMessage), &nLength);
    std::fprintf(stderr, "%s: %s: [%s] native %d: %s\n%s\n", program_invocation_short_name, pszWhat,
                 reinterpret_cast<const char*>(szState), static_cast<int>(nNative),
                 reinterpret_cast<const char*>(szMessage), strSql.GetString());
}

void CBenchDatabase::Disconnect() {
    if (m_bConnected) {
        SQLDisconnect(m_hDbc);
        m_bConnected = false;
    }
    if (m_hDbc != SQL_NULL_HDBC) {
        SQLFreeHandle(SQL_HANDLE_DBC, m_hDbc);
        m_hDbc = SQL_NULL_HDBC;
    }
    if (m_hEnv != SQL_NULL_HENV) {
        SQLFreeHandle(SQL_HANDLE_ENV, m_hEnv);
        m_hEnv = SQL_NULL_HENV;
    }
}
