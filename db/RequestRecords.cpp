// The request table ZTWBASIS.ZTW002PRM: the first waiting calculation request (type 5) of a
// schema and user, the request with a given number, and the delete of a processed request.
#include <cstring>
#include <vector>

#include "base/FieldText.h"
#include "db/CDbConnection.h"
#include "db/RequestColumns.h"

namespace {

// A read claims the requests it returns. MariaDB and MySQL lock the rows of the LIMIT; Oracle locks
// the rows of a FOR UPDATE SKIP LOCKED cursor as they are fetched, and no more are fetched than
// asked for; SQL Server's TOP takes an update lock on its rows. Rows that another connection has
// locked are passed over on every product, so that no reader waits for a request in work elsewhere.
//
// "%o" stands for the condition on schema and user (CDbConnection::OwnerCondition): the upper-cased
// columns compared, and on MariaDB, MySQL and SQL Server, where the columns compare without regard
// to case, the columns themselves compared first, so that an index on them finds the requests of
// the schema and user however many other requests wait. Oracle's index is on the upper-cased
// columns (sql/oracle/indexes.sql).
const char* const kReadNextOracle =
    "SELECT " KVT_REQUEST_COLUMNS_ORACLE
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  %o "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD "
    "FOR UPDATE SKIP LOCKED";

const char* const kReadNextMsSql =
    "SELECT TOP (?) " KVT_REQUEST_COLUMNS_MSSQL
    "FROM   ZTWBASIS.ZTW002PRM WITH (UPDLOCK, ROWLOCK, READPAST) "
    "WHERE  %o "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kReadNextMySql =
    "SELECT " KVT_REQUEST_COLUMNS_MYSQL
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  %o "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD "
    "LIMIT ? "
    "FOR UPDATE SKIP LOCKED";

// The request of PARM: is waited for while another connection holds it: it is still queued then,
// and the caller must learn whether it is done. MariaDB and MySQL wait as long as their lock wait
// timeout allows, Oracle as long as WAIT says (the lock wait timeout of InnoDB by default), SQL
// Server as long as the statement's query timeout.
const char* const kReadByNumberOracle =
    "SELECT " KVT_REQUEST_COLUMNS_ORACLE
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  UPPER(PRMSCH) = ? "
    "AND    UPPER(PRMUSR) = ? "
    "AND    PRMNUM = ? "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD "
    "FOR UPDATE WAIT 50";

const char* const kReadByNumberMsSql =
    "SELECT TOP (1) " KVT_REQUEST_COLUMNS_MSSQL
    "FROM   ZTWBASIS.ZTW002PRM WITH (UPDLOCK, ROWLOCK) "
    "WHERE  UPPER(PRMSCH) = ? "
    "AND    UPPER(PRMUSR) = ? "
    "AND    PRMNUM = ? "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kReadByNumberMySql =
    "SELECT " KVT_REQUEST_COLUMNS_MYSQL
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  UPPER(PRMSCH) = ? "
    "AND    UPPER(PRMUSR) = ? "
    "AND    PRMNUM = ? "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD "
    "LIMIT 1 "
    "FOR UPDATE";

// A plain read, the same on every product.
const char* const kCountWaiting =
    "SELECT COUNT(*) "
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  %o "
    "AND    PRMTYP = 5";

const char* const kDeleteRequest =
    "DELETE FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  PRMNUM = ? "
    "AND    PRMLFD = ? "
    "AND    PRMTYP = ?";

// How long the read of PARM: waits on SQL Server for a request that another connection holds.
const SQLULEN kLockWaitSeconds = 50;

void BindText(SQLHSTMT hStmt, SQLUSMALLINT nColumn, char* pField, SQLLEN nSize, SQLLEN* pIndicator) {
    SQLBindCol(hStmt, nColumn, SQL_C_CHAR, pField, nSize, pIndicator);
}

void BindLong(SQLHSTMT hStmt, SQLUSMALLINT nColumn, int32_t* pField, SQLLEN* pIndicator) {
    SQLBindCol(hStmt, nColumn, SQL_C_LONG, pField, sizeof(*pField), pIndicator);
}

// The 23 columns in select-list order. The date items arrive as yyyymmdd texts and are
// converted by the driver into integers; the time stays text. The indicator is shared and never
// read: a NULL column leaves its field as cleared. The request number and the personnel number
// are read wider than their fields, so that a value longer than its field can be told.
void BindRequestColumns(SQLHSTMT hStmt, ParamRecord* pRecord, SQLLEN* pIndicator) {
    BindText(hStmt, 1, pRecord->storedNumber, sizeof(pRecord->storedNumber), pIndicator);
    BindLong(hStmt, 2, &pRecord->PRMLFD, pIndicator);
    BindLong(hStmt, 3, &pRecord->PRMTYP, pIndicator);
    BindText(hStmt, 4, pRecord->PRMSCH, sizeof(pRecord->PRMSCH), pIndicator);
    BindText(hStmt, 5, pRecord->PRMUSR, sizeof(pRecord->PRMUSR), pIndicator);
    BindLong(hStmt, 6, &pRecord->PRMMAP, pIndicator);
    BindText(hStmt, 7, pRecord->storedPnr, sizeof(pRecord->storedPnr), pIndicator);
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

// The text of a wide field in its field, cut to the field's width as every other text.
template <size_t N, size_t M>
void CutInto(const char (&wide)[M], char (&field)[N]) {
    const size_t nLength = strnlen(wide, N - 1);
    std::memcpy(field, wide, nLength);
    field[nLength] = '\0';
}

void TerminateTextFields(ParamRecord* pRecord) {
    TerminateField(pRecord->storedNumber);
    CutInto(pRecord->storedNumber, pRecord->PRMNUM);
    TerminateField(pRecord->storedPnr);
    CutInto(pRecord->storedPnr, pRecord->PRMPNR);
    TerminateField(pRecord->PRMSCH);
    TerminateField(pRecord->PRMUSR);
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

// The record of a read of one request: the row read, or all zero bytes when the read found none. A
// read that failed leaves it untouched.
void TakeFirst(int32_t nResult, const std::vector<ParamRecord>& records, ParamRecord* pRecord) {
    if (nResult == 0) {
        *pRecord = records.front();
    } else if (nResult == SQL_NO_DATA) {
        std::memset(pRecord, 0, sizeof(*pRecord));
    }
}

}  // namespace

int32_t CDbConnection::ReadNextRequest(const CString& strSchema, const CString& strUser,
                                       ParamRecord* pRecord) {
    std::vector<ParamRecord> records;
    const int32_t nResult = ReadNextRequests(strSchema, strUser, 1, &records);
    TakeFirst(nResult, records, pRecord);
    return nResult;
}

// The row count is a value of the statement where the product takes one; Oracle's cursor is
// simply not fetched further.
int32_t CDbConnection::ReadNextRequests(const CString& strSchema, const CString& strUser, int32_t nRows,
                                        std::vector<ParamRecord>* pRecords) {
    CStatement* pStmt = nullptr;
    const SqlDialect dialect = Dialect();
    const int32_t nPrepared = Prepared(
        StatementId::ReadNext, PickTemplate(dialect, kReadNextOracle, kReadNextMsSql, kReadNextMySql), &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    SQLUSMALLINT nParam = 1;
    if (dialect == SqlDialect::MsSql) {
        pStmt->BindLong(nParam++, &nRows);
    }
    BindOwner(pStmt, strSchema, strUser, &nParam);
    if (dialect == SqlDialect::MySql) {
        pStmt->BindLong(nParam, &nRows);
    }
    return FetchRequests(pStmt, nRows, pRecords);
}

int32_t CDbConnection::ReadRequestByNumber(const CString& strSchema, const CString& strUser,
                                           const CString& strNumber, ParamRecord* pRecord) {
    CStatement* pStmt = nullptr;
    const bool bNew = !m_statements[static_cast<size_t>(StatementId::ReadByNumber)].IsPrepared();
    const int32_t nPrepared =
        Prepared(StatementId::ReadByNumber,
                 PickTemplate(Dialect(), kReadByNumberOracle, kReadByNumberMsSql, kReadByNumberMySql), &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    if (bNew && Dialect() == SqlDialect::MsSql) {
        SQLSetStmtAttr(pStmt->Handle(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(kLockWaitSeconds),
                       SQL_IS_UINTEGER);
    }
    pStmt->BindText(1, strSchema.GetString());
    pStmt->BindText(2, strUser.GetString());
    pStmt->BindText(3, strNumber.GetString());
    std::vector<ParamRecord> records;
    const int32_t nResult = FetchRequests(pStmt, 1, &records);
    TakeFirst(nResult, records, pRecord);
    return nResult;
}

// Executes the claim with the values bound, fetches up to nRows rows and ends the result set. The
// locks on the rows stay with the transaction. Result 0 when a row was read, 100 when none.
int32_t CDbConnection::FetchRequests(CStatement* pStmt, int32_t nRows, std::vector<ParamRecord>* pRecords) {
    pRecords->clear();
    const SQLRETURN nExecuted = pStmt->Execute();
    if (nExecuted == SQL_ERROR) {
        return StatementResult(pStmt, nExecuted);
    }

    int32_t nCode = 0;
    while (nCode == 0 && static_cast<int32_t>(pRecords->size()) < nRows) {
        ParamRecord record{};
        SQLLEN nIndicator = 0;
        BindRequestColumns(pStmt->Handle(), &record, &nIndicator);
        nCode = StatementResult(pStmt, SQLFetch(pStmt->Handle()));
        if (nCode == 0) {
            TerminateTextFields(&record);
            pRecords->push_back(record);
        }
    }
    if (pStmt->IsPrepared()) {
        pStmt->CloseCursor();
    }
    if (nCode == m_nRcNoData && !pRecords->empty()) {
        return 0;
    }
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

int32_t CDbConnection::CountWaitingRequests(const CString& strSchema, const CString& strUser, int32_t* pnCount) {
    *pnCount = 0;
    CStatement* pStmt = nullptr;
    const int32_t nPrepared =
        Prepared(StatementId::CountWaiting, Dialect() == SqlDialect::Unknown ? nullptr : kCountWaiting, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    SQLUSMALLINT nParam = 1;
    BindOwner(pStmt, strSchema, strUser, &nParam);
    return FetchCount(pStmt, pnCount);
}
