// The head of an explanation: the accounting year, the contract rows with the values of their
// rules, the carry-over from the year before and how it becomes usable, the deadlines of the
// carry-over, the shares divided anew when a rule with another share count starts, and the
// carry-over into the following year, so that every number of the year's table can be traced
// back to them. One entry a line, a label and its text, Windows-1252; plain values.
#pragma once

#include <vector>

#include "base/CString.h"
#include "report/PersonYear.h"
#include "report/ReportTable.h"
#include "report/YearTable.h"

struct HeadEntry {
    CString strLabel;
    CString strText;
};

// The numbers with nDecimals decimals at most.
std::vector<HeadEntry> ExplanationHead(const PersonYear& year, const ExplainedYear& explained, int nDecimals);

// "Label: text" a line, a long text wrapped onto lines indented under it.
CString FormatHeadText(const std::vector<HeadEntry>& head);

// The head as a table of its own (PNR, Angabe, Text), for CSV.
ReportTable HeadTable();
void AddHeadRows(const CString& strPnr, const std::vector<HeadEntry>& head, ReportTable* pTable);
