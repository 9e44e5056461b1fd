// The calculation's inputs for one personnel number: its contract rows with their free-time
// rules, the carry-over of an accounting year, and one row per calendar day with the shares
// earned and the free days booked.
#include <cstring>

#include "base/FieldText.h"
#include "calc/ContractRecord.h"
#include "calc/DayRecord.h"
#include "db/CDbConnection.h"

namespace {

const char* const kBsvOracle =
    "SELECT BSVPNR, TO_CHAR(BSVGVO, 'yyyymmdd'),"
    "        COALESCE(TO_CHAR(BSVGBI, 'yyyymmdd'), '0'),"
    "        BSVKVT, KVTANZ, KVTTKT, KVTMAX, KVTVMO,"
    "        COALESCE(KVTJMO, 12) "
    "FROM   %s.ZTW310BSV, %s.ZTW155KVT "
    "WHERE  BSVPNR = ? "
    "AND    BSVKVT = KVTMOD "
    "ORDER BY BSVPNR, BSVGVO";

const char* const kBsvMsSql =
    "SELECT BSVPNR, CONVERT(CHAR(8), BSVGVO, 112),"
    "        COALESCE(CONVERT(CHAR(8), BSVGBI, 112), '0'),"
    "        BSVKVT, KVTANZ, KVTTKT, KVTMAX, KVTVMO,"
    "        COALESCE(KVTJMO, 12) "
    "FROM   %s.ZTW310BSV, %s.ZTW155KVT "
    "WHERE  BSVPNR = ? "
    "AND    BSVKVT = KVTMOD "
    "ORDER BY BSVPNR, BSVGVO";

const char* const kBsvMySql =
    "SELECT BSVPNR, DATE_FORMAT(BSVGVO, '%%Y%%m%%d'),"
    "        COALESCE(DATE_FORMAT(BSVGBI, '%%Y%%m%%d'), '0'),"
    "        BSVKVT, KVTANZ, KVTTKT, KVTMAX, KVTVMO,"
    "        COALESCE(KVTJMO, 12) "
    "FROM   %s.ZTW310BSV, %s.ZTW155KVT "
    "WHERE  BSVPNR = ? "
    "AND    BSVKVT = KVTMOD "
    "ORDER BY BSVPNR, BSVGVO";

const char* const kSfvRead =
    "SELECT COALESCE(SFVVTG, 0),"
    "        COALESCE(SFVVAN, 0),"
    "        COALESCE(SFVZUS, 0) "
    "FROM   %s.ZTW332SFV "
    "WHERE  SFVPNR = ? "
    "AND    SFVJHR = ? ";

// The per-day statement: for each calendar day from the first to the last day that has happened,
// the shares of the qualifying shifts that day, the free days booked from the first day up to it
// and those planned after it. The shifts are summed per day once and joined to the calendar; the
// bookings are counted per day once for each range, and a running sum over calendar days and
// booking days together gives, at each calendar day, what was booked up to it (booking days sort
// before the calendar day of the same date) and, taken from the range's total, what is planned
// after it. A booking on a day that the calendar lacks counts all the same. Half days count one
// half on every product: on SQL Server an integer COUNT divided by 2 would drop them, hence the
// 2.0 there.
const char* const kBewOracle =
    "SELECT TO_CHAR(DTM, 'yyyymmdd') AS BAKDTM, SHARES, TAKEN, PLANNED "
    "FROM   (SELECT DTM, KIND, SHARES, "
    "               SUM(TAKEN_W) OVER (ORDER BY DTM, KIND ROWS UNBOUNDED PRECEDING) AS TAKEN, "
    "               SUM(PLANNED_W) OVER () - "
    "               SUM(PLANNED_W) OVER (ORDER BY DTM, KIND ROWS UNBOUNDED PRECEDING) AS PLANNED "
    "        FROM   (SELECT BAKDTM AS DTM, 1 AS KIND, COALESCE(DAY_SHARES, 0) AS SHARES, "
    "                       0 AS TAKEN_W, 0 AS PLANNED_W "
    "                FROM   ZTWBASIS.ZTW133BAK "
    "                JOIN   %s.ZTW300PNR ON PNRNUM = ? "
    "                LEFT JOIN (SELECT ZTGVON, SUM(SF1ANT) AS DAY_SHARES "
    "                           FROM   %s.ZTW329ZTG, "
    "                                  %s.ZTW155SF1, "
    "                                  %s.ZTW320TGB "
    "                           WHERE  ZTGPNR = ? "
    "                           AND    ZTGVON >= ? "
    "                           AND    ZTGVON <= ? "
    "                           AND    SF1NUM = ? "
    "                           AND    SF1AZT = ZTGAZT "
    "                           AND    TGBPNR = ZTGPNR "
    "                           AND    TGBDTM = ZTGVON "
    "                           AND    TGBZTR = 1 "
    "                           AND    TGBMAX >= SF1MIN "
    "                           GROUP BY ZTGVON) SHIFTS "
    "                       ON ZTGVON = BAKDTM "
    "                WHERE  BAKDTM >= ? "
    "                AND    BAKDTM <= ? "
    "                AND    BAKDTM <= SYSDATE "
    "                UNION ALL "
    "                SELECT BCHVON, 0, 0, "
    "                       COUNT(TAGTGB) + COUNT(TAGHTV) / 2 + COUNT(TAGHTN) / 2, 0 "
    "                FROM   %s.ZTW327TAG, "
    "                       %s.ZTW131FCD, "
    "                       %s.ZTW321BCH "
    "                WHERE  BCHPNR = ? "
    "                AND    BCHVON >= ? "
    "                AND    BCHVON <= ? "
    "                AND    (BCHFKT = 1 "
    "                OR      BCHFKT = 2 "
    "                OR      BCHFKT = 3) "
    "                AND    BCHFCD = FCDNUM "
    "                AND    FCDFCD = 25 "
    "                AND    TAGPNR = BCHPNR "
    "                AND    TAGTAG = BCHVON "
    "                GROUP BY BCHVON "
    "                UNION ALL "
    "                SELECT BCHVON, 0, 0, "
    "                       0, COUNT(TAGTGB) + COUNT(TAGHTV) / 2 + COUNT(TAGHTN) / 2 "
    "                FROM   %s.ZTW327TAG, "
    "                       %s.ZTW131FCD, "
    "                       %s.ZTW321BCH "
    "                WHERE  BCHPNR = ? "
    "                AND    BCHVON >= ? "
    "                AND    BCHVON <= ? "
    "                AND    (BCHFKT = 1 "
    "                OR      BCHFKT = 2 "
    "                OR      BCHFKT = 3) "
    "                AND    BCHFCD = FCDNUM "
    "                AND    FCDFCD = 25 "
    "                AND    TAGPNR = BCHPNR "
    "                AND    TAGTAG = BCHVON "
    "                GROUP BY BCHVON) DAYS_AND_BOOKINGS) RUNNING "
    "WHERE  KIND = 1 "
    "ORDER BY DTM";

const char* const kBewMsSql =
    "SELECT CONVERT(CHAR(8), DTM, 112) AS BAKDTM, SHARES, TAKEN, PLANNED "
    "FROM   (SELECT DTM, KIND, SHARES, "
    "               SUM(TAKEN_W) OVER (ORDER BY DTM, KIND ROWS UNBOUNDED PRECEDING) AS TAKEN, "
    "               SUM(PLANNED_W) OVER () - "
    "               SUM(PLANNED_W) OVER (ORDER BY DTM, KIND ROWS UNBOUNDED PRECEDING) AS PLANNED "
    "        FROM   (SELECT BAKDTM AS DTM, 1 AS KIND, COALESCE(DAY_SHARES, 0) AS SHARES, "
    "                       0 AS TAKEN_W, 0 AS PLANNED_W "
    "                FROM   ZTWBASIS.ZTW133BAK "
    "                JOIN   %s.ZTW300PNR ON PNRNUM = ? "
    "                LEFT JOIN (SELECT ZTGVON, SUM(SF1ANT) AS DAY_SHARES "
    "                           FROM   %s.ZTW329ZTG, "
    "                                  %s.ZTW155SF1, "
    "                                  %s.ZTW320TGB "
    "                           WHERE  ZTGPNR = ? "
    "                           AND    ZTGVON >= ? "
    "                           AND    ZTGVON <= ? "
    "                           AND    SF1NUM = ? "
    "                           AND    SF1AZT = ZTGAZT "
    "                           AND    TGBPNR = ZTGPNR "
    "                           AND    TGBDTM = ZTGVON "
    "                           AND    TGBZTR = 1 "
    "                           AND    TGBMAX >= SF1MIN "
    "                           GROUP BY ZTGVON) SHIFTS "
    "                       ON ZTGVON = BAKDTM "
    "                WHERE  BAKDTM >= ? "
    "                AND    BAKDTM <= ? "
    "                AND    BAKDTM <= CURRENT_TIMESTAMP "
    "                UNION ALL "
    "                SELECT BCHVON, 0, 0, "
    "                       COUNT(TAGTGB) + COUNT(TAGHTV) / 2.0 + COUNT(TAGHTN) / 2.0, 0 "
    "                FROM   %s.ZTW327TAG, "
    "                       %s.ZTW131FCD, "
    "                       %s.ZTW321BCH "
    "                WHERE  BCHPNR = ? "
    "                AND    BCHVON >= ? "
    "                AND    BCHVON <= ? "
    "                AND    (BCHFKT = 1 "
    "                OR      BCHFKT = 2 "
    "                OR      BCHFKT = 3) "
    "                AND    BCHFCD = FCDNUM "
    "                AND    FCDFCD = 25 "
    "                AND    TAGPNR = BCHPNR "
    "                AND    TAGTAG = BCHVON "
    "                GROUP BY BCHVON "
    "                UNION ALL "
    "                SELECT BCHVON, 0, 0, "
    "                       0, COUNT(TAGTGB) + COUNT(TAGHTV) / 2.0 + COUNT(TAGHTN) / 2.0 "
    "                FROM   %s.ZTW327TAG, "
    "                       %s.ZTW131FCD, "
    "                       %s.ZTW321BCH "
    "                WHERE  BCHPNR = ? "
    "                AND    BCHVON >= ? "
    "                AND    BCHVON <= ? "
    "                AND    (BCHFKT = 1 "
    "                OR      BCHFKT = 2 "
    "                OR      BCHFKT = 3) "
    "                AND    BCHFCD = FCDNUM "
    "                AND    FCDFCD = 25 "
    "                AND    TAGPNR = BCHPNR "
    "                AND    TAGTAG = BCHVON "
    "                GROUP BY BCHVON) DAYS_AND_BOOKINGS) RUNNING "
    "WHERE  KIND = 1 "
    "ORDER BY DTM";

const char* const kBewMySql =
    "SELECT DATE_FORMAT(DTM, '%%Y%%m%%d') AS BAKDTM, SHARES, TAKEN, PLANNED "
    "FROM   (SELECT DTM, KIND, SHARES, "
    "               SUM(TAKEN_W) OVER (ORDER BY DTM, KIND ROWS UNBOUNDED PRECEDING) AS TAKEN, "
    "               SUM(PLANNED_W) OVER () - "
    "               SUM(PLANNED_W) OVER (ORDER BY DTM, KIND ROWS UNBOUNDED PRECEDING) AS PLANNED "
    "        FROM   (SELECT BAKDTM AS DTM, 1 AS KIND, COALESCE(DAY_SHARES, 0) AS SHARES, "
    "                       0 AS TAKEN_W, 0 AS PLANNED_W "
    "                FROM   ZTWBASIS.ZTW133BAK "
    "                JOIN   %s.ZTW300PNR ON PNRNUM = ? "
    "                LEFT JOIN (SELECT ZTGVON, SUM(SF1ANT) AS DAY_SHARES "
    "                           FROM   %s.ZTW329ZTG, "
    "                                  %s.ZTW155SF1, "
    "                                  %s.ZTW320TGB "
    "                           WHERE  ZTGPNR = ? "
    "                           AND    ZTGVON >= ? "
    "                           AND    ZTGVON <= ? "
    "                           AND    SF1NUM = ? "
    "                           AND    SF1AZT = ZTGAZT "
    "                           AND    TGBPNR = ZTGPNR "
    "                           AND    TGBDTM = ZTGVON "
    "                           AND    TGBZTR = 1 "
    "                           AND    TGBMAX >= SF1MIN "
    "                           GROUP BY ZTGVON) SHIFTS "
    "                       ON ZTGVON = BAKDTM "
    "                WHERE  BAKDTM >= ? "
    "                AND    BAKDTM <= ? "
    "                AND    BAKDTM <= CURRENT_TIMESTAMP "
    "                UNION ALL "
    "                SELECT BCHVON, 0, 0, "
    "                       COUNT(TAGTGB) + COUNT(TAGHTV) / 2 + COUNT(TAGHTN) / 2, 0 "
    "                FROM   %s.ZTW327TAG, "
    "                       %s.ZTW131FCD, "
    "                       %s.ZTW321BCH "
    "                WHERE  BCHPNR = ? "
    "                AND    BCHVON >= ? "
    "                AND    BCHVON <= ? "
    "                AND    (BCHFKT = 1 "
    "                OR      BCHFKT = 2 "
    "                OR      BCHFKT = 3) "
    "                AND    BCHFCD = FCDNUM "
    "                AND    FCDFCD = 25 "
    "                AND    TAGPNR = BCHPNR "
    "                AND    TAGTAG = BCHVON "
    "                GROUP BY BCHVON "
    "                UNION ALL "
    "                SELECT BCHVON, 0, 0, "
    "                       0, COUNT(TAGTGB) + COUNT(TAGHTV) / 2 + COUNT(TAGHTN) / 2 "
    "                FROM   %s.ZTW327TAG, "
    "                       %s.ZTW131FCD, "
    "                       %s.ZTW321BCH "
    "                WHERE  BCHPNR = ? "
    "                AND    BCHVON >= ? "
    "                AND    BCHVON <= ? "
    "                AND    (BCHFKT = 1 "
    "                OR      BCHFKT = 2 "
    "                OR      BCHFKT = 3) "
    "                AND    BCHFCD = FCDNUM "
    "                AND    FCDFCD = 25 "
    "                AND    TAGPNR = BCHPNR "
    "                AND    TAGTAG = BCHVON "
    "                GROUP BY BCHVON) DAYS_AND_BOOKINGS) RUNNING "
    "WHERE  KIND = 1 "
    "ORDER BY DTM";

}  // namespace

int32_t CDbConnection::OpenKvtBsvData(SQLHSTMT* phStmt, const CString& strPnr) {
    CStatement* pStmt = nullptr;
    const int32_t nPrepared = PreparedCursor(StatementId::Contracts,
                                             PickTemplate(Dialect(), kBsvOracle, kBsvMsSql, kBsvMySql), phStmt, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    pStmt->BindText(1, strPnr.GetString());
    return ExecuteCursor(pStmt, phStmt);
}

int32_t CDbConnection::FetchKvtBsvData(SQLHSTMT* phStmt, ContractRecord* pRecord) {
    std::memset(pRecord, 0, sizeof(*pRecord));
    if (*phStmt == SQL_NULL_HSTMT) {
        return -1;
    }
    SQLLEN nIndicator = -1;
    SQLBindCol(*phStmt, 1, SQL_C_CHAR, pRecord->pnr, sizeof(pRecord->pnr), &nIndicator);
    SQLBindCol(*phStmt, 2, SQL_C_LONG, &pRecord->validFrom, sizeof(pRecord->validFrom), &nIndicator);
    SQLBindCol(*phStmt, 3, SQL_C_LONG, &pRecord->validTo, sizeof(pRecord->validTo), &nIndicator);
    SQLBindCol(*phStmt, 4, SQL_C_CHAR, pRecord->ruleCode, sizeof(pRecord->ruleCode), &nIndicator);
    SQLBindCol(*phStmt, 5, SQL_C_LONG, &pRecord->kvtAnz, sizeof(pRecord->kvtAnz), &nIndicator);
    SQLBindCol(*phStmt, 6, SQL_C_LONG, &pRecord->kvtTkt, sizeof(pRecord->kvtTkt), &nIndicator);
    SQLBindCol(*phStmt, 7, SQL_C_LONG, &pRecord->kvtMax, sizeof(pRecord->kvtMax), &nIndicator);
    SQLBindCol(*phStmt, 8, SQL_C_LONG, &pRecord->kvtVmo, sizeof(pRecord->kvtVmo), &nIndicator);
    SQLBindCol(*phStmt, 9, SQL_C_LONG, &pRecord->kvtJmo, sizeof(pRecord->kvtJmo), &nIndicator);

    const SQLRETURN nResult = SQLFetch(*phStmt);
    TerminateField(pRecord->pnr);
    TerminateField(pRecord->ruleCode);
    switch (nResult) {
        case SQL_SUCCESS:
            return 0;
        case SQL_SUCCESS_WITH_INFO:
            CaptureDiagnostics(SQL_HANDLE_STMT, *phStmt);
            return 0;
        case SQL_NO_DATA:
            return SQL_NO_DATA;
        default:
            return FailCursor(phStmt, nResult);
    }
}

int32_t CDbConnection::ReadKvtSfvData(const CString& strPnr, int32_t nYear, double* pdDays, double* pdShares,
                                      int32_t* pnYearStart) {
    *pdDays = 0.0;
    *pdShares = 0.0;
    *pnYearStart = 0;
    CStatement* pStmt = nullptr;
    const int32_t nPrepared = PreparedCalc(StatementId::CarryOver, kSfvRead, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    pStmt->BindText(1, strPnr.GetString());
    pStmt->BindLong(2, &nYear);
    const SQLRETURN nExecuted = pStmt->Execute();
    if (nExecuted == SQL_ERROR) {
        return StatementResult(pStmt, nExecuted);
    }

    double dDays = 0.0;
    double dShares = 0.0;
    int32_t nYearStart = 0;
    SQLLEN nIndicator = 0;
    SQLBindCol(pStmt->Handle(), 1, SQL_C_DOUBLE, &dDays, sizeof(dDays), &nIndicator);
    SQLBindCol(pStmt->Handle(), 2, SQL_C_DOUBLE, &dShares, sizeof(dShares), &nIndicator);
    SQLBindCol(pStmt->Handle(), 3, SQL_C_LONG, &nYearStart, sizeof(nYearStart), &nIndicator);
    const int32_t nCode = StatementResult(pStmt, SQLFetch(pStmt->Handle()));
    pStmt->CloseCursor();

    if (nCode == 0) {
        *pdDays = dDays;
        *pdShares = dShares;
        *pnYearStart = nYearStart;
    }
    return nCode;
}

// The per-day cursor's values in the order of its markers: the person and the range of its
// shifts with the rule code, the calendar days, the bookings taken and the bookings planned.
int32_t CDbConnection::OpenKvtBewData(SQLHSTMT* phStmt, const CString& strPnr, const CString& strRuleCode,
                                      int32_t nFirstDay, int32_t nLastDay, int32_t nPlanStart,
                                      int32_t nPlanEnd) {
    CStatement* pStmt = nullptr;
    const int32_t nPrepared = PreparedCursor(StatementId::Days,
                                             PickTemplate(Dialect(), kBewOracle, kBewMsSql, kBewMySql), phStmt, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    const SQL_DATE_STRUCT firstDay = DateStruct(nFirstDay);
    const SQL_DATE_STRUCT lastDay = DateStruct(nLastDay);
    const SQL_DATE_STRUCT planStart = DateStruct(nPlanStart);
    const SQL_DATE_STRUCT planEnd = DateStruct(nPlanEnd);
    const char* pszPnr = strPnr.GetString();
    pStmt->BindText(1, pszPnr);
    pStmt->BindText(2, pszPnr);
    pStmt->BindDate(3, &firstDay);
    pStmt->BindDate(4, &lastDay);
    pStmt->BindText(5, strRuleCode.GetString());
    pStmt->BindDate(6, &firstDay);
    pStmt->BindDate(7, &lastDay);
    pStmt->BindText(8, pszPnr);
    pStmt->BindDate(9, &firstDay);
    pStmt->BindDate(10, &lastDay);
    pStmt->BindText(11, pszPnr);
    pStmt->BindDate(12, &planStart);
    pStmt->BindDate(13, &planEnd);
    return ExecuteCursor(pStmt, phStmt);
}

// The day record is not cleared: a NULL column keeps the value of the previous day.
int32_t CDbConnection::FetchKvtBewData(SQLHSTMT* phStmt, DayRecord* pRecord) {
    if (*phStmt == SQL_NULL_HSTMT) {
        return -1;
    }
    SQLLEN nIndicator = -1;
    SQLBindCol(*phStmt, 1, SQL_C_LONG, &pRecord->day, sizeof(pRecord->day), &nIndicator);
    SQLBindCol(*phStmt, 2, SQL_C_DOUBLE, &pRecord->shares, sizeof(pRecord->shares), &nIndicator);
    SQLBindCol(*phStmt, 3, SQL_C_DOUBLE, &pRecord->daysUpTo, sizeof(pRecord->daysUpTo), &nIndicator);
    SQLBindCol(*phStmt, 4, SQL_C_DOUBLE, &pRecord->daysAfter, sizeof(pRecord->daysAfter), &nIndicator);

    const SQLRETURN nResult = SQLFetch(*phStmt);
    switch (nResult) {
        case SQL_SUCCESS:
        case SQL_SUCCESS_WITH_INFO:
            return 0;
        case SQL_NO_DATA:
            return SQL_NO_DATA;
        default:
            return FailCursor(phStmt, nResult);
    }
}
