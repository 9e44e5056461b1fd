// The mechanics that every statement of CDbConnection shares: a statement handle per operation,
// the one place where an ODBC result becomes the program's return code, and direct execution of
// a complete statement text.
#include "db/CDbConnection.h"

int32_t CDbConnection::AllocStatement(SQLHSTMT* phStmt) {
    *phStmt = SQL_NULL_HSTMT;
    if (m_hDbc == SQL_NULL_HDBC) {
        return -1;
    }
    if (SQLAllocHandle(SQL_HANDLE_STMT, m_hDbc, phStmt) == SQL_ERROR) {
        CaptureDiagnostics(SQL_HANDLE_DBC, m_hDbc);
        *phStmt = SQL_NULL_HSTMT;
        return -1;
    }
    return 0;
}

// Allocates the statement handle of a product-dependent operation and picks the template of the
// product. An unknown product executes nothing: the handle is released and nullptr returned.
const char* CDbConnection::AllocForTemplate(SQLHSTMT* phStmt, const char* pszOracle, const char* pszMsSql,
                                            const char* pszMySql) {
    if (AllocStatement(phStmt) != 0) {
        return nullptr;
    }
    const char* pszTemplate = PickTemplate(Dialect(), pszOracle, pszMsSql, pszMySql);
    if (pszTemplate == nullptr) {
        SQLFreeHandle(SQL_HANDLE_STMT, *phStmt);
        *phStmt = SQL_NULL_HSTMT;
    }
    return pszTemplate;
}

SQLRETURN CDbConnection::ExecDirect(SQLHSTMT hStmt, const CString& strSql) {
    return SQLExecDirect(hStmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(strSql.GetString())), SQL_NTS);
}

// SQL_SUCCESS_WITH_INFO counts as success once its record is captured; SQL_ERROR becomes the
// driver's native code; every other result (SQL_NO_DATA, SQL_INVALID_HANDLE) passes unchanged.
int32_t CDbConnection::MapResult(SQLRETURN nResult, SQLHSTMT hStmt) {
    switch (nResult) {
        case SQL_SUCCESS:
            return 0;
        case SQL_SUCCESS_WITH_INFO:
            CaptureDiagnostics(SQL_HANDLE_STMT, hStmt);
            return 0;
        case SQL_ERROR:
            CaptureDiagnostics(SQL_HANDLE_STMT, hStmt);
            return FailureCode();
        default:
            return nResult;
    }
}

// A native code of 0 says nothing; it is reported as -1 so that it never reads as success.
int32_t CDbConnection::FailureCode() const {
    return m_nSqlCode != 0 ? m_nSqlCode : -1;
}

// Executes the text on the handle and releases it. A searched statement that touches no row
// reports the no-data code: some drivers (MariaDB's among them) return SQL_SUCCESS for it
// instead of SQL_NO_DATA, so the row count decides.
int32_t CDbConnection::ExecuteAndRelease(SQLHSTMT hStmt, const CString& strSql, bool bSearched) {
    int32_t nCode = MapResult(ExecDirect(hStmt, strSql), hStmt);
    if (bSearched && nCode == 0) {
        SQLLEN nRows = -1;
        if (SQLRowCount(hStmt, &nRows) != SQL_ERROR && nRows == 0) {
            nCode = m_nRcNoData;
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, hStmt);
    return nCode;
}

int32_t CDbConnection::AllocCalcStatement(SQLHSTMT* phStmt) {
    *phStmt = SQL_NULL_HSTMT;
    if (m_hDbc == SQL_NULL_HDBC || !IsPlainIdentifier(m_strSchema)) {
        return -1;
    }
    return AllocStatement(phStmt);
}

const char* CDbConnection::AllocCalcTemplate(SQLHSTMT* phStmt, const char* pszOracle, const char* pszMsSql,
                                             const char* pszMySql) {
    *phStmt = SQL_NULL_HSTMT;
    if (!IsPlainIdentifier(m_strSchema)) {
        return nullptr;
    }
    return AllocForTemplate(phStmt, pszOracle, pszMsSql, pszMySql);
}

// Allocates a cursor into the caller's slot: forward-only, with the locking concurrency the
// calculation asks for (drivers that cannot lock answer with information and keep their default).
const char* CDbConnection::AllocCursor(SQLHSTMT* phStmt, const char* pszOracle, const char* pszMsSql,
                                       const char* pszMySql) {
    if (AllocCalcStatement(phStmt) != 0) {
        return nullptr;
    }
    SQLSetStmtAttr(*phStmt, SQL_ATTR_CURSOR_SCROLLABLE, reinterpret_cast<SQLPOINTER>(SQL_NONSCROLLABLE),
                   SQL_IS_INTEGER);
    SQLSetStmtAttr(*phStmt, SQL_ATTR_CONCURRENCY, reinterpret_cast<SQLPOINTER>(SQL_CONCUR_LOCK), SQL_IS_INTEGER);
    const char* pszTemplate = PickTemplate(Dialect(), pszOracle, pszMsSql, pszMySql);
    if (pszTemplate == nullptr) {
        SQLFreeHandle(SQL_HANDLE_STMT, *phStmt);
        *phStmt = SQL_NULL_HSTMT;
    }
    return pszTemplate;
}

// Opens the cursor; a failed execution releases the handle and nulls the caller's slot.
int32_t CDbConnection::ExecuteCursor(SQLHSTMT* phStmt, const CString& strSql) {
    const SQLRETURN nResult = ExecDirect(*phStmt, strSql);
    const int32_t nCode = MapResult(nResult, *phStmt);
    if (nResult == SQL_ERROR) {
        SQLFreeHandle(SQL_HANDLE_STMT, *phStmt);
        *phStmt = SQL_NULL_HSTMT;
    }
    return nCode;
}

// A fetch that failed ends the cursor: diagnostics captured, handle released, slot nulled.
int32_t CDbConnection::FailCursor(SQLHSTMT* phStmt, SQLRETURN nResult) {
    CaptureDiagnostics(SQL_HANDLE_STMT, *phStmt);
    SQLFreeHandle(SQL_HANDLE_STMT, *phStmt);
    *phStmt = SQL_NULL_HSTMT;
    return m_nSqlCode != 0 ? m_nSqlCode : nResult;
}
