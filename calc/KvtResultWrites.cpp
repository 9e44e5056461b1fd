// The calculation's results: the daily rows of ZTW332SFZ and the yearly carry-over row of
// ZTW332SFV. Results are never updated in place; the rows about to be computed are deleted and
// inserted anew.
#include "calc/DayRecord.h"
#include "db/CDbConnection.h"

namespace {

// Dates go into the texts with all eight digits: a year before 1000 would otherwise lose its
// leading zeros, and the delete of 0024 would remove the rows of 2024.
const char* const kDeleteSfzOracle =
    "DELETE "
    "FROM %s.ZTW332SFZ "
    "WHERE  SFZPNR = '%s' "
    "AND    SFZDTM >= TO_DATE('%08d', 'yyyymmdd') "
    "AND    SFZDTM <= TO_DATE('%08d', 'yyyymmdd')";

const char* const kDeleteSfzMsSql =
    "DELETE "
    "FROM %s.ZTW332SFZ "
    "WHERE  SFZPNR = '%s' "
    "AND    SFZDTM >= CONVERT(DATETIME, '%08d', 112) "
    "AND    SFZDTM <= CONVERT(DATETIME, '%08d', 112)";

const char* const kDeleteSfzMySql =
    "DELETE "
    "FROM %s.ZTW332SFZ "
    "WHERE  SFZPNR = '%s' "
    "AND    SFZDTM >= DATE_FORMAT('%08d', '%%Y%%m%%d') "
    "AND    SFZDTM <= DATE_FORMAT('%08d', '%%Y%%m%%d')";

const char* const kInsertSfzOracle =
    "INSERT INTO %s.ZTW332SFZ   (SFZPNR, SFZDTM, SFZANT, SFZVTG, SFZVAN, SFZANS,    SFZGEN, SFZVPL, SFZRST, SFZGVV, SFZDAT, SFZERF,    SFZSTA) "
    "VALUES   ('%s', TO_DATE('%08ld', 'yyyymmdd'), %f, %f, %f, %f,    %f, %f, %f, %d, CURRENT_TIMESTAMP, '%s', 1)";

const char* const kInsertSfzMsSql =
    "INSERT INTO %s.ZTW332SFZ   (SFZPNR, SFZDTM, SFZANT, SFZVTG, SFZVAN, SFZANS,    SFZGEN, SFZVPL, SFZRST, SFZGVV, SFZDAT, SFZERF,    SFZSTA) "
    "VALUES   ('%s', CONVERT(DATETIME, '%08ld', 112), %f, %f, %f, %f,    %f, %f, %f, %d, CURRENT_TIMESTAMP, '%s', 1)";

const char* const kInsertSfzMySql =
    "INSERT INTO %s.ZTW332SFZ   (SFZPNR, SFZDTM, SFZANT, SFZVTG, SFZVAN, SFZANS,    SFZGEN, SFZVPL, SFZRST, SFZGVV, SFZDAT, SFZERF,    SFZSTA) "
    "VALUES   ('%s', DATE_FORMAT('%08ld', '%%Y%%m%%d'), %f, %f, %f, %f,    %f, %f, %f, %d, CURRENT_TIMESTAMP, '%s', 1)";

const char* const kDeleteSfv =
    "DELETE "
    "FROM   %s.ZTW332SFV "
    "WHERE  SFVPNR = '%s' "
    "AND    SFVJHR = %d "
    "AND    SFVMAN = %d";

const char* const kInsertSfvOracle =
    "INSERT INTO %s.ZTW332SFV   (SFVPNR, SFVJHR, SFVVTG, SFVVAN,    SFVMAN, SFVDAT, SFVERF, SFVSTA) "
    "VALUES   ('%s', %d, %f, %f,    0, SYSDATE, '%s', 1)";

const char* const kInsertSfvMsSqlMySql =
    "INSERT INTO %s.ZTW332SFV   (SFVPNR, SFVJHR, SFVVTG, SFVVAN,    SFVMAN, SFVDAT, SFVERF, SFVSTA) "
    "VALUES   ('%s', %d, %f, %f,    0, CURRENT_TIMESTAMP, '%s', 1)";


}  // namespace

int32_t CDbConnection::DeleteKvtSfzData(const CString& strPnr, int32_t nFirstDay, int32_t nLastDay) {
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    const char* pszTemplate = AllocCalcTemplate(&hStmt, kDeleteSfzOracle, kDeleteSfzMsSql, kDeleteSfzMySql);
    if (pszTemplate == nullptr) {
        return -1;
    }
    CString strSql;
    strSql.Format(pszTemplate, m_strSchema.GetString(), Quoted(strPnr).GetString(), static_cast<int>(nFirstDay),
                  static_cast<int>(nLastDay));
    return ExecuteAndRelease(hStmt, strSql, true);
}

int32_t CDbConnection::InsertKvtSfzData(const CString& strPnr, const CString& strUser,
                                        const DayRecord* pRecord, double dCarryDays, double dCarryShares,
                                        double dEntitlement, double dRest, int32_t nCarryDaysUsed) {
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    const char* pszTemplate = AllocCalcTemplate(&hStmt, kInsertSfzOracle, kInsertSfzMsSql, kInsertSfzMySql);
    if (pszTemplate == nullptr) {
        return -1;
    }
    CString strSql;
    strSql.Format(pszTemplate, m_strSchema.GetString(), Quoted(strPnr).GetString(), static_cast<long>(pRecord->day),
                  pRecord->shares, dCarryDays, dCarryShares, dEntitlement, pRecord->daysUpTo, pRecord->daysAfter,
                  dRest, static_cast<int>(nCarryDaysUsed), Quoted(strUser).GetString());
    return ExecuteAndRelease(hStmt, strSql, false);
}

int32_t CDbConnection::DeleteKvtSfvData(const CString& strPnr, int32_t nYear, int32_t nMonth) {
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    if (AllocCalcStatement(&hStmt) != 0) {
        return -1;
    }
    CString strSql;
    strSql.Format(kDeleteSfv, m_strSchema.GetString(), Quoted(strPnr).GetString(), static_cast<int>(nYear),
                  static_cast<int>(nMonth));
    return ExecuteAndRelease(hStmt, strSql, true);
}

int32_t CDbConnection::InsertKvtSfvData(const CString& strPnr, const CString& strUser, int32_t nYear,
                                        double dRest, double dSharesLeft) {
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    const char* pszTemplate =
        AllocCalcTemplate(&hStmt, kInsertSfvOracle, kInsertSfvMsSqlMySql, kInsertSfvMsSqlMySql);
    if (pszTemplate == nullptr) {
        return -1;
    }
    CString strSql;
    strSql.Format(pszTemplate, m_strSchema.GetString(), Quoted(strPnr).GetString(), static_cast<int>(nYear), dRest,
                  dSharesLeft, Quoted(strUser).GetString());
    return ExecuteAndRelease(hStmt, strSql, false);
}
