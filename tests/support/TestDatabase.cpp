#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

SQLCHAR* SqlText(const char* psz) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(psz));
}

bool EndsWith(const std::string& str, char ch) {
    return !str.empty() && str.back() == ch;
}

}  // namespace

CTestDatabase::~CTestDatabase() {
    Disconnect();
}

bool CTestDatabase::Connect(const char* pszDsn) {
    Disconnect();
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_hEnv))) {
        m_hEnv = SQL_NULL_HENV;
        ADD_FAILURE() << "no ODBC environment handle";
        return false;
    }
    SQLSetEnvAttr(m_hEnv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, m_hEnv, &m_hDbc))) {
        m_hDbc = SQL_NULL_HDBC;
        ADD_FAILURE() << "no ODBC connection handle: " << Diagnostics(SQL_HANDLE_ENV, m_hEnv);
        return false;
    }
    const SQLRETURN nRc =
        SQLConnect(m_hDbc, SqlText(pszDsn), SQL_NTS, SqlText(LOGIN), SQL_NTS, SqlText(PASSWORD), SQL_NTS);
    if (!SQL_SUCCEEDED(nRc)) {
        const char* pszOdbcIni = std::getenv("ODBCINI");
        ADD_FAILURE() << "cannot connect to " << pszDsn << " (ODBCINI=" << (pszOdbcIni ? pszOdbcIni : "unset")
                      << "; is the server of scripts/testdb running?): "
                      << Diagnostics(SQL_HANDLE_DBC, m_hDbc);
        return false;
    }
    m_bConnected = true;
    return true;
}

long CTestDatabase::Exec(const char* pszSql) {
    SQLHSTMT hStmt = Execute(pszSql);
    if (hStmt == SQL_NULL_HSTMT) {
        return -1;
    }
    SQLLEN nRows = 0;
    SQLRowCount(hStmt, &nRows);
    ReleaseStatement(hStmt);
    return static_cast<long>(nRows);
}

bool CTestDatabase::ExecScript(const char* pszRelativePath) {
    const std::string strPath = std::string(KVT_SOURCE_DIR) + "/" + pszRelativePath;
    std::ifstream file(strPath);
    if (!file) {
        ADD_FAILURE() << "cannot read " << strPath;
        return false;
    }
    std::string strStatement;
    std::string strLine;
    while (std::getline(file, strLine)) {
        while (EndsWith(strLine, ' ') || EndsWith(strLine, '\r')) {
            strLine.pop_back();
        }
        if (strLine.rfind("--", 0) == 0 || (strLine.empty() && strStatement.empty())) {
            continue;
        }
        strStatement += strLine;
        if (!EndsWith(strStatement, ';')) {
            strStatement += "\n";
            continue;
        }
        strStatement.pop_back();
        if (Exec(strStatement.c_str()) < 0) {
            return false;
        }
        strStatement.clear();
    }
    if (!strStatement.empty()) {
        ADD_FAILURE() << strPath << " ends without \";\": " << strStatement;
        return false;
    }
    return true;
}

int CTestDatabase::TryExec(const char* pszSql) {
    SQLHSTMT hStmt = AllocStatement();
    if (hStmt == SQL_NULL_HSTMT) {
        return -1;
    }
    SQLINTEGER nNative = 0;
    const SQLRETURN nRc = SQLExecDirect(hStmt, SqlText(pszSql), SQL_NTS);
    if (!SQL_SUCCEEDED(nRc) && nRc != SQL_NO_DATA) {
        Diagnostics(SQL_HANDLE_STMT, hStmt, &nNative);
        if (nNative == 0) {
            nNative = -1;
        }
    }
    ReleaseStatement(hStmt);
    return static_cast<int>(nNative);
}

long CTestDatabase::QueryInt(const char* pszSql) {
    return std::strtol(QueryText(pszSql), nullptr, 10);
}

double CTestDatabase::QueryDouble(const char* pszSql) {
    return std::strtod(QueryText(pszSql), nullptr);
}

CString CTestDatabase::QueryText(const char* pszSql) {
    CString strValue;
    SQLHSTMT hStmt = Execute(pszSql);
    if (hStmt == SQL_NULL_HSTMT) {
        return strValue;
    }
    const SQLRETURN nRc = SQLFetch(hStmt);
    bool bNull = false;
    if (nRc == SQL_NO_DATA) {
        ADD_FAILURE() << "query returned no row: " << pszSql;
    } else if (!SQL_SUCCEEDED(nRc)) {
        ADD_FAILURE() << "fetch failed: " << Diagnostics(SQL_HANDLE_STMT, hStmt) << "\n" << pszSql;
    } else {
        ReadColumn(hStmt, 1, strValue, bNull);
    }
    ReleaseStatement(hStmt);
    return strValue;
}

int CTestDatabase::QueryRows(const char* pszSql, std::vector<CString>& rows) {
    rows.clear();
    SQLHSTMT hStmt = Execute(pszSql);
    if (hStmt == SQL_NULL_HSTMT) {
        return -1;
    }
    SQLSMALLINT nColumns = 0;
    SQLNumResultCols(hStmt, &nColumns);
    SQLRETURN nRc;
    while (SQL_SUCCEEDED(nRc = SQLFetch(hStmt))) {
        CString strRow;
        for (SQLUSMALLINT nColumn = 1; nColumn <= nColumns; ++nColumn) {
            CString strValue;
            bool bNull = false;
            ReadColumn(hStmt, nColumn, strValue, bNull);
            if (nColumn > 1) {
                strRow += '|';
            }
            strRow += bNull ? CString("NULL") : strValue;
        }
        rows.push_back(strRow);
    }
    int nResult = static_cast<int>(rows.size());
    if (nRc != SQL_NO_DATA) {
        ADD_FAILURE() << "fetch failed: " << Diagnostics(SQL_HANDLE_STMT, hStmt) << "\n" << pszSql;
        nResult = -1;
    }
    ReleaseStatement(hStmt);
    return nResult;
}

SQLHSTMT CTestDatabase::AllocStatement() {
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    if (!m_bConnected) {
        ADD_FAILURE() << "not connected to the test database";
        return SQL_NULL_HSTMT;
    }
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_hDbc, &hStmt))) {
        ADD_FAILURE() << "no statement handle: " << Diagnostics(SQL_HANDLE_DBC, m_hDbc);
        return SQL_NULL_HSTMT;
    }
    return hStmt;
}

// A searched statement that touches no row may end in SQL_NO_DATA, depending on the driver.
SQLHSTMT CTestDatabase::Execute(const char* pszSql) {
    SQLHSTMT hStmt = AllocStatement();
    if (hStmt == SQL_NULL_HSTMT) {
        return SQL_NULL_HSTMT;
    }
    const SQLRETURN nRc = SQLExecDirect(hStmt, SqlText(pszSql), SQL_NTS);
    if (!SQL_SUCCEEDED(nRc) && nRc != SQL_NO_DATA) {
        ADD_FAILURE() << "statement failed: " << Diagnostics(SQL_HANDLE_STMT, hStmt) << "\n" << pszSql;
        ReleaseStatement(hStmt);
    }
    return hStmt;
}

// Reads the column in pieces, so that a value longer than the buffer arrives whole.
bool CTestDatabase::ReadColumn(SQLHSTMT hStmt, SQLUSMALLINT nColumn, CString& strValue, bool& bNull) {
    char achBuffer[256];
    strValue.Empty();
    bNull = false;
    for (;;) {
        SQLLEN nIndicator = 0;
        const SQLRETURN nRc =
            SQLGetData(hStmt, nColumn, SQL_C_CHAR, achBuffer, sizeof(achBuffer), &nIndicator);
        if (nRc == SQL_NO_DATA) {
            return true;
        }
        if (!SQL_SUCCEEDED(nRc)) {
            ADD_FAILURE() << "reading column " << nColumn
                          << " failed: " << Diagnostics(SQL_HANDLE_STMT, hStmt);
            return false;
        }
        if (nIndicator == SQL_NULL_DATA) {
            bNull = true;
            return true;
        }
        const SQLLEN nCapacity = static_cast<SQLLEN>(sizeof(achBuffer)) - 1;
        const bool bMore = nIndicator == SQL_NO_TOTAL || nIndicator > nCapacity;
        strValue += CString(achBuffer, static_cast<int>(bMore ? nCapacity : nIndicator));
        if (!bMore) {
            return true;
        }
    }
}

CString CTestDatabase::Diagnostics(SQLSMALLINT nHandleType, SQLHANDLE hHandle, SQLINTEGER* pnNative) {
    SQLCHAR achState[6] = {0};
    SQLCHAR achMessage[1000] = {0};
    SQLINTEGER nNative = 0;
    SQLSMALLINT nLength = 0;
    SQLGetDiagRec(nHandleType, hHandle, 1, achState, &nNative, achMessage, sizeof(achMessage), &nLength);
    if (pnNative != nullptr) {
        *pnNative = nNative;
    }
    CString strText;
    strText.Format("[%s] native %d: %s", reinterpret_cast<const char*>(achState), static_cast<int>(nNative),
                   reinterpret_cast<const char*>(achMessage));
    return strText;
}

void CTestDatabase::ReleaseStatement(SQLHSTMT& hStmt) {
    if (hStmt != SQL_NULL_HSTMT) {
        SQLFreeHandle(SQL_HANDLE_STMT, hStmt);
        hStmt = SQL_NULL_HSTMT;
    }
}

void CTestDatabase::Disconnect() {
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
