// CDbConnection: the program's one ODBC connection, owned by the service run for the whole run
// and borrowed by each calculation for one request. It recognises the database product, keeps
// the return codes that callers compare against and the first diagnostic record of the last
// failing call, and carries every SQL operation of the program: the request and error tables
// (db/), the calculation inputs and results (calc/). Operations never log; callers report.
//
// Nothing is committed by itself: the connection runs without automatic commit, and each unit of
// work (one request, from its claim to its removal) ends with Commit or Rollback. Every statement
// is prepared once per connection and kept; its values are bound, never written into its text. A
// cursor handed out by an Open operation stays open until the caller gives it back through
// ReleaseStatement. Not for use from more than one thread.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/CString.h"
#include "config/CIniConfig.h"
#include "db/CStatement.h"
#include "db/ParamRecord.h"
#include "db/SqlDialect.h"
#include "db/SqlFailure.h"

struct BookingRow;
struct ContractRecord;
struct DailyRows;
struct DayRecord;
struct ShiftRow;
struct StoredResults;

class CDbConnection {
public:
    CDbConnection();
    virtual ~CDbConnection();
    CDbConnection(const CDbConnection&) = delete;
    CDbConnection& operator=(const CDbConnection&) = delete;

    // Connection (db/CDbConnection.cpp)
    bool SetConfig(CIniConfig* pConfig);
    void SetSchema(const CString& strSchema);
    int32_t Connect();
    SQLINTEGER GetSqlCode() const { return m_nSqlCode; }
    CString GetSqlState() const { return m_strSqlState; }
    CString GetSqlMessage() const { return m_strSqlMessage; }
    CString GetDataSource() const { return m_strDataSource; }
    int32_t ReleaseStatement(SQLHSTMT hStmt);
    void CaptureDiagnostics(SQLSMALLINT nHandleType, SQLHANDLE hHandle);
    // What the failure whose record was captured last means for the work it belongs to.
    SqlFailure ClassifyLastFailure() const;
    // The session is on a node of a Galera cluster (asked at every connect).
    bool IsClusterNode() const { return m_bClusterNode; }
    // The operation and the tables of the statement used last, e.g. "ReadKvtSfvData (tables
    // KVTTEST.ZTW332SFV)", so that a failure can be named for the operator.
    CString LastStatement() const;
    // After a connect: whether the data source is the product that DB_SYSTEM names (the driver's
    // SQL_DBMS_NAME; MariaDB counts as ORACLE when its session runs in the ORACLE sql_mode). 0 and
    // *pbFits, where it is not with a message that names both; otherwise the code of the failure
    // that kept the question from being answered.
    int32_t CheckProduct(bool* pbFits);

    // The unit of work (db/Transaction.cpp). The savepoint is taken after a request has been
    // claimed, so that a calculation can be undone without giving the request up.
    int32_t Commit();
    int32_t Rollback();
    int32_t SetSavepoint();
    int32_t RollbackToSavepoint();

    // Request table ZTWBASIS.ZTW002PRM (db/RequestRecords.cpp). A read claims the requests it
    // returns: their rows stay locked until the transaction ends, and other connections skip them
    // instead of waiting. ReadNextRequests claims the first nRows waiting requests in queue order
    // (fewer when fewer wait; 100 when none does), so that a caller can pass over those it leaves
    // alone. The read by number waits for a request that another connection holds, as long as the
    // server lets a lock wait.
    int32_t ReadNextRequest(const CString& strSchema, const CString& strUser, ParamRecord* pRecord);
    int32_t ReadNextRequests(const CString& strSchema, const CString& strUser, int32_t nRows,
                             std::vector<ParamRecord>* pRecords);
    int32_t ReadRequestByNumber(const CString& strSchema, const CString& strUser, const CString& strNumber,
                                ParamRecord* pRecord);
    int32_t DeleteRequest(const ParamRecord* pRecord);
    // The requests of the schema and user that wait, locked or not, counted through the claim's index.
    int32_t CountWaitingRequests(const CString& strSchema, const CString& strUser, int32_t* pnCount);
    // The person's requests around a claimed one (db/PersonRequests.cpp), by its personnel number as
    // the table holds it, of the same schema and user. ReadEarlierRequest reads, without locking
    // or waiting, the first request queued before it (0: *pEarlier holds its number and running
    // number; 100: there is none). ReadLaterRequests reads, without locking, the first nRows queued
    // after it; ClaimRequestByKey claims one of them by its key, as the queue's claim claims (0, or
    // 100 when another connection holds it or it is gone).
    int32_t ReadEarlierRequest(const CString& strSchema, const CString& strUser, const ParamRecord& request,
                               ParamRecord* pEarlier);
    int32_t ReadLaterRequests(const CString& strSchema, const CString& strUser, const ParamRecord& request,
                              int32_t nRows, std::vector<ParamRecord>* pRecords);
    int32_t ClaimRequestByKey(ParamRecord* pRecord);

    // Error table ZTWBASIS.ZTW002ERR (db/ErrorRecords.cpp)
    int32_t InsertErrorRow(const CString& strNumber, int32_t nLfd, int32_t nType, const CString& strPnr,
                           const CString& strCode, int32_t nDate, const CString& strTime, int32_t nKey,
                           int32_t nNum);
    int32_t InsertErrorRowWithoutNum(const CString& strNumber, int32_t nLfd, int32_t nType,
                                     const CString& strPnr, const CString& strCode, int32_t nDate,
                                     const CString& strTime, int32_t nKey);

    // Calculation inputs (calc/KvtInputQueries.cpp)
    int32_t OpenKvtBsvData(SQLHSTMT* phStmt, const CString& strPnr);
    int32_t FetchKvtBsvData(SQLHSTMT* phStmt, ContractRecord* pRecord);
    int32_t ReadKvtSfvData(const CString& strPnr, int32_t nYear, double* pdDays, double* pdShares,
                           int32_t* pnYearStart);
    int32_t OpenKvtBewData(SQLHSTMT* phStmt, const CString& strPnr, const CString& strRuleCode,
                           int32_t nFirstDay, int32_t nLastDay, int32_t nPlanStart, int32_t nPlanEnd);
    int32_t FetchKvtBewData(SQLHSTMT* phStmt, DayRecord* pRecord);

    // Calculation results (calc/KvtResultWrites.cpp)
    int32_t DeleteKvtSfzData(const CString& strPnr, int32_t nFirstDay, int32_t nLastDay);
    // The daily rows stored between the two days, counted without locking.
    int32_t CountKvtSfzData(const CString& strPnr, int32_t nFirstDay, int32_t nLastDay, int32_t* pnCount);
    // The daily rows of one range in one execution; they are written all or none.
    int32_t InsertKvtSfzData(const CString& strPnr, const CString& strUser, const DailyRows& rows);
    int32_t DeleteKvtSfvData(const CString& strPnr, int32_t nYear, int32_t nMonth);
    int32_t InsertKvtSfvData(const CString& strPnr, const CString& strUser, int32_t nYear, double dRest,
                             double dSharesLeft);

    // Reports (report/ReportQueries.cpp): the persons of the schema, whether one of them is there,
    // the stored results of a person in a range of days and of years, the shifts and bookings
    // behind them, and a calculation request queued for kvt.
    int32_t ReadKvtPersons(std::vector<CString>* pPersons);
    int32_t ReadKvtPersonListed(const CString& strPnr, bool* pbListed);
    int32_t ReadKvtShifts(const CString& strPnr, const CString& strRuleCode, int32_t nFirstDay,
                          int32_t nLastDay, std::vector<ShiftRow>* pRows);
    int32_t ReadKvtBookings(const CString& strPnr, int32_t nFirstDay, int32_t nLastDay,
                            std::vector<BookingRow>* pRows);
    int32_t ReadKvtResults(const CString& strPnr, int32_t nFirstDay, int32_t nLastDay, int32_t nFirstYear,
                           int32_t nLastYear, StoredResults* pResults);
    int32_t InsertKvtRequest(const ParamRecord& request, const SQL_TIMESTAMP_STRUCT& queuedAt);

    int32_t m_nRcSuccess;
    int32_t m_nRcNoData;
    int32_t m_nRcDuplicateKey;
    int32_t m_nRcInvalidColumn;

private:
    // The program's statements, each prepared once per connection.
    enum class StatementId : size_t {
        ReadNext,
        ReadByNumber,
        DeleteRequest,
        EarlierOfPerson,
        LaterOfPerson,
        ClaimByKey,
        CountWaiting,
        InsertError,
        InsertErrorWithoutNum,
        Contracts,
        CarryOver,
        Days,
        DeleteDays,
        CountDays,
        InsertDay,
        DeleteYear,
        InsertYear,
        ReportPersons,
        ReportPersonListed,
        ReportShifts,
        ReportBookings,
        ReportDays,
        ReportYears,
        ReportRequest,
        Count
    };

    // Statement mechanics shared by every operation (db/StatementExecution.cpp).
    SqlDialect Dialect() const { return DialectFromName(m_strDbSystem); }
    int32_t Prepared(StatementId id, const char* pszTemplate, CStatement** ppStmt);
    int32_t PreparedCalc(StatementId id, const char* pszTemplate, CStatement** ppStmt);
    int32_t PreparedCursor(StatementId id, const char* pszTemplate, SQLHSTMT* phStmt, CStatement** ppStmt);
    int32_t MapResult(SQLRETURN nResult, SQLHSTMT hStmt);
    int32_t StatementResult(CStatement* pStmt, SQLRETURN nResult);
    int32_t FailureCode() const;
    int32_t Execute(CStatement* pStmt, bool bSearched);
    int32_t ExecuteCursor(CStatement* pStmt, SQLHSTMT* phStmt);
    int32_t FailCursor(SQLHSTMT* phStmt, SQLRETURN nResult);
    int32_t FetchRequests(CStatement* pStmt, int32_t nRows, std::vector<ParamRecord>* pRecords);
    int32_t FetchCount(CStatement* pStmt, int32_t* pnCount);
    const char* OwnerCondition() const;
    void BindOwner(CStatement* pStmt, const CString& strSchema, const CString& strUser, SQLUSMALLINT* pnParam) const;
    int32_t InsertClosingRow(StatementId id, const char* pszTemplate, const CString& strNumber, int32_t nLfd,
                             int32_t nType, const CString& strPnr, const CString& strCode, int32_t nDate,
                             const CString& strTime, int32_t nKey, const int32_t* pnNum);

    int32_t EndTransaction(SQLSMALLINT nCompletion);
    int32_t ExecuteOnce(const CString& strSql);
    static const char* OperationName(StatementId id);
    static const char* TablesOf(StatementId id);

    // Session set-up after the connect (db/SessionSetup.cpp).
    int32_t SetUpSession();
    int32_t CheckCharacterSet();
    void DetectOwnerFolding();
    void DetectClusterNode();
    int32_t ReadSessionValues(const char* pszSql, CString* pstrFirst, int32_t* pnSecond = nullptr);
    void FreeStatements();
    void FreeHandles();

    SQLHENV m_hEnv;
    SQLHDBC m_hDbc;
    CString m_strDbSystem;
    CString m_strSqlState;
    CString m_strSqlMessage;
    CString m_strSchema;
    CString m_strDataSource;
    CString m_strLogin;
    SQLINTEGER m_nSqlCode;
    CIniConfig* m_pConfig;
    StatementId m_lastStatement = StatementId::Count;  // Count: a statement of its own, named below
    const char* m_pszLastStatement = "";
    bool m_bOwnerFolded = false;  // PRMSCH and PRMUSR compare without regard to case
    bool m_bClusterNode = false;  // the session is on a node of a Galera cluster
    std::array<CStatement, static_cast<size_t>(StatementId::Count)> m_statements;
};
