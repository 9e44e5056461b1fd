#include <cstring>
#include <string>

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

INSTANTIATE_TEST_SUITE_P(Products, RequestRecordsTest, ::testing::Values(kMySqlCase, kOracleCase), DialectName);

}  // namespace
