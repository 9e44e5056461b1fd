// Request rows that carry quotes, backslashes, statement fragments, the bytes 128 to 255, texts
// longer than their fields, NULL in every nullable column and dates at the ends of the calendar,
// taken through what the request loop does with each: read, closing row, delete, commit. Every
// request must leave exactly one closing row with its own values and be gone from the queue,
// without touching any other request or closing row.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/ByteText.h"
#include "tests/db/KvtDbTest.h"

namespace {

// The first nWidth - 1 characters: what a record field of nWidth bytes holds.
std::string Field(const std::string& strValue, size_t nWidth) {
    return strValue.substr(0, nWidth - 1);
}

// One request row. A text given as nullptr is NULL; a date or time is an SQL literal or "NULL".
struct RequestRow {
    std::string strNumber;
    const char* pszPnr;
    const char* pszDate;
    const char* pszTime;
    const char* pszCode;
    const char* pszUserText;
    // The closing row's date and date with time as the server shows them (yyyymmdd, yyyymmdd hh:mm).
    const char* pszClosingDate;
    const char* pszClosingTime;
    // The columns the program does not use: NULL, or each at its widest with hostile texts.
    bool bWideRest;
};

class HostileRequestTest : public KvtDbTest {
protected:
    void SetUp() override {
        KvtDbTest::SetUp();
        // Bystanders that a widened read, delete or insert would reach: the same number with
        // another running number, and with another type, and an older closing row.
        m_raw.Exec(
            "INSERT INTO ZTWBASIS.ZTW002PRM (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR) VALUES "
            "('1', 2, 5, 'KVTTEST', 'ANDERER'), ('1', 1, 4, 'KVTTEST', 'PLANER')");
        m_raw.Exec(
            "INSERT INTO ZTWBASIS.ZTW002ERR (ERRPRM, ERRLFD, ERRTYP, ERRKEY, ERRNUM) VALUES ('ALT', 1, 5, 7, "
            "7)");
    }

    CString Lit(const char* pszValue) const {
        if (pszValue == nullptr) {
            return "NULL";
        }
        CString strLiteral("'");
        for (const char* p = pszValue; *p != '\0'; ++p) {
            if (*p == '\'' || (*p == '\\' && GetParam().bBackslashEscapes)) {
                strLiteral += *p;
            }
            strLiteral += *p;
        }
        strLiteral += '\'';
        return strLiteral;
    }

    bool IsMySql() const { return std::string(GetParam().pszDbSystem) == "MYSQL"; }

    void Queue(const RequestRow& row) {
        const std::string strWide = "x'\\; --" + Bytes(0xE0, 0xFF);
        const auto rest = [&](size_t nWidth) -> CString {
            return row.bWideRest ? Lit(strWide.substr(0, nWidth).c_str()) : CString("NULL");
        };
        const char* pszNumber = row.bWideRest ? "-2147483648" : "NULL";
        CString strSql;
        strSql.Format(
            "INSERT INTO ZTWBASIS.ZTW002PRM (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMMAP, PRMPNR, "
            "PRMDTM, PRMDBI, PRMUHR, PRMFCD, PRMABT, PRMKST, PRMKTR, PRMKRT, PRMVRA, PRMAZT, PRMTXT, "
            "PRMLOE, PRMBUC, PRMVKD, PRMSTS, PRMERF) VALUES (%s, 1, 5, 'kvtTest', 'Planer', %s, %s, %s, "
            "%s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s, %s)",
            Lit(row.strNumber.c_str()).GetString(), pszNumber, Lit(row.pszPnr).GetString(), row.pszDate,
            row.bWideRest ? "DATE '0001-01-01'" : "NULL", row.pszTime, Lit(row.pszCode).GetString(),
            rest(20).GetString(), rest(40).GetString(), rest(10).GetString(), rest(8).GetString(),
            rest(10).GetString(), rest(10).GetString(), rest(20).GetString(), pszNumber, pszNumber,
            row.bWideRest ? "2147483647" : "NULL", pszNumber, Lit(row.pszUserText).GetString());
        ASSERT_EQ(m_raw.Exec(strSql), 1) << strSql.GetString();
    }

    // What the request loop does after the calculation, each result kept.
    struct Closing {
        int32_t nRead = -99;
        int32_t nInserted = -99;
        int32_t nDeleted = -99;
        CString strError;
    };
    Closing ReadCloseAndDelete(ParamRecord* pRecord) {
        Closing closing;
        closing.nRead = m_db.ReadNextRequest("KVTTEST", "PLANER", pRecord);
        if (closing.nRead != 0) {
            return closing;
        }
        closing.nInserted =
            m_db.InsertErrorRow(pRecord->PRMNUM, pRecord->PRMLFD, pRecord->PRMTYP, pRecord->PRMPNR,
                                pRecord->PRMFCD, pRecord->PRMDTM, pRecord->PRMUHR, 0, 0);
        if (closing.nInserted != 0) {
            closing.strError.Format("%d %s %s", static_cast<int>(m_db.GetSqlCode()),
                                    m_db.GetSqlState().GetString(), m_db.GetSqlMessage().GetString());
        }
        closing.nDeleted = m_db.DeleteRequest(pRecord);
        m_db.Commit();
        return closing;
    }

    // The closing rows written, sorted, texts in hex.
    std::vector<std::string> ClosingRows() {
        std::vector<CString> rows;
        m_raw.QueryRows(
            "SELECT HEX(ERRPRM), ERRLFD, ERRTYP, HEX(ERRPNR), HEX(ERRFCD), DATE_FORMAT(ERRDAT, '%Y%m%d'), "
            "DATE_FORMAT(ERRUHR, '%Y%m%d %H:%i'), ERRKEY, ERRNUM FROM ZTWBASIS.ZTW002ERR "
            "WHERE ERRPRM <> 'ALT'",
            rows);
        std::vector<std::string> texts(rows.begin(), rows.end());
        std::sort(texts.begin(), texts.end());
        return texts;
    }

    // The queue and the error table hold nothing but the bystanders and the closing rows written.
    void ExpectBystandersUntouched() {
        EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM"), 2);
        EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM WHERE PRMNUM = '1' AND "
                                 "((PRMLFD = 2 AND PRMTYP = 5) OR (PRMLFD = 1 AND PRMTYP = 4))"),
                  2);
        EXPECT_EQ(
            m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM = 'ALT' AND ERRKEY = 7"), 1);
    }
};

std::string ClosingRow(const std::string& strNumber, const std::string& strPnr, const std::string& strCode,
                       const char* pszDate, const char* pszTime) {
    return Hex(strNumber) + "|1|5|" + Hex(strPnr) + "|" + Hex(strCode) + "|" + pszDate + "|" + pszTime +
           "|0|0";
}

TEST_P(HostileRequestTest, EveryHostileRequestIsReadClosedAndDeletedAsItIs) {
    const std::string strHighPnr = Bytes(0xF8, 0xFF);
    const std::string strHighText = Bytes(0x8B, 0xC6);
    const std::string strLongText(60, 'L');
    const std::vector<RequestRow> rows = {
        {"' OR '1'='1", "'OR''='", "DATE '2024-01-15'", "TIMESTAMP '2024-01-15 08:30:00'", "';",
         "'; DELETE FROM ZTWBASIS.ZTW002ERR; --", "20240115", "20240115 08:30", true},
        {"\\'); --", "\\'OR 1#", "DATE '2024-01-16'", "TIMESTAMP '2024-01-16 23:59:00'", "\\\\", "x\\'",
         "20240116", "20240116 23:59", false},
        {"1", "'", "DATE '2024-01-17'", "TIMESTAMP '2024-01-17 00:00:00'", "%n", "%s%n%s%n", "20240117",
         "20240117 00:00", false},
        {Bytes(0x80, 0x8A), strHighPnr.c_str(), "DATE '2024-02-29'", "TIMESTAMP '2024-02-29 12:00:00'",
         "\x9D\x9E\x9F", strHighText.c_str(), "20240229", "20240229 12:00", true},
        {"12345678901", "ABCDEFGHIJKL", "DATE '2024-03-01'", "TIMESTAMP '2024-03-01 07:45:00'", "ABCDEFGH",
         strLongText.c_str(), "20240301", "20240301 07:45", true},
        {"NULLEN", nullptr, "DATE '2024-03-02'", "NULL", nullptr, nullptr, "20240302", "20240302 00:00",
         false},
        {"ENDE", "E", "DATE '9999-12-31'", "TIMESTAMP '0001-01-01 00:00:00'", "E", "E", "99991231",
         "99991231 00:00", true},
    };

    std::vector<std::string> expected;
    for (const RequestRow& row : rows) {
        SCOPED_TRACE("request " + Hex(row.strNumber));
        Queue(row);
        ParamRecord record{};
        const Closing closing = ReadCloseAndDelete(&record);
        ASSERT_EQ(closing.nRead, 0);
        EXPECT_EQ(closing.nInserted, 0) << closing.strError;
        EXPECT_EQ(closing.nDeleted, 0);

        const std::string strPnr = Field(row.pszPnr ? row.pszPnr : "", sizeof(record.PRMPNR));
        const std::string strCode = Field(row.pszCode ? row.pszCode : "", sizeof(record.PRMFCD));
        EXPECT_EQ(std::string(record.PRMNUM), row.strNumber);
        EXPECT_EQ(std::string(record.PRMPNR), strPnr);
        EXPECT_EQ(std::string(record.PRMFCD), strCode);
        EXPECT_EQ(std::string(record.PRMERF),
                  Field(row.pszUserText ? row.pszUserText : "", sizeof(record.PRMERF)));
        EXPECT_EQ(record.PRMDTM, std::atoi(row.pszClosingDate));
        EXPECT_EQ(std::string(record.PRMUHR),
                  std::string(row.pszTime) == "NULL" ? "" : std::string(row.pszClosingTime).substr(9));
        // Every text field ends within its bytes, however long the column's value.
        EXPECT_LT(strnlen(record.PRMKST, sizeof(record.PRMKST)), sizeof(record.PRMKST));
        EXPECT_LT(strnlen(record.PRMTXT, sizeof(record.PRMTXT)), sizeof(record.PRMTXT));
        EXPECT_EQ(record.PRMDBI, row.bWideRest ? 10101 : 0);
        expected.push_back(
            ClosingRow(row.strNumber, strPnr, strCode, row.pszClosingDate, row.pszClosingTime));
    }

    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ClosingRows(), expected);
    ExpectBystandersUntouched();
}

// A request without a date (PRMDTM NULL, read as 0) has no date any product could convert, and a
// date before the year 1000 must keep its leading zeros ('00010101', not '10101') to be a date at
// all: both still get their closing row.
TEST_P(HostileRequestTest, ARequestWithoutADateOrBeforeTheYear1000KeepsItsClosingRow) {
    const std::vector<RequestRow> rows = {
        {"OHNE", "P1", "NULL", "TIMESTAMP '2024-01-15 08:30:00'", "SF", "x", nullptr, nullptr, false},
        {"JAHR1", "P1", "DATE '0001-01-01'", "TIMESTAMP '2024-01-15 08:30:00'", "SF", "x", nullptr, nullptr,
         false},
    };
    for (const RequestRow& row : rows) {
        SCOPED_TRACE(row.strNumber);
        Queue(row);
        ParamRecord record{};
        const Closing closing = ReadCloseAndDelete(&record);
        ASSERT_EQ(closing.nRead, 0);
        EXPECT_EQ(closing.nInserted, 0) << closing.strError;
        EXPECT_EQ(closing.nDeleted, 0);
        EXPECT_EQ(
            m_raw.QueryInt(
                ("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM = '" + row.strNumber + "'").c_str()),
            1);
    }
}

// The request number travels in a field of 12 bytes, so a PRMNUM of 12 or more characters arrives
// cut to 11; the delete must still match the row as the table holds it, or the request would stay
// queued for ever (see the end-to-end suite).
TEST_P(HostileRequestTest, ARequestNumberLongerThanItsFieldIsDeletedByItsStoredNumber) {
    Queue({"12345678901234567890", "P1", "DATE '2024-01-15'", "TIMESTAMP '2024-01-15 08:30:00'", "SF", "x",
           nullptr, nullptr, false});
    ParamRecord record{};
    const Closing closing = ReadCloseAndDelete(&record);
    ASSERT_EQ(closing.nRead, 0);
    EXPECT_EQ(closing.nInserted, 0) << closing.strError;
    EXPECT_EQ(closing.nDeleted, 0);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM WHERE PRMNUM = '12345678901234567890'"),
              0);
}

INSTANTIATE_TEST_SUITE_P(Products, HostileRequestTest,
                         ::testing::Values(kMySqlCase, kOracleCase, kMySqlLiteralBackslashCase),
                         DialectName);

}  // namespace
