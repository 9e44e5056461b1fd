// The terminal form of a report table.
#include <algorithm>

#include "report/ReportTable.h"

namespace {

CString Repeated(char ch, int nCount) {
    CString strText;
    for (int i = 0; i < nCount; ++i) {
        strText += ch;
    }
    return strText;
}

CString Padded(const CString& strCell, int nWidth, bool bLeft) {
    const CString strPadding = Repeated(' ', nWidth - strCell.GetLength());
    return bLeft ? strCell + strPadding : strPadding + strCell;
}

CString FormatLine(const ReportTable& table, const std::vector<CString>& cells,
                   const std::vector<int>& widths) {
    CString strLine;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            strLine += "  ";
        }
        strLine += Padded(cells[i], widths[i], !table.IsNumberColumn(i));
    }
    // A text column at the end is padded on its right; the line needs no trailing blanks.
    return strLine.TrimRight() + "\n";
}

}  // namespace

CString FormatTextTable(const ReportTable& table) {
    std::vector<int> widths(table.headings.size(), 0);
    for (size_t i = 0; i < table.headings.size(); ++i) {
        widths[i] = table.headings[i].GetLength();
        for (const std::vector<CString>& row : table.rows) {
            widths[i] = std::max(widths[i], row[i].GetLength());
        }
    }
    std::vector<CString> rules;
    rules.reserve(widths.size());
    for (const int nWidth : widths) {
        rules.push_back(Repeated('-', nWidth));
    }
    CString strText = FormatLine(table, table.headings, widths) + FormatLine(table, rules, widths);
    for (const std::vector<CString>& row : table.rows) {
        strText += FormatLine(table, row, widths);
    }
    return strText;
}
