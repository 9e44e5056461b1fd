// The ODBC data sources that the driver manager knows (odbc.ini of the user and of the system), so
// that a data source name can be checked before anything logs in with it.
#pragma once

#include "base/CString.h"

bool IsDataSourceDefined(const CString& strName);
