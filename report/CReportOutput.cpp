#include "report/CReportOutput.h"

#include <unistd.h>

#include <cstdio>

#include "base/Cp1252.h"

CReportOutput::CReportOutput(CsvStyle csv, bool bProgress)
    : m_terminal(TerminalCharset()), m_csv(csv), m_bProgress(bProgress && isatty(STDERR_FILENO) != 0) {}

void CReportOutput::Data(const CString& strText) {
    if (m_csv == CsvStyle::Excel && !m_bMarked) {
        Write(stdout, "\xEF\xBB\xBF");
        m_bMarked = true;
    }
    Write(stdout, m_csv != CsvStyle::None ? Utf8FromCp1252(strText) : m_terminal.Convert(strText));
}

void CReportOutput::Note(const CString& strText) {
    Write(m_csv != CsvStyle::None ? stderr : stdout, m_terminal.Convert(strText + "\n"));
}

void CReportOutput::Error(const CString& strText) {
    Write(stderr, m_terminal.Convert("kvt-report: " + strText + "\n"));
}

void CReportOutput::Progress(size_t nDone, size_t nTotal) {
    if (m_bProgress) {
        CString strLine;
        strLine.Format(
            "\rgepr\xFC"
            "ft: %zu von %zu",
            nDone, nTotal);
        Write(stderr, m_terminal.Convert(strLine));
        std::fflush(stderr);
    }
}

void CReportOutput::EndProgress() {
    if (m_bProgress) {
        Write(stderr, "\r\x1b[K");
    }
}

bool CReportOutput::Flush() const {
    return std::fflush(stdout) == 0 && !m_bFailed;
}

void CReportOutput::Write(FILE* pFile, const std::string& strBytes) {
    if (std::fwrite(strBytes.data(), 1, strBytes.size(), pFile) != strBytes.size() && pFile == stdout) {
        m_bFailed = true;
    }
}
