// What the connection asks of its session before the first request: no automatic commit, read
// committed, and on MYSQL a character set of one byte a character and whether the server is a
// node of a Galera cluster.
#include "db/CDbConnection.h"

namespace {

const char* const kCharacterSetQuery =
    "SELECT @@character_set_client, "
    "       (SELECT COALESCE(MAX(MAXLEN), 1) "
    "        FROM   information_schema.CHARACTER_SETS "
    "        WHERE  CHARACTER_SET_NAME IN (@@character_set_client, "
    "                                      @@character_set_connection, "
    "                                      @@character_set_results))";

// How many of the request table's columns PRMSCH and PRMUSR compare without regard to case.
const char* const kFoldedOwnerMySql =
    "SELECT COUNT(*) "
    "FROM   information_schema.COLUMNS "
    "WHERE  TABLE_SCHEMA = 'ZTWBASIS' "
    "AND    TABLE_NAME = 'ZTW002PRM' "
    "AND    COLUMN_NAME IN ('PRMSCH', 'PRMUSR') "
    "AND    COLLATION_NAME LIKE '%!_ci' ESCAPE '!'";

const char* const kFoldedOwnerMsSql =
    "SELECT COUNT(*) "
    "FROM   sys.columns "
    "WHERE  object_id = OBJECT_ID('ZTWBASIS.ZTW002PRM') "
    "AND    name IN ('PRMSCH', 'PRMUSR') "
    "AND    collation_name LIKE '%[_]CI[_]%'";

}  // namespace

int32_t CDbConnection::SetUpSession() {
    // Read committed, as Oracle and SQL Server run by default. Under MariaDB's repeatable read the
    // gap locks of two calculations running at the same time (delete a range, insert its days)
    // deadlock, and a claim would keep every request it passed over locked. A driver that cannot
    // change the level keeps its own.
    SQLSetConnectAttr(m_hDbc, SQL_ATTR_TXN_ISOLATION, reinterpret_cast<SQLPOINTER>(SQL_TXN_READ_COMMITTED),
                      SQL_IS_UINTEGER);
    if (Dialect() == SqlDialect::MySql) {
        const int32_t nCode = CheckCharacterSet();
        if (nCode != 0) {
            return nCode;
        }
        DetectClusterNode();
    }
    DetectOwnerFolding();
    if (SQLSetConnectAttr(m_hDbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                          SQL_IS_UINTEGER) == SQL_ERROR) {
        CaptureDiagnostics(SQL_HANDLE_DBC, m_hDbc);
        return FailureCode();
    }
    return 0;
}

// Every text of the program is Windows-1252 bytes. A session that reads them in a character set
// of several bytes a character (gbk, sjis, big5, utf8) takes some of them for other characters,
// so it is refused, with what to change.
int32_t CDbConnection::CheckCharacterSet() {
    CString strCharacterSet;
    int32_t nMaxLength = 1;
    const int32_t nCode = ReadSessionValues(kCharacterSetQuery, &strCharacterSet, &nMaxLength);
    if (nCode == m_nRcNoData || (nCode == 0 && nMaxLength <= 1)) {
        return 0;
    }
    if (nCode != 0) {
        return nCode;
    }
    m_nSqlCode = 0;
    m_strSqlState = "HY000";
    m_strSqlMessage.Format(
        "Die Datenquelle %s verbindet mit dem Zeichensatz %s, der Zeichen aus mehreren Bytes bildet. Kvt "
        "schreibt Windows-1252 und braucht einen Zeichensatz mit einem Byte je Zeichen: in der Datenquelle "
        "CHARSET=latin1 setzen.",
        m_strDataSource.GetString(), strCharacterSet.GetString());
    return -1;
}

// Whether the request table's schema and user columns compare without regard to case, as the
// products' default collations do: then the claim can compare them as they are. Where the
// question finds no answer, the claim compares the upper-cased columns only, as it always did.
void CDbConnection::DetectOwnerFolding() {
    m_bOwnerFolded = false;
    const char* pszSql = PickTemplate(Dialect(), nullptr, kFoldedOwnerMsSql, kFoldedOwnerMySql);
    CString strCount;
    if (pszSql != nullptr && ReadSessionValues(pszSql, &strCount) == 0) {
        m_bOwnerFolded = strCount == "2";
    }
}

// Whether the session's server replicates it to the other nodes of a Galera cluster: there a
// deadlock is most often another node's transaction that came first. Servers without Galera
// (MySQL) do not know the variable, and are no node.
void CDbConnection::DetectClusterNode() {
    CString strOn;
    m_bClusterNode = ReadSessionValues("SELECT @@SESSION.wsrep_on", &strOn) == 0 && strOn == "1";
}

// A question about the session, sent once as it stands: the first row's first column as text and,
// where asked for, its second as a number. 100 when there is no row.
int32_t CDbConnection::ReadSessionValues(const char* pszSql, CString* pstrFirst, int32_t* pnSecond) {
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    if (SQLAllocHandle(SQL_HANDLE_STMT, m_hDbc, &hStmt) == SQL_ERROR) {
        CaptureDiagnostics(SQL_HANDLE_DBC, m_hDbc);
        return -1;
    }
    char szFirst[256] = {};
    SQLLEN nIndicator = 0;
    int32_t nCode =
        MapResult(SQLExecDirect(hStmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(pszSql)), SQL_NTS), hStmt);
    if (nCode == 0) {
        SQLBindCol(hStmt, 1, SQL_C_CHAR, szFirst, sizeof(szFirst), &nIndicator);
        if (pnSecond != nullptr) {
            SQLBindCol(hStmt, 2, SQL_C_LONG, pnSecond, sizeof(*pnSecond), &nIndicator);
        }
        nCode = MapResult(SQLFetch(hStmt), hStmt);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, hStmt);
    *pstrFirst = szFirst;
    return nCode;
}
