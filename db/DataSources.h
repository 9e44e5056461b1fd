// The ODBC data sources that the driver manager knows (odbc.ini of the user and of the system), so
// that a data source name can be checked before anything logs in with it.
#pragma once

#include <vector>

#include "base/CString.h"
#include "config/CIniConfig.h"

bool IsDataSourceDefined(const CString& strName);

// What keeps a program from logging in with the configuration: the faults of the file and its
// values (config/ConfigCheck.h) and, where those are none, a data source that is not defined. Each
// finding is what follows the file's name in a line for the operator.
std::vector<CString> FindStartFaults(const CIniConfig& config, bool bSchemaGiven);
