#include "db/SqlDialect.h"

SqlDialect DialectFromName(const CString& strDbSystem) {
    if (strDbSystem == "ORACLE") {
        return SqlDialect::Oracle;
    }
    if (strDbSystem == "MSSQL") {
        return SqlDialect::MsSql;
    }
    if (strDbSystem == "MYSQL") {
        return SqlDialect::MySql;
    }
    return SqlDialect::Unknown;
}

const char* PickTemplate(SqlDialect dialect, const char* pszOracle, const char* pszMsSql, const char* pszMySql) {
    switch (dialect) {
        case SqlDialect::Oracle:
            return pszOracle;
        case SqlDialect::MsSql:
            return pszMsSql;
        case SqlDialect::MySql:
            return pszMySql;
        case SqlDialect::Unknown:
            break;
    }
    return nullptr;
}
