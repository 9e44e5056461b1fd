// The calculation's results: the daily rows of ZTW332SFZ and the yearly carry-over row of
// ZTW332SFV. Results are never updated in place; the rows about to be computed are deleted and
// inserted anew.
#include <cstring>
#include <vector>

#include "calc/DailyRows.h"
#include "calc/SixDecimals.h"
#include "db/CDbConnection.h"

namespace {

const char* const kDeleteSfz =
    "DELETE "
    "FROM %s.ZTW332SFZ "
    "WHERE  SFZPNR = ? "
    "AND    SFZDTM >= ? "
    "AND    SFZDTM <= ?";

const char* const kCountSfz =
    "SELECT COUNT(*) "
    "FROM   %s.ZTW332SFZ "
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

// A column of the daily rows as the values that go out.
std::vector<double> SentValues(const std::vector<double>& values) {
    std::vector<double> sent;
    sent.reserve(values.size());
    for (const double dValue : values) {
        sent.push_back(SixDecimals(dValue));
    }
    return sent;
}

// The rows that the driver reports as written.
size_t WrittenRows(const std::vector<SQLUSMALLINT>& statuses) {
    size_t nWritten = 0;
    for (const SQLUSMALLINT nStatus : statuses) {
        if (nStatus == SQL_PARAM_SUCCESS || nStatus == SQL_PARAM_SUCCESS_WITH_INFO) {
            ++nWritten;
        }
    }
    return nWritten;
}

// The same text in every row of a column of texts, each nElementSize bytes with its zero byte.
std::vector<char> Repeated(const CString& strText, size_t nRows, size_t nElementSize) {
    std::vector<char> column(nRows * nElementSize, '\0');
    for (size_t nRow = 0; nRow < nRows; ++nRow) {
        std::memcpy(column.data() + nRow * nElementSize, strText.GetString(), static_cast<size_t>(strText.GetLength()));
    }
    return column;
}

}  // namespace

int32_t CDbConnection::DeleteKvtSfzData(const CString& strPnr, int32_t nFirstDay, int32_t nLastDay) {
    CStatement* pStmt = nullptr;
    const int32_t nPrepared =
        PreparedCalc(StatementId::DeleteDays, Dialect() == SqlDialect::Unknown ? nullptr : kDeleteSfz, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    const PersonDays personDays(strPnr.GetString(), nFirstDay, nLastDay);
    personDays.Bind(pStmt);
    return Execute(pStmt, true);
}

int32_t CDbConnection::CountKvtSfzData(const CString& strPnr, int32_t nFirstDay, int32_t nLastDay,
                                       int32_t* pnCount) {
    *pnCount = 0;
    CStatement* pStmt = nullptr;
    const int32_t nPrepared =
        PreparedCalc(StatementId::CountDays, Dialect() == SqlDialect::Unknown ? nullptr : kCountSfz, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    const PersonDays personDays(strPnr.GetString(), nFirstDay, nLastDay);
    personDays.Bind(pStmt);
    return FetchCount(pStmt, pnCount);
}

// The rows go out as arrays, one element a day: the driver executes the insert once for all of
// them. A row that the server refuses makes the whole insert fail, whether the driver reports it
// as an error or only in the row's status.
int32_t CDbConnection::InsertKvtSfzData(const CString& strPnr, const CString& strUser, const DailyRows& rows) {
    CStatement* pStmt = nullptr;
    const int32_t nPrepared =
        PreparedCalc(StatementId::InsertDay, Dialect() == SqlDialect::Unknown ? nullptr : kInsertSfz, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    const size_t nRows = rows.Count();
    const size_t nPnrSize = static_cast<size_t>(strPnr.GetLength()) + 1;
    const size_t nUserSize = static_cast<size_t>(strUser.GetLength()) + 1;
    const std::vector<char> pnrs = Repeated(strPnr, nRows, nPnrSize);
    const std::vector<char> users = Repeated(strUser, nRows, nUserSize);
    std::vector<SQLLEN> textIndicators(nRows, SQL_NTS);
    std::vector<char> days(nRows * static_cast<size_t>(kDateTextSize));
    for (size_t nRow = 0; nRow < nRows; ++nRow) {
        DateText(rows.days[nRow], days.data() + nRow * static_cast<size_t>(kDateTextSize));
    }
    const std::vector<double> columns[] = {SentValues(rows.shares),      SentValues(rows.carryDays),
                                           SentValues(rows.carryShares), SentValues(rows.entitlement),
                                           SentValues(rows.taken),       SentValues(rows.planned),
                                           SentValues(rows.rest)};
    pStmt->BindTextColumn(1, pnrs.data(), static_cast<SQLLEN>(nPnrSize), textIndicators.data());
    pStmt->BindDateColumn(2, days.data(), textIndicators.data());
    SQLUSMALLINT nParam = 3;
    for (const std::vector<double>& column : columns) {
        pStmt->BindDouble(nParam++, column.data());
    }
    pStmt->BindLong(nParam++, rows.carryDaysUsed.data());
    pStmt->BindTextColumn(nParam, users.data(), static_cast<SQLLEN>(nUserSize), textIndicators.data());

    std::vector<SQLUSMALLINT> statuses(nRows, SQL_PARAM_UNUSED);
    pStmt->SetRows(nRows, statuses.data());
    const SQLRETURN nResult = pStmt->Execute();
    const int32_t nCode = StatementResult(pStmt, nResult);
    pStmt->ResetRows();
    const size_t nWritten = WrittenRows(statuses);
    if (nCode != 0 || nWritten == nRows) {
        return nCode;
    }
    if (nResult != SQL_SUCCESS_WITH_INFO) {
        m_nSqlCode = 0;
        m_strSqlState = "HY000";
        m_strSqlMessage.Format("%lu von %lu Tageszeilen geschrieben", static_cast<unsigned long>(nWritten),
                               static_cast<unsigned long>(nRows));
    }
    return FailureCode();
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
