// The request table ZTWBASIS.ZTW002PRM: the first waiting calculation request (type 5) of a
// schema and user, the request with a given number, and the delete of a processed request.
#include <cstring>

#include "base/FieldText.h"
#include "db/CDbConnection.h"

namespace {

const char* const kReadNextOracle =
    "SELECT PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR,"
    "        PRMMAP, PRMPNR,"
    "        TO_CHAR(PRMDTM, 'yyyymmdd'),"
    "        TO_CHAR(PRMDBI, 'yyyymmdd'),"
    "        TO_CHAR(PRMUHR, 'HH24:mi'),"
    "        PRMFCD, PRMABT, PRMKST, PRMKTR,"
    "        PRMKRT, PRMVRA, PRMAZT, PRMTXT,"
    "        PRMLOE, PRMBUC, PRMVKD, PRMSTS,"
    "        PRMERF "
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  UPPER(PRMSCH) = '%s' "
    "AND    UPPER(PRMUSR) = '%s' "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kReadNextMsSql =
    "SELECT PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR,"
    "        PRMMAP, PRMPNR,"
    "        CONVERT(CHAR(8), PRMDTM, 112),"
    "        CONVERT(CHAR(8), PRMDBI, 112),"
    "        CONVERT(CHAR(5), PRMUHR, 108),"
    "        PRMFCD, PRMABT, PRMKST, PRMKTR,"
    "        PRMKRT, PRMVRA, PRMAZT, PRMTXT,"
    "        PRMLOE, PRMBUC, PRMVKD, PRMSTS,"
    "        PRMERF "
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  UPPER(PRMSCH) = '%s' "
    "AND    UPPER(PRMUSR) = '%s' "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kReadNextMySql =
    "SELECT PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR,"
    "        PRMMAP, PRMPNR,"
    "        DATE_FORMAT(PRMDTM, '%%Y%%m%%d'),"
    "        DATE_FORMAT(PRMDBI, '%%Y%%m%%d'),"
    "        DATE_FORMAT(PRMUHR, '%%H:%%i'),"
    "        PRMFCD, PRMABT, PRMKST, PRMKTR,"
    "        PRMKRT, PRMVRA, PRMAZT, PRMTXT,"
    "        PRMLOE, PRMBUC, PRMVKD, PRMSTS,"
    "        PRMERF "
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  UPPER(PRMSCH) = '%s' "
    "AND    UPPER(PRMUSR) = '%s' "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kReadByNumberOracle =
    "SELECT PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR,"
    "        PRMMAP, PRMPNR,"
    "        TO_CHAR(PRMDTM, 'yyyymmdd'),"
    "        TO_CHAR(PRMDBI, 'yyyymmdd'),"
    "        TO_CHAR(PRMUHR, 'HH24:mi'),"
    "        PRMFCD, PRMABT, PRMKST, PRMKTR,"
    "        PRMKRT, PRMVRA, PRMAZT, PRMTXT,"
    "        PRMLOE, PRMBUC, PRMVKD, PRMSTS,"
    "        PRMERF "
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  UPPER(PRMSCH) = '%s' "
    "AND    UPPER(PRMUSR) = '%s' "
    "AND    PRMNUM = '%s' "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kReadByNumberMsSql =
    "SELECT PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR,"
    "        PRMMAP, PRMPNR,"
    "        CONVERT(CHAR(8), PRMDTM, 112),"
    "        CONVERT(CHAR(8), PRMDBI, 112),"
    "        CONVERT(CHAR(5), PRMUHR, 108),"
    "        PRMFCD, PRMABT, PRMKST, PRMKTR,"
    "        PRMKRT, PRMVRA, PRMAZT, PRMTXT,"
    "        PRMLOE, PRMBUC, PRMVKD, PRMSTS,"
    "        PRMERF "
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  UPPER(PRMSCH) = '%s' "
    "AND    UPPER(PRMUSR) = '%s' "
    "AND    PRMNUM = '%s' "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kReadByNumberMySql =
    "SELECT PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR,"
    "        PRMMAP, PRMPNR,"
    "        DATE_FORMAT(PRMDTM, '%%Y%%m%%d'),"
    "        DATE_FORMAT(PRMDBI, '%%Y%%m%%d'),"
    "        DATE_FORMAT(PRMUHR, '%%H:%%i'),"
    "        PRMFCD, PRMABT, PRMKST, PRMKTR,"
    "        PRMKRT, PRMVRA, PRMAZT, PRMTXT,"
    "        PRMLOE, PRMBUC, PRMVKD, PRMSTS,"
    "        PRMERF "
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  UPPER(PRMSCH) = '%s' "
    "AND    UPPER(PRMUSR) = '%s' "
    "AND    PRMNUM = '%s' "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kDeleteRequest =
    "DELETE FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  PRMNUM = '%s' "
    "AND    PRMLFD = '%ld' "
    "AND    PRMTYP = '%ld'";

void BindText(SQLHSTMT hStmt, SQLUSMALLINT nColumn, char* pField, SQLLEN nSize, SQLLEN* pIndicator) {
    SQLBindCol(hStmt, nColumn, SQL_C_CHAR, pField, nSize, pIndicator);
}

void BindLong(SQLHSTMT hStmt, SQLUSMALLINT nColumn, int32_t* pField, SQLLEN* pIndicator) {
    SQLBindCol(hStmt, nColumn, SQL_C_LONG, pField, sizeof(*pField), pIndicator);
}

// The 23 columns in select-list order. The date items arrive as yyyymmdd texts and are
// converted by the driver into integers; the time stays text. The indicator is shared and never
// read: a NULL column leaves its field as cleared.
void BindRequestColumns(SQLHSTMT hStmt, ParamRecord* pRecord, SQLLEN* pIndicator) {
    BindText(hStmt, 1, pRecord->storedNumber, sizeof(pRecord->storedNumber), pIndicator);
    BindLong(hStmt, 2, &pRecord->PRMLFD, pIndicator);
    BindLong(hStmt, 3, &pRecord->PRMTYP, pIndicator);
    BindText(hStmt, 4, pRecord->PRMSCH, sizeof(pRecord->PRMSCH), pIndicator);
    BindText(hStmt, 5, pRecord->PRMUSR, sizeof(pRecord->PRMUSR), pIndicator);
    BindLong(hStmt, 6, &pRecord->PRMMAP, pIndicator);
    BindText(hStmt, 7, pRecord->PRMPNR, sizeof(pRecord->PRMPNR), pIndicator);
    BindLong(hStmt, 8, &pRecord->PRMDTM, pIndicator);
    BindLong(hStmt, 9, &pRecord->PRMDBI, pIndicator);
    BindText(hStmt, 10, pRecord->PRMUHR, sizeof(pRecord->PRMUHR), pIndicator);
    BindText(hStmt, 11, pRecord->PRMFCD, sizeof(pRecord->PRMFCD), pIndicator);
    BindText(hStmt, 12, pRecord->PRMABT, sizeof(pRecord->PRMABT), pIndicator);
    BindText(hStmt, 13, pRecord->PRMKST, sizeof(pRecord->PRMKST), pIndicator);
    BindText(hStmt, 14, pRecord->PRMKTR, sizeof(pRecord->PRMKTR), pIndicator);
    BindText(hStmt, 15, pRecord->PRMKRT, sizeof(pRecord->PRMKRT), pIndicator);
    BindText(hStmt, 16, pRecord->PRMVRA, sizeof(pRecord->PRMVRA), pIndicator);
    BindText(hStmt, 17, pRecord->PRMAZT, sizeof(pRecord->PRMAZT), pIndicator);
    BindText(hStmt, 18, pRecord->PRMTXT, sizeof(pRecord->PRMTXT), pIndicator);
    BindLong(hStmt, 19, &pRecord->PRMLOE, pIndicator);
    BindLong(hStmt, 20, &pRecord->PRMBUC, pIndicator);
    BindLong(hStmt, 21, &pRecord->PRMVKD, pIndicator);
    BindLong(hStmt, 22, &pRecord->PRMSTS, pIndicator);
    BindText(hStmt, 23, pRecord->PRMERF, sizeof(pRecord->PRMERF), pIndicator);
}

// The request number reaches its field cut to the field's width, as every other text.
void TerminateTextFields(ParamRecord* pRecord) {
    TerminateField(pRecord->storedNumber);
    const size_t nLength = strnlen(pRecord->storedNumber, sizeof(pRecord->PRMNUM) - 1);
    std::memcpy(pRecord->PRMNUM, pRecord->storedNumber, nLength);
    pRecord->PRMNUM[nLength] = '\0';
    TerminateField(pRecord->PRMSCH);
    TerminateField(pRecord->PRMUSR);
    TerminateField(pRecord->PRMPNR);
    TerminateField(pRecord->PRMUHR);
    TerminateField(pRecord->PRMFCD);
    TerminateField(pRecord->PRMABT);
    TerminateField(pRecord->PRMKST);
    TerminateField(pRecord->PRMKTR);
    TerminateField(pRecord->PRMKRT);
    TerminateField(pRecord->PRMVRA);
    TerminateField(pRecord->PRMAZT);
    TerminateField(pRecord->PRMTXT);
    TerminateField(pRecord->PRMERF);
}

}  // namespace

int32_t CDbConnection::ReadNextRequest(const CString& strSchema, const CString& strUser,
                                       ParamRecord* pRecord) {
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    const char* pszTemplate = AllocForTemplate(&hStmt, kReadNextOracle, kReadNextMsSql, kReadNextMySql);
    if (pszTemplate == nullptr) {
        return -1;
    }
    CString strSql;
    strSql.Format(pszTemplate, Quoted(strSchema).GetString(), Quoted(strUser).GetString());
    return FetchRequest(hStmt, strSql, pRecord);
}

int32_t CDbConnection::ReadRequestByNumber(const CString& strSchema, const CString& strUser,
                                           const CString& strNumber, ParamRecord* pRecord) {
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    const char* pszTemplate =
        AllocForTemplate(&hStmt, kReadByNumberOracle, kReadByNumberMsSql, kReadByNumberMySql);
    if (pszTemplate == nullptr) {
        return -1;
    }
    CString strSql;
    strSql.Format(pszTemplate, Quoted(strSchema).GetString(), Quoted(strUser).GetString(),
                  Quoted(strNumber).GetString());
    return FetchRequest(hStmt, strSql, pRecord);
}

// Executes the read on the statement handle it is given, fetches the first row into the record
// and releases the handle. An execution error leaves the record untouched.
int32_t CDbConnection::FetchRequest(SQLHSTMT hStmt, const CString& strSql, ParamRecord* pRecord) {
    const SQLRETURN nExecuted = ExecDirect(hStmt, strSql);
    if (nExecuted == SQL_ERROR) {
        const int32_t nCode = MapResult(nExecuted, hStmt);
        SQLFreeHandle(SQL_HANDLE_STMT, hStmt);
        return nCode;
    }

    std::memset(pRecord, 0, sizeof(*pRecord));
    SQLLEN nIndicator = 0;
    BindRequestColumns(hStmt, pRecord, &nIndicator);
    const int32_t nCode = MapResult(SQLFetch(hStmt), hStmt);
    TerminateTextFields(pRecord);
    SQLFreeHandle(SQL_HANDLE_STMT, hStmt);
    return nCode;
}

int32_t CDbConnection::DeleteRequest(const ParamRecord* pRecord) {
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    if (AllocStatement(&hStmt) != 0) {
        return -1;
    }
    CString strSql;
    strSql.Format(kDeleteRequest, Quoted(pRecord->storedNumber).GetString(), static_cast<long>(pRecord->PRMLFD),
                  static_cast<long>(pRecord->PRMTYP));
    return ExecuteAndRelease(hStmt, strSql, true);
}
