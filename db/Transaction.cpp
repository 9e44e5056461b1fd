// The unit of work. The connection runs without automatic commit, so that one request (its claim,
// its calculation, its closing row and its removal) is committed as one or not at all. A
// calculation that fails is undone to the savepoint taken right after the claim, and the request
// can still be closed in the same transaction.
#include "db/CDbConnection.h"

namespace {

const char* const kSavepointName = "KVT_CALC";

}  // namespace

int32_t CDbConnection::Commit() {
    return EndTransaction(SQL_COMMIT);
}

int32_t CDbConnection::Rollback() {
    return EndTransaction(SQL_ROLLBACK);
}

int32_t CDbConnection::EndTransaction(SQLSMALLINT nCompletion) {
    m_lastStatement = StatementId::Count;
    m_pszLastStatement = nCompletion == SQL_COMMIT ? "COMMIT" : "ROLLBACK";
    if (m_hDbc == SQL_NULL_HDBC || Dialect() == SqlDialect::Unknown) {
        return -1;
    }
    if (SQLEndTran(SQL_HANDLE_DBC, m_hDbc, nCompletion) == SQL_ERROR) {
        CaptureDiagnostics(SQL_HANDLE_DBC, m_hDbc);
        return FailureCode();
    }
    return 0;
}

// SQL Server names its savepoints with SAVE TRANSACTION and goes back with ROLLBACK TRANSACTION;
// Oracle, MariaDB and MySQL share the standard's words.
int32_t CDbConnection::SetSavepoint() {
    m_lastStatement = StatementId::Count;
    m_pszLastStatement = "SAVEPOINT";
    CString strSql;
    strSql.Format(Dialect() == SqlDialect::MsSql ? "SAVE TRANSACTION %s" : "SAVEPOINT %s", kSavepointName);
    return ExecuteOnce(strSql);
}

int32_t CDbConnection::RollbackToSavepoint() {
    m_lastStatement = StatementId::Count;
    m_pszLastStatement = "ROLLBACK TO SAVEPOINT";
    CString strSql;
    strSql.Format(Dialect() == SqlDialect::MsSql ? "ROLLBACK TRANSACTION %s" : "ROLLBACK TO SAVEPOINT %s",
                  kSavepointName);
    return ExecuteOnce(strSql);
}

// A statement without values or result that is sent once as it stands.
int32_t CDbConnection::ExecuteOnce(const CString& strSql) {
    if (m_hDbc == SQL_NULL_HDBC || Dialect() == SqlDialect::Unknown) {
        return -1;
    }
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    if (SQLAllocHandle(SQL_HANDLE_STMT, m_hDbc, &hStmt) == SQL_ERROR) {
        CaptureDiagnostics(SQL_HANDLE_DBC, m_hDbc);
        return -1;
    }
    const int32_t nCode =
        MapResult(SQLExecDirect(hStmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(strSql.GetString())), SQL_NTS),
                  hStmt);
    SQLFreeHandle(SQL_HANDLE_STMT, hStmt);
    return nCode;
}
