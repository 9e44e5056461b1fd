// The SQL Server statement texts, character for character, and the quoting of values in them.
#include <cstdio>
#include <string>
#include <vector>

#include "calc/DayRecord.h"
#include "tests/fakeodbc/FakeOdbcTest.h"

namespace {

using Texts = std::vector<std::string>;

const char* const kReadNextRequest =
    "SELECT PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR,"
    "        PRMMAP, PRMPNR,"
    "        CONVERT(CHAR(8), PRMDTM, 112),"
    "        CONVERT(CHAR(8), PRMDBI, 112),"
    "        CONVERT(CHAR(5), PRMUHR, 108),"
    "        PRMFCD, PRMABT, PRMKST, PRMKTR,"
    "        PRMKRT, PRMVRA, PRMAZT, PRMTXT,"
    "        PRMLOE, PRMBUC, PRMVKD, PRMSTS,"
    "        PRMERF "
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  UPPER(PRMSCH) = 'ZTW0815' "
    "AND    UPPER(PRMUSR) = 'ANWENDER' "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kReadRequestByNumber =
    "SELECT PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR,"
    "        PRMMAP, PRMPNR,"
    "        CONVERT(CHAR(8), PRMDTM, 112),"
    "        CONVERT(CHAR(8), PRMDBI, 112),"
    "        CONVERT(CHAR(5), PRMUHR, 108),"
    "        PRMFCD, PRMABT, PRMKST, PRMKTR,"
    "        PRMKRT, PRMVRA, PRMAZT, PRMTXT,"
    "        PRMLOE, PRMBUC, PRMVKD, PRMSTS,"
    "        PRMERF "
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  UPPER(PRMSCH) = 'ZTW0815' "
    "AND    UPPER(PRMUSR) = 'ANWENDER' "
    "AND    PRMNUM = '4711' "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kDeleteRequest =
    "DELETE "
    "FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  PRMNUM = '4711' "
    "AND    PRMLFD = '2' "
    "AND    PRMTYP = '5'";

const char* const kInsertErrorRow =
    "INSERT INTO ZTWBASIS.ZTW002ERR   (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD,"
    "    ERRDAT, ERRUHR, ERRKEY, ERRNUM) "
    "VALUES   ('4711', 2, 5, '00012345', 'K1',"
    "    CONVERT(DATETIME, '20240115', 112),"
    "    CONVERT(DATETIME, '20240115', 112) +"
    "    CONVERT(DATETIME, '08:30', 108),"
    "    7, 9)";

const char* const kInsertErrorRowWithoutNum =
    "INSERT INTO ZTWBASIS.ZTW002ERR   (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD,"
    "    ERRDAT, ERRUHR, ERRKEY) "
    "VALUES   ('4711', 2, 5, '00012345', 'K1',"
    "    CONVERT(DATETIME, '20240115', 112),"
    "    CONVERT(DATETIME, '20240115', 112) +"
    "    CONVERT(DATETIME, '08:30', 108),"
    "    7)";

const char* const kOpenKvtBsvData =
    "SELECT BSVPNR, CONVERT(CHAR(8), BSVGVO, 112),"
    "        COALESCE(CONVERT(CHAR(8), BSVGBI, 112), '0'),"
    "        BSVKVT, KVTANZ, KVTTKT, KVTMAX, KVTVMO,"
    "        COALESCE(KVTJMO, 12) "
    "FROM   ZTW0815.ZTW310BSV, ZTW0815.ZTW155KVT "
    "WHERE  BSVPNR = '00012345' "
    "AND    BSVKVT = KVTMOD "
    "ORDER BY BSVPNR, BSVGVO";

const char* const kReadKvtSfvData =
    "SELECT COALESCE(SFVVTG, 0),"
    "        COALESCE(SFVVAN, 0),"
    "        COALESCE(SFVZUS, 0) "
    "FROM   ZTW0815.ZTW332SFV "
    "WHERE  SFVPNR = '00012345' "
    "AND    SFVJHR = '2024' ";

// SQL Server divides an integer COUNT by 2 as an integer; the half days need "2.0".
const char* const kOpenKvtBewData =
    "SELECT CONVERT(CHAR(8), BAKDTM, 112) AS BAKDTM,"
    "        (SELECT COALESCE(SUM(SF1ANT), 0)"
    "         FROM   ZTW0815.ZTW329ZTG,"
    "                ZTW0815.ZTW155SF1,"
    "                ZTW0815.ZTW320TGB"
    "         WHERE  ZTGPNR = PNRNUM"
    "         AND    ZTGVON = BAKDTM"
    "         AND    SF1NUM = 'SF1'"
    "         AND    SF1AZT = ZTGAZT"
    "         AND    TGBPNR = ZTGPNR"
    "         AND    TGBDTM = ZTGVON"
    "         AND    TGBZTR = 1"
    "         AND    TGBMAX >= SF1MIN),"
    "        (SELECT COUNT(TAGTGB) +"
    "                COUNT(TAGHTV) / 2.0 +"
    "                COUNT(TAGHTN) /2.0"
    "         FROM   ZTW0815.ZTW327TAG,"
    "                ZTW0815.ZTW131FCD,"
    "                ZTW0815.ZTW321BCH"
    "         WHERE  BCHPNR = PNRNUM"
    "         AND    BCHVON >= CONVERT(DATETIME, '20240101', 112)"
    "         AND    BCHVON <= CONVERT(DATETIME, '20240630', 112)"
    "         AND    BCHVON <= BAKDTM"
    "         AND    (BCHFKT = 1"
    "         OR      BCHFKT = 2"
    "         OR      BCHFKT = 3)"
    "         AND    BCHFCD = FCDNUM"
    "         AND    FCDFCD = 25"
    "         AND    TAGPNR = BCHPNR"
    "         AND    TAGTAG = BCHVON),"
    "        (SELECT COUNT(TAGTGB) +"
    "                COUNT(TAGHTV) / 2.0 +"
    "                COUNT(TAGHTN) /2.0"
    "         FROM   ZTW0815.ZTW327TAG,"
    "                ZTW0815.ZTW131FCD,"
    "                ZTW0815.ZTW321BCH"
    "         WHERE  BCHPNR = PNRNUM"
    "         AND    BCHVON >= CONVERT(DATETIME, '20240301', 112)"
    "         AND    BCHVON <= CONVERT(DATETIME, '20241231', 112)"
    "         AND    BCHVON > BAKDTM"
    "         AND    (BCHFKT = 1"
    "         OR      BCHFKT = 2"
    "         OR      BCHFKT = 3)"
    "         AND    BCHFCD = FCDNUM"
    "         AND    FCDFCD = 25"
    "         AND    TAGPNR = BCHPNR"
    "         AND    TAGTAG = BCHVON) "
    "FROM   ZTWBASIS.ZTW133BAK, ZTW0815.ZTW300PNR "
    "WHERE  BAKDTM >= CONVERT(DATETIME, '20240101', 112) "
    "AND    BAKDTM <= CONVERT(DATETIME, '20240630', 112) "
    "AND    BAKDTM <= CURRENT_TIMESTAMP "
    "AND    PNRNUM = '00012345' "
    "ORDER BY BAKDTM";

const char* const kDeleteKvtSfzData =
    "DELETE "
    "FROM ZTW0815.ZTW332SFZ "
    "WHERE  SFZPNR = '00012345' "
    "AND    SFZDTM >= CONVERT(DATETIME, '20240101', 112) "
    "AND    SFZDTM <= CONVERT(DATETIME, '20240630', 112)";

const char* const kInsertKvtSfzData =
    "INSERT INTO ZTW0815.ZTW332SFZ   (SFZPNR, SFZDTM, SFZANT, SFZVTG, SFZVAN, SFZANS,"
    "    SFZGEN, SFZVPL, SFZRST, SFZGVV, SFZDAT, SFZERF,"
    "    SFZSTA) "
    "VALUES   ('00012345', CONVERT(DATETIME, '20240115', 112), 7.500000, -1.250000, 0.000000, "
    "12345678.900000,"
    "    2.000000, 0.500000, -0.125000, 3, CURRENT_TIMESTAMP, 'ANWENDER', 1)";

const char* const kDeleteKvtSfvData =
    "DELETE "
    "FROM   ZTW0815.ZTW332SFV "
    "WHERE  SFVPNR = '00012345' "
    "AND    SFVJHR = 2025 "
    "AND    SFVMAN = 0";

const char* const kInsertKvtSfvData =
    "INSERT INTO ZTW0815.ZTW332SFV   (SFVPNR, SFVJHR, SFVVTG, SFVVAN,"
    "    SFVMAN, SFVDAT, SFVERF, SFVSTA) "
    "VALUES   ('00012345', 2025, 10.750000, 0.333333,"
    "    0, CURRENT_TIMESTAMP, 'ANWENDER', 1)";

class MsSqlStatementText : public CFakeOdbcTest {
protected:
    void SetUp() override {
        CFakeOdbcTest::SetUp();
        ASSERT_EQ(Connect("MSSQL"), 0);
    }
};

TEST_F(MsSqlStatementText, RequestTable) {
    ParamRecord record{};
    EXPECT_EQ(m_pDb->ReadNextRequest("ZTW0815", "ANWENDER", &record), 100);
    EXPECT_EQ(m_pDb->ReadRequestByNumber("ZTW0815", "ANWENDER", "4711", &record), 100);
    std::snprintf(record.storedNumber, sizeof(record.storedNumber), "%s", "4711");
    record.PRMLFD = 2;
    record.PRMTYP = 5;
    EXPECT_EQ(m_pDb->DeleteRequest(&record), 0);
    EXPECT_EQ(g_fakeOdbc.ExecutedTexts(), (Texts{kReadNextRequest, kReadRequestByNumber, kDeleteRequest}));
}

TEST_F(MsSqlStatementText, ErrorTableWithAndWithoutNum) {
    EXPECT_EQ(m_pDb->InsertErrorRow("4711", 2, 5, "00012345", "K1", 20240115, "08:30", 7, 9), 0);
    EXPECT_EQ(m_pDb->InsertErrorRowWithoutNum("4711", 2, 5, "00012345", "K1", 20240115, "08:30", 7), 0);
    EXPECT_EQ(g_fakeOdbc.ExecutedTexts(), (Texts{kInsertErrorRow, kInsertErrorRowWithoutNum}));
}

TEST_F(MsSqlStatementText, CalculationInputs) {
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    EXPECT_EQ(m_pDb->OpenKvtBsvData(&hStmt, "00012345"), 0);
    m_pDb->ReleaseStatement(hStmt);
    double dDays = 0.0;
    double dShares = 0.0;
    int32_t nYearStart = 0;
    EXPECT_EQ(m_pDb->ReadKvtSfvData("00012345", 2024, &dDays, &dShares, &nYearStart), 100);
    EXPECT_EQ(m_pDb->OpenKvtBewData(&hStmt, "00012345", "SF1", 20240101, 20240630, 20240301, 20241231), 0);
    m_pDb->ReleaseStatement(hStmt);
    EXPECT_EQ(g_fakeOdbc.ExecutedTexts(), (Texts{kOpenKvtBsvData, kReadKvtSfvData, kOpenKvtBewData}));
}

// Doubles go out with six decimals and a point, never in exponent notation.
TEST_F(MsSqlStatementText, CalculationResults) {
    const DayRecord day{20240115, 7.5, 2.0, 0.5};
    EXPECT_EQ(m_pDb->DeleteKvtSfzData("00012345", 20240101, 20240630), 0);
    EXPECT_EQ(m_pDb->InsertKvtSfzData("00012345", "ANWENDER", &day, -1.25, 0.0000004, 12345678.9, -0.125, 3),
              0);
    EXPECT_EQ(m_pDb->DeleteKvtSfvData("00012345", 2025, 0), 0);
    EXPECT_EQ(m_pDb->InsertKvtSfvData("00012345", "ANWENDER", 2025, 10.75, 0.333333333), 0);
    EXPECT_EQ(g_fakeOdbc.ExecutedTexts(),
              (Texts{kDeleteKvtSfzData, kInsertKvtSfzData, kDeleteKvtSfvData, kInsertKvtSfvData}));
}

// A quote must never end a value early: doubled in every quoted value. SQL Server reads a
// backslash literally, so it stays single.
TEST_F(MsSqlStatementText, QuotesInValuesAreDoubledBackslashesKept) {
    EXPECT_EQ(m_pDb->InsertErrorRow("47'11", 2, 5, "O'Brien", "A\\", 20240115, "08:30", 0, 0), 0);
    EXPECT_EQ(g_fakeOdbc.ExecutedTexts(),
              Texts{"INSERT INTO ZTWBASIS.ZTW002ERR   (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD,"
                    "    ERRDAT, ERRUHR, ERRKEY, ERRNUM) "
                    "VALUES   ('47''11', 2, 5, 'O''Brien', 'A\\',"
                    "    CONVERT(DATETIME, '20240115', 112),"
                    "    CONVERT(DATETIME, '20240115', 112) +"
                    "    CONVERT(DATETIME, '08:30', 108),"
                    "    0, 0)"});

    const CString strQuoted = "O'Brien";
    ParamRecord record{};
    const DayRecord day{20240115, 0.0, 0.0, 0.0};
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    double dValue = 0.0;
    int32_t nValue = 0;
    m_pDb->ReadNextRequest(strQuoted, strQuoted, &record);
    m_pDb->ReadRequestByNumber(strQuoted, strQuoted, strQuoted, &record);
    std::snprintf(record.storedNumber, sizeof(record.storedNumber), "%s", "O'Brien");
    m_pDb->DeleteRequest(&record);
    m_pDb->InsertErrorRowWithoutNum(strQuoted, 0, 0, strQuoted, strQuoted, 20240115, strQuoted, 0);
    m_pDb->OpenKvtBsvData(&hStmt, strQuoted);
    m_pDb->ReleaseStatement(hStmt);
    m_pDb->ReadKvtSfvData(strQuoted, 2024, &dValue, &dValue, &nValue);
    m_pDb->OpenKvtBewData(&hStmt, strQuoted, strQuoted, 20240101, 20240630, 20240101, 20240630);
    m_pDb->ReleaseStatement(hStmt);
    m_pDb->DeleteKvtSfzData(strQuoted, 20240101, 20240630);
    m_pDb->InsertKvtSfzData(strQuoted, strQuoted, &day, 0.0, 0.0, 0.0, 0.0, 0);
    m_pDb->DeleteKvtSfvData(strQuoted, 2025, 0);
    m_pDb->InsertKvtSfvData(strQuoted, strQuoted, 2025, 0.0, 0.0);
    const std::vector<FakeExecution>& executions = g_fakeOdbc.Executions();
    ASSERT_EQ(executions.size(), 12U);
    for (size_t i = 1; i < executions.size(); ++i) {
        EXPECT_EQ(executions[i].strSql.find("O'B"), std::string::npos) << executions[i].strSql;
        EXPECT_NE(executions[i].strSql.find("'O''Brien'"), std::string::npos) << executions[i].strSql;
    }
}

class CommitText : public CFakeOdbcTest {};

// On SQL Server and MySQL the driver's automatic commit has committed every statement already.
TEST_F(CommitText, OnlyOracleSendsACommit) {
    ASSERT_EQ(Connect("MSSQL"), 0);
    EXPECT_EQ(m_pDb->Commit(), 0);
    ASSERT_EQ(Connect("MYSQL"), 0);
    EXPECT_EQ(m_pDb->Commit(), 0);
    EXPECT_TRUE(g_fakeOdbc.ExecutedTexts().empty());
    ASSERT_EQ(Connect("ORACLE"), 0);
    EXPECT_EQ(m_pDb->Commit(), 0);
    EXPECT_EQ(g_fakeOdbc.ExecutedTexts(), Texts{"COMMIT"});
}

}  // namespace
