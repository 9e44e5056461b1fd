#include <cstring>
#include <string>
#include <vector>

#include "tests/db/KvtDbTest.h"

namespace {

class RequestRecordsTest : public KvtDbTest {
protected:
    void Queue(const std::string& strNumber, int nLfd, int nType = 5, const std::string& strSchema = "KVTTEST",
               const std::string& strUser = "PLANER") {
        const std::string sql =
            "INSERT INTO ZTWBASIS.ZTW002PRM (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMPNR, PRMDTM, PRMUHR, "
            "PRMFCD, PRMERF) VALUES ('" +
            strNumber + "', " + std::to_string(nLfd) + ", " + std::to_string(nType) + ", '" + strSchema +
            "', '" + strUser + "', '4711', '2024-01-15', '2024-01-15 08:30:00', 'K1', 'M\xFCller')";
        m_raw.Exec(sql.c_str());
    }

    std::string ReadNext(ParamRecord* pRecord) {
        const int32_t nResult = m_db.ReadNextRequest("KVTTEST", "PLANER", pRecord);
        return nResult == 0 ? std::string(pRecord->PRMNUM) + "/" + std::to_string(pRecord->PRMLFD)
                            : "rc " + std::to_string(nResult);
    }
};

TEST_P(RequestRecordsTest, WaitingRequestsComeInNumberAndRunningNumberOrderOneByOne) {
    Queue("2", 1);
    Queue("1", 2);
    Queue("1", 1);
    Queue("0", 1, 4);
    Queue("0", 1, 5, "ANDERE");
    Queue("0", 2, 5, "KVTTEST", "JEMAND");

    ParamRecord record{};
    EXPECT_EQ(ReadNext(&record), "1/1");
    EXPECT_EQ(m_db.DeleteRequest(&record), 0);
    EXPECT_EQ(ReadNext(&record), "1/2");
    EXPECT_EQ(m_db.DeleteRequest(&record), 0);
    EXPECT_EQ(ReadNext(&record), "2/1");
    EXPECT_EQ(m_db.DeleteRequest(&record), 0);

    EXPECT_EQ(m_db.DeleteRequest(&record), 100);
    std::memset(&record, 0x5A, sizeof(record));
    EXPECT_EQ(ReadNext(&record), "rc 100");
    ParamRecord zero;
    std::memset(&zero, 0, sizeof(zero));
    EXPECT_EQ(std::memcmp(&record, &zero, sizeof(record)), 0);
    EXPECT_EQ(m_db.Commit(), 0);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM"), 3);
}

TEST_P(RequestRecordsTest, ARequestArrivesWithItsFieldsAsTheProgramUsesThem) {
    m_raw.Exec(
        "INSERT INTO ZTWBASIS.ZTW002PRM (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMMAP, PRMPNR, PRMDTM, "
        "PRMDBI, PRMUHR, PRMFCD, PRMERF, PRMSTS) VALUES ('00042', 3, 5, 'kvttest', 'planer', 9, '123456789', "
        "'2024-02-29', NULL, '2024-02-29 17:05:00', 'ABCDEFG', 'M\xFC" "ller, J\xF6rg', NULL)");

    ParamRecord record{};
    ASSERT_EQ(m_db.ReadRequestByNumber("KVTTEST", "PLANER", "00042", &record), 0);
    EXPECT_STREQ(record.PRMNUM, "00042");
    EXPECT_EQ(record.PRMLFD, 3);
    EXPECT_EQ(record.PRMTYP, 5);
    EXPECT_STREQ(record.PRMSCH, "kvttest");
    EXPECT_EQ(record.PRMMAP, 9);
    EXPECT_STREQ(record.PRMPNR, "12345678");
    EXPECT_EQ(record.PRMDTM, 20240229);
    EXPECT_EQ(record.PRMDBI, 0);
    EXPECT_STREQ(record.PRMUHR, "17:05");
    EXPECT_STREQ(record.PRMFCD, "ABC");
    EXPECT_EQ(record.PRMDTM, 20240229);
    EXPECT_STREQ(record.PRMERF, "M\xFC" "ller, J\xF6rg");
    EXPECT_EQ(record.PRMSTS, 0);
    EXPECT_STREQ(record.PRMKST, "");

    EXPECT_EQ(m_db.ReadRequestByNumber("KVTTEST", "PLANER", "0004", &record), 100);
    EXPECT_EQ(m_db.ReadRequestByNumber("KVTTEST", "PLANER", "", &record), 100);
}

TEST_P(RequestRecordsTest, HostileValuesAreComparedAndDeletedVerbatim) {
    const std::string hostile[] = {"a'b", "a\\", "' OR '1'='1", "';DELETE --", "\\'"};
    Queue("plain", 1);
    for (const std::string& strNumber : hostile) {
        std::string strLiteral;
        for (char ch : strNumber) {
            strLiteral += ch;
            if (ch == '\'') {
                strLiteral += '\'';
            }
        }
        if (std::string(GetParam().pszDbSystem) == "MYSQL") {
            std::string strEscaped;
            for (char ch : strLiteral) {
                strEscaped += ch;
                if (ch == '\\') {
                    strEscaped += '\\';
                }
            }
            strLiteral = strEscaped;
        }
        Queue(strLiteral, 1);
    }

    for (const std::string& strNumber : hostile) {
        ParamRecord record{};
        ASSERT_EQ(m_db.ReadRequestByNumber("KVTTEST", "PLANER", strNumber.c_str(), &record), 0) << strNumber;
        EXPECT_EQ(std::string(record.PRMNUM), strNumber);
        EXPECT_EQ(m_db.ReadRequestByNumber("KVTTEST", "PLANER' OR '1'='1", strNumber.c_str(), &record), 100);
    }
    ParamRecord ignored{};
    EXPECT_EQ(m_db.ReadRequestByNumber("KVTTEST'; DELETE FROM ZTWBASIS.ZTW002PRM; --", "PLANER", "plain",
                                       &ignored),
              100);
    EXPECT_EQ(m_db.ReadNextRequest("KVTTEST", "X' OR PRMTYP = 5 OR '1'='", &ignored), 100);
    ParamRecord record{};
    std::strcpy(record.storedNumber, "' OR '1'='1");
    record.PRMLFD = 1;
    record.PRMTYP = 5;
    EXPECT_EQ(m_db.DeleteRequest(&record), 0);
    EXPECT_EQ(m_db.Commit(), 0);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM"), 5);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM WHERE PRMNUM = 'a''b'"), 1);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM WHERE PRMNUM = 'plain'"), 1);
}

// The rows the server reads for the claim and the look at the person's earlier requests, from its
// handler counters.
long RowsRead(CTestDatabase& db) {
    return db.QueryInt(
        "SELECT SUM(VARIABLE_VALUE) FROM information_schema.GLOBAL_STATUS WHERE VARIABLE_NAME IN "
        "('HANDLER_READ_FIRST', 'HANDLER_READ_KEY', 'HANDLER_READ_NEXT', 'HANDLER_READ_RND_NEXT')");
}

// A claim reads a few rows, not the queue: 50,000 requests of other programs and users cost it
// nothing. MYSQL only: MariaDB's ORACLE mode has no index on the upper-cased columns that Oracle's
// indexes.sql creates.
TEST_P(RequestRecordsTest, TheClaimReadsFewRowsHoweverManyOtherRequestsWait) {
    if (!GetParam().bBackslashEscapes) {
        GTEST_SKIP();
    }
    m_raw.Exec(
        "INSERT INTO ZTWBASIS.ZTW002PRM (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMPNR) SELECT LPAD(seq, 8, '0'), "
        "1, 4 + seq % 2, IF(seq % 3 = 0, 'KVTTEST', 'ANDERE'), IF(seq % 2 = 0, 'PLANER', 'JEMAND'), '4711' FROM "
        "seq_1_to_50000 WHERE seq % 6 <> 0");
    Queue("99999999", 1);
    ASSERT_EQ(m_db.Connect(), 0);
    ParamRecord record{};
    std::vector<ParamRecord> earlier(1);

    const long nBefore = RowsRead(m_raw);
    ASSERT_EQ(m_db.ReadNextRequest("KVTTEST", "PLANER", &record), 0);
    EXPECT_EQ(m_db.ReadEarlierRequest("KVTTEST", "PLANER", record, &earlier.front()), 100);
    const long nRead = RowsRead(m_raw) - nBefore;

    EXPECT_STREQ(record.PRMNUM, "99999999");
    EXPECT_LT(nRead, 1000);
    EXPECT_EQ(m_db.Rollback(), 0);
}

// Where the request table compares schema and user by their bytes, the claim still finds a request
// whose row holds them in lower case.
TEST_P(RequestRecordsTest, ACaseSensitiveRequestTableStillFindsEveryCase) {
    if (!GetParam().bBackslashEscapes) {
        GTEST_SKIP();
    }
    const char* const collations[] = {"latin1_bin", "latin1_swedish_ci"};
    for (const char* pszCollation : collations) {
        SCOPED_TRACE(pszCollation);
        m_raw.Exec((std::string("ALTER TABLE ZTWBASIS.ZTW002PRM MODIFY PRMSCH VARCHAR(30) COLLATE ") + pszCollation +
                    " NOT NULL, MODIFY PRMUSR VARCHAR(60) COLLATE " + pszCollation + " NOT NULL")
                       .c_str());
        Queue("7", 1, 5, "kvttest", "planer");
        ASSERT_EQ(m_db.Connect(), 0);
        ParamRecord record{};
        EXPECT_EQ(ReadNext(&record), "7/1");
        EXPECT_EQ(m_db.Rollback(), 0);
        m_raw.Exec("DELETE FROM ZTWBASIS.ZTW002PRM");
    }
}

INSTANTIATE_TEST_SUITE_P(Products, RequestRecordsTest, ::testing::Values(kMySqlCase, kOracleCase), DialectName);

}  // namespace
