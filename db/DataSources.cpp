#include "db/DataSources.h"

#include <sql.h>
#include <sqlext.h>
#include <strings.h>

#include "config/ConfigCheck.h"

// The driver manager compares data source names without regard to case, as here.
bool IsDataSourceDefined(const CString& strName) {
    SQLHENV hEnv = SQL_NULL_HENV;
    if (SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &hEnv) == SQL_ERROR) {
        return true;
    }
    SQLSetEnvAttr(hEnv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER);
    bool bFound = false;
    SQLCHAR szName[SQL_MAX_DSN_LENGTH + 1] = {};
    SQLSMALLINT nNameLength = 0;
    SQLSMALLINT nDescriptionLength = 0;
    SQLUSMALLINT nDirection = SQL_FETCH_FIRST;
    while (!bFound && SQL_SUCCEEDED(SQLDataSources(hEnv, nDirection, szName, sizeof(szName), &nNameLength,
                                                   nullptr, 0, &nDescriptionLength))) {
        bFound = strcasecmp(reinterpret_cast<const char*>(szName), strName.GetString()) == 0;
        nDirection = SQL_FETCH_NEXT;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, hEnv);
    return bFound;
}

// The data source is looked up only in a file whose values can be read.
std::vector<CString> FindStartFaults(const CIniConfig& config, bool bSchemaGiven) {
    std::vector<CString> faults = FindConfigFaults(config, bSchemaGiven);
    if (faults.empty()) {
        const CString strDataSource = config.GetDatabase();
        if (!IsDataSourceDefined(strDataSource)) {
            faults.push_back(": Datenquelle \"" + PrintableValue(strDataSource) +
                             "\" (DATABASE) ist nicht definiert (odbc.ini)");
        }
    }
    return faults;
}
