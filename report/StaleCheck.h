// Whether a person's stored results are still what a calculation would store now: the first daily
// row that differs, and each carry-over row that differs, column by column. Decimals are compared
// at the six decimals that the tables keep.
#pragma once

#include <vector>

#include "base/CString.h"
#include "report/PersonYear.h"
#include "report/ReportTable.h"

struct ColumnChange {
    CString strColumn;  // a column name, or "Zeile" for a row that only one side has
    CString strStored;
    CString strNew;
};

struct StaleFinding {
    CString strPlace;  // the day "2024-03-05", or "Vortrag 2025" for the carry-over row of a year
    std::vector<ColumnChange> changes;
};

// Empty when the stored results of year.stored are those of year.computed.
std::vector<StaleFinding> FindStaleResults(const PersonYear& year);

// The headings of the table of differences, and one row per changed column.
ReportTable StaleTable();
void AddStaleRows(const PersonYear& year, const std::vector<StaleFinding>& findings, ReportTable* pTable);
