// The calculation's results: the daily rows of ZTW332SFZ and the yearly carry-over row of
// ZTW332SFV. Results are never updated in place; the rows about to be computed are deleted and
// inserted anew.
#include <charconv>

#include "calc/DayRecord.h"
#include "db/CDbConnection.h"

namespace {

const char* const kDeleteSfz =
    "DELETE "
    "FROM %s.ZTW332SFZ "
    "WHERE  SFZPNR = ? "
    "AND    SFZDTM >= ? "
    "AND    SFZDTM <= ?";

const char* const kInsertSfz =
    "INSERT INTO %s.ZTW332SFZ   (SFZPNR, SFZDTM, SFZANT, SFZVTG, SFZVAN, SFZANS,    SFZGEN, SFZVPL, SFZRST, SFZGVV, SFZDAT, SFZERF,    SFZSTA) "
    "VALUES   (?, ?, ?, ?, ?, ?,    ?, ?, ?, ?, CURRENT_TIMESTAMP, ?, 1)";

const char* const kDeleteSfv =
    "DELETE "
    "FROM   %s.ZTW332SFV "
    "WHERE  SFVPNR = ? "
    "AND    SFVJHR = ? "
    "AND    SFVMAN = ?";

const char* const kInsertSfvOracle =
    "INSERT INTO %s.ZTW332SFV   (SFVPNR, SFVJHR, SFVVTG, SFVVAN,    SFVMAN, SFVDAT, SFVERF, SFVSTA) "
    "VALUES   (?, ?, ?, ?,    0, SYSDATE, ?, 1)";

const char* const kInsertSfvMsSqlMySql =
    "INSERT INTO %s.ZTW332SFV   (SFVPNR, SFVJHR, SFVVTG, SFVVAN,    SFVMAN, SFVDAT, SFVERF, SFVSTA) "
    "VALUES   (?, ?, ?, ?,    0, CURRENT_TIMESTAMP, ?, 1)";

// The tables keep six decimals. A value goes out as the double nearest to its six-decimal form,
// so that every product stores the same number it would read from that form written out, whatever
// its own rounding of the rest and whatever decimal separator its session would expect in a text.
double SixDecimals(double dValue) {
    CString strValue;
    strValue.Format("%f", dValue);
    double dSent = dValue;
    std::from_chars(strValue.GetString(), strValue.GetString() + strValue.GetLength(), dSent);
    return dSent;
}

}  // namespace

int32_t CDbConnection::DeleteKvtSfzData(const CString& strPnr, int32_t nFirstDay, int32_t nLastDay) {
    CStatement* pStmt = nullptr;
    const int32_t nPrepared =
        PreparedCalc(StatementId::DeleteDays, Dialect() == SqlDialect::Unknown ? nullptr : kDeleteSfz, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    const SQL_DATE_STRUCT firstDay = DateStruct(nFirstDay);
    const SQL_DATE_STRUCT lastDay = DateStruct(nLastDay);
    pStmt->BindText(1, strPnr.GetString());
    pStmt->BindDate(2, &firstDay);
    pStmt->BindDate(3, &lastDay);
    return Execute(pStmt, true);
}

int32_t CDbConnection::InsertKvtSfzData(const CString& strPnr, const CString& strUser,
                                        const DayRecord* pRecord, double dCarryDays, double dCarryShares,
                                        double dEntitlement, double dRest, int32_t nCarryDaysUsed) {
    CStatement* pStmt = nullptr;
    const int32_t nPrepared =
        PreparedCalc(StatementId::InsertDay, Dialect() == SqlDialect::Unknown ? nullptr : kInsertSfz, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    const SQL_DATE_STRUCT day = DateStruct(pRecord->day);
    const double values[] = {SixDecimals(pRecord->shares),   SixDecimals(dCarryDays),
                             SixDecimals(dCarryShares),      SixDecimals(dEntitlement),
                             SixDecimals(pRecord->daysUpTo), SixDecimals(pRecord->daysAfter),
                             SixDecimals(dRest)};
    pStmt->BindText(1, strPnr.GetString());
    pStmt->BindDate(2, &day);
    SQLUSMALLINT nParam = 3;
    for (const double& dValue : values) {
        pStmt->BindDouble(nParam++, &dValue);
    }
    pStmt->BindLong(nParam++, &nCarryDaysUsed);
    pStmt->BindText(nParam, strUser.GetString());
    return Execute(pStmt, false);
}

int32_t CDbConnection::DeleteKvtSfvData(const CString& strPnr, int32_t nYear, int32_t nMonth) {
    CStatement* pStmt = nullptr;
    const int32_t nPrepared = PreparedCalc(StatementId::DeleteYear, kDeleteSfv, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    pStmt->BindText(1, strPnr.GetString());
    pStmt->BindLong(2, &nYear);
    pStmt->BindLong(3, &nMonth);
    return Execute(pStmt, true);
}

int32_t CDbConnection::InsertKvtSfvData(const CString& strPnr, const CString& strUser, int32_t nYear,
                                        double dRest, double dSharesLeft) {
    CStatement* pStmt = nullptr;
    const int32_t nPrepared = PreparedCalc(
        StatementId::InsertYear, PickTemplate(Dialect(), kInsertSfvOracle, kInsertSfvMsSqlMySql, kInsertSfvMsSqlMySql),
        &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    const double dRestOut = SixDecimals(dRest);
    const double dSharesOut = SixDecimals(dSharesLeft);
    pStmt->BindText(1, strPnr.GetString());
    pStmt->BindLong(2, &nYear);
    pStmt->BindDouble(3, &dRestOut);
    pStmt->BindDouble(4, &dSharesOut);
    pStmt->BindText(5, strUser.GetString());
    return Execute(pStmt, false);
}
