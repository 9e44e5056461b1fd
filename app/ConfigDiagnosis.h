// Why kvt cannot start with its configuration, told to the operator next to the usage text and the
// connection error that it has always printed: one line per finding, naming the file and the
// cause, on standard error (the journal under systemd, through CLogFile::Notice of g_log). Nothing
// here changes how the run ends.
#pragma once

#include "config/CIniConfig.h"
#include "db/CDbConnection.h"

// The configuration file of the command line does not exist for kvt: not found, or not reachable
// with the system's reason.
void ReportUnusableConfigFile(const char* pszPath);

// After the connection at start failed: the file cannot be read or is empty; a key that the
// connection needs is missing or empty; a value is not enciphered; DB_SYSTEM names no product kvt
// knows; the data source is not defined for the driver manager.
void ReportConnectFailureCauses(const CIniConfig& config, const CDbConnection& db);
