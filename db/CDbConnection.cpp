#include "db/CDbConnection.h"

namespace {

struct ProductCodes {
    int32_t nSuccess;
    int32_t nNoData;
    int32_t nDuplicateKey;
    int32_t nInvalidColumn;
};

// The MYSQL codes are the server's own error numbers (ER_DUP_ENTRY, ER_BAD_FIELD_ERROR), so that
// an error table without ERRNUM is recognised on MySQL and MariaDB as on the other products.
bool CodesOf(SqlDialect dialect, ProductCodes* pCodes) {
    switch (dialect) {
        case SqlDialect::Oracle:
            *pCodes = {0, 100, 1, 904};
            return true;
        case SqlDialect::MsSql:
            *pCodes = {0, 100, 2627, 207};
            return true;
        case SqlDialect::MySql:
            *pCodes = {0, 100, 1062, 1054};
            return true;
        case SqlDialect::Unknown:
            break;
    }
    return false;
}

SQLCHAR* SqlText(const CString& str) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(str.GetString()));
}

}  // namespace

CDbConnection::CDbConnection()
    : m_nRcSuccess(0),
      m_nRcNoData(100),
      m_nRcDuplicateKey(-1),
      m_nRcInvalidColumn(-1),
      m_hEnv(SQL_NULL_HENV),
      m_hDbc(SQL_NULL_HDBC),
      m_nSqlCode(0),
      m_pConfig(nullptr) {}

CDbConnection::~CDbConnection() {
    FreeHandles();
}

bool CDbConnection::SetConfig(CIniConfig* pConfig) {
    m_pConfig = pConfig;
    return true;
}

// The calculation's statements carry the schema in their texts: they are prepared anew.
void CDbConnection::SetSchema(const CString& strSchema) {
    FreeStatements();
    m_strSchema = strSchema;
}

// A connect that fails before the database is asked says what failed, without a code or state.
int32_t CDbConnection::Connect() {
    m_nSqlCode = 0;
    m_strSqlState.Empty();
    m_strSqlMessage.Empty();
    if (m_pConfig == nullptr) {
        m_strSqlMessage = "Keine Konfiguration";
        return -1;
    }
    m_strDbSystem = m_pConfig->GetDbSystem();
    if (m_strSchema.IsEmpty()) {
        m_strSchema = m_pConfig->GetSchema();
        if (!m_strSchema.IsEmpty() && m_strSchema.GetAt(m_strSchema.GetLength() - 1) == '.') {
            m_strSchema.Delete(m_strSchema.GetLength() - 1);
        }
    }

    ProductCodes codes{};
    if (!CodesOf(Dialect(), &codes)) {
        m_strSqlMessage = "DB_SYSTEM nennt keines der Produkte ORACLE, MSSQL und MYSQL";
        return -1;
    }
    m_nRcSuccess = codes.nSuccess;
    m_nRcNoData = codes.nNoData;
    m_nRcDuplicateKey = codes.nDuplicateKey;
    m_nRcInvalidColumn = codes.nInvalidColumn;

    FreeHandles();
    if (SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_hEnv) == SQL_ERROR) {
        m_hEnv = SQL_NULL_HENV;
        m_strSqlMessage = "Der ODBC-Treibermanager legt keine Umgebung an";
        return -1;
    }
    SQLSetEnvAttr(m_hEnv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER);
    if (SQLAllocHandle(SQL_HANDLE_DBC, m_hEnv, &m_hDbc) == SQL_ERROR) {
        m_hDbc = SQL_NULL_HDBC;
        m_strSqlMessage = "Der ODBC-Treibermanager legt keine Verbindung an";
        return -1;
    }

    m_strDataSource = m_pConfig->GetDatabase();
    m_strLogin = m_pConfig->GetLogin();
    CString strPassword = m_pConfig->GetPass();
    const SQLRETURN nResult = SQLConnect(m_hDbc, SqlText(m_strDataSource), SQL_NTS, SqlText(m_strLogin), SQL_NTS,
                                         SqlText(strPassword), SQL_NTS);
    strPassword.Empty();

    if (nResult == SQL_ERROR) {
        CaptureDiagnostics(SQL_HANDLE_DBC, m_hDbc);
        return m_nSqlCode != 0 ? m_nSqlCode : -1;
    }
    if (nResult == SQL_SUCCESS_WITH_INFO) {
        CaptureDiagnostics(SQL_HANDLE_DBC, m_hDbc);
    }
    // A session the program cannot work with is not kept: the next Connect tries again.
    const int32_t nSetUp = SetUpSession();
    if (nSetUp != 0) {
        FreeHandles();
        return nSetUp;
    }
    return m_nRcSuccess;
}

void CDbConnection::CaptureDiagnostics(SQLSMALLINT nHandleType, SQLHANDLE hHandle) {
    m_strSqlState.Empty();
    m_strSqlMessage.Empty();
    m_nSqlCode = 0;

    // Only the first record is read: some drivers misbehave when asked for more.
    SQLCHAR szState[256] = {};
    SQLCHAR szMessage[1000] = {};
    SQLSMALLINT nLength = 0;
    SQLGetDiagRec(nHandleType, hHandle, 1, szState, &m_nSqlCode, szMessage, sizeof(szMessage), &nLength);
    szState[sizeof(szState) - 1] = '\0';
    szMessage[sizeof(szMessage) - 1] = '\0';
    m_strSqlState = reinterpret_cast<const char*>(szState);
    m_strSqlMessage = reinterpret_cast<const char*>(szMessage);
}

SqlFailure CDbConnection::ClassifyLastFailure() const {
    return ClassifyFailure(Dialect(), m_strSqlState, m_nSqlCode, m_strSqlMessage, m_bClusterNode);
}

// The statements are freed before the disconnect: a driver frees the statements of a connection
// it disconnects itself, and the handles kept here would then be stale.
void CDbConnection::FreeHandles() {
    FreeStatements();
    if (m_hDbc != SQL_NULL_HDBC) {
        SQLDisconnect(m_hDbc);
        SQLFreeHandle(SQL_HANDLE_DBC, m_hDbc);
        m_hDbc = SQL_NULL_HDBC;
    }
    if (m_hEnv != SQL_NULL_HENV) {
        SQLFreeHandle(SQL_HANDLE_ENV, m_hEnv);
        m_hEnv = SQL_NULL_HENV;
    }
}
