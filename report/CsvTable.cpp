// The CSV form of a report table, for spreadsheets and programs.
#include "report/ReportTable.h"

namespace {

CString CsvField(const CString& strCell) {
    if (strCell.Find(',') < 0 && strCell.Find('"') < 0 && strCell.Find('\n') < 0 && strCell.Find('\r') < 0) {
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

CString CsvLine(const std::vector<CString>& cells) {
    CString strLine;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            strLine += ',';
        }
        strLine += CsvField(cells[i]);
    }
    return strLine + "\r\n";
}

}  // namespace

CString FormatCsv(const ReportTable& table, bool bHeadings) {
    CString strText = bHeadings ? CsvLine(table.headings) : CString();
    for (const std::vector<CString>& row : table.rows) {
        strText += CsvLine(row);
    }
    return strText;
}
