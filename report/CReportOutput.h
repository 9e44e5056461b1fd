// CReportOutput: where kvt-report writes. Tables and notes go to standard output in the terminal's
// character set; CSV goes there in UTF-8 (for spreadsheet programs after a byte order mark), and
// the notes then go to standard error so that the CSV stays tables. Messages and the progress line
// go to standard error in the terminal's set. Every text handed in is Windows-1252. One instance
// for the run, owned by it; it owns its converter.
#pragma once

#include <cstdio>
#include <string>

#include "base/CString.h"
#include "report/CTextConverter.h"
#include "report/ReportTable.h"

class CReportOutput {
public:
    CReportOutput(CsvStyle csv, bool bProgress);
    virtual ~CReportOutput() = default;
    CReportOutput(const CReportOutput&) = delete;
    CReportOutput& operator=(const CReportOutput&) = delete;

    // A table or an explanation (CSV: the CSV text).
    void Data(const CString& strText);
    // A summary line or a note about queued requests.
    void Note(const CString& strText);
    // "kvt-report: " and the text, on a line of its own.
    void Error(const CString& strText);
    // "geprüft: n von m" on standard error, overwritten in place; only when asked for at
    // construction and standard error is a terminal.
    void Progress(size_t nDone, size_t nTotal);
    void EndProgress();
    // False when standard output could not take everything.
    bool Flush() const;

private:
    void Write(FILE* pFile, const std::string& strBytes);

    CTextConverter m_terminal;
    CsvStyle m_csv;
    bool m_bMarked = false;  // the byte order mark is written
    bool m_bProgress;
    bool m_bFailed = false;
};
