// The error table ZTWBASIS.ZTW002ERR: one closing row per processed request, written with ERRNUM
// where the table has that column and without it where it has not. The row belongs to the
// request's transaction and is committed with the removal of the request.
#include "db/ErrorRecords.h"

#include "db/CDbConnection.h"

bool g_errorTableWithoutNum = false;

namespace {

// The date and the date with the request's time travel as typed values, so one text serves every
// product.
const char* const kInsert =
    "INSERT INTO ZTWBASIS.ZTW002ERR "
    "  (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD, "
    "   ERRDAT, ERRUHR, ERRKEY, ERRNUM) "
    "VALUES "
    "  (?, ?, ?, ?, ?, "
    "   ?, "
    "   ?, "
    "   ?, ?)";

const char* const kInsertWithoutNum =
    "INSERT INTO ZTWBASIS.ZTW002ERR "
    "  (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD, "
    "   ERRDAT, ERRUHR, ERRKEY) "
    "VALUES "
    "  (?, ?, ?, ?, ?, "
    "   ?, "
    "   ?, "
    "   ?)";

// The request's date at the time "hh:mm" of the request. A request without a time (PRMUHR NULL)
// is dated midnight, as the products read a date text without its time.
SQL_TIMESTAMP_STRUCT DateAndTime(int32_t nDate, const CString& strTime) {
    SQL_TIMESTAMP_STRUCT timestamp{};
    const SQL_DATE_STRUCT date = DateStruct(nDate);
    timestamp.year = date.year;
    timestamp.month = date.month;
    timestamp.day = date.day;
    const char* psz = strTime.GetString();
    const auto digit = [](char ch) { return ch >= '0' && ch <= '9'; };
    if (strTime.GetLength() == 5 && digit(psz[0]) && digit(psz[1]) && psz[2] == ':' && digit(psz[3]) &&
        digit(psz[4])) {
        const int nHour = (psz[0] - '0') * 10 + (psz[1] - '0');
        const int nMinute = (psz[3] - '0') * 10 + (psz[4] - '0');
        if (nHour < 24 && nMinute < 60) {
            timestamp.hour = static_cast<SQLUSMALLINT>(nHour);
            timestamp.minute = static_cast<SQLUSMALLINT>(nMinute);
        }
    }
    return timestamp;
}

}  // namespace

int32_t CDbConnection::InsertErrorRow(const CString& strNumber, int32_t nLfd, int32_t nType,
                                      const CString& strPnr, const CString& strCode, int32_t nDate,
                                      const CString& strTime, int32_t nKey, int32_t nNum) {
    if (g_errorTableWithoutNum) {
        return InsertErrorRowWithoutNum(strNumber, nLfd, nType, strPnr, strCode, nDate, strTime, nKey);
    }
    int32_t nResult = InsertClosingRow(StatementId::InsertError, kInsert, strNumber, nLfd, nType, strPnr, strCode,
                                       nDate, strTime, nKey, &nNum);
    if (nResult == m_nRcInvalidColumn) {
        nResult = InsertErrorRowWithoutNum(strNumber, nLfd, nType, strPnr, strCode, nDate, strTime, nKey);
        g_errorTableWithoutNum = true;
    }
    return nResult;
}

int32_t CDbConnection::InsertErrorRowWithoutNum(const CString& strNumber, int32_t nLfd, int32_t nType,
                                                const CString& strPnr, const CString& strCode, int32_t nDate,
                                                const CString& strTime, int32_t nKey) {
    return InsertClosingRow(StatementId::InsertErrorWithoutNum, kInsertWithoutNum, strNumber, nLfd, nType, strPnr,
                            strCode, nDate, strTime, nKey, nullptr);
}

// Binds the values in the order of the markers; ERRNUM only where pnNum is given. A request
// without a date (PRMDTM NULL, read as 0) gets its closing row with ERRDAT and ERRUHR empty. An
// unknown product writes nothing. A table without ERRNUM may already refuse the preparation.
int32_t CDbConnection::InsertClosingRow(StatementId id, const char* pszTemplate, const CString& strNumber,
                                        int32_t nLfd, int32_t nType, const CString& strPnr, const CString& strCode,
                                        int32_t nDate, const CString& strTime, int32_t nKey, const int32_t* pnNum) {
    CStatement* pStmt = nullptr;
    const int32_t nPrepared =
        Prepared(id, Dialect() == SqlDialect::Unknown ? nullptr : pszTemplate, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    const SQL_DATE_STRUCT date = DateStruct(nDate);
    const SQL_TIMESTAMP_STRUCT timestamp = DateAndTime(nDate, strTime);
    SQLLEN nDateIndicator = nDate == 0 ? SQL_NULL_DATA : 0;
    pStmt->BindText(1, strNumber.GetString());
    pStmt->BindLong(2, &nLfd);
    pStmt->BindLong(3, &nType);
    pStmt->BindText(4, strPnr.GetString());
    pStmt->BindText(5, strCode.GetString());
    pStmt->BindDate(6, &date, &nDateIndicator);
    pStmt->BindTimestamp(7, &timestamp, &nDateIndicator);
    pStmt->BindLong(8, &nKey);
    if (pnNum != nullptr) {
        pStmt->BindLong(9, pnNum);
    }
    return Execute(pStmt, false);
}
