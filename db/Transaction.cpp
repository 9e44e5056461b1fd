// One calculation is one transaction: a calculation that fails part-way must leave the person's
// stored results exactly as they were, not half deleted and half rewritten. Everything else the
// program does runs in the driver's automatic commit mode.
#include "db/CDbConnection.h"

int32_t CDbConnection::BeginTransaction() {
    if (m_hDbc == SQL_NULL_HDBC) {
        return -1;
    }
    // Read committed, as Oracle and SQL Server run by default. Under MariaDB's repeatable read the
    // gap locks of two calculations running at the same time (delete a range, insert its days)
    // deadlock, and the server rolls back one of them half-way.
    SQLSetConnectAttr(m_hDbc, SQL_ATTR_TXN_ISOLATION, reinterpret_cast<SQLPOINTER>(SQL_TXN_READ_COMMITTED),
                      SQL_IS_UINTEGER);
    const SQLRETURN nResult = SQLSetConnectAttr(m_hDbc, SQL_ATTR_AUTOCOMMIT,
                                                reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER);
    if (nResult == SQL_ERROR) {
        CaptureDiagnostics(SQL_HANDLE_DBC, m_hDbc);
        return FailureCode();
    }
    return 0;
}

int32_t CDbConnection::EndTransaction(bool bCommit) {
    if (m_hDbc == SQL_NULL_HDBC) {
        return -1;
    }
    int32_t nCode = 0;
    if (SQLEndTran(SQL_HANDLE_DBC, m_hDbc, bCommit ? SQL_COMMIT : SQL_ROLLBACK) == SQL_ERROR) {
        CaptureDiagnostics(SQL_HANDLE_DBC, m_hDbc);
        nCode = FailureCode();
    }
    const SQLRETURN nResult = SQLSetConnectAttr(m_hDbc, SQL_ATTR_AUTOCOMMIT,
                                                reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), SQL_IS_UINTEGER);
    if (nResult == SQL_ERROR && nCode == 0) {
        CaptureDiagnostics(SQL_HANDLE_DBC, m_hDbc);
        nCode = FailureCode();
    }
    return nCode;
}
