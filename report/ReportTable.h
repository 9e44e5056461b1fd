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
    size_t nTrailingTextColumns = 0;         // the last columns that hold notes, not numbers

    bool IsNumberColumn(size_t nColumn) const {
        return nColumn >= nTextColumns && nColumn + nTrailingTextColumns < headings.size();
    }
};

// Aligned columns: the text columns left-aligned, the numbers right-aligned, two blanks apart, a rule of '-'
// under the headings; every line ends with a line feed.
CString FormatTextTable(const ReportTable& table);

// The two forms of CSV: RFC 4180 (comma, decimal point, lines ended by CR LF), and the one that
// German spreadsheet programs open as it is (semicolon, decimal comma, CR LF; the caller writes it
// in UTF-8 with a byte order mark). A field that holds the separator, a quote or a line break is
// quoted with its quotes doubled. The headings are the first line when bHeadings is set.
enum class CsvStyle { None, Rfc4180, Excel };
CString FormatCsv(const ReportTable& table, bool bHeadings, CsvStyle style = CsvStyle::Rfc4180);
