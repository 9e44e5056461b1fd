#include "app/ServiceMonitor.h"

#include "app/ServiceNotify.h"
#include "base/FieldText.h"
#include "base/StopSignal.h"

void CServiceMonitor::Connected() {
    m_strPublished = m_stats.StatusText();
    NotifyReady(m_strPublished);
}

void CServiceMonitor::AfterRead(const CDbConnection& db, int32_t nResult) {
    if (nResult == db.m_nRcSuccess || nResult == db.m_nRcNoData) {
        m_watch.ReadSucceeded();
        m_stats.SetPhase(nResult == db.m_nRcSuccess ? CRequestStats::Phase::Working
                                                    : CRequestStats::Phase::Waiting);
    } else {
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

void CServiceMonitor::RequestDone(const ParamRecord& request, bool bFailed) {
    m_stats.CountRequest(FieldText(request.PRMNUM, sizeof(request.PRMNUM)), bFailed);
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
