// Why kvt cannot start with its configuration, told to the operator before anything logs in with
// it: one line per finding, naming the file and the cause, on standard error (the journal under
// systemd, through CLogFile::Notice of g_log).
#pragma once

#include "config/CIniConfig.h"

// The configuration file of the command line does not exist for kvt: not found, or not reachable
// with the system's reason.
void ReportUnusableConfigFile(const char* pszPath);

// The file cannot be read or is empty; a value that the connection needs is missing, not
// enciphered or not decipherable; DB_SYSTEM names no product kvt knows; the data source is not
// defined for the driver manager. True when something was reported: kvt must not start then.
bool ReportConfigFaults(const CIniConfig& config, bool bSchemaGiven);
