// One request is one unit of work: its claim keeps other connections off it without making them
// wait.
#include <string>

#include "tests/db/Scenario.h"

namespace {

class RequestUnitTest : public KvtCalcTest {
protected:
    void Queue(const char* pszNumber) {
        m_scenario.Commit();
        CString strSql;
        strSql.Format(
            "INSERT INTO ZTWBASIS.ZTW002PRM (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMPNR, PRMDTM, PRMUHR, "
            "PRMFCD, PRMERF) VALUES ('%s', 1, 5, 'KVTTEST', 'PLANER', '4711', DATE '2024-01-15', "
            "TIMESTAMP '2024-01-15 08:30:00', 'SF', 'Planer')",
            pszNumber);
        m_raw.Exec(strSql);
    }

    static std::string Claim(CDbConnection& db) {
        ParamRecord record{};
        const int32_t nResult = db.ReadNextRequest("KVTTEST", "PLANER", &record);
        return nResult == 0 ? std::string(record.PRMNUM) : "rc " + std::to_string(nResult);
    }
};

// MariaDB in its ORACLE mode locks every row of a FOR UPDATE SKIP LOCKED cursor when it executes,
// where Oracle locks the rows it fetches: there the other connection finds nothing free, but it
// never waits either.
TEST_P(RequestUnitTest, AClaimedRequestIsPassedOverByOthersUntilItsTransactionEnds) {
    Queue("1");
    Queue("2");
    CDbConnection other;
    other.SetConfig(&m_config);
    other.SetSchema(Schema());
    ASSERT_EQ(other.Connect(), 0);

    EXPECT_EQ(Claim(m_db), "1");
    const std::string strOther = Claim(other);
    EXPECT_TRUE(strOther == "2" || (!IsMySql() && strOther == "rc 100")) << strOther;
    EXPECT_EQ(other.Rollback(), 0);
    EXPECT_EQ(m_db.Rollback(), 0);
    EXPECT_EQ(Claim(other), "1");
    EXPECT_EQ(other.Rollback(), 0);
}

INSTANTIATE_TEST_SUITE_P(Products, RequestUnitTest, ::testing::Values(kMySqlCase, kOracleCase), DialectName);

}  // namespace
