#include <string>

#include "tests/db/KvtDbTest.h"

namespace {

class ErrorRecordsTest : public KvtDbTest {
protected:
    // Table definitions are changed through the plain MYSQL connection: the scripts are MariaDB's.
    // They create the table only, so the old one, if any, goes first.
    void ReplaceErrorTable(const char* pszScript) {
        CTestDatabase ddl;
        ASSERT_TRUE(ddl.Connect(CTestDatabase::DSN_MYSQL));
        ddl.Exec("DROP TABLE IF EXISTS ZTWBASIS.ZTW002ERR");
        ASSERT_TRUE(ddl.ExecScript(pszScript));
    }

    void TearDown() override { ReplaceErrorTable("sql/test-schema/mysql/ztw002err.sql"); }

    // The closing row is committed at once here; the request loop commits it with the removal of
    // the request.
    int32_t InsertClosingRow(const char* pszNumber) {
        const int32_t nResult = m_db.InsertErrorRow(pszNumber, 3, 5, "O'Br\\en", "K1", 20240115, "08:30", 0, 0);
        m_db.Commit();
        return nResult;
    }
};

TEST_P(ErrorRecordsTest, TheClosingRowCarriesTheRequestAndItsDateAndTime) {
    ASSERT_EQ(InsertClosingRow("00042"), 0);
    EXPECT_FALSE(g_errorTableWithoutNum);
    std::vector<CString> rows;
    ASSERT_EQ(m_raw.QueryRows("SELECT ERRPRM, ERRLFD, ERRTYP, ERRPNR, ERRFCD, DATE_FORMAT(ERRDAT, '%Y-%m-%d'), "
                              "DATE_FORMAT(ERRUHR, '%Y-%m-%d %H:%i:%s'), ERRKEY, ERRNUM FROM ZTWBASIS.ZTW002ERR",
                              rows),
              1);
    EXPECT_STREQ(rows[0], "00042|3|5|O'Br\\en|K1|2024-01-15|2024-01-15 08:30:00|0|0");
}

// MariaDB reports an unknown column as 1054 also in its ORACLE mode, where the program expects
// Oracle's 904: the fallback runs on the MYSQL connection only here.
TEST_P(ErrorRecordsTest, AnErrorTableWithoutErrnumIsWrittenWithoutItFromTheFirstFailureOn) {
    ReplaceErrorTable("sql/test-schema/mysql/ztw002err-without-errnum.sql");
    if (std::string(GetParam().pszDbSystem) != "MYSQL") {
        EXPECT_EQ(InsertClosingRow("1"), 1054);
        EXPECT_FALSE(g_errorTableWithoutNum);
        return;
    }
    EXPECT_EQ(InsertClosingRow("1"), 0);
    EXPECT_TRUE(g_errorTableWithoutNum);
    EXPECT_EQ(InsertClosingRow("2"), 0);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR WHERE ERRKEY = 0"), 2);
}

TEST_P(ErrorRecordsTest, OtherFailuresAreReturnedWithoutFallback) {
    m_raw.Exec("DROP TABLE ZTWBASIS.ZTW002ERR");
    EXPECT_EQ(InsertClosingRow("1"), 1146);
    EXPECT_FALSE(g_errorTableWithoutNum);
    EXPECT_EQ(m_db.GetSqlState(), "42S02");
}

INSTANTIATE_TEST_SUITE_P(Products, ErrorRecordsTest, ::testing::Values(kMySqlCase, kOracleCase), DialectName);

}  // namespace
