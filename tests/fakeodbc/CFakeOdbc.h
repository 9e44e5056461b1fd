// CFakeOdbc: a scriptable stand-in for the ODBC driver manager, linked in place of the real one
// so that the connection's statement texts, and its answers to what a SQL Server driver reports,
// can be checked without a server. The ODBC functions (FakeOdbcApi.cpp) act on the one instance
// g_fakeOdbc, which owns every handle it hands out. A handle object is kept until Reset even
// after it was freed, so that a freed or foreign handle is recognised (SQL_INVALID_HANDLE, and
// counted) instead of being mistaken for a new one. Single-threaded; tests only.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// One diagnostic record as SQLGetDiagRec hands it out.
struct FakeDiag {
    std::string strState;
    SQLINTEGER nNative = 0;
    std::string strMessage;
};

// A column value as the server sends it, converted to the bound C type the way a driver converts
// (a yyyymmdd text bound as SQL_C_LONG arrives as that number); std::nullopt is SQL NULL.
using FakeValue = std::optional<std::string>;
using FakeRow = std::vector<FakeValue>;

// The server's answer to every statement whose text contains strMatch (an empty match answers
// every statement). A statement that no answer matches succeeds, touches one row and has no rows.
struct FakeAnswer {
    std::string strMatch = {};
    SQLRETURN nExecReturn = SQL_SUCCESS;
    std::optional<FakeDiag> diag = {};  // left on the statement handle by the execution
    SQLLEN nRowCount = 1;
    std::deque<FakeRow> rows = {};      // one per SQLFetch
    SQLRETURN nFetchEnd = SQL_NO_DATA;  // SQLFetch once the rows are used up
    std::optional<FakeDiag> fetchEndDiag = {};
    // For an execution with arrays of values: the status of each row (SQL_PARAM_SUCCESS for rows
    // beyond the list).
    std::vector<SQLUSMALLINT> paramStatus = {};
};

struct FakeConnectCall {
    std::string strDataSource;
    std::string strLogin;
    std::string strPassword;
};

// One execution: direct, or of the text prepared on the handle. The values bound to its markers
// are kept as the driver would send them: texts as they are, numbers in decimal, doubles with six
// decimals, dates as yyyy-mm-dd and timestamps as yyyy-mm-dd hh:mm:ss, NULL as "NULL".
struct FakeExecution {
    std::string strHandle;  // the statement handle's name, e.g. "stmt3"
    std::string strSql;
    std::vector<std::string> params = {};                  // of the first (or only) row
    std::vector<std::vector<std::string>> paramRows = {};  // of every row of an execution with arrays
};

class CFakeOdbc {
public:
    CFakeOdbc() = default;
    virtual ~CFakeOdbc() = default;
    CFakeOdbc(const CFakeOdbc&) = delete;
    CFakeOdbc& operator=(const CFakeOdbc&) = delete;

    // Forgets handles, script and records; handle numbering starts again at 1.
    void Reset();

    // Script.
    void SetConnectResult(SQLRETURN nResult, std::optional<FakeDiag> diag = std::nullopt);
    // From now on SQLAllocHandle(SQL_HANDLE_STMT) fails and leaves the record on the connection.
    void FailStatementAllocation(const FakeDiag& diag);
    // The answer added last wins where several match, so a test can change its mind.
    void AddAnswer(FakeAnswer answer);
    // What SQLGetInfo gives as SQL_DBMS_NAME; "Microsoft SQL Server" after Reset.
    void SetDbmsName(const std::string& strName) { m_strDbmsName = strName; }

    // Records. Every call is logged as "<function> <handle name>", handles being named by type
    // and number in order of allocation: "env1", "dbc2", "stmt3"; "-" for a null or foreign
    // handle. A successful allocation adds the new handle's name: "SQLAllocHandle dbc2 stmt3".
    const std::vector<std::string>& Calls() const { return m_calls; }
    void ClearCalls() { m_calls.clear(); }
    const std::vector<FakeExecution>& Executions() const { return m_executions; }
    void ClearExecutions() { m_executions.clear(); }
    std::vector<std::string> ExecutedTexts() const;
    std::string NameOf(SQLHANDLE hHandle) const;
    const std::vector<FakeConnectCall>& ConnectCalls() const { return m_connectCalls; }
    const std::vector<std::pair<SQLINTEGER, SQLULEN>>& ConnectAttributes() const {
        return m_connectAttributes;
    }
    const std::vector<SQLSMALLINT>& EndTranCalls() const { return m_endTranCalls; }
    int LiveHandles() const;
    int LiveHandles(SQLSMALLINT nType) const;
    // Calls that named a handle which is not a live one of the expected type.
    int InvalidHandleUses() const { return m_nInvalidHandleUses; }

    // The work of the ODBC functions.
    SQLRETURN AllocHandle(SQLSMALLINT nType, SQLHANDLE hInput, SQLHANDLE* phOutput);
    SQLRETURN FreeHandle(SQLSMALLINT nType, SQLHANDLE hHandle);
    SQLRETURN SetEnvAttr(SQLHENV hEnv);
    SQLRETURN Connect(SQLHDBC hDbc, const std::string& strDataSource, const std::string& strLogin,
                      const std::string& strPassword);
    SQLRETURN Disconnect(SQLHDBC hDbc);
    SQLRETURN SetConnectAttr(SQLHDBC hDbc, SQLINTEGER nAttribute, SQLPOINTER pValue);
    SQLRETURN GetInfo(SQLHDBC hDbc, SQLUSMALLINT nInfo, SQLPOINTER pValue, SQLSMALLINT nBufferSize);
    SQLRETURN EndTran(SQLSMALLINT nType, SQLHANDLE hHandle, SQLSMALLINT nCompletion);
    SQLRETURN GetDiagRec(SQLSMALLINT nType, SQLHANDLE hHandle, SQLSMALLINT nRecord, SQLCHAR* pszState,
                         SQLINTEGER* pnNative, SQLCHAR* pszMessage, SQLSMALLINT nMessageSize,
                         SQLSMALLINT* pnMessageLength);
    SQLRETURN SetStmtAttr(SQLHSTMT hStmt, SQLINTEGER nAttribute, SQLPOINTER pValue);
    SQLRETURN ExecDirect(SQLHSTMT hStmt, const std::string& strSql);
    SQLRETURN Prepare(SQLHSTMT hStmt, const std::string& strSql);
    SQLRETURN BindParameter(SQLHSTMT hStmt, SQLUSMALLINT nParam, SQLSMALLINT nCType, SQLSMALLINT nSqlType,
                            SQLPOINTER pValue, SQLLEN nBufferLength, SQLLEN* pnIndicator);
    SQLRETURN Execute(SQLHSTMT hStmt);
    SQLRETURN FreeStmt(SQLHSTMT hStmt, SQLUSMALLINT nOption);
    SQLRETURN BindCol(SQLHSTMT hStmt, SQLUSMALLINT nColumn, SQLSMALLINT nCType, SQLPOINTER pBuffer,
                      SQLLEN nBufferSize, SQLLEN* pnIndicator);
    SQLRETURN Fetch(SQLHSTMT hStmt);
    SQLRETURN RowCount(SQLHSTMT hStmt, SQLLEN* pnRows);

private:
    struct Binding {
        SQLSMALLINT nCType;
        SQLPOINTER pBuffer;
        SQLLEN nBufferSize;
        SQLLEN* pnIndicator;
    };
    struct Parameter {
        SQLSMALLINT nCType;
        SQLSMALLINT nSqlType;
        SQLPOINTER pValue;
        SQLLEN nBufferLength;
        SQLLEN* pnIndicator;
    };
    struct Handle {
        SQLSMALLINT nType;
        std::string strName;
        Handle* pParent;
        bool bLive;
        bool bConnected;
        std::optional<FakeDiag> diag;
        std::vector<std::optional<Binding>> bindings;  // index = column number
        std::optional<FakeAnswer> result;              // of the last successful execution
        std::optional<std::string> prepared;           // the text SQLPrepare left on the handle
        std::vector<std::optional<Parameter>> params;  // index = parameter number
        SQLULEN nRows = 1;                             // SQL_ATTR_PARAMSET_SIZE
        SQLUSMALLINT* pnRowStatus = nullptr;           // SQL_ATTR_PARAM_STATUS_PTR
    };

    Handle* Use(const char* pszFunction, SQLHANDLE hHandle, SQLSMALLINT nType, bool bClearsRecord = true);
    Handle* Find(SQLHANDLE hHandle) const;
    SQLRETURN Fail(Handle* pHandle, const char* pszState, const char* pszMessage);
    const FakeAnswer& AnswerFor(const std::string& strSql) const;
    SQLRETURN Run(Handle* pStmt, const std::string& strSql, std::vector<std::string> params);
    static std::string ParameterText(const Parameter& param, SQLULEN nRow);
    SQLRETURN StoreRow(Handle* pStmt, const FakeRow& row);

    std::vector<std::unique_ptr<Handle>> m_handles;
    SQLRETURN m_nConnectResult = SQL_SUCCESS;
    std::optional<FakeDiag> m_connectDiag;
    std::optional<FakeDiag> m_stmtAllocFailure;
    std::vector<FakeAnswer> m_answers;
    std::vector<std::string> m_calls;
    std::vector<FakeExecution> m_executions;
    std::vector<FakeConnectCall> m_connectCalls;
    std::vector<std::pair<SQLINTEGER, SQLULEN>> m_connectAttributes;
    std::vector<SQLSMALLINT> m_endTranCalls;
    int m_nInvalidHandleUses = 0;
    std::string m_strDbmsName = "Microsoft SQL Server";
};

extern CFakeOdbc g_fakeOdbc;
