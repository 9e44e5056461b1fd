// The CSV forms of a report table, for spreadsheets and programs.
#include "report/ReportTable.h"

namespace {

CString CsvField(const CString& strCell, char chSeparator) {
    if (strCell.Find(chSeparator) < 0 && strCell.Find('"') < 0 && strCell.Find('\n') < 0 &&
        strCell.Find('\r') < 0) {
        return strCell;
    }
    CString strField = "\"";
    for (int i = 0; i < strCell.GetLength(); ++i) {
        if (strCell.GetAt(i) == '"') {
            strField += '"';
        }
        strField += strCell.GetAt(i);
    }
    return strField + "\"";
}

// A number with a decimal comma: the table's numbers carry a point and no grouping.
CString WithDecimalComma(const CString& strNumber) {
    CString strText;
    for (int i = 0; i < strNumber.GetLength(); ++i) {
        strText += strNumber.GetAt(i) == '.' ? ',' : strNumber.GetAt(i);
    }
    return strText;
}

CString CsvLine(const ReportTable& table, const std::vector<CString>& cells, bool bHeadings, CsvStyle style) {
    const char chSeparator = style == CsvStyle::Excel ? ';' : ',';
    CString strLine;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            strLine += chSeparator;
        }
        const bool bNumber = !bHeadings && style == CsvStyle::Excel && table.IsNumberColumn(i);
        strLine += CsvField(bNumber ? WithDecimalComma(cells[i]) : cells[i], chSeparator);
    }
    return strLine + "\r\n";
}

}  // namespace

CString FormatCsv(const ReportTable& table, bool bHeadings, CsvStyle style) {
    CString strText = bHeadings ? CsvLine(table, table.headings, true, style) : CString();
    for (const std::vector<CString>& row : table.rows) {
        strText += CsvLine(table, row, false, style);
    }
    return strText;
}
