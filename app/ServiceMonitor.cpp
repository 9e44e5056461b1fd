#include "app/ServiceMonitor.h"

#include "app/ServiceNotify.h"
#include "base/FieldText.h"
#include "base/StopSignal.h"

void CServiceMonitor::Connected() {
    m_strPublished = m_stats.StatusText();
    NotifyReady(m_strPublished);
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
    if (TakeFirstHangup()) {
        m_log.Write(
            "Info : SIGHUP wird ignoriert; die Konfiguration wird bei jedem Verbindungsaufbau gelesen", true);
    }
    PublishStatus();
    NotifyWatchdog();
}

void CServiceMonitor::RequestsDone(const std::vector<ParamRecord>& closed, bool bFailed) {
    const ParamRecord& last = closed.back();
    m_stats.CountRequests(FieldText(last.PRMNUM, sizeof(last.PRMNUM)), static_cast<long>(closed.size()), bFailed);
    PublishStatus();
}

void CServiceMonitor::Stopping() {
    NotifyStopping();
}

// Only a changed status goes out: an idle loop reads four times a second.
void CServiceMonitor::PublishStatus() {
    const CString strStatus = m_stats.StatusText();
    if (strStatus != m_strPublished) {
        m_strPublished = strStatus;
        NotifyStatus(strStatus);
    }
}
