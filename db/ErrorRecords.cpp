// The error table ZTWBASIS.ZTW002ERR: one closing row per processed request, written with ERRNUM
// where the table has that column and without it where it has not.
#include "db/ErrorRecords.h"

#include "db/CDbConnection.h"

bool g_errorTableWithoutNum = false;

namespace {

// Dates go into the texts with all eight digits: a year before 1000 would otherwise lose its
// leading zeros, and a date such as 0024-06-15 would be read as 2024-06-15.
const char* const kInsertOracle =
    "INSERT INTO ZTWBASIS.ZTW002ERR "
    "  (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD, "
    "   ERRDAT, ERRUHR, ERRKEY, ERRNUM) "
    "VALUES "
    "  ('%s', %ld, %ld, '%s', '%s', "
    "   TO_DATE('%08ld', 'yyyymmdd'), "
    "   TO_DATE('%08ld %s', 'yyyymmdd HH24:mi'), "
    "   %ld, %ld)";

const char* const kInsertMsSql =
    "INSERT INTO ZTWBASIS.ZTW002ERR "
    "  (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD, "
    "   ERRDAT, ERRUHR, ERRKEY, ERRNUM) "
    "VALUES "
    "  ('%s', %ld, %ld, '%s', '%s', "
    "   CONVERT(DATETIME, '%08ld', 112), "
    "   CONVERT(DATETIME, '%08ld', 112) + "
    "   CONVERT(DATETIME, '%s', 108), "
    "   %ld, %ld)";

// MariaDB rejects DATE_FORMAT of a date-and-time text ("Incorrect datetime value"), so the time
// of the request is parsed with STR_TO_DATE.
const char* const kInsertMySql =
    "INSERT INTO ZTWBASIS.ZTW002ERR "
    "  (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD, "
    "   ERRDAT, ERRUHR, ERRKEY, ERRNUM) "
    "VALUES "
    "  ('%s', %ld, %ld, '%s', '%s', "
    "   DATE_FORMAT('%08ld', '%%Y%%m%%d'), "
    "   STR_TO_DATE('%08ld %s', '%%Y%%m%%d %%H:%%i'), "
    "   %ld, %ld)";

const char* const kInsertWithoutNumOracle =
    "INSERT INTO ZTWBASIS.ZTW002ERR "
    "  (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD, "
    "   ERRDAT, ERRUHR, ERRKEY) "
    "VALUES "
    "  ('%s', %ld, %ld, '%s', '%s', "
    "   TO_DATE('%08ld', 'yyyymmdd'), "
    "   TO_DATE('%08ld %s', 'yyyymmdd HH24:mi'), "
    "   %ld)";

const char* const kInsertWithoutNumMsSql =
    "INSERT INTO ZTWBASIS.ZTW002ERR "
    "  (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD, "
    "   ERRDAT, ERRUHR, ERRKEY) "
    "VALUES "
    "  ('%s', %ld, %ld, '%s', '%s', "
    "   CONVERT(DATETIME, '%08ld', 112), "
    "   CONVERT(DATETIME, '%08ld', 112) + "
    "   CONVERT(DATETIME, '%s', 108), "
    "   %ld)";

const char* const kInsertWithoutNumMySql =
    "INSERT INTO ZTWBASIS.ZTW002ERR "
    "  (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD, "
    "   ERRDAT, ERRUHR, ERRKEY) "
    "VALUES "
    "  ('%s', %ld, %ld, '%s', '%s', "
    "   DATE_FORMAT('%08ld', '%%Y%%m%%d'), "
    "   STR_TO_DATE('%08ld %s', '%%Y%%m%%d %%H:%%i'), "
    "   %ld)";

// A request without a date (PRMDTM NULL) has no date that any product could convert: its closing
// row is written with ERRDAT and ERRUHR empty instead of being lost.
const char* const kInsertWithoutDate =
    "INSERT INTO ZTWBASIS.ZTW002ERR "
    "  (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD, "
    "   ERRDAT, ERRUHR, ERRKEY, ERRNUM) "
    "VALUES "
    "  ('%s', %ld, %ld, '%s', '%s', "
    "   NULL, NULL, %ld, %ld)";

const char* const kInsertWithoutNumAndDate =
    "INSERT INTO ZTWBASIS.ZTW002ERR "
    "  (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD, "
    "   ERRDAT, ERRUHR, ERRKEY) "
    "VALUES "
    "  ('%s', %ld, %ld, '%s', '%s', "
    "   NULL, NULL, %ld)";

}  // namespace

int32_t CDbConnection::InsertErrorRow(const CString& strNumber, int32_t nLfd, int32_t nType,
                                      const CString& strPnr, const CString& strCode, int32_t nDate,
                                      const CString& strTime, int32_t nKey, int32_t nNum) {
    if (g_errorTableWithoutNum) {
        return InsertErrorRowWithoutNum(strNumber, nLfd, nType, strPnr, strCode, nDate, strTime, nKey);
    }
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    const char* pszTemplate = AllocForTemplate(&hStmt, kInsertOracle, kInsertMsSql, kInsertMySql);
    if (pszTemplate == nullptr) {
        return -1;
    }

    CString strSql;
    if (nDate == 0) {
        strSql.Format(kInsertWithoutDate, Quoted(strNumber).GetString(), static_cast<long>(nLfd),
                      static_cast<long>(nType), Quoted(strPnr).GetString(), Quoted(strCode).GetString(),
                      static_cast<long>(nKey), static_cast<long>(nNum));
    } else {
        strSql.Format(pszTemplate, Quoted(strNumber).GetString(), static_cast<long>(nLfd),
                      static_cast<long>(nType), Quoted(strPnr).GetString(), Quoted(strCode).GetString(),
                      static_cast<long>(nDate), static_cast<long>(nDate), Quoted(strTime).GetString(),
                      static_cast<long>(nKey), static_cast<long>(nNum));
    }
    int32_t nResult = ExecuteAndRelease(hStmt, strSql, false);

    if (nResult == 0) {
        Commit();
    }
    if (nResult == m_nRcInvalidColumn) {
        nResult = InsertErrorRowWithoutNum(strNumber, nLfd, nType, strPnr, strCode, nDate, strTime, nKey);
        g_errorTableWithoutNum = true;
    }
    return nResult;
}

int32_t CDbConnection::InsertErrorRowWithoutNum(const CString& strNumber, int32_t nLfd, int32_t nType,
                                                const CString& strPnr, const CString& strCode, int32_t nDate,
                                                const CString& strTime, int32_t nKey) {
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    const char* pszTemplate =
        AllocForTemplate(&hStmt, kInsertWithoutNumOracle, kInsertWithoutNumMsSql, kInsertWithoutNumMySql);
    if (pszTemplate == nullptr) {
        return -1;
    }

    CString strSql;
    if (nDate == 0) {
        strSql.Format(kInsertWithoutNumAndDate, Quoted(strNumber).GetString(), static_cast<long>(nLfd),
                      static_cast<long>(nType), Quoted(strPnr).GetString(), Quoted(strCode).GetString(),
                      static_cast<long>(nKey));
    } else {
        strSql.Format(pszTemplate, Quoted(strNumber).GetString(), static_cast<long>(nLfd),
                      static_cast<long>(nType), Quoted(strPnr).GetString(), Quoted(strCode).GetString(),
                      static_cast<long>(nDate), static_cast<long>(nDate), Quoted(strTime).GetString(),
                      static_cast<long>(nKey));
    }
    const SQLRETURN nExecuted = ExecDirect(hStmt, strSql);
    const int32_t nResult = MapResult(nExecuted, hStmt);
    SQLFreeHandle(SQL_HANDLE_STMT, hStmt);

    if (nExecuted == SQL_SUCCESS || nExecuted == SQL_SUCCESS_WITH_INFO) {
        Commit();
    }
    return nResult;
}
