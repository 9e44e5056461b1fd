// The closing row of a request: the fall-back to the form without ERRNUM on each product's
// "invalid column" code, and no fall-back on anything else.
#include <string>
#include <vector>

#include "db/ErrorRecords.h"
#include "tests/fakeodbc/FakeOdbcTest.h"

namespace {

struct InvalidColumn {
    const char* pszDbSystem;
    FakeDiag diag;
};

bool HasNum(const std::string& strSql) {
    return strSql.find("ERRNUM") != std::string::npos;
}

class ErrorRowTest : public CFakeOdbcTest {
protected:
    int32_t InsertRow() {
        return m_pDb->InsertErrorRow("4711", 2, 5, "00012345", "K1", 20240115, "08:30", 0, 0);
    }
};

class ErrorRowFallback : public ErrorRowTest, public ::testing::WithParamInterface<InvalidColumn> {};

TEST_P(ErrorRowFallback, WritesWithoutErrnumNowAndForTheRestOfTheRun) {
    ASSERT_EQ(Connect(GetParam().pszDbSystem), 0);
    g_fakeOdbc.AddAnswer({.strMatch = "ERRNUM", .nExecReturn = SQL_ERROR, .diag = GetParam().diag});

    EXPECT_EQ(InsertRow(), 0);
    EXPECT_TRUE(g_errorTableWithoutNum);
    std::vector<std::string> texts = g_fakeOdbc.ExecutedTexts();
    ASSERT_EQ(texts.size(), 2U);
    EXPECT_TRUE(HasNum(texts[0]));
    EXPECT_FALSE(HasNum(texts[1]));

    EXPECT_EQ(InsertRow(), 0);
    texts = g_fakeOdbc.ExecutedTexts();
    ASSERT_EQ(texts.size(), 3U);
    EXPECT_FALSE(HasNum(texts[2]));
}

INSTANTIATE_TEST_SUITE_P(
    Products, ErrorRowFallback,
    ::testing::Values(InvalidColumn{"ORACLE", {"42000", 904, "ORA-00904: \"ERRNUM\": invalid identifier"}},
                      InvalidColumn{"MSSQL", {"42S22", 207, "Invalid column name 'ERRNUM'."}},
                      InvalidColumn{"MYSQL", {"42S22", 1054, "Unknown column 'ERRNUM' in 'field list'"}}),
    [](const ::testing::TestParamInfo<InvalidColumn>& info) { return std::string(info.param.pszDbSystem); });

// A duplicate row, or a failure without native code, says nothing about the table's columns.
TEST_F(ErrorRowTest, OtherFailuresAreReturnedWithoutFallback) {
    ASSERT_EQ(Connect("ORACLE"), 0);
    g_fakeOdbc.AddAnswer({.strMatch = "ZTW002ERR",
                          .nExecReturn = SQL_ERROR,
                          .diag = FakeDiag{"23000", 1, "ORA-00001: unique constraint violated"}});
    EXPECT_EQ(InsertRow(), 1);
    EXPECT_FALSE(g_errorTableWithoutNum);
    ASSERT_EQ(g_fakeOdbc.ExecutedTexts().size(), 1U);
    EXPECT_TRUE(HasNum(g_fakeOdbc.ExecutedTexts()[0]));

    ASSERT_EQ(Connect("MYSQL"), 0);
    g_fakeOdbc.AddAnswer(
        {.strMatch = "ZTW002ERR", .nExecReturn = SQL_ERROR, .diag = FakeDiag{"HY000", 0, ""}});
    EXPECT_EQ(InsertRow(), -1);
    EXPECT_FALSE(g_errorTableWithoutNum);
    ASSERT_EQ(g_fakeOdbc.ExecutedTexts().size(), 1U);
    EXPECT_TRUE(HasNum(g_fakeOdbc.ExecutedTexts()[0]));
}

}  // namespace
