// Whether the data source is the product that DB_SYSTEM names. Every statement of the program is
// written for the product of DB_SYSTEM; on another product the first of them fails, and no request
// can be calculated until the configuration is mended.
#include <cstring>

#include "db/CDbConnection.h"

namespace {

// The names the products' drivers give as SQL_DBMS_NAME.
bool NameFits(SqlDialect dialect, const char* pszDbms) {
    switch (dialect) {
        case SqlDialect::Oracle:
            return std::strcmp(pszDbms, "Oracle") == 0;
        case SqlDialect::MsSql:
            return std::strcmp(pszDbms, "Microsoft SQL Server") == 0;
        case SqlDialect::MySql:
            return std::strcmp(pszDbms, "MySQL") == 0 || std::strcmp(pszDbms, "MariaDB") == 0;
        case SqlDialect::Unknown:
            break;
    }
    return false;
}

}  // namespace

int32_t CDbConnection::CheckProduct(bool* pbFits) {
    *pbFits = false;
    if (m_hDbc == SQL_NULL_HDBC) {
        return -1;
    }
    SQLCHAR szDbms[128] = {};
    SQLSMALLINT nLength = 0;
    if (SQLGetInfo(m_hDbc, SQL_DBMS_NAME, szDbms, sizeof(szDbms), &nLength) == SQL_ERROR) {
        CaptureDiagnostics(SQL_HANDLE_DBC, m_hDbc);
        return FailureCode();
    }
    const char* pszDbms = reinterpret_cast<const char*>(szDbms);
    if (NameFits(Dialect(), pszDbms)) {
        *pbFits = true;
        return 0;
    }
    // MariaDB's Oracle compatibility mode speaks the ORACLE statements.
    if (Dialect() == SqlDialect::Oracle && std::strcmp(pszDbms, "MariaDB") == 0) {
        CString strMode;
        const int32_t nCode = ReadSessionValues("SELECT @@SESSION.sql_mode", &strMode);
        if (nCode != 0) {
            return nCode;
        }
        if (strMode.Find("ORACLE") >= 0) {
            *pbFits = true;
            return 0;
        }
    }
    m_nSqlCode = 0;
    m_strSqlState = "HY000";
    m_strSqlMessage.Format("DB_SYSTEM ist %s, die Datenquelle %s ist aber %s", m_strDbSystem.GetString(),
                           m_strDataSource.GetString(), pszDbms);
    return 0;
}
