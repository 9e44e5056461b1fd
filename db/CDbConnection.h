// CDbConnection: the program's one ODBC connection, owned by the service run for the whole run
// and borrowed by each calculation for one request. It recognises the database product, keeps
// the return codes that callers compare against and the first diagnostic record of the last
// failing call, and carries every SQL operation of the program: the request and error tables
// (db/), the calculation inputs and results (calc/). Operations never log; callers report.
// A cursor handle handed out by an Open operation belongs to the caller until it is given back
// through ReleaseStatement. Not for use from more than one thread.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstdint>

#include "base/CString.h"
#include "config/CIniConfig.h"
#include "db/ParamRecord.h"
#include "db/SqlDialect.h"
#include "db/SqlText.h"

struct ContractRecord;
struct DayRecord;

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
    int32_t Commit();
    int32_t ReleaseStatement(SQLHSTMT hStmt);
    void CaptureDiagnostics(SQLSMALLINT nHandleType, SQLHANDLE hHandle);

    // One calculation is one transaction: BeginTransaction switches automatic commit off,
    // EndTransaction commits or rolls back and switches it on again (db/Transaction.cpp).
    int32_t BeginTransaction();
    int32_t EndTransaction(bool bCommit);

    // Request table ZTWBASIS.ZTW002PRM (db/RequestRecords.cpp)
    int32_t ReadNextRequest(const CString& strSchema, const CString& strUser, ParamRecord* pRecord);
    int32_t ReadRequestByNumber(const CString& strSchema, const CString& strUser, const CString& strNumber,
                                ParamRecord* pRecord);
    int32_t DeleteRequest(const ParamRecord* pRecord);

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
    int32_t InsertKvtSfzData(const CString& strPnr, const CString& strUser, const DayRecord* pRecord,
                             double dCarryDays, double dCarryShares, double dEntitlement, double dRest,
                             int32_t nCarryDaysUsed);
    int32_t DeleteKvtSfvData(const CString& strPnr, int32_t nYear, int32_t nMonth);
    int32_t InsertKvtSfvData(const CString& strPnr, const CString& strUser, int32_t nYear, double dRest,
                             double dSharesLeft);

    int32_t m_nRcSuccess;
    int32_t m_nRcNoData;
    int32_t m_nRcDuplicateKey;
    int32_t m_nRcInvalidColumn;

private:
    // Statement mechanics shared by every operation (db/StatementExecution.cpp).
    SqlDialect Dialect() const { return DialectFromName(m_strDbSystem); }
    CString Quoted(const CString& strValue) const { return SqlQuoted(strValue, Dialect()); }
    int32_t AllocStatement(SQLHSTMT* phStmt);
    const char* AllocForTemplate(SQLHSTMT* phStmt, const char* pszOracle, const char* pszMsSql,
                                 const char* pszMySql);
    static SQLRETURN ExecDirect(SQLHSTMT hStmt, const CString& strSql);
    int32_t MapResult(SQLRETURN nResult, SQLHSTMT hStmt);
    int32_t FailureCode() const;
    int32_t ExecuteAndRelease(SQLHSTMT hStmt, const CString& strSql, bool bSearched);
    int32_t FetchRequest(SQLHSTMT hStmt, const CString& strSql, ParamRecord* pRecord);

    // The calculation's statements name the tables of the schema and are not sent when the
    // schema could alter them; its cursors are handed to the caller (db/StatementExecution.cpp).
    int32_t AllocCalcStatement(SQLHSTMT* phStmt);
    const char* AllocCalcTemplate(SQLHSTMT* phStmt, const char* pszOracle, const char* pszMsSql,
                                  const char* pszMySql);
    const char* AllocCursor(SQLHSTMT* phStmt, const char* pszOracle, const char* pszMsSql, const char* pszMySql);
    int32_t ExecuteCursor(SQLHSTMT* phStmt, const CString& strSql);
    int32_t FailCursor(SQLHSTMT* phStmt, SQLRETURN nResult);
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
};
