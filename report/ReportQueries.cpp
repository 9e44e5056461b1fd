// The database operations of kvt-report: the persons of the schema, the stored results of a
// person, the shifts and bookings behind them, and a calculation request queued for kvt. Dates
// travel as typed values and are read back as dates, so one text serves every product. Nothing
// here commits.
#include <array>

#include "base/FieldText.h"
#include "db/CDbConnection.h"
#include "report/InputRows.h"
#include "report/ResultRows.h"

namespace {

const char* const kPersons =
    "SELECT PNRNUM "
    "FROM   %s.ZTW300PNR "
    "ORDER BY PNRNUM";

const char* const kPersonListed =
    "SELECT COUNT(*) "
    "FROM   %s.ZTW300PNR "
    "WHERE  PNRNUM = ?";

// The shifts that the per-day statement sums for a contract range, with its conditions.
const char* const kShifts =
    "SELECT ZTGVON, ZTGAZT, SF1ANT "
    "FROM   %s.ZTW329ZTG, "
    "       %s.ZTW155SF1, "
    "       %s.ZTW320TGB "
    "WHERE  ZTGPNR = ? "
    "AND    ZTGVON >= ? "
    "AND    ZTGVON <= ? "
    "AND    SF1NUM = ? "
    "AND    SF1AZT = ZTGAZT "
    "AND    TGBPNR = ZTGPNR "
    "AND    TGBDTM = ZTGVON "
    "AND    TGBZTR = 1 "
    "AND    TGBMAX >= SF1MIN "
    "ORDER BY ZTGVON, ZTGAZT";

// Every booking of the person, with what the per-day statement's count of booked days looks at:
// the kind of its absence code and the whole and half days of its day record. The outer joins
// keep the bookings that the count leaves out, so that the report can say why.
const char* const kBookings =
    "SELECT BCHVON, BCHFCD, BCHFKT, FCDFCD, "
    "       CASE WHEN TAGTGB IS NULL THEN 0 ELSE 1 END, "
    "       CASE WHEN TAGHTV IS NULL THEN 0 ELSE 1 END, "
    "       CASE WHEN TAGHTN IS NULL THEN 0 ELSE 1 END "
    "FROM   %s.ZTW321BCH "
    "LEFT JOIN %s.ZTW131FCD ON FCDNUM = BCHFCD "
    "LEFT JOIN %s.ZTW327TAG ON TAGPNR = BCHPNR AND TAGTAG = BCHVON "
    "WHERE  BCHPNR = ? "
    "AND    BCHVON >= ? "
    "AND    BCHVON <= ? "
    "ORDER BY BCHVON, BCHFCD";

const char* const kDailyRows =
    "SELECT SFZDTM, SFZANT, SFZVTG, SFZVAN, SFZANS, SFZGEN, SFZVPL, SFZRST, SFZGVV, SFZSTA, SFZDAT "
    "FROM   %s.ZTW332SFZ "
    "WHERE  SFZPNR = ? "
    "AND    SFZDTM >= ? "
    "AND    SFZDTM <= ? "
    "ORDER BY SFZDTM";

// Month 0 only: the calculation replaces no other month.
const char* const kCarryOverRows =
    "SELECT SFVJHR, SFVVTG, SFVVAN, SFVSTA, SFVDAT "
    "FROM   %s.ZTW332SFV "
    "WHERE  SFVPNR = ? "
    "AND    SFVJHR >= ? "
    "AND    SFVJHR <= ? "
    "AND    SFVMAN = 0 "
    "ORDER BY SFVJHR";

const char* const kInsertRequest =
    "INSERT INTO ZTWBASIS.ZTW002PRM "
    "  (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMPNR, PRMDTM, PRMUHR, PRMFCD, PRMERF) "
    "VALUES "
    "  (?, ?, 5, ?, ?, ?, ?, ?, ?, ?)";

int32_t DateOf(const SQL_DATE_STRUCT& date) {
    return date.year * 10000 + date.month * 100 + date.day;
}

// The decimals that a column of a read keeps of a written value: none in a column of integers, the
// scale of a decimal column that declares fewer than are sent. A scale of 0 is not taken for one:
// a number column without a declared scale may describe itself so.
int KeptDecimals(SQLHSTMT hStmt, SQLUSMALLINT nColumn) {
    SQLSMALLINT nType = 0;
    SQLULEN nSize = 0;
    SQLSMALLINT nScale = 0;
    SQLSMALLINT nNullable = 0;
    const SQLRETURN nResult =
        SQLDescribeCol(hStmt, nColumn, nullptr, 0, nullptr, &nType, &nSize, &nScale, &nNullable);
    if (nResult != SQL_SUCCESS && nResult != SQL_SUCCESS_WITH_INFO) {
        return kSentDecimals;
    }
    switch (nType) {
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            return 0;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return nScale > 0 && nScale < kSentDecimals ? nScale : kSentDecimals;
        default:
            return kSentDecimals;
    }
}

// Executes the statement and fetches every row into pRows: the key (a date, or the year as an
// integer), nColumns numbers, with the decimals each number column keeps in pDecimals, and the
// write stamp. SQL_NO_DATA
// after the last row; any other result is the failure of the execution or of a fetch. The columns
// are unbound again: they point into this call.
SQLRETURN FetchRows(CStatement* pStmt, bool bDateKey, size_t nColumns, std::vector<ResultRow>* pRows,
                    ColumnDecimals* pDecimals) {
    pRows->clear();
    SQLRETURN nResult = pStmt->Execute();
    if (nResult != SQL_SUCCESS && nResult != SQL_SUCCESS_WITH_INFO) {
        return nResult;
    }
    const SQLHSTMT hStmt = pStmt->Handle();
    ResultRow row;
    SQL_DATE_STRUCT date{};
    SQL_TIMESTAMP_STRUCT stamp{};
    SQLLEN nKeyIndicator = 0;
    SQLLEN nStampIndicator = 0;
    std::array<SQLLEN, kDailyColumns> indicators{};
    if (bDateKey) {
        SQLBindCol(hStmt, 1, SQL_C_TYPE_DATE, &date, sizeof(date), &nKeyIndicator);
    } else {
        SQLBindCol(hStmt, 1, SQL_C_LONG, &row.key, sizeof(row.key), &nKeyIndicator);
    }
    for (size_t i = 0; i < nColumns; ++i) {
        const auto nColumn = static_cast<SQLUSMALLINT>(i + 2);
        (*pDecimals)[i] = KeptDecimals(hStmt, nColumn);
        SQLBindCol(hStmt, nColumn, SQL_C_DOUBLE, &row.values[i], sizeof(double), &indicators[i]);
    }
    SQLBindCol(hStmt, static_cast<SQLUSMALLINT>(nColumns + 2), SQL_C_TYPE_TIMESTAMP, &stamp, sizeof(stamp),
               &nStampIndicator);
    while ((nResult = SQLFetch(hStmt)) == SQL_SUCCESS || nResult == SQL_SUCCESS_WITH_INFO) {
        if (bDateKey) {
            row.key = DateOf(date);
        }
        row.written =
            nStampIndicator == SQL_NULL_DATA ? 0 : stamp.year * 10000 + stamp.month * 100 + stamp.day;
        for (size_t i = 0; i < nColumns; ++i) {
            row.isNull[i] = indicators[i] == SQL_NULL_DATA;
            if (row.isNull[i]) {
                row.values[i] = 0.0;
            }
        }
        pRows->push_back(row);
    }
    SQLFreeStmt(hStmt, SQL_UNBIND);
    return nResult;
}

}  // namespace

int32_t CDbConnection::ReadKvtPersonListed(const CString& strPnr, bool* pbListed) {
    *pbListed = false;
    CStatement* pStmt = nullptr;
    const int32_t nPrepared = PreparedCalc(
        StatementId::ReportPersonListed, Dialect() == SqlDialect::Unknown ? nullptr : kPersonListed, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    pStmt->BindText(1, strPnr.GetString());
    SQLRETURN nResult = pStmt->Execute();
    if (nResult == SQL_SUCCESS || nResult == SQL_SUCCESS_WITH_INFO) {
        SQLINTEGER nCount = 0;
        SQLLEN nIndicator = 0;
        SQLBindCol(pStmt->Handle(), 1, SQL_C_LONG, &nCount, sizeof(nCount), &nIndicator);
        nResult = SQLFetch(pStmt->Handle());
        SQLFreeStmt(pStmt->Handle(), SQL_UNBIND);
        *pbListed = nCount > 0;
    }
    const int32_t nCode = StatementResult(pStmt, nResult);
    pStmt->CloseCursor();
    return nCode;
}

int32_t CDbConnection::ReadKvtShifts(const CString& strPnr, const CString& strRuleCode, int32_t nFirstDay,
                                     int32_t nLastDay, std::vector<ShiftRow>* pRows) {
    pRows->clear();
    CStatement* pStmt = nullptr;
    const int32_t nPrepared =
        PreparedCalc(StatementId::ReportShifts, Dialect() == SqlDialect::Unknown ? nullptr : kShifts, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    const PersonDays personDays(strPnr.GetString(), nFirstDay, nLastDay);
    personDays.Bind(pStmt);
    pStmt->BindText(4, strRuleCode.GetString());
    SQLRETURN nResult = pStmt->Execute();
    if (nResult == SQL_SUCCESS || nResult == SQL_SUCCESS_WITH_INFO) {
        const SQLHSTMT hStmt = pStmt->Handle();
        SQL_DATE_STRUCT day{};
        char szModel[33] = {};
        ShiftRow row;
        std::array<SQLLEN, 3> indicators{};
        SQLBindCol(hStmt, 1, SQL_C_TYPE_DATE, &day, sizeof(day), indicators.data());
        SQLBindCol(hStmt, 2, SQL_C_CHAR, szModel, sizeof(szModel), &indicators[1]);
        SQLBindCol(hStmt, 3, SQL_C_DOUBLE, &row.dShares, sizeof(row.dShares), &indicators[2]);
        while ((nResult = SQLFetch(hStmt)) == SQL_SUCCESS || nResult == SQL_SUCCESS_WITH_INFO) {
            TerminateField(szModel);
            row.nDay = DateOf(day);
            row.strModel = FieldText(szModel, sizeof(szModel));
            pRows->push_back(row);
        }
        SQLFreeStmt(hStmt, SQL_UNBIND);
    }
    const int32_t nCode = nResult == SQL_NO_DATA ? 0 : StatementResult(pStmt, nResult);
    pStmt->CloseCursor();
    return nCode;
}

int32_t CDbConnection::ReadKvtBookings(const CString& strPnr, int32_t nFirstDay, int32_t nLastDay,
                                       std::vector<BookingRow>* pRows) {
    pRows->clear();
    CStatement* pStmt = nullptr;
    const int32_t nPrepared = PreparedCalc(StatementId::ReportBookings,
                                           Dialect() == SqlDialect::Unknown ? nullptr : kBookings, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    const PersonDays personDays(strPnr.GetString(), nFirstDay, nLastDay);
    personDays.Bind(pStmt);
    SQLRETURN nResult = pStmt->Execute();
    if (nResult == SQL_SUCCESS || nResult == SQL_SUCCESS_WITH_INFO) {
        const SQLHSTMT hStmt = pStmt->Handle();
        SQL_DATE_STRUCT day{};
        char szCode[33] = {};
        std::array<SQLINTEGER, 5> numbers{};  // BCHFKT, FCDFCD, whole day, first half, second half
        std::array<SQLLEN, 7> indicators{};
        SQLBindCol(hStmt, 1, SQL_C_TYPE_DATE, &day, sizeof(day), indicators.data());
        SQLBindCol(hStmt, 2, SQL_C_CHAR, szCode, sizeof(szCode), &indicators[1]);
        for (size_t i = 0; i < numbers.size(); ++i) {
            SQLBindCol(hStmt, static_cast<SQLUSMALLINT>(i + 3), SQL_C_LONG, &numbers[i], sizeof(SQLINTEGER),
                       &indicators[i + 2]);
        }
        while ((nResult = SQLFetch(hStmt)) == SQL_SUCCESS || nResult == SQL_SUCCESS_WITH_INFO) {
            TerminateField(szCode);
            BookingRow row;
            row.nDay = DateOf(day);
            row.strCode = FieldText(szCode, sizeof(szCode));
            row.nFunction = numbers[0];
            row.bKindKnown = indicators[3] != SQL_NULL_DATA;
            row.nKind = row.bKindKnown ? numbers[1] : 0;
            row.bWholeDay = numbers[2] != 0;
            row.bFirstHalf = numbers[3] != 0;
            row.bSecondHalf = numbers[4] != 0;
            pRows->push_back(row);
        }
        SQLFreeStmt(hStmt, SQL_UNBIND);
    }
    const int32_t nCode = nResult == SQL_NO_DATA ? 0 : StatementResult(pStmt, nResult);
    pStmt->CloseCursor();
    return nCode;
}

int32_t CDbConnection::ReadKvtPersons(std::vector<CString>* pPersons) {
    pPersons->clear();
    CStatement* pStmt = nullptr;
    const int32_t nPrepared = PreparedCalc(StatementId::ReportPersons,
                                           Dialect() == SqlDialect::Unknown ? nullptr : kPersons, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    SQLRETURN nResult = pStmt->Execute();
    if (nResult == SQL_SUCCESS || nResult == SQL_SUCCESS_WITH_INFO) {
        char szPnr[9] = {};
        SQLLEN nIndicator = 0;
        SQLBindCol(pStmt->Handle(), 1, SQL_C_CHAR, szPnr, sizeof(szPnr), &nIndicator);
        while ((nResult = SQLFetch(pStmt->Handle())) == SQL_SUCCESS || nResult == SQL_SUCCESS_WITH_INFO) {
            TerminateField(szPnr);
            pPersons->push_back(FieldText(szPnr, sizeof(szPnr)));
        }
        SQLFreeStmt(pStmt->Handle(), SQL_UNBIND);
    }
    const int32_t nCode = nResult == SQL_NO_DATA ? 0 : StatementResult(pStmt, nResult);
    pStmt->CloseCursor();
    return nCode;
}

int32_t CDbConnection::ReadKvtResults(const CString& strPnr, int32_t nFirstDay, int32_t nLastDay,
                                      int32_t nFirstYear, int32_t nLastYear, StoredResults* pResults) {
    const bool bKnown = Dialect() != SqlDialect::Unknown;
    CStatement* pDays = nullptr;
    CStatement* pYears = nullptr;
    int32_t nCode = PreparedCalc(StatementId::ReportDays, bKnown ? kDailyRows : nullptr, &pDays);
    if (nCode == 0) {
        nCode = PreparedCalc(StatementId::ReportYears, bKnown ? kCarryOverRows : nullptr, &pYears);
    }
    if (nCode != 0) {
        return nCode;
    }
    const PersonDays personDays(strPnr.GetString(), nFirstDay, nLastDay);
    personDays.Bind(pDays);
    SQLRETURN nResult = FetchRows(pDays, true, kDailyColumns, &pResults->days, &pResults->dayDecimals);
    nCode = nResult == SQL_NO_DATA ? 0 : StatementResult(pDays, nResult);
    pDays->CloseCursor();
    if (nCode != 0) {
        return nCode;
    }
    pYears->BindText(1, strPnr.GetString());
    pYears->BindLong(2, &nFirstYear);
    pYears->BindLong(3, &nLastYear);
    nResult = FetchRows(pYears, false, kYearColumns, &pResults->years, &pResults->yearDecimals);
    nCode = nResult == SQL_NO_DATA ? 0 : StatementResult(pYears, nResult);
    pYears->CloseCursor();
    return nCode;
}

// The request in the form the requesting programs write it: type 5, the schema and user whose
// kvt is to take it, the person, a date in the accounting year, the time it was queued.
int32_t CDbConnection::InsertKvtRequest(const ParamRecord& request, const SQL_TIMESTAMP_STRUCT& queuedAt) {
    CStatement* pStmt = nullptr;
    const int32_t nPrepared = Prepared(StatementId::ReportRequest,
                                       Dialect() == SqlDialect::Unknown ? nullptr : kInsertRequest, &pStmt);
    if (nPrepared != 0) {
        return nPrepared;
    }
    const SQL_DATE_STRUCT date = DateStruct(request.PRMDTM);
    pStmt->BindText(1, request.PRMNUM);
    pStmt->BindLong(2, &request.PRMLFD);
    pStmt->BindText(3, request.PRMSCH);
    pStmt->BindText(4, request.PRMUSR);
    pStmt->BindText(5, request.PRMPNR);
    pStmt->BindDate(6, &date);
    pStmt->BindTimestamp(7, &queuedAt, nullptr);
    pStmt->BindText(8, request.PRMFCD);
    pStmt->BindText(9, request.PRMERF);
    return Execute(pStmt, false);
}
