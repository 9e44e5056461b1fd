#include "app/RunMetrics.h"

#include <cstdio>

#include "base/Cp1252.h"

namespace {

// A label value in the text format: backslash, quote and line break escaped.
std::string LabelValue(const CString& strValue) {
    std::string strOut;
    for (const char ch : Utf8FromCp1252(strValue)) {
        if (ch == '\\' || ch == '"') {
            strOut += '\\';
            strOut += ch;
        } else if (ch == '\n') {
            strOut += "\\n";
        } else {
            strOut += ch;
        }
    }
    return strOut;
}

void Family(std::string* pText, const char* pszName, const char* pszType, const char* pszHelp) {
    *pText += std::string("# HELP ") + pszName + " " + pszHelp + "\n# TYPE " + pszName + " " + pszType + "\n";
}

void Sample(std::string* pText, const char* pszName, const std::string& strLabels, double dValue) {
    char szValue[64];
    std::snprintf(szValue, sizeof(szValue), "%.17g", dValue);
    *pText += std::string(pszName) + "{" + strLabels + "} " + szValue + "\n";
}

}  // namespace

void CRunMetrics::CountCalculated(long nRequests, double dSeconds, time_t tNow) {
    m_nCalculated += nRequests;
    m_dSecondsSum += dSeconds;
    ++m_nCalculations;
    m_lastCalculated = tNow;
}

void CRunMetrics::CountFaulty() {
    ++m_nFaulty;
}

void CRunMetrics::CountLeftQueued(const char* pszKind) {
    ++m_leftQueued[pszKind];
}

std::string CRunMetrics::Render(const CString& strSchema, const CString& strUser, bool bRunning) const {
    const std::string strLabels = "schema=\"" + LabelValue(strSchema) + "\",user=\"" + LabelValue(strUser) + "\"";
    std::string strText;
    Family(&strText, "kvt_up", "gauge", "Whether kvt runs (0 in the file its last run wrote at its end).");
    Sample(&strText, "kvt_up", strLabels, bRunning ? 1 : 0);
    Family(&strText, "kvt_database_connected", "gauge", "Whether kvt can read the request table.");
    Sample(&strText, "kvt_database_connected", strLabels, bRunning && m_bConnected ? 1 : 0);
    Family(&strText, "kvt_requests_calculated_total", "counter", "Requests calculated and closed since the start.");
    Sample(&strText, "kvt_requests_calculated_total", strLabels, static_cast<double>(m_nCalculated));
    Family(&strText, "kvt_requests_faulty_total", "counter",
           "Requests closed without a calculation for a fault of their own since the start.");
    Sample(&strText, "kvt_requests_faulty_total", strLabels, static_cast<double>(m_nFaulty));
    Family(&strText, "kvt_requests_left_queued_total", "counter",
           "Times a request was left queued after a failure, by the kind of failure, since the start.");
    for (const auto& [strKind, nCount] : m_leftQueued) {
        std::string strKindLabels = strLabels;
        strKindLabels.append(",kind=\"").append(strKind).append("\"");
        Sample(&strText, "kvt_requests_left_queued_total", strKindLabels, static_cast<double>(nCount));
    }
    Family(&strText, "kvt_calculation_duration_seconds", "summary",
           "Seconds from the claim of a request to the commit of its calculation.");
    Sample(&strText, "kvt_calculation_duration_seconds_sum", strLabels, m_dSecondsSum);
    Sample(&strText, "kvt_calculation_duration_seconds_count", strLabels, static_cast<double>(m_nCalculations));
    Family(&strText, "kvt_last_calculated_timestamp_seconds", "gauge",
           "Unix time of the last calculation that was committed; 0 before the first.");
    Sample(&strText, "kvt_last_calculated_timestamp_seconds", strLabels, static_cast<double>(m_lastCalculated));
    Family(&strText, "kvt_requests_waiting", "gauge", "The requests of the schema and user waiting in the queue.");
    Sample(&strText, "kvt_requests_waiting", strLabels, static_cast<double>(m_nWaiting));
    return strText;
}
