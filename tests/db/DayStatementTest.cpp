// The per-day statement counts each person's shifts and bookings once and runs sums over them; the
// statement it replaced asked three subqueries again for every calendar day. Both must give the
// same rows, to the last bit of every value, on randomized persons: several shifts and bookings a
// day, half days, bookings that do not count, bookings on the first and last day of a range and on
// days the calendar lacks, two contract ranges, and days after today.
#include <sql.h>
#include <sqlext.h>

#include <random>
#include <string>
#include <vector>

#include "calc/DayRecord.h"
#include "db/CStatement.h"
#include "db/SqlText.h"
#include "tests/db/Scenario.h"

namespace {

// The statement as it was, one correlated subquery a value and day: the reference.
const char* const kReferenceMySql =
    "SELECT DATE_FORMAT(BAKDTM, '%%Y%%m%%d') AS BAKDTM,"
    "        (SELECT COALESCE(SUM(SF1ANT), 0)"
    "         FROM   %s.ZTW329ZTG, %s.ZTW155SF1, %s.ZTW320TGB"
    "         WHERE  ZTGPNR = PNRNUM AND ZTGVON = BAKDTM AND SF1NUM = ? AND SF1AZT = ZTGAZT"
    "         AND    TGBPNR = ZTGPNR AND TGBDTM = ZTGVON AND TGBZTR = 1 AND TGBMAX >= SF1MIN),"
    "        (SELECT COUNT(TAGTGB) + COUNT(TAGHTV) / 2 + COUNT(TAGHTN) /2"
    "         FROM   %s.ZTW327TAG, %s.ZTW131FCD, %s.ZTW321BCH"
    "         WHERE  BCHPNR = PNRNUM AND BCHVON >= ? AND BCHVON <= ? AND BCHVON <= BAKDTM"
    "         AND    (BCHFKT = 1 OR BCHFKT = 2 OR BCHFKT = 3) AND BCHFCD = FCDNUM AND FCDFCD = 25"
    "         AND    TAGPNR = BCHPNR AND TAGTAG = BCHVON),"
    "        (SELECT COUNT(TAGTGB) + COUNT(TAGHTV) / 2 + COUNT(TAGHTN) /2"
    "         FROM   %s.ZTW327TAG, %s.ZTW131FCD, %s.ZTW321BCH"
    "         WHERE  BCHPNR = PNRNUM AND BCHVON >= ? AND BCHVON <= ? AND BCHVON > BAKDTM"
    "         AND    (BCHFKT = 1 OR BCHFKT = 2 OR BCHFKT = 3) AND BCHFCD = FCDNUM AND FCDFCD = 25"
    "         AND    TAGPNR = BCHPNR AND TAGTAG = BCHVON) "
    "FROM   ZTWBASIS.ZTW133BAK, %s.ZTW300PNR "
    "WHERE  BAKDTM >= ? AND BAKDTM <= ? AND BAKDTM <= CURRENT_TIMESTAMP AND PNRNUM = ? "
    "ORDER BY BAKDTM";

// The ORACLE form differs in the date format and the server's clock only.
std::string ReferenceText(bool bOracle, const CString& strSchema) {
    std::string strSql = WithSchema(kReferenceMySql, strSchema).GetString();
    if (bOracle) {
        strSql.replace(strSql.find("DATE_FORMAT(BAKDTM, '%Y%m%d')"), 29, "TO_CHAR(BAKDTM, 'yyyymmdd')");
        strSql.replace(strSql.find("CURRENT_TIMESTAMP"), 17, "SYSDATE");
    }
    return strSql;
}

// One range of the per-day statement: the calendar days and bookings taken, the bookings planned.
struct Range {
    int nFirst;
    int nLast;
    int nPlanStart;
    int nPlanEnd;
};

class DayStatementTest : public KvtCalcTest {
protected:
    // Three days of 2025 missing from the calendar; put back whatever happens.
    void SetUp() override {
        KvtCalcTest::SetUp();
        m_raw.Exec("DELETE FROM ZTWBASIS.ZTW133BAK WHERE BAKDTM IN ('2025-03-10', '2025-03-11', '2025-07-01')");
    }

    void TearDown() override {
        m_raw.Exec("INSERT IGNORE INTO ZTWBASIS.ZTW133BAK (BAKDTM) VALUES ('2025-03-10'), ('2025-03-11'), "
                   "('2025-07-01')");
    }

    // A person of its own random year: shifts in two models on most days, some days both, with
    // day balances that do or do not reach the rules' thresholds; bookings of free time, whole and
    // half, several on some days, some of other codes or functions, and day records without them.
    void RandomPerson(const std::string& strPnr, int nYear, std::mt19937& random) {
        m_scenario.Person(strPnr.c_str());
        for (int nDayOfYear = 0; nDayOfYear < 365; ++nDayOfYear) {
            const std::string strDay = "DATE '" + std::to_string(nYear) + "-01-01' + INTERVAL " +
                                       std::to_string(nDayOfYear) + " DAY";
            const int nDice = static_cast<int>(random() % 20);
            if (nDice < 14) {
                Insert("ZTW329ZTG (ZTGPNR, ZTGVON, ZTGAZT) VALUES ('" + strPnr + "', " + strDay + ", '" +
                       (nDice % 2 == 0 ? "N" : "F") + "')");
                if (nDice < 3) {
                    Insert("ZTW329ZTG (ZTGPNR, ZTGVON, ZTGAZT) VALUES ('" + strPnr + "', " + strDay + ", 'F')");
                }
                Insert("ZTW320TGB (TGBPNR, TGBDTM, TGBZTR, TGBMAX) VALUES ('" + strPnr + "', " + strDay + ", " +
                       (nDice == 13 ? "0" : "1") + ", " + std::to_string(4 + nDice % 6) + ")");
            }
            if (nDice >= 17 || nDayOfYear == 0 || nDayOfYear == 364) {
                const char* pszKinds[] = {"'X', NULL, NULL", "NULL, 'X', NULL", "NULL, NULL, 'X'", "NULL, 'X', 'X'"};
                Insert("ZTW327TAG (TAGPNR, TAGTAG, TAGTGB, TAGHTV, TAGHTN) VALUES ('" + strPnr + "', " + strDay +
                       ", " + pszKinds[random() % 4] + ")");
                const int nBookings = 1 + static_cast<int>(random() % 3);
                for (int i = 0; i < nBookings; ++i) {
                    Insert("ZTW321BCH (BCHPNR, BCHVON, BCHFKT, BCHFCD) VALUES ('" + strPnr + "', " + strDay +
                           ", " + std::to_string(1 + random() % 4) + ", '" + (random() % 5 == 0 ? "UR" : "SF") +
                           "')");
                }
            }
        }
    }

    void Insert(const std::string& strValues) {
        m_raw.Exec(("INSERT INTO " + std::string(Schema()) + "." + strValues).c_str());
    }

    // The days as the program's cursor delivers them.
    std::vector<DayRecord> Days(const std::string& strPnr, const Range& range) {
        std::vector<DayRecord> days;
        SQLHSTMT hStmt = SQL_NULL_HSTMT;
        EXPECT_EQ(m_db.OpenKvtBewData(&hStmt, strPnr.c_str(), "K1", range.nFirst, range.nLast, range.nPlanStart,
                                      range.nPlanEnd),
                  0)
            << m_db.GetSqlMessage().GetString();
        DayRecord day{};
        while (m_db.FetchKvtBewData(&hStmt, &day) == 0) {
            days.push_back(day);
        }
        m_db.ReleaseStatement(hStmt);
        return days;
    }

    // The same through the reference statement, on a connection of the test's own.
    std::vector<DayRecord> ReferenceDays(const std::string& strPnr, const Range& range) {
        std::vector<DayRecord> days;
        SQLHENV hEnv = SQL_NULL_HENV;
        SQLHDBC hDbc = SQL_NULL_HDBC;
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &hEnv);
        SQLSetEnvAttr(hEnv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, hEnv, &hDbc);
        const SQLRETURN nConnected =
            SQLConnect(hDbc, Text(GetParam().pszDsn), SQL_NTS, Text(CTestDatabase::LOGIN), SQL_NTS,
                       Text(CTestDatabase::PASSWORD), SQL_NTS);
        EXPECT_TRUE(SQL_SUCCEEDED(nConnected));
        {
            CStatement stmt;
            SQLHSTMT hStmt = SQL_NULL_HSTMT;
            SQLAllocHandle(SQL_HANDLE_STMT, hDbc, &hStmt);
            stmt.Adopt(hStmt);
            const std::string strSql = ReferenceText(!IsMySql(), Schema());
            EXPECT_EQ(SQLPrepare(hStmt, Text(strSql.c_str()), SQL_NTS), SQL_SUCCESS);
            const SQL_DATE_STRUCT first = DateStruct(range.nFirst);
            const SQL_DATE_STRUCT last = DateStruct(range.nLast);
            const SQL_DATE_STRUCT planStart = DateStruct(range.nPlanStart);
            const SQL_DATE_STRUCT planEnd = DateStruct(range.nPlanEnd);
            stmt.BindText(1, "K1");
            stmt.BindDate(2, &first);
            stmt.BindDate(3, &last);
            stmt.BindDate(4, &planStart);
            stmt.BindDate(5, &planEnd);
            stmt.BindDate(6, &first);
            stmt.BindDate(7, &last);
            stmt.BindText(8, strPnr.c_str());
            EXPECT_TRUE(SQL_SUCCEEDED(stmt.Execute()));
            DayRecord day{};
            SQLLEN nIndicator = 0;
            SQLBindCol(hStmt, 1, SQL_C_LONG, &day.day, sizeof(day.day), &nIndicator);
            SQLBindCol(hStmt, 2, SQL_C_DOUBLE, &day.shares, sizeof(day.shares), &nIndicator);
            SQLBindCol(hStmt, 3, SQL_C_DOUBLE, &day.daysUpTo, sizeof(day.daysUpTo), &nIndicator);
            SQLBindCol(hStmt, 4, SQL_C_DOUBLE, &day.daysAfter, sizeof(day.daysAfter), &nIndicator);
            while (SQL_SUCCEEDED(SQLFetch(hStmt))) {
                days.push_back(day);
            }
        }
        SQLDisconnect(hDbc);
        SQLFreeHandle(SQL_HANDLE_DBC, hDbc);
        SQLFreeHandle(SQL_HANDLE_ENV, hEnv);
        return days;
    }

    static SQLCHAR* Text(const char* psz) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(psz)); }
};

TEST_P(DayStatementTest, GivesTheRowsOfTheStatementItReplacedOnRandomizedPersons) {
    m_scenario.Rule("K1", 10, 5, 300, 3);
    m_scenario.QualifyingShift("K1", "N", 6, 8.0);
    m_scenario.QualifyingShift("K1", "N", 0.25, 5.0);
    m_scenario.QualifyingShift("K1", "F", 3, 6.0);
    m_scenario.QualifyingShift("K2", "F", 9, 0.0);
    std::mt19937 random(20241231);
    const int nThisYear = CurrentYear();
    const std::vector<std::pair<int, std::vector<Range>>> years = {
        {2025, {{20250101, 20251231, 20250101, 20251231}}},
        {2025, {{20250101, 20250614, 20250101, 20251231}, {20250615, 20251231, 20250615, 20251231}}},
        {2025, {{20250310, 20250701, 20250301, 20250711}}},
        {nThisYear, {{nThisYear * 10000 + 101, nThisYear * 10000 + 1231, nThisYear * 10000 + 101,
                      nThisYear * 10000 + 1231}}},
    };
    for (size_t nPerson = 0; nPerson < 8; ++nPerson) {
        const std::string strPnr = "R" + std::to_string(nPerson);
        const auto& [nYear, ranges] = years[nPerson % years.size()];
        RandomPerson(strPnr, nYear, random);
        m_scenario.Commit();
        for (const Range& range : ranges) {
            SCOPED_TRACE(strPnr + " from " + std::to_string(range.nFirst));
            const std::vector<DayRecord> reference = ReferenceDays(strPnr, range);
            const std::vector<DayRecord> days = Days(strPnr, range);
            ASSERT_FALSE(reference.empty());
            ASSERT_EQ(days.size(), reference.size());
            for (size_t i = 0; i < days.size(); ++i) {
                ASSERT_EQ(days[i].day, reference[i].day);
                EXPECT_EQ(days[i].shares, reference[i].shares) << days[i].day;
                EXPECT_EQ(days[i].daysUpTo, reference[i].daysUpTo) << days[i].day;
                EXPECT_EQ(days[i].daysAfter, reference[i].daysAfter) << days[i].day;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Products, DayStatementTest, ::testing::Values(kMySqlCase, kOracleCase), DialectName);

}  // namespace
