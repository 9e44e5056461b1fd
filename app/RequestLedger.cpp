#include "app/RequestLedger.h"

#include <cstring>

int CRequestLedger::CountAttempt(const ParamRecord& request) {
    return ++m_attempts[Key(request)];
}

bool CRequestLedger::IsGivenUp(const ParamRecord& request) const {
    const auto it = m_attempts.find(Key(request));
    return it != m_attempts.end() && it->second >= kMaxAttempts;
}

void CRequestLedger::MarkUnremovable(const ParamRecord& request) {
    m_unremovable.insert(Key(request));
}

bool CRequestLedger::IsUnremovable(const ParamRecord& request) const {
    return m_unremovable.contains(Key(request));
}

std::string CRequestLedger::Key(const ParamRecord& request) {
    std::string strKey(request.storedNumber, strnlen(request.storedNumber, sizeof(request.storedNumber)));
    strKey += '\0';
    strKey += std::to_string(request.PRMLFD);
    strKey += '/';
    strKey += std::to_string(request.PRMTYP);
    return strKey;
}
