// The request table ZTWBASIS.ZTW002PRM: the first waiting calculation request (type 5) of a
// schema and user, the request with a given number, and the delete of a processed request.
#include <cstring>

#include "base/FieldText.h"
#include "db/CDbConnection.h"

namespace {

// A read claims the request it returns. MariaDB and MySQL lock the one row of LIMIT 1; Oracle
// locks the rows of a FOR UPDATE SKIP LOCKED cursor as they are fetched, and only one is fetched;
// SQL Server's TOP (1) takes an update lock on its row. Rows that another connection has locked
// are passed over on every product, so that no reader waits for a request in work elsewhere.
//
// The next request is the first one, or (when the first marker is not 0) the first after a given
// number and running number.
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
    "WHERE  UPPER(PRMSCH) = ? "
    "AND    UPPER(PRMUSR) = ? "
    "AND    (? = 0 OR PRMNUM > ? OR (PRMNUM = ? AND PRMLFD > ?)) "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD "
    "FOR UPDATE SKIP LOCKED";

const char* const kReadNextMsSql =
    "SELECT TOP (1) PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR,"
    "        PRMMAP, PRMPNR,"
    "        CONVERT(CHAR(8), PRMDTM, 112),"
    "        CONVERT(CHAR(8), PRMDBI, 112),"
    "        CONVERT(CHAR(5), PRMUHR, 108),"
    "        PRMFCD, PRMABT, PRMKST, PRMKTR,"
    "        PRMKRT, PRMVRA, PRMAZT, PRMTXT,"
    "        PRMLOE, PRMBUC, PRMVKD, PRMSTS,"
    "        PRMERF "
    "FROM   ZTWBASIS.ZTW002PRM WITH (UPDLOCK, ROWLOCK, READPAST) "
    "WHERE  UPPER(PRMSCH) = ? "
    "AND    UPPER(PRMUSR) = ? "
    "AND    (? = 0 OR PRMNUM > ? OR (PRMNUM = ? AND PRMLFD > ?)) "
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
    "WHERE  UPPER(PRMSCH) = ? "
    "AND    UPPER(PRMUSR) = ? "
    "AND    (? = 0 OR PRMNUM > ? OR (PRMNUM = ? AND PRMLFD > ?)) "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD "
    "LIMIT 1 "
    "FOR UPDATE SKIP LOCKED";

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
    "WHERE  UPPER(PRMSCH) = ? "
    "AND    UPPER(PRMUSR) = ? "
    "AND    PRMNUM = ? "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD "
    "FOR UPDATE SKIP LOCKED";

const char* const kReadByNumberMsSql =
    "SELECT TOP (1) PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR,"
    "        PRMMAP, PRMPNR,"
    "        CONVERT(CHAR(8), PRMDTM, 112),"
    "        CONVERT(CHAR(8), PRMDBI, 112),"
    "        CONVERT(CHAR(5), PRMUHR, 108),"
    "        PRMFCD, PRMABT, PRMKST, PRMKTR,"
    "        PRMKRT, PRMVRA, PRMAZT, PRMTXT,"
    "        PRMLOE, PRMBUC, PRMVKD, PRMSTS,"
    "        PRMERF "
    "FROM   ZTWBASIS.ZTW002PRM WITH (UPDLOCK, ROWLOCK, READPAST) "
    "WHERE  UPPER(PRMSCH) = ? "
    "AND    UPPER(PRMUSR) = ? "
    "AND    PRMNUM = ? "
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
    "WHERE  UPPER(PRMSCH) = ? "
    "AND    UPPER(PRMUSR) = ? "
    "AND    PRMNUM = ? "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD "
    "LIMIT 1 "
    "FOR UPDATE SKIP LOCKED";

const char* const kDeleteRequest =
    "DELETE FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  PRMNUM = ? "
    "AND    PRMLFD = ? "
    "AND    PRMTYP = ?";

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
    const ParamRecord first{};
    return ClaimNextRequest(strSchema, strUser, 0, first, pRecord);
}

int32_t CDbConnection::ReadNextRequestAfter(const CString& strSchema, const CString& strUser,
                                            const ParamRecord& after, ParamRecord* pRecord) {
    return ClaimNextRequest(strSchema, strUser, 1, after, pRecord);
}

int32_t CDbConnection::ClaimNextRequest(const CString& strSchema, const CString& strUser, int32_t nAfter,
                                        const ParamRecord& after, ParamRecord* pRecord) {
    CStatement* pStmt = nullptr;
    const int32_t nPrepared = Prepared(
        StatementId::ReadNext, PickTemplate(Dialect(), kReadNextOracle, kReadNextMsSql, kReadNextMySql), &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    pStmt->BindText(1, strSchema.GetString());
    pStmt->BindText(2, strUser.GetString());
    pStmt->BindLong(3, &nAfter);
    pStmt->BindText(4, after.storedNumber);
    pStmt->BindText(5, after.storedNumber);
    pStmt->BindLong(6, &after.PRMLFD);
    return FetchClaimed(pStmt, pRecord);
}

int32_t CDbConnection::ReadRequestByNumber(const CString& strSchema, const CString& strUser,
                                           const CString& strNumber, ParamRecord* pRecord) {
    CStatement* pStmt = nullptr;
    const int32_t nPrepared =
        Prepared(StatementId::ReadByNumber,
                 PickTemplate(Dialect(), kReadByNumberOracle, kReadByNumberMsSql, kReadByNumberMySql), &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    pStmt->BindText(1, strSchema.GetString());
    pStmt->BindText(2, strUser.GetString());
    pStmt->BindText(3, strNumber.GetString());
    return FetchClaimed(pStmt, pRecord);
}

// Executes the claim with the values bound, fetches the first row into the record and ends the
// result set. The lock on the row stays with the transaction. An execution error leaves the
// record untouched.
int32_t CDbConnection::FetchClaimed(CStatement* pStmt, ParamRecord* pRecord) {
    const SQLRETURN nExecuted = pStmt->Execute();
    if (nExecuted == SQL_ERROR) {
        return StatementResult(pStmt, nExecuted);
    }

    std::memset(pRecord, 0, sizeof(*pRecord));
    SQLLEN nIndicator = 0;
    BindRequestColumns(pStmt->Handle(), pRecord, &nIndicator);
    const int32_t nCode = StatementResult(pStmt, SQLFetch(pStmt->Handle()));
    TerminateTextFields(pRecord);
    pStmt->CloseCursor();
    return nCode;
}

// The request is deleted by its key as the table holds it.
int32_t CDbConnection::DeleteRequest(const ParamRecord* pRecord) {
    CStatement* pStmt = nullptr;
    const int32_t nPrepared = Prepared(StatementId::DeleteRequest, kDeleteRequest, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    pStmt->BindText(1, pRecord->storedNumber);
    pStmt->BindLong(2, &pRecord->PRMLFD);
    pStmt->BindLong(3, &pRecord->PRMTYP);
    return Execute(pStmt, true);
}
