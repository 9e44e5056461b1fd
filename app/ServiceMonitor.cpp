#include "app/ServiceMonitor.h"

#include <cerrno>
#include <cstring>

#include "app/Globals.h"
#include "app/MetricsFile.h"
#include "app/ServiceNotify.h"
#include "base/FieldText.h"
#include "base/StopSignal.h"

namespace {

const time_t kMetricsIntervalSeconds = 15;

time_t MonotonicSeconds() {
    struct timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec;
}

const char* LeftQueuedKind(SqlFailure failure) {
    switch (failure) {
        case SqlFailure::RequestData:
            return "not_removable";
        case SqlFailure::Conflict:
            return "conflict";
        case SqlFailure::Installation:
            return "installation";
        case SqlFailure::Transient:
        case SqlFailure::ConnectionLost:
            break;
    }
    return "passing";
}

}  // namespace

void CServiceMonitor::Connected() {
    m_strPublished = m_stats.StatusText();
    NotifyReady(m_strPublished);
    m_metrics.SetConnected(true);
}

void CServiceMonitor::BeforeClaim(CDbConnection& db) {
    if (MetricsDirectory().IsEmpty() || (m_lastMetrics != 0 && MonotonicSeconds() - m_lastMetrics < kMetricsIntervalSeconds)) {
        return;
    }
    int32_t nWaiting = 0;
    if (db.CountWaitingRequests(g_schema, g_user, &nWaiting) == db.m_nRcSuccess) {
        m_metrics.SetWaiting(nWaiting);
    }
    WriteMetrics(true);
}

// A claim that another node of a cluster came first to is taken up again at once: the queue is
// readable, and nothing is said about it here.
void CServiceMonitor::AfterClaim(const CDbConnection& db, ClaimResult claim) {
    if (claim != ClaimResult::Failed) {
        m_watch.ReadSucceeded();
        m_stats.SetPhase(claim == ClaimResult::Claimed ? CRequestStats::Phase::Working
                                                       : CRequestStats::Phase::Waiting);
    } else if (db.ClassifyLastFailure() != SqlFailure::Conflict) {
        m_watch.ReadFailed(db);
        m_stats.SetPhase(db.ClassifyLastFailure() == SqlFailure::ConnectionLost
                             ? CRequestStats::Phase::Reconnecting
                             : CRequestStats::Phase::QueueUnreadable);
    }
    m_metrics.SetConnected(claim != ClaimResult::Failed || db.ClassifyLastFailure() != SqlFailure::ConnectionLost);
    if (TakeFirstHangup()) {
        m_log.Write(
            "Info : SIGHUP wird ignoriert; die Konfiguration wird bei jedem Verbindungsaufbau gelesen", true);
    }
    PublishStatus();
    NotifyWatchdog();
}

void CServiceMonitor::RequestDone(RequestOutcome outcome, const RequestReport& report, double dSeconds,
                                  bool bFailed) {
    if (outcome != RequestOutcome::Closed) {
        m_metrics.CountLeftQueued(LeftQueuedKind(report.failure));
        return;
    }
    const ParamRecord& last = report.closed.back();
    const long nClosed = static_cast<long>(report.closed.size());
    m_stats.CountRequests(FieldText(last.PRMNUM, sizeof(last.PRMNUM)), nClosed, bFailed);
    if (report.bFaulty) {
        m_metrics.CountFaulty();
    } else {
        m_metrics.CountCalculated(nClosed, dSeconds, time(nullptr));
    }
    PublishStatus();
}

void CServiceMonitor::Stopping() {
    NotifyStopping();
    if (!MetricsDirectory().IsEmpty()) {
        WriteMetrics(false);
    }
}

// A directory that takes no file is said once, and again only after it took one in between.
void CServiceMonitor::WriteMetrics(bool bRunning) {
    m_lastMetrics = MonotonicSeconds();
    errno = 0;
    const bool bWritten = WriteMetricsFile(g_schema, g_user, m_metrics.Render(g_schema, g_user, bRunning));
    if (!bWritten && !m_bMetricsUnwritable) {
        m_log.Write("Fehler : Metrikdatei in " + MetricsDirectory() + " nicht schreibbar (" +
                        std::strerror(errno != 0 ? errno : EIO) + "); kvt arbeitet ohne sie weiter",
                    true, LogLevel::Warning);
    }
    m_bMetricsUnwritable = !bWritten;
}

// Only a changed status goes out: an idle loop reads four times a second.
void CServiceMonitor::PublishStatus() {
    const CString strStatus = m_stats.StatusText();
    if (strStatus != m_strPublished) {
        m_strPublished = strStatus;
        NotifyStatus(strStatus);
    }
}
