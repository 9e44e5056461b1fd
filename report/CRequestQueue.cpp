#include "report/CRequestQueue.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "report/PersonYear.h"

namespace {

// A clash is only possible with another run in the same second; a few seconds more are enough.
const int kNumberAttempts = 10;

SQL_TIMESTAMP_STRUCT Now() {
    const time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    SQL_TIMESTAMP_STRUCT timestamp{};
    timestamp.year = static_cast<SQLSMALLINT>(local.tm_year + 1900);
    timestamp.month = static_cast<SQLUSMALLINT>(local.tm_mon + 1);
    timestamp.day = static_cast<SQLUSMALLINT>(local.tm_mday);
    timestamp.hour = static_cast<SQLUSMALLINT>(local.tm_hour);
    timestamp.minute = static_cast<SQLUSMALLINT>(local.tm_min);
    timestamp.second = static_cast<SQLUSMALLINT>(local.tm_sec);
    return timestamp;
}

void CopyField(char* pField, size_t nSize, const CString& strValue) {
    std::strncpy(pField, strValue.GetString(), nSize - 1);
    pField[nSize - 1] = '\0';
}

}  // namespace

CRequestQueue::CRequestQueue(CDbConnection& db, CString strSchema, CString strUser)
    : m_db(db), m_strSchema(std::move(strSchema)), m_strUser(std::move(strUser)) {}

int32_t CRequestQueue::Queue(const CString& strPnr, int32_t nDate, CString* pstrName) {
    if (m_nStamp == 0) {
        m_nStamp = time(nullptr);
    }
    ParamRecord request{};
    request.PRMTYP = 5;
    request.PRMDTM = nDate;
    CopyField(request.PRMSCH, sizeof(request.PRMSCH), m_strSchema);
    CopyField(request.PRMUSR, sizeof(request.PRMUSR), m_strUser);
    CopyField(request.PRMPNR, sizeof(request.PRMPNR), strPnr);
    CopyField(request.PRMFCD, sizeof(request.PRMFCD), "SF");
    CopyField(request.PRMERF, sizeof(request.PRMERF), kReportUser);
    int32_t nResult = -1;
    for (int nAttempt = 0; nAttempt < kNumberAttempts; ++nAttempt) {
        request.PRMLFD = ++m_nRunning;
        std::snprintf(request.PRMNUM, sizeof(request.PRMNUM), "R%010lld", static_cast<long long>(m_nStamp));
        nResult = m_db.InsertKvtRequest(request, Now());
        if (nResult == m_db.m_nRcSuccess) {
            nResult = m_db.Commit();
        }
        if (nResult == m_db.m_nRcSuccess) {
            pstrName->Format("%s/%ld", request.PRMNUM, static_cast<long>(request.PRMLFD));
            return nResult;
        }
        // A number taken is a key violation, SQLSTATE class 23 on every product (the native codes
        // differ, and MariaDB's ORACLE mode keeps its own).
        const bool bNumberTaken = m_db.GetSqlState().Left(2) == "23";
        m_db.Rollback();
        if (!bNumberTaken) {
            return nResult;
        }
        ++m_nStamp;
        m_nRunning = 0;
    }
    return nResult;
}
