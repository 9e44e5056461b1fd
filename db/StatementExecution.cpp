// The mechanics that every statement of CDbConnection shares: each statement prepared once per
// connection and kept, the one place where an ODBC result becomes the program's return code, and
// the cursors handed to callers.
#include "db/CDbConnection.h"
#include "db/SqlText.h"

// The statement of the id, prepared on first use with the schema in its text. A statement that
// cannot be prepared is not kept, so the next use tries again; an unknown product (no template)
// prepares nothing.
int32_t CDbConnection::Prepared(StatementId id, const char* pszTemplate, CStatement** ppStmt) {
    *ppStmt = nullptr;
    m_lastStatement = id;
    if (m_hDbc == SQL_NULL_HDBC || pszTemplate == nullptr) {
        return -1;
    }
    CStatement& stmt = m_statements[static_cast<size_t>(id)];
    if (!stmt.IsPrepared()) {
        SQLHSTMT hStmt = SQL_NULL_HSTMT;
        if (SQLAllocHandle(SQL_HANDLE_STMT, m_hDbc, &hStmt) == SQL_ERROR) {
            CaptureDiagnostics(SQL_HANDLE_DBC, m_hDbc);
            return -1;
        }
        const CString strSql = WithSchema(pszTemplate, m_strSchema, OwnerCondition());
        const SQLRETURN nResult =
            SQLPrepare(hStmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(strSql.GetString())), SQL_NTS);
        const int32_t nCode = MapResult(nResult, hStmt);
        if (nResult == SQL_ERROR) {
            SQLFreeHandle(SQL_HANDLE_STMT, hStmt);
            return nCode;
        }
        stmt.Adopt(hStmt);
    }
    *ppStmt = &stmt;
    return 0;
}

// The calculation's statements name the tables of the schema and are not prepared when the
// schema could alter them.
int32_t CDbConnection::PreparedCalc(StatementId id, const char* pszTemplate, CStatement** ppStmt) {
    *ppStmt = nullptr;
    if (m_hDbc == SQL_NULL_HDBC || !IsPlainIdentifier(m_strSchema)) {
        return -1;
    }
    return Prepared(id, pszTemplate, ppStmt);
}

// A cursor of the calculation: forward-only, with the locking concurrency the calculation asks
// for (drivers that cannot lock answer with information and keep their default). The caller's
// slot stays null until the cursor is open.
int32_t CDbConnection::PreparedCursor(StatementId id, const char* pszTemplate, SQLHSTMT* phStmt,
                                      CStatement** ppStmt) {
    *phStmt = SQL_NULL_HSTMT;
    const bool bNew = !m_statements[static_cast<size_t>(id)].IsPrepared();
    const int32_t nCode = PreparedCalc(id, pszTemplate, ppStmt);
    if (nCode == 0 && bNew) {
        const SQLHSTMT hStmt = (*ppStmt)->Handle();
        SQLSetStmtAttr(hStmt, SQL_ATTR_CURSOR_SCROLLABLE, reinterpret_cast<SQLPOINTER>(SQL_NONSCROLLABLE),
                       SQL_IS_INTEGER);
        SQLSetStmtAttr(hStmt, SQL_ATTR_CONCURRENCY, reinterpret_cast<SQLPOINTER>(SQL_CONCUR_LOCK), SQL_IS_INTEGER);
    }
    return nCode;
}

// The requests of a schema and user: where the columns compare without regard to case, compared as
// they are first, which an index can serve, and upper-cased as well, so that exactly the requests
// are found that the upper-cased comparison alone finds.
const char* CDbConnection::OwnerCondition() const {
    return m_bOwnerFolded ? "PRMSCH = ? AND PRMUSR = ? AND UPPER(PRMSCH) = ? AND UPPER(PRMUSR) = ?"
                          : "UPPER(PRMSCH) = ? AND UPPER(PRMUSR) = ?";
}

void CDbConnection::BindOwner(CStatement* pStmt, const CString& strSchema, const CString& strUser,
                              SQLUSMALLINT* pnParam) const {
    for (int nPass = m_bOwnerFolded ? 2 : 1; nPass > 0; --nPass) {
        pStmt->BindText((*pnParam)++, strSchema.GetString());
        pStmt->BindText((*pnParam)++, strUser.GetString());
    }
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

// The result of a kept statement. One that failed is dropped and prepared anew at its next use:
// MariaDB Connector/ODBC 3.1 leaves a prepared statement whose result set ended in an error unable
// to execute again (the next execution waits for an answer that never comes).
int32_t CDbConnection::StatementResult(CStatement* pStmt, SQLRETURN nResult) {
    const int32_t nCode = MapResult(nResult, pStmt->Handle());
    if (nResult == SQL_ERROR) {
        pStmt->Free();
    }
    return nCode;
}

// A native code of 0 says nothing; it is reported as -1 so that it never reads as success.
int32_t CDbConnection::FailureCode() const {
    return m_nSqlCode != 0 ? m_nSqlCode : -1;
}

// Executes a statement without a result set. A searched statement that touches no row reports the
// no-data code: some drivers (MariaDB's among them) return SQL_SUCCESS for it instead of
// SQL_NO_DATA, so the row count decides.
int32_t CDbConnection::Execute(CStatement* pStmt, bool bSearched) {
    int32_t nCode = StatementResult(pStmt, pStmt->Execute());
    if (bSearched && nCode == 0) {
        SQLLEN nRows = -1;
        if (SQLRowCount(pStmt->Handle(), &nRows) != SQL_ERROR && nRows == 0) {
            nCode = m_nRcNoData;
        }
    }
    return nCode;
}

// Executes a statement whose one row is one count, with the values bound, and ends its result set.
int32_t CDbConnection::FetchCount(CStatement* pStmt, int32_t* pnCount) {
    const SQLRETURN nExecuted = pStmt->Execute();
    if (nExecuted == SQL_ERROR) {
        return StatementResult(pStmt, nExecuted);
    }
    SQLLEN nIndicator = 0;
    SQLBindCol(pStmt->Handle(), 1, SQL_C_LONG, pnCount, sizeof(*pnCount), &nIndicator);
    const int32_t nCode = StatementResult(pStmt, SQLFetch(pStmt->Handle()));
    if (pStmt->IsPrepared()) {
        pStmt->CloseCursor();
    }
    return nCode;
}

// Opens the cursor into the caller's slot; a failed execution leaves the slot null.
int32_t CDbConnection::ExecuteCursor(CStatement* pStmt, SQLHSTMT* phStmt) {
    const SQLRETURN nResult = pStmt->Execute();
    if (nResult != SQL_ERROR) {
        *phStmt = pStmt->Handle();
    }
    return StatementResult(pStmt, nResult);
}

// A fetch that failed ends the cursor: diagnostics captured, statement dropped, slot nulled.
int32_t CDbConnection::FailCursor(SQLHSTMT* phStmt, SQLRETURN nResult) {
    CaptureDiagnostics(SQL_HANDLE_STMT, *phStmt);
    for (CStatement& stmt : m_statements) {
        if (stmt.Handle() == *phStmt) {
            stmt.Free();
        }
    }
    *phStmt = SQL_NULL_HSTMT;
    return m_nSqlCode != 0 ? m_nSqlCode : nResult;
}

// The statements belong to the connection: a cursor given back is only closed.
int32_t CDbConnection::ReleaseStatement(SQLHSTMT hStmt) {
    if (hStmt != SQL_NULL_HSTMT) {
        SQLFreeStmt(hStmt, SQL_CLOSE);
    }
    return 0;
}

void CDbConnection::FreeStatements() {
    for (CStatement& stmt : m_statements) {
        stmt.Free();
    }
}
