// The command line of kvt-report:
//   kvt-report IniDatei USER:Schema#Benutzer [options] PNR... | --all
// Parsing looks at the arguments and at whether the configuration file exists, nothing else.
// Schema and user are upper-cased as kvt does, so that queued requests are the ones kvt serves.
#pragma once

#include <cstdint>
#include <vector>

#include "base/CString.h"
#include "report/ReportTable.h"

struct ReportOptions {
    CString strIniFile;
    CString strSchema;
    CString strUser;
    std::vector<CString> persons;  // Windows-1252, converted from the terminal's character set
    bool bAll = false;    // --all: every person of the schema (with --check)
    int32_t nYear = 0;    // --year: the accounting year that begins in it; 0: the one that holds today
    bool bDays = false;   // --days: the explanation day by day
    bool bCheck = false;  // --check: compare the stored results with a calculation
    int32_t nSince = 0;   // --since: with --check and no --year, the first year checked; 0: the year before
    bool bMissing = false;  // --missing: with --check and no --year, years and days not stored count too
    bool bQueue = false;  // --queue: queue a request for each person whose results differ
    CsvStyle csv = CsvStyle::None;  // --csv, --csv=excel: CSV on standard output instead of tables
    bool bPostings = false;         // --postings: the shifts and bookings behind the figures
    CString strSvgPath;             // --svg FILE: the chart of the one person
    CString strHtmlPath;            // --html FILE: the page of the one person
};

// True for a valid call; otherwise *pstrError says what is wrong (Windows-1252).
bool ParseReportOptions(int argc, const char* const argv[], ReportOptions* pOptions, CString* pstrError);

// The usage text (Windows-1252).
const char* ReportUsage();
