#include "app/RequestLedger.h"

#include <algorithm>
#include <cstring>

namespace {

const int kFirstDelaySeconds = 20;
const int kLongestDelaySeconds = 3600;
const size_t kClosedKept = 256;

}  // namespace

int CRequestLedger::CountFailure(const ParamRecord& request, time_t tNow) {
    Attempts& attempts = m_attempts[Key(request)];
    ++attempts.nFailed;
    attempts.tDue = tNow + DelayAfter(attempts.nFailed);
    return attempts.nFailed;
}

int CRequestLedger::CountConflict(const ParamRecord& request) {
    return ++m_attempts[Key(request)].nConflicts;
}

int CRequestLedger::DelaySeconds(const ParamRecord& request) const {
    const auto it = m_attempts.find(Key(request));
    return it == m_attempts.end() ? 0 : DelayAfter(it->second.nFailed);
}

// Nothing after the first attempts; then 20 s after the third failure, doubling up to an hour.
int CRequestLedger::DelayAfter(int nFailed) {
    if (nFailed < kMaxAttempts) {
        return 0;
    }
    int nDelay = kFirstDelaySeconds;
    for (int i = kMaxAttempts; i < nFailed && nDelay < kLongestDelaySeconds; ++i) {
        nDelay *= 2;
    }
    return std::min(nDelay, kLongestDelaySeconds);
}

void CRequestLedger::MarkUnremovable(const ParamRecord& request) {
    m_unremovable.insert(Key(request));
}

bool CRequestLedger::IsUnremovable(const ParamRecord& request) const {
    return m_unremovable.contains(Key(request));
}

void CRequestLedger::MarkClosed(const ParamRecord& request) {
    const std::string strKey = Key(request);
    m_attempts.erase(strKey);
    m_closed.push_back(strKey);
    if (m_closed.size() > kClosedKept) {
        m_closed.pop_front();
    }
}

bool CRequestLedger::IsClosed(const ParamRecord& request) const {
    return std::find(m_closed.begin(), m_closed.end(), Key(request)) != m_closed.end();
}

bool CRequestLedger::IsPassedOver(const ParamRecord& request, time_t tNow) const {
    if (IsUnremovable(request) || IsClosed(request)) {
        return true;
    }
    const auto it = m_attempts.find(Key(request));
    return it != m_attempts.end() && tNow < it->second.tDue;
}

bool CRequestLedger::NoteHeldBack(const ParamRecord& request) {
    return m_heldBack.insert(Key(request)).second;
}

int CRequestLedger::PassedOverCount() const {
    return static_cast<int>(m_attempts.size() + m_unremovable.size() + m_closed.size());
}

std::string CRequestLedger::Key(const ParamRecord& request) {
    std::string strKey(request.storedNumber, strnlen(request.storedNumber, sizeof(request.storedNumber)));
    strKey += '\0';
    strKey += std::to_string(request.PRMLFD);
    strKey += '/';
    strKey += std::to_string(request.PRMTYP);
    return strKey;
}
