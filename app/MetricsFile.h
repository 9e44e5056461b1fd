// The file of the run's metrics for the node exporter's textfile collector: kvt_<schema>_<user>.prom
// in a directory that the unit names (off when none is named), replaced as a whole so that the
// collector never reads half a file. The directory is process-wide, set once at start by the
// systemd hooks (app/systemd/SystemdHooks.h).
#pragma once

#include <string>

#include "base/CString.h"

void SetMetricsDirectory(const CString& strDirectory);
const CString& MetricsDirectory();

// Writes the text to a file of its own beside the target and renames it over the target. False
// when the file could not be written; the old one then stays.
bool WriteMetricsFile(const CString& strSchema, const CString& strUser, const std::string& strText);

// The file's name: schema and user upper-cased, any character but a letter, a digit or '_' as '_'.
CString MetricsFileName(const CString& strSchema, const CString& strUser);
