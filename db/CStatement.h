// CStatement: one statement of the connection, prepared once and executed many times with new
// values. It owns its handle from Adopt until Free or its destruction; the connection keeps one
// per statement of the program and frees them all before it disconnects, so that a reconnect
// prepares them again. Values are bound by address for the next execution: the caller binds them
// right before Execute, and they must stay where they are until it returns. A value never becomes
// part of the statement text. Not for use from more than one thread.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstdint>

class CStatement {
public:
    CStatement() = default;
    virtual ~CStatement();
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;

    bool IsPrepared() const { return m_hStmt != SQL_NULL_HSTMT; }
    SQLHSTMT Handle() const { return m_hStmt; }
    // Takes over a handle on which the text has been prepared.
    void Adopt(SQLHSTMT hStmt);
    void Free();

    // Input parameters, numbered from 1 in the order of the markers. A text goes as the bytes up to
    // its terminating zero; a null date or timestamp indicator of SQL_NULL_DATA sends NULL. For the
    // rows of SetRows, a number or date is the first element of its column's array.
    SQLRETURN BindText(SQLUSMALLINT nParam, const char* pszValue);
    SQLRETURN BindLong(SQLUSMALLINT nParam, const int32_t* pnValue);
    SQLRETURN BindDouble(SQLUSMALLINT nParam, const double* pdValue);
    SQLRETURN BindDate(SQLUSMALLINT nParam, const SQL_DATE_STRUCT* pDate, SQLLEN* pnIndicator = nullptr);
    SQLRETURN BindTimestamp(SQLUSMALLINT nParam, const SQL_TIMESTAMP_STRUCT* pTimestamp, SQLLEN* pnIndicator);

    // Arrays of values, one element a row, bound column by column: the next execution runs once for
    // every row, as one operation where the driver can. A text column is nElementSize bytes a row,
    // each ending in a zero byte. The row statuses land in pnStatus (nRows of them).
    SQLRETURN BindTextColumn(SQLUSMALLINT nParam, const char* pchValues, SQLLEN nElementSize, SQLLEN* pnIndicators);
    // Dates of the rows in the ODBC form "yyyy-mm-dd", kDateTextSize bytes a row with the zero byte.
    SQLRETURN BindDateColumn(SQLUSMALLINT nParam, const char* pchDates, SQLLEN* pnIndicators);
    SQLRETURN SetRows(SQLULEN nRows, SQLUSMALLINT* pnStatus);
    // Back to single values: the arrays of the last execution are no longer referred to.
    void ResetRows();

    // Ends a result set that is still open, then executes with the values bound.
    SQLRETURN Execute();
    // Ends the result set of the last execution, if any; the preparation stays.
    void CloseCursor();

private:
    SQLHSTMT m_hStmt = SQL_NULL_HSTMT;
};

// A date yyyymmdd as the structure the drivers take for a date parameter.
SQL_DATE_STRUCT DateStruct(int32_t nDate);

// A date yyyymmdd as "yyyy-mm-dd" into pchText, which holds kDateTextSize bytes.
constexpr SQLLEN kDateTextSize = 11;
void DateText(int32_t nDate, char* pchText);

// A person's number and a range of days yyyymmdd, bound as the first three values of a statement
// on the person's days; the values stay where they are for as long as the object lives.
struct PersonDays {
    PersonDays(const char* pszPerson, int32_t nFirstDay, int32_t nLastDay)
        : pszPnr(pszPerson), firstDay(DateStruct(nFirstDay)), lastDay(DateStruct(nLastDay)) {}

    void Bind(CStatement* pStmt) const {
        pStmt->BindText(1, pszPnr);
        pStmt->BindDate(2, &firstDay);
        pStmt->BindDate(3, &lastDay);
    }

    const char* pszPnr;
    SQL_DATE_STRUCT firstDay;
    SQL_DATE_STRUCT lastDay;
};
