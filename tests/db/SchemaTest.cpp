// Checks of the test database itself: texts travel single-byte in Windows-1252, MariaDB's ORACLE
// mode understands the forms of the ORACLE statement texts, the calendar and the two forms of the
// error table are in place, and the per-day query of the calculation runs against the tables and
// keys of a tenant schema. Each test runs once per DSN, for the MYSQL and the ORACLE texts.
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "base/CString.h"
#include "tests/support/TestDatabase.h"

namespace {

// The per-day query exactly as the calculation sends it, one text per dialect. Arguments: schema
// three times, rule code, schema three times, first and last day, schema three times, planning
// start and end, schema, first and last day, personnel number.
const char* const g_pszPerDayMysql =
    "SELECT DATE_FORMAT(BAKDTM, '%%Y%%m%%d') AS BAKDTM,"
    "        (SELECT COALESCE(SUM(SF1ANT), 0)"
    "         FROM   %s.ZTW329ZTG,"
    "                %s.ZTW155SF1,"
    "                %s.ZTW320TGB"
    "         WHERE  ZTGPNR = PNRNUM"
    "         AND    ZTGVON = BAKDTM"
    "         AND    SF1NUM = '%s'"
    "         AND    SF1AZT = ZTGAZT"
    "         AND    TGBPNR = ZTGPNR"
    "         AND    TGBDTM = ZTGVON"
    "         AND    TGBZTR = 1"
    "         AND    TGBMAX >= SF1MIN),"
    "        (SELECT COUNT(TAGTGB) +"
    "                COUNT(TAGHTV) / 2 +"
    "                COUNT(TAGHTN) /2"
    "         FROM   %s.ZTW327TAG,"
    "                %s.ZTW131FCD,"
    "                %s.ZTW321BCH"
    "         WHERE  BCHPNR = PNRNUM"
    "         AND    BCHVON >= DATE_FORMAT('%ld', '%%Y%%m%%d')"
    "         AND    BCHVON <= DATE_FORMAT('%ld', '%%Y%%m%%d')"
    "         AND    BCHVON <= BAKDTM"
    "         AND    (BCHFKT = 1"
    "         OR      BCHFKT = 2"
    "         OR      BCHFKT = 3)"
    "         AND    BCHFCD = FCDNUM"
    "         AND    FCDFCD = 25"
    "         AND    TAGPNR = BCHPNR"
    "         AND    TAGTAG = BCHVON),"
    "        (SELECT COUNT(TAGTGB) +"
    "                COUNT(TAGHTV) / 2 +"
    "                COUNT(TAGHTN) /2"
    "         FROM   %s.ZTW327TAG,"
    "                %s.ZTW131FCD,"
    "                %s.ZTW321BCH"
    "         WHERE  BCHPNR = PNRNUM"
    "         AND    BCHVON >= DATE_FORMAT('%ld', '%%Y%%m%%d')"
    "         AND    BCHVON <= DATE_FORMAT('%ld', '%%Y%%m%%d')"
    "         AND    BCHVON > BAKDTM"
    "         AND    (BCHFKT = 1"
    "         OR      BCHFKT = 2"
    "         OR      BCHFKT = 3)"
    "         AND    BCHFCD = FCDNUM"
    "         AND    FCDFCD = 25"
    "         AND    TAGPNR = BCHPNR"
    "         AND    TAGTAG = BCHVON)"
    " FROM   ZTWBASIS.ZTW133BAK, %s.ZTW300PNR"
    " WHERE  BAKDTM >= DATE_FORMAT('%ld', '%%Y%%m%%d')"
    " AND    BAKDTM <= DATE_FORMAT('%ld', '%%Y%%m%%d')"
    " AND    BAKDTM <= CURRENT_TIMESTAMP"
    " AND    PNRNUM = '%s'"
    " ORDER BY BAKDTM";

const char* const g_pszPerDayOracle =
    "SELECT TO_CHAR(BAKDTM, 'yyyymmdd') AS BAKDTM,"
    "        (SELECT COALESCE(SUM(SF1ANT), 0)"
    "         FROM   %s.ZTW329ZTG,"
    "                %s.ZTW155SF1,"
    "                %s.ZTW320TGB"
    "         WHERE  ZTGPNR = PNRNUM"
    "         AND    ZTGVON = BAKDTM"
    "         AND    SF1NUM = '%s'"
    "         AND    SF1AZT = ZTGAZT"
    "         AND    TGBPNR = ZTGPNR"
    "         AND    TGBDTM = ZTGVON"
    "         AND    TGBZTR = 1"
    "         AND    TGBMAX >= SF1MIN),"
    "        (SELECT COUNT(TAGTGB) +"
    "                COUNT(TAGHTV) / 2 +"
    "                COUNT(TAGHTN) /2"
    "         FROM   %s.ZTW327TAG,"
    "                %s.ZTW131FCD,"
    "                %s.ZTW321BCH"
    "         WHERE  BCHPNR = PNRNUM"
    "         AND    BCHVON >= TO_DATE('%ld', 'yyyymmdd')"
    "         AND    BCHVON <= TO_DATE('%ld', 'yyyymmdd')"
    "         AND    BCHVON <= BAKDTM"
    "         AND    (BCHFKT = 1"
    "         OR      BCHFKT = 2"
    "         OR      BCHFKT = 3)"
    "         AND    BCHFCD = FCDNUM"
    "         AND    FCDFCD = 25"
    "         AND    TAGPNR = BCHPNR"
    "         AND    TAGTAG = BCHVON),"
    "        (SELECT COUNT(TAGTGB) +"
    "                COUNT(TAGHTV) / 2 +"
    "                COUNT(TAGHTN) /2"
    "         FROM   %s.ZTW327TAG,"
    "                %s.ZTW131FCD,"
    "                %s.ZTW321BCH"
    "         WHERE  BCHPNR = PNRNUM"
    "         AND    BCHVON >= TO_DATE('%ld', 'yyyymmdd')"
    "         AND    BCHVON <= TO_DATE('%ld', 'yyyymmdd')"
    "         AND    BCHVON > BAKDTM"
    "         AND    (BCHFKT = 1"
    "         OR      BCHFKT = 2"
    "         OR      BCHFKT = 3)"
    "         AND    BCHFCD = FCDNUM"
    "         AND    FCDFCD = 25"
    "         AND    TAGPNR = BCHPNR"
    "         AND    TAGTAG = BCHVON)"
    " FROM   ZTWBASIS.ZTW133BAK, %s.ZTW300PNR"
    " WHERE  BAKDTM >= TO_DATE('%ld', 'yyyymmdd')"
    " AND    BAKDTM <= TO_DATE('%ld', 'yyyymmdd')"
    " AND    BAKDTM <= SYSDATE"
    " AND    PNRNUM = '%s'"
    " ORDER BY BAKDTM";

struct DialectCase {
    const char* pszName;
    const char* pszDsn;
    const char* pszSchema;
    const char* pszPerDayTemplate;
};

// Names the case in failure messages instead of its bytes.
void PrintTo(const DialectCase& dialect, std::ostream* pStream) {
    *pStream << dialect.pszName;
}

const DialectCase g_aDialects[] = {
    {"Mysql", CTestDatabase::DSN_MYSQL, CTestDatabase::SCHEMA_MYSQL, g_pszPerDayMysql},
    {"Oracle", CTestDatabase::DSN_ORACLE, CTestDatabase::SCHEMA_ORACLE, g_pszPerDayOracle},
};

class SchemaTest : public ::testing::TestWithParam<DialectCase> {
protected:
    void SetUp() override { ASSERT_TRUE(m_db.Connect(GetParam().pszDsn)); }

    // Executes a statement whose only argument is the tenant schema.
    void ExecInSchema(const char* pszTemplate) {
        CString strSql;
        strSql.Format(pszTemplate, GetParam().pszSchema);
        ASSERT_GE(m_db.Exec(strSql), 0);
    }

    CTestDatabase m_db;
};

INSTANTIATE_TEST_SUITE_P(Dialects, SchemaTest, ::testing::ValuesIn(g_aDialects),
                         [](const ::testing::TestParamInfo<DialectCase>& info) {
                             return info.param.pszName;
                         });

TEST_P(SchemaTest, TextTravelsByteForByteInWindows1252) {
    // u umlaut, euro sign (0x80 exists in Windows-1252 only) and sharp s.
    const char* pszText =
        "M\xFCller \x80 Stra\xDF"
        "e";
    m_db.Exec("DELETE FROM ZTWBASIS.ZTW002PRM WHERE PRMNUM = 'SCHEMA-CP'");
    CString strSql;
    strSql.Format(
        "INSERT INTO ZTWBASIS.ZTW002PRM (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMERF) "
        "VALUES ('SCHEMA-CP', 1, 5, 'S', 'U', '%s')",
        pszText);
    ASSERT_EQ(m_db.Exec(strSql), 1);

    EXPECT_STREQ(m_db.QueryText("SELECT PRMERF FROM ZTWBASIS.ZTW002PRM WHERE PRMNUM = 'SCHEMA-CP'"), pszText);
    // One byte per character on the server as well, not a double encoding.
    EXPECT_STREQ(m_db.QueryText("SELECT HEX(PRMERF) FROM ZTWBASIS.ZTW002PRM WHERE PRMNUM = 'SCHEMA-CP'"),
                 "4DFC6C6C657220802053747261DF65");
    m_db.Exec("DELETE FROM ZTWBASIS.ZTW002PRM WHERE PRMNUM = 'SCHEMA-CP'");
}

TEST_P(SchemaTest, CalendarHoldsEveryDayFrom2015To2040) {
    EXPECT_EQ(m_db.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW133BAK"), 9497);
    EXPECT_EQ(m_db.QueryInt("SELECT COUNT(DISTINCT BAKDTM) FROM ZTWBASIS.ZTW133BAK "
                            "WHERE BAKDTM BETWEEN DATE '2015-01-01' AND DATE '2040-12-31'"),
              9497);
}

// One person with qualifying shifts on the 15th (one working-time model) and the 16th (two
// models), a day balance that does not count on the 17th, and shift free time booked as a whole
// day on the 12th and half days on the 18th and 25th. The booking of the 5th lies before the
// first day, the 19th has another absence code and the 20th another booking function.
const char* const g_apszPerDayData[] = {
    "DELETE FROM %s.ZTW300PNR WHERE PNRNUM = 'S0000001'",
    "DELETE FROM %s.ZTW155SF1 WHERE SF1NUM IN ('SCH1', 'SCH2')",
    "DELETE FROM %s.ZTW329ZTG WHERE ZTGPNR = 'S0000001'",
    "DELETE FROM %s.ZTW320TGB WHERE TGBPNR = 'S0000001'",
    "DELETE FROM %s.ZTW131FCD WHERE FCDNUM IN ('ZS', 'ZU')",
    "DELETE FROM %s.ZTW321BCH WHERE BCHPNR = 'S0000001'",
    "DELETE FROM %s.ZTW327TAG WHERE TAGPNR = 'S0000001'",
    "INSERT INTO %s.ZTW300PNR (PNRNUM) VALUES ('S0000001')",
    "INSERT INTO %s.ZTW155SF1 (SF1NUM, SF1AZT, SF1MIN, SF1ANT) VALUES "
    "('SCH1', 'N1', 6, 0.5), ('SCH1', 'N1', 8, 0.25), ('SCH1', 'S2', 4, 1), ('SCH2', 'N1', 0, 5)",
    "INSERT INTO %s.ZTW329ZTG (ZTGPNR, ZTGVON, ZTGAZT) VALUES "
    "('S0000001', DATE '2024-01-15', 'N1'), ('S0000001', DATE '2024-01-16', 'N1'), "
    "('S0000001', DATE '2024-01-16', 'S2'), ('S0000001', DATE '2024-01-17', 'N1')",
    "INSERT INTO %s.ZTW320TGB (TGBPNR, TGBDTM, TGBZTR, TGBMAX) VALUES "
    "('S0000001', DATE '2024-01-15', 1, 7), ('S0000001', DATE '2024-01-16', 1, 9), "
    "('S0000001', DATE '2024-01-17', 0, 9)",
    "INSERT INTO %s.ZTW131FCD (FCDNUM, FCDFCD) VALUES ('ZS', 25), ('ZU', 10)",
    "INSERT INTO %s.ZTW321BCH (BCHPNR, BCHVON, BCHFKT, BCHFCD) VALUES "
    "('S0000001', DATE '2024-01-05', 1, 'ZS'), ('S0000001', DATE '2024-01-12', 1, 'ZS'), "
    "('S0000001', DATE '2024-01-18', 2, 'ZS'), ('S0000001', DATE '2024-01-19', 3, 'ZU'), "
    "('S0000001', DATE '2024-01-20', 4, 'ZS'), ('S0000001', DATE '2024-01-25', 3, 'ZS')",
    "INSERT INTO %s.ZTW327TAG (TAGPNR, TAGTAG, TAGTGB, TAGHTV, TAGHTN) VALUES "
    "('S0000001', DATE '2024-01-05', 'F', NULL, NULL), ('S0000001', DATE '2024-01-12', 'F', NULL, NULL), "
    "('S0000001', DATE '2024-01-18', NULL, 'V', NULL), ('S0000001', DATE '2024-01-19', 'F', NULL, NULL), "
    "('S0000001', DATE '2024-01-20', 'F', NULL, NULL), ('S0000001', DATE '2024-01-25', NULL, NULL, 'N')",
};

CString PerDayStatement(const DialectCase& dialect, const char* pszPnr) {
    const char* pszSchema = dialect.pszSchema;
    CString strSql;
    strSql.Format(dialect.pszPerDayTemplate, pszSchema, pszSchema, pszSchema, "SCH1", pszSchema, pszSchema,
                  pszSchema, 20240110L, 20240120L, pszSchema, pszSchema, pszSchema, 20240101L, 20240131L,
                  pszSchema, 20240110L, 20240120L, pszPnr);
    return strSql;
}

TEST_P(SchemaTest, PerDayQueryGivesOneRowPerCalendarDay) {
    for (const char* pszTemplate : g_apszPerDayData) {
        ExecInSchema(pszTemplate);
    }

    std::vector<CString> rows;
    ASSERT_EQ(m_db.QueryRows(PerDayStatement(GetParam(), "S0000001"), rows), 11);
    // day | shares | booked days up to the day | booked days after it
    const char* const apszExpected[] = {
        "20240110|0.000000|0.0000|2.0000", "20240111|0.000000|0.0000|2.0000",
        "20240112|0.000000|1.0000|1.0000", "20240113|0.000000|1.0000|1.0000",
        "20240114|0.000000|1.0000|1.0000", "20240115|0.500000|1.0000|1.0000",
        "20240116|1.750000|1.0000|1.0000", "20240117|0.000000|1.0000|1.0000",
        "20240118|0.000000|1.5000|0.5000", "20240119|0.000000|1.5000|0.5000",
        "20240120|0.000000|1.5000|0.5000",
    };
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_STREQ(rows[i], apszExpected[i]);
    }

    EXPECT_EQ(m_db.QueryRows(PerDayStatement(GetParam(), "S0000009"), rows), 0) << "person not in ZTW300PNR";
}

class OracleModeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_db.Connect(CTestDatabase::DSN_ORACLE)); }

    CTestDatabase m_db;
};

TEST_F(OracleModeTest, ConvertsDatesAndTimesLikeOracle) {
    EXPECT_STREQ(m_db.QueryText("SELECT TO_CHAR(TO_DATE('20240115', 'yyyymmdd'), 'yyyymmdd') FROM DUAL"),
                 "20240115");
    EXPECT_LE(m_db.QueryInt("SELECT ABS(TIMESTAMPDIFF(SECOND, SYSDATE, NOW())) FROM DUAL"), 5);

    // The closing row of a request keeps the time of day in ERRUHR.
    m_db.Exec("DELETE FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM = 'SCHEMA-TM'");
    ASSERT_EQ(
        m_db.Exec("INSERT INTO ZTWBASIS.ZTW002ERR (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD, ERRDAT, ERRUHR, "
                  "ERRKEY, ERRNUM) VALUES ('SCHEMA-TM', 1, 5, 'S0000001', 'F', "
                  "TO_DATE('20240115', 'yyyymmdd'), TO_DATE('20240115 08:30', 'yyyymmdd HH24:mi'), 0, 0)"),
        1);
    EXPECT_STREQ(
        m_db.QueryText("SELECT TO_CHAR(ERRDAT, 'yyyymmdd') || ' ' || TO_CHAR(ERRUHR, 'yyyymmdd HH24:mi') "
                       "FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM = 'SCHEMA-TM'"),
        "20240115 20240115 08:30");
    m_db.Exec("DELETE FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM = 'SCHEMA-TM'");

    // Like ORACLE, a text that is no date is an error, not NULL or a zero date.
    EXPECT_NE(m_db.TryExec("SELECT TO_DATE('0', 'yyyymmdd') FROM DUAL"), 0);
    EXPECT_NE(m_db.TryExec("SELECT TO_DATE('20240231', 'yyyymmdd') FROM DUAL"), 0);
}

TEST_F(OracleModeTest, BackslashIsAnOrdinaryCharacter) {
    EXPECT_STREQ(m_db.QueryText("SELECT 'C:\\temp\\new' FROM DUAL"), "C:\\temp\\new");
}

TEST(ErrorTableTest, FormWithoutErrnumCanBeSwappedInAndBack) {
    const char* pszInsert =
        "INSERT INTO ZTWBASIS.ZTW002ERR (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD, ERRDAT, ERRUHR, ERRKEY, "
        "ERRNUM) "
        "VALUES ('SCHEMA-EN', 1, 5, 'S0000001', 'F', DATE '2024-01-15', TIMESTAMP '2024-01-15 08:30:00', 0, "
        "0)";
    CTestDatabase db;
    ASSERT_TRUE(db.Connect(CTestDatabase::DSN_MYSQL));

    db.Exec("DROP TABLE ZTWBASIS.ZTW002ERR");
    ASSERT_TRUE(db.ExecScript("sql/test-schema/mysql/ztw002err-without-errnum.sql"));
    EXPECT_EQ(db.TryExec(pszInsert), 1054) << "unknown column ERRNUM";

    db.Exec("DROP TABLE ZTWBASIS.ZTW002ERR");
    ASSERT_TRUE(db.ExecScript("sql/test-schema/mysql/ztw002err.sql"));
    EXPECT_EQ(db.Exec(pszInsert), 1);
    db.Exec("DELETE FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM = 'SCHEMA-EN'");
}

}  // namespace
