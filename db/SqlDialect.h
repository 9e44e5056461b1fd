// SqlDialect: the database product named by the configuration key DB_SYSTEM. It selects the
// statement template of every product-dependent operation and the way text values are quoted.
#pragma once

#include "base/CString.h"

enum class SqlDialect { Unknown, Oracle, MsSql, MySql };

// Whole, case-sensitive match of "ORACLE", "MSSQL" or "MYSQL"; anything else is Unknown.
SqlDialect DialectFromName(const CString& strDbSystem);

// The template of the dialect, or nullptr for Unknown.
const char* PickTemplate(SqlDialect dialect, const char* pszOracle, const char* pszMsSql, const char* pszMySql);
