// The run of kvt-report once its arguments are accepted: it reads the configuration and connects
// as kvt does, explains or checks one person after the other on that one connection, and maps
// the outcome to the exit code of the process.
#pragma once

#include "report/ReportOptions.h"

inline constexpr int kExitOk = 0;           // printed; with --check: nothing differs
inline constexpr int kExitDifferences = 1;  // --check: the stored results of a person differ
inline constexpr int kExitUsage = 2;        // invalid arguments, or no configuration file
inline constexpr int kExitConnection = 3;   // the database connection failed
inline constexpr int kExitDatabase = 4;     // a statement failed for a person (the others are reported)
inline constexpr int kExitOutput = 5;       // standard output or the SVG file could not be written

int RunReport(const ReportOptions& options);

// The error line of a personnel number that is neither in ZTW300PNR nor in a contract row.
CString UnknownPerson(const CString& strPnr);
