#include "report/HtmlPage.h"

#include "report/ReportFormat.h"
#include "report/SvgChart.h"

namespace {

// A4 upright with margins of 12 mm leaves 186 mm: the tables take the width of the page and wrap
// their texts rather than run over its edge; a table's headings repeat on every page it runs onto.
const char* const kStyle =
    "@page { size: A4 portrait; margin: 12mm; }\n"
    "body { font-family: sans-serif; font-size: 10pt; margin: 0 auto; max-width: 186mm; color: #000; }\n"
    "h1 { font-size: 14pt; margin: 0 0 6pt 0; }\n"
    "h2 { font-size: 11pt; margin: 12pt 0 4pt 0; }\n"
    "table { border-collapse: collapse; width: 100%; font-size: 7.5pt; }\n"
    "th, td { padding: 1pt 2pt; border-bottom: 0.5pt solid #bbb; vertical-align: top; text-align: left; }\n"
    "th.zahl { text-align: right; }\n"
    "td.zahl, td:first-child { white-space: nowrap; }\n"
    "td.zahl { text-align: right; }\n"
    "thead { display: table-header-group; }\n"
    "tr { page-break-inside: avoid; }\n"
    "table.kopf th { width: 28%; font-weight: bold; }\n"
    "tr.summe td { font-weight: bold; border-bottom: 1pt solid #666; }\n"
    "p.abweichung { color: #a00; font-weight: bold; }\n"
    "svg { width: 100%; height: auto; }\n"
    "p.fuss { color: #555; font-size: 8pt; }\n";

CString Escaped(const CString& strText) {
    return XmlEscaped(strText);
}

CString Cell(const char* pszTag, const CString& strText, bool bNumber) {
    return CString("<") + pszTag + (bNumber ? " class=\"zahl\">" : ">") + Escaped(strText) + "</" + pszTag +
           ">";
}

// The table with its headings; a row that sums the ones above it is marked.
CString Table(const ReportTable& table, const char* pszClass, const char* pszRowClass) {
    CString strHtml = CString("<table class=\"") + pszClass + "\">\n<thead><tr>";
    for (size_t i = 0; i < table.headings.size(); ++i) {
        strHtml += Cell("th", table.headings[i], table.IsNumberColumn(i));
    }
    strHtml += "</tr></thead>\n<tbody>\n";
    for (const std::vector<CString>& row : table.rows) {
        bool bSum = false;
        for (const CString& strCell : row) {
            bSum = bSum || strCell == "Summe";
        }
        strHtml += CString("<tr class=\"") + (bSum ? "summe" : pszRowClass) + "\">";
        for (size_t i = 0; i < row.size(); ++i) {
            strHtml += Cell("td", row[i], table.IsNumberColumn(i));
        }
        strHtml += "</tr>\n";
    }
    return strHtml + "</tbody>\n</table>\n";
}

CString Head(const std::vector<HeadEntry>& head) {
    CString strHtml = "<table class=\"kopf\">\n";
    for (size_t i = 1; i < head.size(); ++i) {
        strHtml +=
            "<tr>" + Cell("th", head[i].strLabel, false) + Cell("td", head[i].strText, false) + "</tr>\n";
    }
    return strHtml + "</table>\n";
}

}  // namespace

CString FormatHtmlPage(const PersonYear& year, const HtmlContent& content) {
    const std::vector<HeadEntry>& head = *content.pHead;
    const CString strTitle = head.front().strLabel + ": " + head.front().strText;
    CString strHtml = "<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                      Escaped(strTitle) + "</title>\n<style>\n" + kStyle + "</style>\n</head>\n<body>\n";
    strHtml +=
        "<h1>" + Escaped(head.front().strLabel) + "</h1>\n<p>" + Escaped(head.front().strText) + "</p>\n";
    strHtml += Head(head);
    strHtml += "<h2>Monate</h2>\n" + Table(*content.pMonths, "monate", "monat");
    strHtml += "<p>" + Escaped(RestRule()) + "</p>\n";
    if (!content.strDifference.IsEmpty()) {
        strHtml += "<p class=\"abweichung\">" + Escaped(content.strDifference) + "</p>\n";
    }
    strHtml += "<h2>Verlauf</h2>\n" + content.strSvg;
    strHtml += "<h2>Schichten und Buchungen</h2>\n" + Table(*content.pPostings, "buchungen", "buchung");
    CString strFoot;
    strFoot.Format("<p class=\"fuss\">Personalnummer %s, erstellt mit kvt-report am %s</p>\n",
                   Escaped(year.strPnr).GetString(), FormatGermanDate(content.nToday).GetString());
    return strHtml + strFoot + "</body>\n</html>\n";
}
