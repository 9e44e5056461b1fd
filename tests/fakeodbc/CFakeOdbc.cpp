#include "tests/fakeodbc/CFakeOdbc.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

CFakeOdbc g_fakeOdbc;

namespace {

const char* TypeName(SQLSMALLINT nType) {
    switch (nType) {
        case SQL_HANDLE_ENV:
            return "env";
        case SQL_HANDLE_DBC:
            return "dbc";
        case SQL_HANDLE_STMT:
            return "stmt";
        default:
            return "handle";
    }
}

// Copies a text into a buffer of nSize bytes as a driver does: cut to nSize - 1 and terminated.
void CopyText(const std::string& strText, char* pszBuffer, size_t nSize) {
    if (nSize == 0) {
        return;
    }
    const size_t nCopied = std::min(strText.size(), nSize - 1);
    std::memcpy(pszBuffer, strText.data(), nCopied);
    pszBuffer[nCopied] = '\0';
}

}  // namespace

void CFakeOdbc::Reset() {
    m_handles.clear();
    m_nConnectResult = SQL_SUCCESS;
    m_connectDiag.reset();
    m_stmtAllocFailure.reset();
    m_answers.clear();
    m_calls.clear();
    m_executions.clear();
    m_connectCalls.clear();
    m_connectAttributes.clear();
    m_endTranCalls.clear();
    m_nInvalidHandleUses = 0;
    m_strDbmsName = "Microsoft SQL Server";
}

void CFakeOdbc::SetConnectResult(SQLRETURN nResult, std::optional<FakeDiag> diag) {
    m_nConnectResult = nResult;
    m_connectDiag = std::move(diag);
}

void CFakeOdbc::FailStatementAllocation(const FakeDiag& diag) {
    m_stmtAllocFailure = diag;
}

void CFakeOdbc::AddAnswer(FakeAnswer answer) {
    m_answers.push_back(std::move(answer));
}

std::vector<std::string> CFakeOdbc::ExecutedTexts() const {
    std::vector<std::string> texts;
    for (const FakeExecution& execution : m_executions) {
        texts.push_back(execution.strSql);
    }
    return texts;
}

std::string CFakeOdbc::NameOf(SQLHANDLE hHandle) const {
    const Handle* pHandle = Find(hHandle);
    return pHandle != nullptr ? pHandle->strName : "-";
}

int CFakeOdbc::LiveHandles() const {
    return static_cast<int>(
        std::count_if(m_handles.begin(), m_handles.end(),
                      [](const std::unique_ptr<Handle>& pHandle) { return pHandle->bLive; }));
}

int CFakeOdbc::LiveHandles(SQLSMALLINT nType) const {
    return static_cast<int>(
        std::count_if(m_handles.begin(), m_handles.end(), [nType](const std::unique_ptr<Handle>& pHandle) {
            return pHandle->bLive && pHandle->nType == nType;
        }));
}

SQLRETURN CFakeOdbc::AllocHandle(SQLSMALLINT nType, SQLHANDLE hInput, SQLHANDLE* phOutput) {
    *phOutput = SQL_NULL_HANDLE;
    Handle* pParent = nullptr;
    if (nType == SQL_HANDLE_DBC || nType == SQL_HANDLE_STMT) {
        pParent = Use("SQLAllocHandle", hInput, nType == SQL_HANDLE_DBC ? SQL_HANDLE_ENV : SQL_HANDLE_DBC);
        if (pParent == nullptr) {
            return SQL_INVALID_HANDLE;
        }
    } else if (nType == SQL_HANDLE_ENV) {
        m_calls.push_back("SQLAllocHandle -");
    } else {
        m_calls.push_back("SQLAllocHandle ?");
        return SQL_ERROR;
    }

    if (nType == SQL_HANDLE_STMT && m_stmtAllocFailure) {
        pParent->diag = m_stmtAllocFailure;
        return SQL_ERROR;
    }
    if (nType == SQL_HANDLE_STMT && !pParent->bConnected) {
        return Fail(pParent, "08003", "Connection not open");
    }

    const std::string strName = TypeName(nType) + std::to_string(m_handles.size() + 1);
    m_handles.push_back(
        std::make_unique<Handle>(Handle{nType, strName, pParent, true, false, {}, {}, {}, {}, {}, 1, nullptr}));
    *phOutput = m_handles.back().get();
    m_calls.back() += " " + strName;
    return SQL_SUCCESS;
}

// A connection must be disconnected, and an environment rid of its connections, before it can be
// freed; otherwise the driver manager refuses and the handle stays alive.
SQLRETURN CFakeOdbc::FreeHandle(SQLSMALLINT nType, SQLHANDLE hHandle) {
    Handle* pHandle = Use("SQLFreeHandle", hHandle, nType);
    if (pHandle == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    const bool bHasChildren =
        std::any_of(m_handles.begin(), m_handles.end(), [pHandle](const std::unique_ptr<Handle>& pOther) {
            return pOther->bLive && pOther->pParent == pHandle && pOther->nType == SQL_HANDLE_DBC;
        });
    if (pHandle->bConnected || bHasChildren) {
        return Fail(pHandle, "HY010", "Function sequence error");
    }
    pHandle->bLive = false;
    return SQL_SUCCESS;
}

SQLRETURN CFakeOdbc::SetEnvAttr(SQLHENV hEnv) {
    return Use("SQLSetEnvAttr", hEnv, SQL_HANDLE_ENV) != nullptr ? SQL_SUCCESS : SQL_INVALID_HANDLE;
}

SQLRETURN CFakeOdbc::Connect(SQLHDBC hDbc, const std::string& strDataSource, const std::string& strLogin,
                             const std::string& strPassword) {
    Handle* pDbc = Use("SQLConnect", hDbc, SQL_HANDLE_DBC);
    if (pDbc == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    m_connectCalls.push_back({strDataSource, strLogin, strPassword});
    pDbc->diag = m_connectDiag;
    pDbc->bConnected = SQL_SUCCEEDED(m_nConnectResult);
    return m_nConnectResult;
}

SQLRETURN CFakeOdbc::Disconnect(SQLHDBC hDbc) {
    Handle* pDbc = Use("SQLDisconnect", hDbc, SQL_HANDLE_DBC);
    if (pDbc == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    if (!pDbc->bConnected) {
        return Fail(pDbc, "08003", "Connection not open");
    }
    pDbc->bConnected = false;
    return SQL_SUCCESS;
}

SQLRETURN CFakeOdbc::SetConnectAttr(SQLHDBC hDbc, SQLINTEGER nAttribute, SQLPOINTER pValue) {
    if (Use("SQLSetConnectAttr", hDbc, SQL_HANDLE_DBC) == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    m_connectAttributes.emplace_back(nAttribute, reinterpret_cast<SQLULEN>(pValue));
    return SQL_SUCCESS;
}

SQLRETURN CFakeOdbc::GetInfo(SQLHDBC hDbc, SQLUSMALLINT nInfo, SQLPOINTER pValue, SQLSMALLINT nBufferSize) {
    if (Use("SQLGetInfo", hDbc, SQL_HANDLE_DBC) == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    if (nInfo != SQL_DBMS_NAME || nBufferSize <= 0) {
        return SQL_ERROR;
    }
    std::snprintf(static_cast<char*>(pValue), static_cast<size_t>(nBufferSize), "%s", m_strDbmsName.c_str());
    return SQL_SUCCESS;
}

SQLRETURN CFakeOdbc::EndTran(SQLSMALLINT nType, SQLHANDLE hHandle, SQLSMALLINT nCompletion) {
    if (Use("SQLEndTran", hHandle, nType) == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    m_endTranCalls.push_back(nCompletion);
    return SQL_SUCCESS;
}

// Reading a record does not clear it, unlike every other call on the handle.
SQLRETURN CFakeOdbc::GetDiagRec(SQLSMALLINT nType, SQLHANDLE hHandle, SQLSMALLINT nRecord, SQLCHAR* pszState,
                                SQLINTEGER* pnNative, SQLCHAR* pszMessage, SQLSMALLINT nMessageSize,
                                SQLSMALLINT* pnMessageLength) {
    const Handle* pHandle = Use("SQLGetDiagRec", hHandle, nType, false);
    if (pHandle == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    if (nRecord != 1 || !pHandle->diag) {
        return SQL_NO_DATA;
    }
    CopyText(pHandle->diag->strState, reinterpret_cast<char*>(pszState), 6);
    *pnNative = pHandle->diag->nNative;
    CopyText(pHandle->diag->strMessage, reinterpret_cast<char*>(pszMessage),
             static_cast<size_t>(std::max<SQLSMALLINT>(nMessageSize, 0)));
    *pnMessageLength = static_cast<SQLSMALLINT>(pHandle->diag->strMessage.size());
    return pHandle->diag->strMessage.size() < static_cast<size_t>(nMessageSize) ? SQL_SUCCESS
                                                                                : SQL_SUCCESS_WITH_INFO;
}

SQLRETURN CFakeOdbc::SetStmtAttr(SQLHSTMT hStmt, SQLINTEGER nAttribute, SQLPOINTER pValue) {
    Handle* pStmt = Use("SQLSetStmtAttr", hStmt, SQL_HANDLE_STMT);
    if (pStmt == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    if (nAttribute == SQL_ATTR_PARAMSET_SIZE) {
        pStmt->nRows = reinterpret_cast<SQLULEN>(pValue);
    } else if (nAttribute == SQL_ATTR_PARAM_STATUS_PTR) {
        pStmt->pnRowStatus = static_cast<SQLUSMALLINT*>(pValue);
    }
    return SQL_SUCCESS;
}

SQLRETURN CFakeOdbc::ExecDirect(SQLHSTMT hStmt, const std::string& strSql) {
    Handle* pStmt = Use("SQLExecDirect", hStmt, SQL_HANDLE_STMT);
    if (pStmt == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    return Run(pStmt, strSql, {});
}

// Preparing always succeeds, as with drivers that defer the preparation to the first execution.
SQLRETURN CFakeOdbc::Prepare(SQLHSTMT hStmt, const std::string& strSql) {
    Handle* pStmt = Use("SQLPrepare", hStmt, SQL_HANDLE_STMT);
    if (pStmt == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    pStmt->prepared = strSql;
    pStmt->result.reset();
    return SQL_SUCCESS;
}

SQLRETURN CFakeOdbc::BindParameter(SQLHSTMT hStmt, SQLUSMALLINT nParam, SQLSMALLINT nCType, SQLSMALLINT nSqlType,
                                   SQLPOINTER pValue, SQLLEN nBufferLength, SQLLEN* pnIndicator) {
    Handle* pStmt = Use("SQLBindParameter", hStmt, SQL_HANDLE_STMT);
    if (pStmt == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    if (nParam == 0 || pValue == nullptr) {
        return Fail(pStmt, "07009", "Invalid descriptor index");
    }
    if (pStmt->params.size() <= nParam) {
        pStmt->params.resize(nParam + 1U);
    }
    pStmt->params[nParam] = Parameter{nCType, nSqlType, pValue, nBufferLength, pnIndicator};
    return SQL_SUCCESS;
}

// Every marker of the prepared text needs a value bound to it, in every row of an execution with
// arrays. After such an execution each row gets its status.
SQLRETURN CFakeOdbc::Execute(SQLHSTMT hStmt) {
    Handle* pStmt = Use("SQLExecute", hStmt, SQL_HANDLE_STMT);
    if (pStmt == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    if (!pStmt->prepared) {
        return Fail(pStmt, "HY010", "Function sequence error");
    }
    if (pStmt->result) {
        return Fail(pStmt, "24000", "Invalid cursor state");
    }
    const size_t nMarkers = static_cast<size_t>(std::count(pStmt->prepared->begin(), pStmt->prepared->end(), '?'));
    std::vector<std::vector<std::string>> rows(pStmt->nRows);
    for (size_t nParam = 1; nParam <= nMarkers; ++nParam) {
        if (nParam >= pStmt->params.size() || !pStmt->params[nParam]) {
            return Fail(pStmt, "07002", "COUNT field incorrect");
        }
        for (SQLULEN nRow = 0; nRow < pStmt->nRows; ++nRow) {
            rows[nRow].push_back(ParameterText(*pStmt->params[nParam], nRow));
        }
    }
    const SQLRETURN nResult = Run(pStmt, *pStmt->prepared, rows[0]);
    if (pStmt->nRows > 1) {
        m_executions.back().paramRows = rows;
    }
    const std::vector<SQLUSMALLINT>& statuses = AnswerFor(*pStmt->prepared).paramStatus;
    for (SQLULEN nRow = 0; pStmt->pnRowStatus != nullptr && nRow < pStmt->nRows; ++nRow) {
        pStmt->pnRowStatus[nRow] = nRow < statuses.size() ? statuses[nRow] : SQL_PARAM_SUCCESS;
    }
    return nResult;
}

SQLRETURN CFakeOdbc::FreeStmt(SQLHSTMT hStmt, SQLUSMALLINT nOption) {
    Handle* pStmt = Use("SQLFreeStmt", hStmt, SQL_HANDLE_STMT);
    if (pStmt == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    if (nOption == SQL_CLOSE) {
        pStmt->result.reset();
    }
    return SQL_SUCCESS;
}

SQLRETURN CFakeOdbc::Run(Handle* pStmt, const std::string& strSql, std::vector<std::string> params) {
    m_executions.push_back({pStmt->strName, strSql, std::move(params)});
    const FakeAnswer& answer = AnswerFor(strSql);
    pStmt->diag = answer.diag;
    pStmt->result.reset();
    if (SQL_SUCCEEDED(answer.nExecReturn)) {
        pStmt->result = answer;
    }
    return answer.nExecReturn;
}

// The value of a row: column-wise arrays hold a text every nBufferLength bytes, other values one
// after the other.
std::string CFakeOdbc::ParameterText(const Parameter& param, SQLULEN nRow) {
    if (param.pnIndicator != nullptr && param.pnIndicator[nRow] == SQL_NULL_DATA) {
        return "NULL";
    }
    char szText[64] = {};
    switch (param.nCType) {
        case SQL_C_CHAR:
            return static_cast<const char*>(param.pValue) + nRow * static_cast<SQLULEN>(param.nBufferLength);
        case SQL_C_LONG:
            return std::to_string(static_cast<const SQLINTEGER*>(param.pValue)[nRow]);
        case SQL_C_DOUBLE:
            std::snprintf(szText, sizeof(szText), "%.6f", static_cast<const SQLDOUBLE*>(param.pValue)[nRow]);
            return szText;
        case SQL_C_TYPE_DATE: {
            const SQL_DATE_STRUCT& date = static_cast<const SQL_DATE_STRUCT*>(param.pValue)[nRow];
            std::snprintf(szText, sizeof(szText), "%04d-%02u-%02u", date.year, date.month, date.day);
            return szText;
        }
        case SQL_C_TYPE_TIMESTAMP: {
            const SQL_TIMESTAMP_STRUCT& stamp = static_cast<const SQL_TIMESTAMP_STRUCT*>(param.pValue)[nRow];
            std::snprintf(szText, sizeof(szText), "%04d-%02u-%02u %02u:%02u:%02u", stamp.year, stamp.month,
                          stamp.day, stamp.hour, stamp.minute, stamp.second);
            return szText;
        }
        default:
            return "?";
    }
}

SQLRETURN CFakeOdbc::BindCol(SQLHSTMT hStmt, SQLUSMALLINT nColumn, SQLSMALLINT nCType, SQLPOINTER pBuffer,
                             SQLLEN nBufferSize, SQLLEN* pnIndicator) {
    Handle* pStmt = Use("SQLBindCol", hStmt, SQL_HANDLE_STMT);
    if (pStmt == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    if (nColumn == 0 || pBuffer == nullptr) {
        return Fail(pStmt, "07009", "Invalid descriptor index");
    }
    if (nCType != SQL_C_CHAR && nCType != SQL_C_LONG && nCType != SQL_C_DOUBLE) {
        return Fail(pStmt, "HY003", "Invalid application buffer type");
    }
    if (nCType == SQL_C_CHAR && nBufferSize <= 0) {
        return Fail(pStmt, "HY090", "Invalid string or buffer length");
    }
    if (pStmt->bindings.size() <= nColumn) {
        pStmt->bindings.resize(nColumn + 1U);
    }
    pStmt->bindings[nColumn] = Binding{nCType, pBuffer, nBufferSize, pnIndicator};
    return SQL_SUCCESS;
}

SQLRETURN CFakeOdbc::Fetch(SQLHSTMT hStmt) {
    Handle* pStmt = Use("SQLFetch", hStmt, SQL_HANDLE_STMT);
    if (pStmt == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    if (!pStmt->result) {
        return Fail(pStmt, "24000", "Invalid cursor state");
    }
    FakeAnswer& result = *pStmt->result;
    if (result.rows.empty()) {
        pStmt->diag = result.fetchEndDiag;
        return result.nFetchEnd;
    }
    const FakeRow row = result.rows.front();
    result.rows.pop_front();
    return StoreRow(pStmt, row);
}

SQLRETURN CFakeOdbc::RowCount(SQLHSTMT hStmt, SQLLEN* pnRows) {
    Handle* pStmt = Use("SQLRowCount", hStmt, SQL_HANDLE_STMT);
    if (pStmt == nullptr) {
        return SQL_INVALID_HANDLE;
    }
    if (!pStmt->result) {
        return Fail(pStmt, "HY010", "Function sequence error");
    }
    *pnRows = pStmt->result->nRowCount;
    return SQL_SUCCESS;
}

// Logs the call and looks the handle up. A handle that is not a live one of the expected type is
// counted as an invalid use. As with a driver manager, a call clears the handle's record before
// it may leave a new one.
CFakeOdbc::Handle* CFakeOdbc::Use(const char* pszFunction, SQLHANDLE hHandle, SQLSMALLINT nType,
                                  bool bClearsRecord) {
    m_calls.push_back(std::string(pszFunction) + " " + NameOf(hHandle));
    Handle* pHandle = Find(hHandle);
    if (pHandle == nullptr || !pHandle->bLive || pHandle->nType != nType) {
        ++m_nInvalidHandleUses;
        return nullptr;
    }
    if (bClearsRecord) {
        pHandle->diag.reset();
    }
    return pHandle;
}

CFakeOdbc::Handle* CFakeOdbc::Find(SQLHANDLE hHandle) const {
    for (const std::unique_ptr<Handle>& pHandle : m_handles) {
        if (pHandle.get() == hHandle) {
            return pHandle.get();
        }
    }
    return nullptr;
}

SQLRETURN CFakeOdbc::Fail(Handle* pHandle, const char* pszState, const char* pszMessage) {
    pHandle->diag = FakeDiag{pszState, 0, pszMessage};
    return SQL_ERROR;
}

const FakeAnswer& CFakeOdbc::AnswerFor(const std::string& strSql) const {
    static const FakeAnswer unscripted;
    for (auto it = m_answers.rbegin(); it != m_answers.rend(); ++it) {
        if (strSql.find(it->strMatch) != std::string::npos) {
            return *it;
        }
    }
    return unscripted;
}

// Writes one row into the bound buffers, column by column. A NULL leaves the buffer as it was and
// needs an indicator to say so; a text cut to its buffer makes the fetch succeed with information.
SQLRETURN CFakeOdbc::StoreRow(Handle* pStmt, const FakeRow& row) {
    bool bTruncated = false;
    for (size_t nColumn = 1; nColumn < pStmt->bindings.size() && nColumn <= row.size(); ++nColumn) {
        const std::optional<Binding>& binding = pStmt->bindings[nColumn];
        const FakeValue& value = row[nColumn - 1];
        if (!binding) {
            continue;
        }
        if (!value) {
            if (binding->pnIndicator == nullptr) {
                return Fail(pStmt, "22002", "Indicator variable required but not supplied");
            }
            *binding->pnIndicator = SQL_NULL_DATA;
            continue;
        }
        SQLLEN nLength = 0;
        switch (binding->nCType) {
            case SQL_C_CHAR:
                CopyText(*value, static_cast<char*>(binding->pBuffer),
                         static_cast<size_t>(binding->nBufferSize));
                nLength = static_cast<SQLLEN>(value->size());
                bTruncated = bTruncated || nLength >= binding->nBufferSize;
                break;
            case SQL_C_LONG:
                *static_cast<SQLINTEGER*>(binding->pBuffer) =
                    static_cast<SQLINTEGER>(std::strtol(value->c_str(), nullptr, 10));
                nLength = sizeof(SQLINTEGER);
                break;
            default:
                *static_cast<SQLDOUBLE*>(binding->pBuffer) = std::strtod(value->c_str(), nullptr);
                nLength = sizeof(SQLDOUBLE);
                break;
        }
        if (binding->pnIndicator != nullptr) {
            *binding->pnIndicator = nLength;
        }
    }
    if (bTruncated) {
        pStmt->diag = FakeDiag{"01004", 0, "String data, right truncated"};
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}
