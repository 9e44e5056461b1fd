// Whether a person's stored results of an accounting year are still what a calculation would
// store now. Three kinds of difference, each with its first day: a stored daily row whose values
// differ (column by column), a stored daily row that the calculation would not write, and a day
// that the calculation would write but that is not stored; and each carry-over row that differs.
// Decimals are compared at the decimals that each column keeps.
#pragma once

#include <cstdint>
#include <vector>

#include "base/CString.h"
#include "report/PersonYear.h"
#include "report/ReportTable.h"

inline constexpr const char* kValuesDiffer = "Werte weichen ab";
inline constexpr const char* kStoredDropped = "gespeichert, entf\xE4llt";
inline constexpr const char* kNotStored = "berechnet, nicht gespeichert";

struct ColumnChange {
    CString strColumn;
    CString strStored;
    CString strNew;
};

struct StaleFinding {
    CString strPlace;  // the first day "2024-03-05", or "Vortrag 2025" for the carry-over row of a year
    int32_t nDay = 0;  // the first day yyyymmdd; 0 for a carry-over row
    const char* pszKind = kValuesDiffer;
    // kValuesDiffer: each column that differs. The other kinds: one change that counts the rows.
    std::vector<ColumnChange> changes;
};

// True when the stored daily row holds what the computed one would store.
bool SameDailyRow(const ResultRow& stored, const ResultRow& computed, const ColumnDecimals& decimals);

// The first day of a year still running that the stored rows do not reach yet because it had not
// come when they were written: the day after the last stored day, when that row was written on its
// own day and nToday lies in the accounting year. 0 otherwise.
int32_t FirstPendingDay(const PersonYear& year, int32_t nToday);

// Empty when the stored results of year.stored are those of year.computed. Days from
// nPendingFrom on (0: none) that are not stored yet are left out, and with them the carry-over
// row of the following year, which then holds the state of the last stored day.
std::vector<StaleFinding> FindStaleResults(const PersonYear& year, int32_t nPendingFrom = 0);

// The headings of the table of differences, and the rows of the findings of a year.
ReportTable StaleTable();
void AddStaleRows(const PersonYear& year, const std::vector<StaleFinding>& findings, ReportTable* pTable);
