// How kvt-report writes numbers and dates, the same in tables, CSV and charts.
#pragma once

#include <cstdint>

#include "base/CString.h"

// A stored decimal as it is kept, with six decimals at most (or nDecimals, rounded) and without
// trailing zeros: "2.5", "0", "-1.25". A point separates the decimals, whatever the locale.
CString FormatNumber(double dValue, int nDecimals = 6);

// The decimals of the numbers that people read: tables in the terminal and the page.
inline constexpr int kReadDecimals = 2;
// yyyymmdd as "2024-03-05", which spreadsheets read as a date.
CString FormatIsoDate(int32_t nDate);
// yyyymmdd as "05.03.2024", for sentences.
CString FormatGermanDate(int32_t nDate);
