// CRunMetrics: what the run has done, for operators who watch services with Prometheus: requests
// calculated, closed as faulty and left queued (by the kind of failure), the seconds of each
// calculation, the time of the last one, whether the database is connected and how many of the own
// requests wait. Rendered in the text format of the node exporter's textfile collector (one file a
// schema and user, app/MetricsFile.h). Owned by the service monitor. Single-threaded use.
#pragma once

#include <ctime>
#include <map>
#include <string>

#include "base/CString.h"

class CRunMetrics {
public:
    CRunMetrics() = default;
    virtual ~CRunMetrics() = default;

    // One calculation that closed nRequests requests and took dSeconds; the time is tNow.
    void CountCalculated(long nRequests, double dSeconds, time_t tNow);
    void CountFaulty();
    // pszKind: "passing", "conflict", "installation" or "not_removable".
    void CountLeftQueued(const char* pszKind);
    void SetConnected(bool bConnected) { m_bConnected = bConnected; }
    void SetWaiting(long nWaiting) { m_nWaiting = nWaiting; }

    // The metrics as text, labelled with schema and user (Windows-1252, given in UTF-8); bRunning
    // false for the last file of a run that ends.
    std::string Render(const CString& strSchema, const CString& strUser, bool bRunning) const;

private:
    long m_nCalculated = 0;
    long m_nFaulty = 0;
    std::map<std::string, long> m_leftQueued = {
        {"passing", 0}, {"conflict", 0}, {"installation", 0}, {"not_removable", 0}};
    double m_dSecondsSum = 0.0;
    long m_nCalculations = 0;
    time_t m_lastCalculated = 0;
    bool m_bConnected = false;
    long m_nWaiting = 0;
};
