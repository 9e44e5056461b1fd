// What the operations make of the driver's results: codes passed through, local failures, the
// searched deletes that touch no row, and a request whose transaction the server has dropped.
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/ProcessRequest.h"
#include "calc/ContractRecord.h"
#include "calc/DailyRows.h"
#include "db/ErrorRecords.h"
#include "tests/fakeodbc/FakeOdbcTest.h"

namespace {

class ReturnCodeTest : public CFakeOdbcTest {
protected:
    void SetUp() override {
        CFakeOdbcTest::SetUp();
        ASSERT_EQ(Connect("MSSQL"), 0);
        std::snprintf(m_request.storedNumber, sizeof(m_request.storedNumber), "%s", "4711");
    }

    ParamRecord m_request{};
};

TEST_F(ReturnCodeTest, InvalidHandleFromTheDriverPassesThroughUnchanged) {
    g_fakeOdbc.AddAnswer({.strMatch = "DELETE", .nExecReturn = SQL_INVALID_HANDLE});
    EXPECT_EQ(m_pDb->DeleteRequest(&m_request), SQL_INVALID_HANDLE);
    EXPECT_EQ(m_pDb->DeleteKvtSfzData("00012345", 20240101, 20240630), SQL_INVALID_HANDLE);

    g_fakeOdbc.AddAnswer({.strMatch = "ZTW002PRM", .nFetchEnd = SQL_INVALID_HANDLE});
    EXPECT_EQ(m_pDb->ReadNextRequest("ZTW0815", "ANWENDER", &m_request), SQL_INVALID_HANDLE);
}

// The record of a failed allocation is on the connection handle; the operation reports -1, never
// the native code, and never takes it for the error table's missing column.
TEST_F(ReturnCodeTest, UnavailableStatementHandleGivesMinusOneWithTheConnectionsRecord) {
    SQLHSTMT hStmt = SQL_NULL_HSTMT;
    ContractRecord contract{};
    DailyRows rows;
    rows.Add(DayRecord{20240101, 0.0, 0.0, 0.0}, ShiftDayResult{});
    double dValue = 0.0;
    int32_t nValue = 0;
    const std::vector<std::pair<const char*, std::function<int32_t()>>> operations = {
        {"ReadNextRequest", [&] { return m_pDb->ReadNextRequest("ZTW0815", "ANWENDER", &m_request); }},
        {"ReadRequestByNumber",
         [&] { return m_pDb->ReadRequestByNumber("ZTW0815", "ANWENDER", "4711", &m_request); }},
        {"DeleteRequest", [&] { return m_pDb->DeleteRequest(&m_request); }},
        {"InsertErrorRow",
         [&] { return m_pDb->InsertErrorRow("4711", 2, 5, "1", "K1", 20240115, "08:30", 0, 0); }},
        {"SetSavepoint", [&] { return m_pDb->SetSavepoint(); }},
        {"OpenKvtBsvData", [&] { return m_pDb->OpenKvtBsvData(&hStmt, "00012345"); }},
        {"ReadKvtSfvData",
         [&] { return m_pDb->ReadKvtSfvData("00012345", 2024, &dValue, &dValue, &nValue); }},
        {"OpenKvtBewData",
         [&] {
             return m_pDb->OpenKvtBewData(&hStmt, "00012345", "SF1", 20240101, 20240630, 20240101, 20240630);
         }},
        {"DeleteKvtSfzData", [&] { return m_pDb->DeleteKvtSfzData("00012345", 20240101, 20240630); }},
        {"InsertKvtSfzData", [&] { return m_pDb->InsertKvtSfzData("00012345", "A", rows); }},
        {"DeleteKvtSfvData", [&] { return m_pDb->DeleteKvtSfvData("00012345", 2025, 0); }},
        {"InsertKvtSfvData", [&] { return m_pDb->InsertKvtSfvData("00012345", "A", 2025, 0.0, 0.0); }},
    };
    for (const auto& [pszName, operation] : operations) {
        g_fakeOdbc.FailStatementAllocation(FakeDiag{"HY001", 207, pszName});
        EXPECT_EQ(operation(), -1) << pszName;
        EXPECT_EQ(m_pDb->GetSqlCode(), 207) << pszName;
        EXPECT_STREQ(m_pDb->GetSqlMessage(), pszName);
        EXPECT_EQ(hStmt, nullptr) << pszName;
    }
    EXPECT_FALSE(g_errorTableWithoutNum);
    EXPECT_TRUE(g_fakeOdbc.ExecutedTexts().empty());
    EXPECT_EQ(m_pDb->FetchKvtBsvData(&hStmt, &contract), -1);
}

// SQL Server's driver answers a delete without a matching row with SQL_NO_DATA, MariaDB's with
// SQL_SUCCESS and a row count of 0: both are "no row".
TEST_F(ReturnCodeTest, SearchedDeleteThatTouchesNoRowGivesNoData) {
    struct Outcome {
        SQLRETURN nExecReturn;
        SQLLEN nRowCount;
        int32_t nExpected;
    };
    for (const Outcome& outcome : {Outcome{SQL_SUCCESS, 0, 100}, Outcome{SQL_NO_DATA, -1, 100},
                                   Outcome{SQL_SUCCESS, 2, 0}, Outcome{SQL_SUCCESS_WITH_INFO, 0, 100}}) {
        g_fakeOdbc.AddAnswer(
            {.strMatch = "DELETE", .nExecReturn = outcome.nExecReturn, .nRowCount = outcome.nRowCount});
        const std::string strCase =
            "return " + std::to_string(outcome.nExecReturn) + ", rows " + std::to_string(outcome.nRowCount);
        EXPECT_EQ(m_pDb->DeleteRequest(&m_request), outcome.nExpected) << strCase;
        EXPECT_EQ(m_pDb->DeleteKvtSfzData("00012345", 20240101, 20240630), outcome.nExpected) << strCase;
        EXPECT_EQ(m_pDb->DeleteKvtSfvData("00012345", 2025, 0), outcome.nExpected) << strCase;
    }
}

// A fault of the request's own data, where the server had already rolled the whole transaction back
// (a Galera node's lost conflict): the savepoint is gone, and the product says so in the words of a
// wrong statement. The request stays queued, and the run goes on.
TEST_F(ReturnCodeTest, ARequestWhoseTransactionTheServerDroppedStaysQueued) {
    g_fakeOdbc.AddAnswer({.strMatch = "ZTW310BSV", .nExecReturn = SQL_ERROR, .diag = FakeDiag{"22003", 8115, ""}});
    g_fakeOdbc.AddAnswer({.strMatch = "ROLLBACK TRANSACTION KVT_CALC",
                          .nExecReturn = SQL_ERROR,
                          .diag = FakeDiag{"42000", 6401, "No transaction or savepoint of that name was found."}});
    std::snprintf(m_request.storedPnr, sizeof(m_request.storedPnr), "%s", "00012345");
    CRequestLedger ledger;
    RequestReport report;

    EXPECT_EQ(ProcessRequest(*m_pDb, m_request, ledger, &report), RequestOutcome::StillQueued);
    EXPECT_EQ(report.failure, SqlFailure::Transient);
    EXPECT_EQ(g_fakeOdbc.EndTranCalls(), (std::vector<SQLSMALLINT>{SQL_ROLLBACK}));
}

}  // namespace
