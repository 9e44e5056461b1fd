#include "db/CStatement.h"

#include <cstring>

namespace {

// The length indicator of every text parameter: the text ends at its zero byte. Drivers only read
// an input parameter's indicator.
SQLLEN g_nNullTerminated = SQL_NTS;

}  // namespace

CStatement::~CStatement() {
    Free();
}

void CStatement::Adopt(SQLHSTMT hStmt) {
    Free();
    m_hStmt = hStmt;
}

void CStatement::Free() {
    if (m_hStmt != SQL_NULL_HSTMT) {
        SQLFreeHandle(SQL_HANDLE_STMT, m_hStmt);
        m_hStmt = SQL_NULL_HSTMT;
    }
}

// The column size of a text is its length: SQL Server sizes the parameter by it, and a text of
// Windows-1252 bytes is as long in characters as in bytes. An empty text still needs a size of 1.
SQLRETURN CStatement::BindText(SQLUSMALLINT nParam, const char* pszValue) {
    const size_t nLength = std::strlen(pszValue);
    return SQLBindParameter(m_hStmt, nParam, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                            nLength > 0 ? nLength : 1, 0, const_cast<char*>(pszValue), 0, &g_nNullTerminated);
}

SQLRETURN CStatement::BindLong(SQLUSMALLINT nParam, const int32_t* pnValue) {
    return SQLBindParameter(m_hStmt, nParam, SQL_PARAM_INPUT, SQL_C_LONG, SQL_INTEGER, 10, 0,
                            const_cast<int32_t*>(pnValue), 0, nullptr);
}

SQLRETURN CStatement::BindDouble(SQLUSMALLINT nParam, const double* pdValue) {
    return SQLBindParameter(m_hStmt, nParam, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0,
                            const_cast<double*>(pdValue), 0, nullptr);
}

// A date parameter, not a timestamp: Oracle compares a DATE column with a TIMESTAMP value by
// converting the column, which keeps its index from being used.
SQLRETURN CStatement::BindDate(SQLUSMALLINT nParam, const SQL_DATE_STRUCT* pDate, SQLLEN* pnIndicator) {
    return SQLBindParameter(m_hStmt, nParam, SQL_PARAM_INPUT, SQL_C_TYPE_DATE, SQL_TYPE_DATE, 10, 0,
                            const_cast<SQL_DATE_STRUCT*>(pDate), 0, pnIndicator);
}

// Size and precision of a DATETIME, which SQL Server's driver needs to choose the type; whole
// minutes fit every product's date-and-time type.
SQLRETURN CStatement::BindTimestamp(SQLUSMALLINT nParam, const SQL_TIMESTAMP_STRUCT* pTimestamp,
                                    SQLLEN* pnIndicator) {
    return SQLBindParameter(m_hStmt, nParam, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 23, 3,
                            const_cast<SQL_TIMESTAMP_STRUCT*>(pTimestamp), 0, pnIndicator);
}

SQLRETURN CStatement::BindTextColumn(SQLUSMALLINT nParam, const char* pchValues, SQLLEN nElementSize,
                                     SQLLEN* pnIndicators) {
    return SQLBindParameter(m_hStmt, nParam, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                            static_cast<SQLULEN>(nElementSize > 1 ? nElementSize - 1 : 1), 0,
                            const_cast<char*>(pchValues), nElementSize, pnIndicators);
}

// MariaDB's Connector/ODBC 3.1 converts every date of an array into a structure of its own and
// frees only the list of them, 40 bytes lost a row. As text in the ODBC form the server reads the
// dates itself, and the other products' drivers convert that form as they do their own structure.
SQLRETURN CStatement::BindDateColumn(SQLUSMALLINT nParam, const char* pchDates, SQLLEN* pnIndicators) {
    return SQLBindParameter(m_hStmt, nParam, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_TYPE_DATE, 10, 0,
                            const_cast<char*>(pchDates), kDateTextSize, pnIndicators);
}

// Column-wise binding and no value supplied at execution time: MariaDB's driver then sends all
// rows to the server in one bulk operation.
SQLRETURN CStatement::SetRows(SQLULEN nRows, SQLUSMALLINT* pnStatus) {
    SQLSetStmtAttr(m_hStmt, SQL_ATTR_PARAM_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_PARAM_BIND_BY_COLUMN), 0);
    SQLSetStmtAttr(m_hStmt, SQL_ATTR_PARAM_STATUS_PTR, pnStatus, 0);
    return SQLSetStmtAttr(m_hStmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(nRows), 0);
}

void CStatement::ResetRows() {
    if (m_hStmt != SQL_NULL_HSTMT) {
        SQLSetStmtAttr(m_hStmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
        SQLSetStmtAttr(m_hStmt, SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
    }
}

SQLRETURN CStatement::Execute() {
    CloseCursor();
    return SQLExecute(m_hStmt);
}

void CStatement::CloseCursor() {
    if (m_hStmt != SQL_NULL_HSTMT) {
        SQLFreeStmt(m_hStmt, SQL_CLOSE);
    }
}

SQL_DATE_STRUCT DateStruct(int32_t nDate) {
    SQL_DATE_STRUCT date{};
    date.year = static_cast<SQLSMALLINT>(nDate / 10000);
    date.month = static_cast<SQLUSMALLINT>(nDate / 100 % 100);
    date.day = static_cast<SQLUSMALLINT>(nDate % 100);
    return date;
}

void DateText(int32_t nDate, char* pchText) {
    const int32_t nFields[] = {nDate / 10000, nDate / 100 % 100, nDate % 100};
    const int nDigits[] = {4, 2, 2};
    char* pchOut = pchText;
    for (size_t nField = 0; nField < 3; ++nField) {
        for (int nDigit = nDigits[nField] - 1, nValue = nFields[nField]; nDigit >= 0; --nDigit, nValue /= 10) {
            pchOut[nDigit] = static_cast<char>('0' + nValue % 10);
        }
        pchOut += nDigits[nField];
        *pchOut++ = nField < 2 ? '-' : '\0';
    }
}
