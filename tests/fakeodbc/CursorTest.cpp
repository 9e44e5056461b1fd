// The life of a cursor handle in the caller's slot: a failing open or fetch drops the statement
// and nulls the slot, an exhausted cursor stays open until the caller releases it.
#include <cstring>

#include "calc/ContractRecord.h"
#include "calc/DayRecord.h"
#include "tests/fakeodbc/FakeOdbcTest.h"

namespace {

bool AllZero(const void* pData, size_t nSize) {
    const unsigned char* pb = static_cast<const unsigned char*>(pData);
    for (size_t i = 0; i < nSize; ++i) {
        if (pb[i] != 0) {
            return false;
        }
    }
    return true;
}

class CursorTest : public CFakeOdbcTest {
protected:
    void SetUp() override {
        CFakeOdbcTest::SetUp();
        ASSERT_EQ(Connect("MSSQL"), 0);
    }

    int32_t OpenBew() {
        return m_pDb->OpenKvtBewData(&m_hStmt, "00012345", "SF1", 20240101, 20240630, 20240101, 20241231);
    }

    SQLHSTMT m_hStmt = SQL_NULL_HSTMT;
};

TEST_F(CursorTest, FailedOpenDropsTheStatementAndNullsTheSlot) {
    g_fakeOdbc.AddAnswer({.strMatch = "ZTW310BSV",
                          .nExecReturn = SQL_ERROR,
                          .diag = FakeDiag{"42S02", 208, "Invalid object name 'ZTW0815.ZTW310BSV'."}});
    EXPECT_EQ(m_pDb->OpenKvtBsvData(&m_hStmt, "00012345"), 208);
    EXPECT_EQ(m_hStmt, nullptr);
    EXPECT_STREQ(m_pDb->GetSqlState(), "42S02");

    g_fakeOdbc.AddAnswer(
        {.strMatch = "ZTW133BAK", .nExecReturn = SQL_ERROR, .diag = FakeDiag{"HY000", 0, "?"}});
    EXPECT_EQ(OpenBew(), -1);
    EXPECT_EQ(m_hStmt, nullptr);
    EXPECT_EQ(g_fakeOdbc.LiveHandles(SQL_HANDLE_STMT), 0);

    DayRecord day{};
    EXPECT_EQ(m_pDb->FetchKvtBewData(&m_hStmt, &day), -1);
}

TEST_F(CursorTest, FailedFetchDropsTheStatementAndReportsTheNativeCodeElseTheResult) {
    g_fakeOdbc.AddAnswer({.strMatch = "ZTW310BSV",
                          .rows = {{"123456789", "20240101", "0", "SF1", "10", "2", "100", "3", "12"}},
                          .nFetchEnd = SQL_ERROR,
                          .fetchEndDiag = FakeDiag{"08S01", 10054, "Communication link failure"}});
    ASSERT_EQ(m_pDb->OpenKvtBsvData(&m_hStmt, "00012345"), 0);
    ContractRecord contract{};
    EXPECT_EQ(m_pDb->FetchKvtBsvData(&m_hStmt, &contract), 0);
    EXPECT_STREQ(contract.pnr, "12345678");
    EXPECT_STREQ(m_pDb->GetSqlState(), "01004");
    EXPECT_EQ(contract.validFrom, 20240101);
    EXPECT_EQ(contract.kvtJmo, 12);
    EXPECT_EQ(m_pDb->FetchKvtBsvData(&m_hStmt, &contract), 10054);
    EXPECT_EQ(m_hStmt, nullptr);
    EXPECT_EQ(g_fakeOdbc.LiveHandles(SQL_HANDLE_STMT), 0);

    g_fakeOdbc.AddAnswer({.strMatch = "ZTW133BAK", .nFetchEnd = SQL_INVALID_HANDLE});
    ASSERT_EQ(OpenBew(), 0);
    DayRecord day{};
    EXPECT_EQ(m_pDb->FetchKvtBewData(&m_hStmt, &day), SQL_INVALID_HANDLE);
    EXPECT_EQ(m_hStmt, nullptr);
}

// The end of the rows is not a failure: the handle stays for ReleaseStatement, which ends the result
// set and keeps the statement for its next use. (A NULL in a day column keeps the value of the day
// before.)
TEST_F(CursorTest, ExhaustedCursorStaysOpenForTheCallersRelease) {
    g_fakeOdbc.AddAnswer(
        {.strMatch = "ZTW133BAK",
         .rows = {{"20240101", "1.5", "0", "2"}, {"20240102", std::nullopt, "1", std::nullopt}}});
    ASSERT_EQ(OpenBew(), 0);
    EXPECT_EQ(g_fakeOdbc.Executions().back().strHandle, g_fakeOdbc.NameOf(m_hStmt));
    DayRecord day{};
    EXPECT_EQ(m_pDb->FetchKvtBewData(&m_hStmt, &day), 0);
    EXPECT_EQ(m_pDb->FetchKvtBewData(&m_hStmt, &day), 0);
    EXPECT_EQ(day.day, 20240102);
    EXPECT_EQ(day.shares, 1.5);
    EXPECT_EQ(day.daysUpTo, 1.0);
    EXPECT_EQ(day.daysAfter, 2.0);

    EXPECT_EQ(m_pDb->FetchKvtBewData(&m_hStmt, &day), 100);
    ASSERT_NE(m_hStmt, nullptr);
    EXPECT_EQ(m_pDb->ReleaseStatement(m_hStmt), 0);
    EXPECT_EQ(g_fakeOdbc.Calls().back(), "SQLFreeStmt " + g_fakeOdbc.NameOf(m_hStmt));
    EXPECT_EQ(g_fakeOdbc.LiveHandles(SQL_HANDLE_STMT), 1);
    ASSERT_EQ(OpenBew(), 0);
    EXPECT_EQ(g_fakeOdbc.LiveHandles(SQL_HANDLE_STMT), 1);
    m_pDb->ReleaseStatement(m_hStmt);

    ASSERT_EQ(m_pDb->OpenKvtBsvData(&m_hStmt, "00012345"), 0);
    ContractRecord contract{};
    EXPECT_EQ(m_pDb->FetchKvtBsvData(&m_hStmt, &contract), 100);
    ASSERT_NE(m_hStmt, nullptr);
    EXPECT_EQ(m_pDb->ReleaseStatement(m_hStmt), 0);
}

// The contract record is cleared before every fetch, whether or not there is a cursor; the
// day record never is.
TEST_F(CursorTest, FetchWithoutCursorClearsOnlyTheContractRecord) {
    ContractRecord contract;
    std::memset(&contract, 0x5A, sizeof(contract));
    EXPECT_EQ(m_pDb->FetchKvtBsvData(&m_hStmt, &contract), -1);
    EXPECT_TRUE(AllZero(&contract, sizeof(contract)));

    DayRecord day{20240101, 1.0, 2.0, 3.0};
    EXPECT_EQ(m_pDb->FetchKvtBewData(&m_hStmt, &day), -1);
    EXPECT_EQ(day.day, 20240101);
    EXPECT_EQ(day.daysAfter, 3.0);

    g_fakeOdbc.AddAnswer(
        {.strMatch = "ZTW310BSV",
         .rows = {{"00012345", "20240101", "0", "SF1", std::nullopt, "2", "100", "3", "12"}}});
    ASSERT_EQ(m_pDb->OpenKvtBsvData(&m_hStmt, "00012345"), 0);
    std::memset(&contract, 0x5A, sizeof(contract));
    EXPECT_EQ(m_pDb->FetchKvtBsvData(&m_hStmt, &contract), 0);
    EXPECT_EQ(contract.kvtAnz, 0);
    EXPECT_EQ(contract.kvtTkt, 2);
    m_pDb->ReleaseStatement(m_hStmt);
}

TEST_F(CursorTest, ReleasingANullHandleCallsNothing) {
    g_fakeOdbc.ClearCalls();
    EXPECT_EQ(m_pDb->ReleaseStatement(SQL_NULL_HSTMT), 0);
    EXPECT_TRUE(g_fakeOdbc.Calls().empty());
}

}  // namespace
