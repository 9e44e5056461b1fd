// ReportTable: a table as kvt-report builds it, texts in Windows-1252 like every text of the
// system, and its two written forms. The terminal writer aligns the columns by characters, which
// in Windows-1252 are bytes; the conversion to the terminal's character set comes after it, so
// that the columns stay aligned whatever that set is. Plain values, owned by whoever holds them.
#pragma once

#include <vector>

#include "base/CString.h"

struct ReportTable {
    std::vector<CString> headings;
    std::vector<std::vector<CString>> rows;  // each as many cells as there are headings
    size_t nTextColumns = 1;                 // the leading columns that hold names and days, not numbers
};

// Aligned columns: the text columns left-aligned, the numbers right-aligned, two blanks apart, a rule of '-'
// under the headings; every line ends with a line feed.
CString FormatTextTable(const ReportTable& table);

// RFC 4180: fields separated by commas, lines ended by CR LF, a field that holds a comma, a
// quote or a line break quoted with its quotes doubled. The headings are the first line when
// bHeadings is set.
CString FormatCsv(const ReportTable& table, bool bHeadings);
