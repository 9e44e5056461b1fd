#include "app/RequestStats.h"

namespace {

const char* PhaseText(CRequestStats::Phase phase) {
    switch (phase) {
        case CRequestStats::Phase::Working:
            return "Bearbeitet Auftr\xE4ge";
        case CRequestStats::Phase::Waiting:
            return "Wartet auf Auftr\xE4ge";
        case CRequestStats::Phase::Reconnecting:
            return "Keine Verbindung zur Datenbank, neuer Versuch alle 10 Sekunden";
        case CRequestStats::Phase::QueueUnreadable:
            return "Warteschlange nicht lesbar, neuer Versuch alle 10 Sekunden";
    }
    return "";
}

}  // namespace

void CRequestStats::CountRequests(const CString& strNumber, long nRequests, bool bFailed) {
    m_nDone += nRequests;
    m_nJoined += nRequests - 1;
    if (bFailed) {
        ++m_nFailed;
    }
    m_strLastNumber = strNumber;
    m_lastFinished = time(nullptr);
}

CString CRequestStats::StatusText() const {
    CString strText;
    strText.Format("%s; seit dem Start %ld erledigt, davon %ld mit Fehlern", PhaseText(m_phase), m_nDone,
                   m_nFailed);
    if (m_nJoined > 0) {
        CString strJoined;
        strJoined.Format(" und %ld mit einer anderen Berechnung derselben Person", m_nJoined);
        strText += strJoined;
    }
    if (m_nDone == 0) {
        return strText;
    }
    struct tm local {};
    localtime_r(&m_lastFinished, &local);
    CString strLast;
    strLast.Format("; zuletzt Auftrag %s am %02d.%02d.%04d %02d:%02d:%02d", m_strLastNumber.GetString(),
                   local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min,
                   local.tm_sec);
    return strText + strLast;
}
