// The explanation of each person's year as kvt-report prints it: the head, the table by month or
// by day with the stored balance beside the calculated one where they differ, the shifts and
// bookings behind the figures, and the chart and the page for one person; as text tables for the
// terminal, or as CSV tables (the heads, the rows, the postings) on standard output.
#pragma once

#include "db/CDbConnection.h"
#include "report/CReportOutput.h"
#include "report/ReportOptions.h"

// The exit code of the explanations (report/ReportRun.h); the connection and the output are
// borrowed for the call.
int ExplainPersons(CDbConnection& db, const ReportOptions& options, int32_t nToday, CReportOutput& output);
