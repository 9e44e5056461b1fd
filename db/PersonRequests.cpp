// A person's requests around the one a connection has claimed: whether one of them was queued
// before it (then the claimed one waits, so that the calculations of a person never overlap and the
// last to commit is the one that read the newest inputs), and the person's requests queued after
// it (so that a backlog is worked off with one calculation). Both are plain lookups by the
// personnel number, which an index serves (sql/<product>/indexes.sql). A later request is then
// claimed by its key alone: a locking read of the person's range would also lock the index entry
// after it, the next person's request, which that person's worker must take to delete its own
// request while it holds rows this one waits for.
#include <vector>

#include "db/CDbConnection.h"
#include "db/RequestColumns.h"

namespace {

// A plain read: it neither locks nor waits for the rows another connection holds. "%o" is the
// condition on schema and user, as in the claim.
const char* const kEarlierOracle =
    "SELECT PRMNUM, PRMLFD "
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  PRMPNR = ? "
    "AND    %o "
    "AND    PRMTYP = 5 "
    "AND    (PRMNUM < ? OR (PRMNUM = ? AND PRMLFD < ?)) "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kEarlierMsSql =
    "SELECT TOP (1) PRMNUM, PRMLFD "
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  PRMPNR = ? "
    "AND    %o "
    "AND    PRMTYP = 5 "
    "AND    (PRMNUM < ? OR (PRMNUM = ? AND PRMLFD < ?)) "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kEarlierMySql =
    "SELECT PRMNUM, PRMLFD "
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  PRMPNR = ? "
    "AND    %o "
    "AND    PRMTYP = 5 "
    "AND    (PRMNUM < ? OR (PRMNUM = ? AND PRMLFD < ?)) "
    "ORDER BY PRMNUM, PRMLFD "
    "LIMIT 1";

// In queue order; claimed one by one afterwards (kClaimByKey...). SQL Server passes over the rows
// that another connection is changing instead of waiting for them.
const char* const kLaterOracle =
    "SELECT " KVT_REQUEST_COLUMNS_ORACLE
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  PRMPNR = ? "
    "AND    %o "
    "AND    PRMTYP = 5 "
    "AND    (PRMNUM > ? OR (PRMNUM = ? AND PRMLFD > ?)) "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kLaterMsSql =
    "SELECT TOP (?) " KVT_REQUEST_COLUMNS_MSSQL
    "FROM   ZTWBASIS.ZTW002PRM WITH (READPAST) "
    "WHERE  PRMPNR = ? "
    "AND    %o "
    "AND    PRMTYP = 5 "
    "AND    (PRMNUM > ? OR (PRMNUM = ? AND PRMLFD > ?)) "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kLaterMySql =
    "SELECT " KVT_REQUEST_COLUMNS_MYSQL
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  PRMPNR = ? "
    "AND    %o "
    "AND    PRMTYP = 5 "
    "AND    (PRMNUM > ? OR (PRMNUM = ? AND PRMLFD > ?)) "
    "ORDER BY PRMNUM, PRMLFD "
    "LIMIT ?";

// One request by its whole key, claimed as the queue's claim claims: a unique key's lookup locks
// its one row and nothing beside it.
const char* const kClaimByKeyOracle =
    "SELECT " KVT_REQUEST_COLUMNS_ORACLE
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  PRMNUM = ? "
    "AND    PRMLFD = ? "
    "AND    PRMTYP = ? "
    "FOR UPDATE SKIP LOCKED";

const char* const kClaimByKeyMsSql =
    "SELECT " KVT_REQUEST_COLUMNS_MSSQL
    "FROM   ZTWBASIS.ZTW002PRM WITH (UPDLOCK, ROWLOCK, READPAST) "
    "WHERE  PRMNUM = ? "
    "AND    PRMLFD = ? "
    "AND    PRMTYP = ?";

const char* const kClaimByKeyMySql =
    "SELECT " KVT_REQUEST_COLUMNS_MYSQL
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  PRMNUM = ? "
    "AND    PRMLFD = ? "
    "AND    PRMTYP = ? "
    "FOR UPDATE SKIP LOCKED";

}  // namespace

int32_t CDbConnection::ReadEarlierRequest(const CString& strSchema, const CString& strUser,
                                          const ParamRecord& request, ParamRecord* pEarlier) {
    CStatement* pStmt = nullptr;
    const int32_t nPrepared = Prepared(
        StatementId::EarlierOfPerson, PickTemplate(Dialect(), kEarlierOracle, kEarlierMsSql, kEarlierMySql), &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    SQLUSMALLINT nParam = 1;
    pStmt->BindText(nParam++, request.storedPnr);
    BindOwner(pStmt, strSchema, strUser, &nParam);
    pStmt->BindText(nParam++, request.storedNumber);
    pStmt->BindText(nParam++, request.storedNumber);
    pStmt->BindLong(nParam, &request.PRMLFD);
    const SQLRETURN nExecuted = pStmt->Execute();
    if (nExecuted == SQL_ERROR) {
        return StatementResult(pStmt, nExecuted);
    }
    *pEarlier = ParamRecord{};
    SQLLEN nIndicator = 0;
    SQLBindCol(pStmt->Handle(), 1, SQL_C_CHAR, pEarlier->storedNumber, sizeof(pEarlier->storedNumber),
               &nIndicator);
    SQLBindCol(pStmt->Handle(), 2, SQL_C_LONG, &pEarlier->PRMLFD, sizeof(pEarlier->PRMLFD), &nIndicator);
    const int32_t nCode = StatementResult(pStmt, SQLFetch(pStmt->Handle()));
    if (pStmt->IsPrepared()) {
        pStmt->CloseCursor();
    }
    pEarlier->storedNumber[sizeof(pEarlier->storedNumber) - 1] = '\0';
    return nCode;
}

int32_t CDbConnection::ReadLaterRequests(const CString& strSchema, const CString& strUser,
                                         const ParamRecord& request, int32_t nRows,
                                         std::vector<ParamRecord>* pRecords) {
    CStatement* pStmt = nullptr;
    const SqlDialect dialect = Dialect();
    const int32_t nPrepared =
        Prepared(StatementId::LaterOfPerson, PickTemplate(dialect, kLaterOracle, kLaterMsSql, kLaterMySql), &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    SQLUSMALLINT nParam = 1;
    if (dialect == SqlDialect::MsSql) {
        pStmt->BindLong(nParam++, &nRows);
    }
    pStmt->BindText(nParam++, request.storedPnr);
    BindOwner(pStmt, strSchema, strUser, &nParam);
    pStmt->BindText(nParam++, request.storedNumber);
    pStmt->BindText(nParam++, request.storedNumber);
    pStmt->BindLong(nParam++, &request.PRMLFD);
    if (dialect == SqlDialect::MySql) {
        pStmt->BindLong(nParam, &nRows);
    }
    return FetchRequests(pStmt, nRows, pRecords);
}

int32_t CDbConnection::ClaimRequestByKey(ParamRecord* pRecord) {
    CStatement* pStmt = nullptr;
    const int32_t nPrepared = Prepared(
        StatementId::ClaimByKey, PickTemplate(Dialect(), kClaimByKeyOracle, kClaimByKeyMsSql, kClaimByKeyMySql), &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    const ParamRecord key = *pRecord;
    pStmt->BindText(1, key.storedNumber);
    pStmt->BindLong(2, &key.PRMLFD);
    pStmt->BindLong(3, &key.PRMTYP);
    std::vector<ParamRecord> records;
    const int32_t nResult = FetchRequests(pStmt, 1, &records);
    if (nResult == 0) {
        *pRecord = records.front();
    }
    return nResult;
}
