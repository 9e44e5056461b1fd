// The SQL Server statement texts, character for character, and the values bound to their markers.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "calc/DailyRows.h"
#include "tests/fakeodbc/FakeOdbcTest.h"

namespace {

using Texts = std::vector<std::string>;
using Params = std::vector<std::string>;

// The texts executed and the values of each, in order.
std::vector<std::pair<std::string, Params>> Executed() {
    std::vector<std::pair<std::string, Params>> executed;
    for (const FakeExecution& execution : g_fakeOdbc.Executions()) {
        executed.emplace_back(execution.strSql, execution.params);
    }
    return executed;
}

const char* const kReadNextRequest =
    "SELECT TOP (?) PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR,"
    "        PRMMAP, PRMPNR,"
    "        CONVERT(CHAR(8), PRMDTM, 112),"
    "        CONVERT(CHAR(8), PRMDBI, 112),"
    "        CONVERT(CHAR(5), PRMUHR, 108),"
    "        PRMFCD, PRMABT, PRMKST, PRMKTR,"
    "        PRMKRT, PRMVRA, PRMAZT, PRMTXT,"
    "        PRMLOE, PRMBUC, PRMVKD, PRMSTS,"
    "        PRMERF "
    "FROM   ZTWBASIS.ZTW002PRM WITH (UPDLOCK, ROWLOCK, READPAST) "
    "WHERE  PRMSCH = ? AND PRMUSR = ? AND UPPER(PRMSCH) = ? AND UPPER(PRMUSR) = ? "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kReadRequestByNumber =
    "SELECT TOP (1) PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR,"
    "        PRMMAP, PRMPNR,"
    "        CONVERT(CHAR(8), PRMDTM, 112),"
    "        CONVERT(CHAR(8), PRMDBI, 112),"
    "        CONVERT(CHAR(5), PRMUHR, 108),"
    "        PRMFCD, PRMABT, PRMKST, PRMKTR,"
    "        PRMKRT, PRMVRA, PRMAZT, PRMTXT,"
    "        PRMLOE, PRMBUC, PRMVKD, PRMSTS,"
    "        PRMERF "
    "FROM   ZTWBASIS.ZTW002PRM WITH (UPDLOCK, ROWLOCK) "
    "WHERE  UPPER(PRMSCH) = ? "
    "AND    UPPER(PRMUSR) = ? "
    "AND    PRMNUM = ? "
    "AND    PRMTYP = 5 "
    "ORDER BY PRMNUM, PRMLFD";

const char* const kDeleteRequest =
    "DELETE FROM   ZTWBASIS.ZTW002PRM "
    "WHERE  PRMNUM = ? "
    "AND    PRMLFD = ? "
    "AND    PRMTYP = ?";

const char* const kInsertErrorRow =
    "INSERT INTO ZTWBASIS.ZTW002ERR   (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD,"
    "    ERRDAT, ERRUHR, ERRKEY, ERRNUM) "
    "VALUES   (?, ?, ?, ?, ?,    ?,    ?,    ?, ?)";

const char* const kInsertErrorRowWithoutNum =
    "INSERT INTO ZTWBASIS.ZTW002ERR   (ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD,"
    "    ERRDAT, ERRUHR, ERRKEY) "
    "VALUES   (?, ?, ?, ?, ?,    ?,    ?,    ?)";

const char* const kOpenKvtBsvData =
    "SELECT BSVPNR, CONVERT(CHAR(8), BSVGVO, 112),"
    "        COALESCE(CONVERT(CHAR(8), BSVGBI, 112), '0'),"
    "        BSVKVT, KVTANZ, KVTTKT, KVTMAX, KVTVMO,"
    "        COALESCE(KVTJMO, 12) "
    "FROM   ZTW0815.ZTW310BSV, ZTW0815.ZTW155KVT "
    "WHERE  BSVPNR = ? "
    "AND    BSVKVT = KVTMOD "
    "ORDER BY BSVPNR, BSVGVO";

const char* const kReadKvtSfvData =
    "SELECT COALESCE(SFVVTG, 0),"
    "        COALESCE(SFVVAN, 0),"
    "        COALESCE(SFVZUS, 0) "
    "FROM   ZTW0815.ZTW332SFV "
    "WHERE  SFVPNR = ? "
    "AND    SFVJHR = ? ";

// SQL Server divides an integer COUNT by 2 as an integer; the half days need "2.0".
const char* const kOpenKvtBewData =
    "SELECT CONVERT(CHAR(8), DTM, 112) AS BAKDTM, SHARES, TAKEN, PLANNED "
    "FROM   (SELECT DTM, KIND, SHARES, "
    "               SUM(TAKEN_W) OVER (ORDER BY DTM, KIND ROWS UNBOUNDED PRECEDING) AS TAKEN, "
    "               SUM(PLANNED_W) OVER () - "
    "               SUM(PLANNED_W) OVER (ORDER BY DTM, KIND ROWS UNBOUNDED PRECEDING) AS PLANNED "
    "        FROM   (SELECT BAKDTM AS DTM, 1 AS KIND, COALESCE(DAY_SHARES, 0) AS SHARES, "
    "                       0 AS TAKEN_W, 0 AS PLANNED_W "
    "                FROM   ZTWBASIS.ZTW133BAK "
    "                JOIN   ZTW0815.ZTW300PNR ON PNRNUM = ? "
    "                LEFT JOIN (SELECT ZTGVON, SUM(SF1ANT) AS DAY_SHARES "
    "                           FROM   ZTW0815.ZTW329ZTG, "
    "                                  ZTW0815.ZTW155SF1, "
    "                                  ZTW0815.ZTW320TGB "
    "                           WHERE  ZTGPNR = ? "
    "                           AND    ZTGVON >= ? "
    "                           AND    ZTGVON <= ? "
    "                           AND    SF1NUM = ? "
    "                           AND    SF1AZT = ZTGAZT "
    "                           AND    TGBPNR = ZTGPNR "
    "                           AND    TGBDTM = ZTGVON "
    "                           AND    TGBZTR = 1 "
    "                           AND    TGBMAX >= SF1MIN "
    "                           GROUP BY ZTGVON) SHIFTS "
    "                       ON ZTGVON = BAKDTM "
    "                WHERE  BAKDTM >= ? "
    "                AND    BAKDTM <= ? "
    "                AND    BAKDTM <= CURRENT_TIMESTAMP "
    "                UNION ALL "
    "                SELECT BCHVON, 0, 0, "
    "                       COUNT(TAGTGB) + COUNT(TAGHTV) / 2.0 + COUNT(TAGHTN) / 2.0, 0 "
    "                FROM   ZTW0815.ZTW327TAG, "
    "                       ZTW0815.ZTW131FCD, "
    "                       ZTW0815.ZTW321BCH "
    "                WHERE  BCHPNR = ? "
    "                AND    BCHVON >= ? "
    "                AND    BCHVON <= ? "
    "                AND    (BCHFKT = 1 "
    "                OR      BCHFKT = 2 "
    "                OR      BCHFKT = 3) "
    "                AND    BCHFCD = FCDNUM "
    "                AND    FCDFCD = 25 "
    "                AND    TAGPNR = BCHPNR "
    "                AND    TAGTAG = BCHVON "
    "                GROUP BY BCHVON "
    "                UNION ALL "
    "                SELECT BCHVON, 0, 0, "
    "                       0, COUNT(TAGTGB) + COUNT(TAGHTV) / 2.0 + COUNT(TAGHTN) / 2.0 "
    "                FROM   ZTW0815.ZTW327TAG, "
    "                       ZTW0815.ZTW131FCD, "
    "                       ZTW0815.ZTW321BCH "
    "                WHERE  BCHPNR = ? "
    "                AND    BCHVON >= ? "
    "                AND    BCHVON <= ? "
    "                AND    (BCHFKT = 1 "
    "                OR      BCHFKT = 2 "
    "                OR      BCHFKT = 3) "
    "                AND    BCHFCD = FCDNUM "
    "                AND    FCDFCD = 25 "
    "                AND    TAGPNR = BCHPNR "
    "                AND    TAGTAG = BCHVON "
    "                GROUP BY BCHVON) DAYS_AND_BOOKINGS) RUNNING "
    "WHERE  KIND = 1 "
    "ORDER BY DTM";

const char* const kDeleteKvtSfzData =
    "DELETE "
    "FROM ZTW0815.ZTW332SFZ "
    "WHERE  SFZPNR = ? "
    "AND    SFZDTM >= ? "
    "AND    SFZDTM <= ?";

const char* const kInsertKvtSfzData =
    "INSERT INTO ZTW0815.ZTW332SFZ   (SFZPNR, SFZDTM, SFZANT, SFZVTG, SFZVAN, SFZANS,"
    "    SFZGEN, SFZVPL, SFZRST, SFZGVV, SFZDAT, SFZERF,"
    "    SFZSTA) "
    "VALUES   (?, ?, ?, ?, ?, ?,"
    "    ?, ?, ?, ?, CURRENT_TIMESTAMP, ?, 1)";

const char* const kDeleteKvtSfvData =
    "DELETE "
    "FROM   ZTW0815.ZTW332SFV "
    "WHERE  SFVPNR = ? "
    "AND    SFVJHR = ? "
    "AND    SFVMAN = ?";

const char* const kInsertKvtSfvData =
    "INSERT INTO ZTW0815.ZTW332SFV   (SFVPNR, SFVJHR, SFVVTG, SFVVAN,"
    "    SFVMAN, SFVDAT, SFVERF, SFVSTA) "
    "VALUES   (?, ?, ?, ?,"
    "    0, CURRENT_TIMESTAMP, ?, 1)";

// The request table compares schema and user without regard to case, as SQL Server's default
// collations do.
class MsSqlStatementText : public CFakeOdbcTest {
protected:
    void SetUp() override {
        CFakeOdbcTest::SetUp();
        g_fakeOdbc.AddAnswer({.strMatch = "sys.columns", .rows = {{"2"}}});
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
    EXPECT_EQ(Executed(), (std::vector<std::pair<std::string, Params>>{
                              {kReadNextRequest, {"1", "ZTW0815", "ANWENDER", "ZTW0815", "ANWENDER"}},
                              {kReadRequestByNumber, {"ZTW0815", "ANWENDER", "4711"}},
                              {kDeleteRequest, {"4711", "2", "5"}}}));
}

// Requests that the run passes over are read with the one after them: the row count is a value.
TEST_F(MsSqlStatementText, ClaimOfSeveralRequests) {
    std::vector<ParamRecord> records;
    EXPECT_EQ(m_pDb->ReadNextRequests("ZTW0815", "ANWENDER", 3, &records), 100);
    EXPECT_EQ(Executed(), (std::vector<std::pair<std::string, Params>>{
                              {kReadNextRequest, {"3", "ZTW0815", "ANWENDER", "ZTW0815", "ANWENDER"}}}));
}

// The person's earlier and later requests are only read, the row count first.
TEST_F(MsSqlStatementText, RequestsOfAPerson) {
    ParamRecord request{};
    std::snprintf(request.storedNumber, sizeof(request.storedNumber), "%s", "4711");
    std::snprintf(request.storedPnr, sizeof(request.storedPnr), "%s", "00012345");
    request.PRMLFD = 2;
    ParamRecord earlier{};
    std::vector<ParamRecord> later;
    EXPECT_EQ(m_pDb->ReadEarlierRequest("ZTW0815", "ANWENDER", request, &earlier), 100);
    EXPECT_EQ(m_pDb->ReadLaterRequests("ZTW0815", "ANWENDER", request, 100, &later), 100);
    const std::vector<FakeExecution>& executions = g_fakeOdbc.Executions();
    ASSERT_EQ(executions.size(), 2U);
    EXPECT_EQ(executions[0].strSql.rfind("SELECT TOP (1) PRMNUM, PRMLFD FROM   ZTWBASIS.ZTW002PRM WHERE  PRMPNR = ? ", 0),
              0U);
    EXPECT_EQ(executions[0].params, (Params{"00012345", "ZTW0815", "ANWENDER", "ZTW0815", "ANWENDER", "4711", "4711", "2"}));
    EXPECT_NE(executions[1].strSql.find("WITH (READPAST) WHERE  PRMPNR = ? "), std::string::npos);
    EXPECT_EQ(executions[1].params,
              (Params{"100", "00012345", "ZTW0815", "ANWENDER", "ZTW0815", "ANWENDER", "4711", "4711", "2"}));
}

// Both dates of the closing row are typed values; a request without a date has neither.
TEST_F(MsSqlStatementText, ErrorTableWithAndWithoutNum) {
    EXPECT_EQ(m_pDb->InsertErrorRow("4711", 2, 5, "00012345", "K1", 20240115, "08:30", 7, 9), 0);
    EXPECT_EQ(m_pDb->InsertErrorRowWithoutNum("4711", 2, 5, "00012345", "K1", 20240115, "08:30", 7), 0);
    EXPECT_EQ(m_pDb->InsertErrorRowWithoutNum("4712", 1, 5, "1", "K1", 0, "", 0), 0);
    EXPECT_EQ(Executed(),
              (std::vector<std::pair<std::string, Params>>{
                  {kInsertErrorRow, {"4711", "2", "5", "00012345", "K1", "2024-01-15", "2024-01-15 08:30:00", "7", "9"}},
                  {kInsertErrorRowWithoutNum,
                   {"4711", "2", "5", "00012345", "K1", "2024-01-15", "2024-01-15 08:30:00", "7"}},
                  {kInsertErrorRowWithoutNum, {"4712", "1", "5", "1", "K1", "NULL", "NULL", "0"}}}));
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
    EXPECT_EQ(Executed(), (std::vector<std::pair<std::string, Params>>{
                              {kOpenKvtBsvData, {"00012345"}},
                              {kReadKvtSfvData, {"00012345", "2024"}},
                              {kOpenKvtBewData,
                               {"00012345", "00012345", "2024-01-01", "2024-06-30", "SF1", "2024-01-01",
                                "2024-06-30", "00012345", "2024-01-01", "2024-06-30", "00012345", "2024-03-01",
                                "2024-12-31"}}}));
}

// The values of the results go out as the doubles nearest to their six decimals; the daily rows of
// a range as arrays, in one execution.
TEST_F(MsSqlStatementText, CalculationResults) {
    DailyRows rows;
    rows.Add(DayRecord{20240115, 7.5, 2.0, 0.5}, ShiftDayResult{-1.25, 0.0000004, 12345678.9, -0.125, 3});
    rows.Add(DayRecord{20240116, 8.0, 2.0, 0.0}, ShiftDayResult{0.0, 0.0, 1.0, 1.0, 0});
    EXPECT_EQ(m_pDb->DeleteKvtSfzData("00012345", 20240101, 20240630), 0);
    EXPECT_EQ(m_pDb->InsertKvtSfzData("00012345", "ANWENDER", rows), 0);
    EXPECT_EQ(m_pDb->DeleteKvtSfvData("00012345", 2025, 0), 0);
    EXPECT_EQ(m_pDb->InsertKvtSfvData("00012345", "ANWENDER", 2025, 10.75, 0.333333333), 0);
    const Params first = {"00012345", "2024-01-15", "7.500000", "-1.250000", "0.000000", "12345678.900000",
                          "2.000000", "0.500000", "-0.125000", "3", "ANWENDER"};
    EXPECT_EQ(Executed(), (std::vector<std::pair<std::string, Params>>{
                              {kDeleteKvtSfzData, {"00012345", "2024-01-01", "2024-06-30"}},
                              {kInsertKvtSfzData, first},
                              {kDeleteKvtSfvData, {"00012345", "2025", "0"}},
                              {kInsertKvtSfvData, {"00012345", "2025", "10.750000", "0.333333", "ANWENDER"}}}));
    EXPECT_EQ(g_fakeOdbc.Executions()[1].paramRows,
              (std::vector<Params>{first, {"00012345", "2024-01-16", "8.000000", "0.000000", "0.000000",
                                           "1.000000", "2.000000", "0.000000", "1.000000", "0", "ANWENDER"}}));
}

// SQL Server's driver goes on after a row it could not insert and reports it in the row's status
// only, with SQL_SUCCESS_WITH_INFO: the rows are then not all written, and that is a failure.
TEST_F(MsSqlStatementText, ADailyRowRefusedInItsStatusFailsTheInsert) {
    DailyRows rows;
    for (int nDay = 20240101; nDay <= 20240103; ++nDay) {
        rows.Add(DayRecord{nDay, 0.0, 0.0, 0.0}, ShiftDayResult{});
    }
    g_fakeOdbc.AddAnswer({.strMatch = "ZTW332SFZ",
                          .nExecReturn = SQL_SUCCESS_WITH_INFO,
                          .diag = FakeDiag{"01000", 8152, "String or binary data would be truncated."},
                          .paramStatus = {SQL_PARAM_SUCCESS, SQL_PARAM_ERROR, SQL_PARAM_SUCCESS}});
    EXPECT_EQ(m_pDb->InsertKvtSfzData("00012345", "ANWENDER", rows), 8152);
    EXPECT_EQ(m_pDb->GetSqlState(), "01000");
}

// A value never becomes part of a statement: a text full of quotes, backslashes and statement
// fragments is bound as it is, and every text is the same whatever the values.
TEST_F(MsSqlStatementText, ValuesNeverEnterTheTexts) {
    const CString strHostile = "O'Br\\ien'); DELETE FROM ZTW0815.ZTW332SFZ; --";
    ParamRecord record{};
    const DayRecord day{20240115, 0.0, 0.0, 0.0};
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    double dValue = 0.0;
    int32_t nValue = 0;
    m_pDb->ReadNextRequest(strHostile, strHostile, &record);
    m_pDb->ReadRequestByNumber(strHostile, strHostile, strHostile, &record);
    std::snprintf(record.storedNumber, sizeof(record.storedNumber), "%s", strHostile.GetString());
    m_pDb->DeleteRequest(&record);
    m_pDb->InsertErrorRow(strHostile, 0, 0, strHostile, strHostile, 20240115, strHostile, 0, 0);
    m_pDb->OpenKvtBsvData(&hStmt, strHostile);
    m_pDb->ReleaseStatement(hStmt);
    m_pDb->ReadKvtSfvData(strHostile, 2024, &dValue, &dValue, &nValue);
    m_pDb->OpenKvtBewData(&hStmt, strHostile, strHostile, 20240101, 20240630, 20240101, 20240630);
    m_pDb->ReleaseStatement(hStmt);
    m_pDb->DeleteKvtSfzData(strHostile, 20240101, 20240630);
    DailyRows rows;
    rows.Add(day, ShiftDayResult{});
    m_pDb->InsertKvtSfzData(strHostile, strHostile, rows);
    m_pDb->DeleteKvtSfvData(strHostile, 2025, 0);
    m_pDb->InsertKvtSfvData(strHostile, strHostile, 2025, 0.0, 0.0);
    const std::vector<FakeExecution>& executions = g_fakeOdbc.Executions();
    ASSERT_EQ(executions.size(), 11U);
    for (const FakeExecution& execution : executions) {
        EXPECT_EQ(execution.strSql.find("O'B"), std::string::npos) << execution.strSql;
        EXPECT_NE(std::find(execution.params.begin(), execution.params.end(), strHostile.GetString()),
                  execution.params.end())
            << execution.strSql;
    }
}

class TransactionText : public CFakeOdbcTest {};

// SQL Server names its savepoints with words of its own; the others share the standard's.
TEST_F(TransactionText, SavepointsInEachProductsWords) {
    Texts texts;
    for (const char* pszDbSystem : {"MSSQL", "ORACLE", "MYSQL"}) {
        ASSERT_EQ(Connect(pszDbSystem), 0);
        EXPECT_EQ(m_pDb->SetSavepoint(), 0);
        EXPECT_EQ(m_pDb->RollbackToSavepoint(), 0);
        const Texts executed = g_fakeOdbc.ExecutedTexts();
        texts.insert(texts.end(), executed.begin(), executed.end());
    }
    EXPECT_EQ(texts, (Texts{"SAVE TRANSACTION KVT_CALC", "ROLLBACK TRANSACTION KVT_CALC", "SAVEPOINT KVT_CALC",
                            "ROLLBACK TO SAVEPOINT KVT_CALC", "SAVEPOINT KVT_CALC", "ROLLBACK TO SAVEPOINT KVT_CALC"}));
}

}  // namespace
