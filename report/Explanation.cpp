#include "report/Explanation.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/Cp1252.h"
#include "report/ExplanationHead.h"
#include "report/HtmlPage.h"
#include "report/Postings.h"
#include "report/ReportFormat.h"
#include "report/ReportRun.h"
#include "report/SvgChart.h"

namespace {

bool WriteFile(const CString& strPath, const std::string& strBytes) {
    FILE* pFile = std::fopen(strPath, "wb");
    if (pFile == nullptr) {
        return false;
    }
    const bool bWritten = std::fwrite(strBytes.data(), 1, strBytes.size(), pFile) == strBytes.size();
    return std::fclose(pFile) == 0 && bWritten;
}

// The CSV of all persons: their heads, then their rows, then the postings, each a table of its
// own after an empty line.
struct CsvTables {
    ReportTable head = HeadTable();
    ReportTable rows;
    ReportTable postings;
};

class CExplanation {
public:
    CExplanation(CDbConnection& db, const ReportOptions& options, int32_t nToday, CReportOutput& output)
        : m_db(db), m_options(options), m_nToday(nToday), m_output(output) {
        m_style.bDays = options.bDays;
        m_style.bWithPnr = options.csv != CsvStyle::None;
        m_style.bFixedColumns = options.csv != CsvStyle::None;
        m_style.nDecimals = options.csv != CsvStyle::None ? 6 : kReadDecimals;
    }

    int Run() {
        const int32_t nDate = m_options.nYear != 0 ? m_options.nYear * 10000 + 1231 : m_nToday;
        for (const CString& strPnr : m_options.persons) {
            if (!Person(strPnr, nDate)) {
                break;
            }
        }
        if (m_options.csv != CsvStyle::None && !m_csv.head.rows.empty()) {
            CString strCsv = FormatCsv(m_csv.head, true, m_options.csv) + "\r\n" +
                             FormatCsv(m_csv.rows, true, m_options.csv);
            if (m_options.bPostings) {
                strCsv += "\r\n" + FormatCsv(m_csv.postings, true, m_options.csv);
            }
            m_output.Data(strCsv);
        }
        return m_nExit;
    }

private:
    void Fail(int nExit, const CString& strText) {
        m_output.Error(strText);
        m_nExit = std::max(m_nExit, nExit);
    }

    // False when the connection can be used no more.
    bool Person(const CString& strPnr, int32_t nDate) {
        bool bListed = true;
        bool bContracts = true;
        CString strFailure;
        if (!ReadPersonListing(m_db, strPnr, &bListed, &bContracts, &strFailure)) {
            Fail(kExitDatabase, "Personalnummer " + strPnr + ": " + strFailure);
            return true;
        }
        if (!bListed && !bContracts) {
            Fail(kExitDatabase, UnknownPerson(strPnr));
            return true;
        }
        PersonYear year;
        const CalcOutcome outcome = CalculatePersonYear(m_db, strPnr, nDate, &year);
        if (outcome != CalcOutcome::Done) {
            Fail(kExitDatabase, "Personalnummer " + strPnr + ": " + year.strFailure);
            return outcome != CalcOutcome::NotRolledBack;
        }
        year.bListed = bListed;
        const ExplainedYear explained = ExplainYear(year, m_nToday);
        std::vector<Posting> postings;
        if (m_options.bPostings || !m_options.strHtmlPath.IsEmpty()) {
            const bool bRead = ReadPostings(m_db, year, explained, &postings) == 0;
            const CString strFailed = bRead ? CString() : DatabaseFailure(m_db, "Buchungen nicht gelesen");
            if (m_db.Rollback() != 0) {
                Fail(kExitDatabase, "Personalnummer " + strPnr + ": " +
                                        DatabaseFailure(m_db,
                                                        "Zur\xFC"
                                                        "cksetzen fehlgeschlagen"));
                return false;
            }
            if (!bRead) {
                Fail(kExitDatabase, "Personalnummer " + strPnr + ": " + strFailed);
                return true;
            }
        }
        Write(year, explained, postings);
        return true;
    }

    void Write(const PersonYear& year, const ExplainedYear& explained, const std::vector<Posting>& postings) {
        const std::vector<HeadEntry> head = ExplanationHead(year, explained, m_style.nDecimals);
        const ReportTable table = BuildYearTable(year, explained, m_style);
        const CString strDifference = StoredDifferenceLine(year, explained);
        if (!strDifference.IsEmpty()) {
            m_nExit = std::max(m_nExit, kExitDifferences);
        }
        if (m_options.csv != CsvStyle::None) {
            AddHeadRows(year.strPnr, head, &m_csv.head);
            m_csv.rows.headings = table.headings;
            m_csv.rows.nTextColumns = table.nTextColumns;
            m_csv.rows.nTrailingTextColumns = table.nTrailingTextColumns;
            m_csv.rows.rows.insert(m_csv.rows.rows.end(), table.rows.begin(), table.rows.end());
            if (m_options.bPostings) {
                m_csv.postings = BuildPostingsTable(year, explained, postings, m_style);
            }
            if (!strDifference.IsEmpty()) {
                m_output.Note("Personalnummer " + year.strPnr + ": " + strDifference);
            }
        } else {
            CString strText = FormatHeadText(head);
            if (!explained.days.empty()) {
                strText += "\n" + FormatTextTable(table) + RestRule() + "\n";
            }
            strText += strDifference.IsEmpty() ? CString() : strDifference + "\n";
            if (m_options.bPostings) {
                strText += "\nSchichten und Buchungen:\n" +
                           FormatTextTable(BuildPostingsTable(year, explained, postings, m_style));
            }
            m_output.Data(strText + "\n");
        }
        Files(year, explained, postings, strDifference);
    }

    void Files(const PersonYear& year, const ExplainedYear& explained, const std::vector<Posting>& postings,
               const CString& strDifference) {
        if (!m_options.strSvgPath.IsEmpty() &&
            !WriteFile(m_options.strSvgPath, Utf8FromCp1252(FormatSvgChart(year, explained)))) {
            Fail(kExitOutput, "Die SVG-Datei " + m_options.strSvgPath + " kann nicht geschrieben werden.");
        }
        if (m_options.strHtmlPath.IsEmpty()) {
            return;
        }
        YearTableStyle style;
        style.nDecimals = kReadDecimals;
        const std::vector<HeadEntry> readHead = ExplanationHead(year, explained, kReadDecimals);
        const ReportTable months = BuildYearTable(year, explained, style);
        const ReportTable postingTable = BuildPostingsTable(year, explained, postings, style);
        HtmlContent content;
        content.pHead = &readHead;
        content.pMonths = &months;
        content.pPostings = &postingTable;
        content.strSvg = FormatSvgElement(year, explained);
        content.strDifference = strDifference;
        content.nToday = m_nToday;
        if (!WriteFile(m_options.strHtmlPath, Utf8FromCp1252(FormatHtmlPage(year, content)))) {
            Fail(kExitOutput, "Die HTML-Datei " + m_options.strHtmlPath + " kann nicht geschrieben werden.");
        }
    }

    CDbConnection& m_db;
    const ReportOptions& m_options;
    int32_t m_nToday;
    CReportOutput& m_output;
    YearTableStyle m_style;
    CsvTables m_csv;
    int m_nExit = kExitOk;
};

}  // namespace

int ExplainPersons(CDbConnection& db, const ReportOptions& options, int32_t nToday, CReportOutput& output) {
    return CExplanation(db, options, nToday, output).Run();
}
