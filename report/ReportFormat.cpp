#include "report/ReportFormat.h"

CString FormatNumber(double dValue, int nDecimals) {
    CString strText;
    strText.Format("%.*f", nDecimals, dValue);
    int nLength = strText.GetLength();
    while (nDecimals > 0 && strText.GetAt(nLength - 1) == '0') {
        --nLength;
    }
    if (strText.GetAt(nLength - 1) == '.') {
        --nLength;
    }
    strText = strText.Left(nLength);
    // A value that rounds to zero is 0, not "-0".
    return strText == "-0" ? CString("0") : strText;
}

CString FormatIsoDate(int32_t nDate) {
    CString strText;
    strText.Format("%04d-%02d-%02d", nDate / 10000, nDate / 100 % 100, nDate % 100);
    return strText;
}

CString FormatGermanDate(int32_t nDate) {
    CString strText;
    strText.Format("%02d.%02d.%04d", nDate % 100, nDate / 100 % 100, nDate / 10000);
    return strText;
}
