// The whole program against a queue of hostile requests, in both dialects: request rows and
// reference data with quotes, backslashes, statement fragments, format directives, the bytes 128
// to 255, texts longer than their fields, NULLs and dates at the ends of the calendar. The polling
// program must work through all of them and stop cleanly; every request leaves exactly one closing
// row with its own values and is deleted, and nothing but the requested persons' results changes.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/ByteText.h"
#include "tests/e2e/KvtRunTest.h"

namespace {

// A literal of the setup connection (MYSQL, backslash escapes on); nullptr is NULL.
std::string Lit(const char* pszValue) {
    if (pszValue == nullptr) {
        return "NULL";
    }
    std::string strLiteral = "'";
    for (const char* p = pszValue; *p != '\0'; ++p) {
        if (*p == '\'' || *p == '\\') {
            strLiteral += *p;
        }
        strLiteral += *p;
    }
    return strLiteral + "'";
}

// One queued request: its number, personnel number, date (an SQL literal), code and user text as
// the row holds them, and the personnel number the program calculates (none for a number longer
// than 8 characters: such a request is closed without a calculation).
struct Request {
    std::string strNumber;
    const char* pszPnr;
    const char* pszDate;
    const char* pszCode;
    const char* pszUserText;
    std::string strCalculated;
};

class HostileRunTest : public KvtRunTest, public ::testing::WithParamInterface<Product> {
protected:
    void SetUp() override {
        KvtRunTest::SetUp();
        for (const char* pszTable :
             {"ZTW300PNR", "ZTW155KVT", "ZTW310BSV", "ZTW155SF1", "ZTW329ZTG", "ZTW320TGB", "ZTW327TAG",
              "ZTW131FCD", "ZTW321BCH", "ZTW332SFZ", "ZTW332SFV"}) {
            Exec("DELETE FROM " + Table(pszTable));
        }
        Exec("INSERT INTO " + Table("ZTW155KVT") +
             " (KVTMOD, KVTANZ, KVTTKT, KVTMAX, KVTVMO, KVTJMO) VALUES ('R1', 10, 5, 300, 3, NULL)");
        Exec("INSERT INTO " + Table("ZTW155SF1") +
             " (SF1NUM, SF1AZT, SF1MIN, SF1ANT) VALUES ('R1', 'N', 8, 6)");
        const ProcessResult written = RunProcess(
            {KVT_CRYPT_BINARY, "write", "--force", ConfigPath()},
            std::string(GetParam().pszDbSystem) + "\n" + GetParam().pszDsn + "\n" + CTestDatabase::LOGIN +
                "\n" + CTestDatabase::PASSWORD + "\n" + GetParam().pszSchema + "\n");
        ASSERT_EQ(written.m_nExitCode, 0) << written.m_strErr;
    }

    std::string Table(const char* pszTable) const {
        return std::string(GetParam().pszSchema) + "." + pszTable;
    }

    void Exec(const std::string& strSql) { ASSERT_GE(m_raw.Exec(strSql.c_str()), 0) << strSql; }

    // A person with a contract row over the first ten days of 2024 (the whole calendar for
    // bAllTime) and a night shift of 6 shares on 2 January.
    void Person(const std::string& strPnr, bool bAllTime = false) {
        const std::string strPnrLit = Lit(strPnr.c_str());
        Exec("INSERT INTO " + Table("ZTW300PNR") + " (PNRNUM) VALUES (" + strPnrLit + ")");
        Exec("INSERT INTO " + Table("ZTW310BSV") + " (BSVPNR, BSVGVO, BSVGBI, BSVKVT) VALUES (" + strPnrLit +
             (bAllTime ? ", '0001-01-01', '9999-12-31', 'R1')" : ", '2024-01-01', '2024-01-10', 'R1')"));
        Exec("INSERT INTO " + Table("ZTW329ZTG") + " (ZTGPNR, ZTGVON, ZTGAZT) VALUES (" + strPnrLit +
             ", '2024-01-02', 'N')");
        Exec("INSERT INTO " + Table("ZTW320TGB") + " (TGBPNR, TGBDTM, TGBZTR, TGBMAX) VALUES (" + strPnrLit +
             ", '2024-01-02', 1, 8)");
    }

    void Queue(const Request& request, const char* pszUser = "planer") {
        const std::string strColumns =
            "(PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMPNR, PRMDTM, PRMUHR, PRMFCD, PRMERF)";
        Exec("INSERT INTO ZTWBASIS.ZTW002PRM " + strColumns + " VALUES (" + Lit(request.strNumber.c_str()) +
             ", 1, 5, '" + GetParam().pszSchema + "', '" + pszUser + "', " + Lit(request.pszPnr) + ", " +
             request.pszDate + ", '2024-06-30 07:45:00', " + Lit(request.pszCode) + ", " +
             Lit(request.pszUserText) + ")");
    }

    bool StartProgram() {
        return m_polling.Start(
            {KVT_BINARY, ConfigPath(), std::string("USER:") + GetParam().pszSchema + "#planer"}, WorkDir(),
            m_dir.File("polling.out"));
    }

    // Waits until no request of the program's user is left, at most nTimeoutMs.
    bool WaitForOwnRequests(int nTimeoutMs) {
        for (int nWaited = 0; nWaited < nTimeoutMs; nWaited += 50) {
            if (m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM WHERE PRMUSR = 'planer'") == 0) {
                return true;
            }
            usleep(50000);
        }
        return false;
    }

    // The rows of a query, sorted, each as its columns joined by "|".
    std::vector<std::string> Rows(const std::string& strSql) {
        std::vector<CString> rows;
        m_raw.QueryRows(strSql.c_str(), rows);
        std::vector<std::string> texts(rows.begin(), rows.end());
        std::sort(texts.begin(), texts.end());
        return texts;
    }

    // What the calculation never writes, and a bystander's results.
    std::vector<std::string> Untouchable() {
        std::vector<std::string> rows =
            Rows("CHECKSUM TABLE " + Table("ZTW300PNR") + ", " + Table("ZTW155KVT") + ", " +
                 Table("ZTW310BSV") + ", " + Table("ZTW155SF1") + ", " + Table("ZTW329ZTG") + ", " +
                 Table("ZTW320TGB") + ", " + Table("ZTW327TAG") + ", " + Table("ZTW131FCD") + ", " +
                 Table("ZTW321BCH") + ", ZTWBASIS.ZTW133BAK");
        for (const std::string& strSql :
             {"SELECT * FROM " + Table("ZTW332SFZ") + " WHERE SFZPNR = '4711' ORDER BY 2",
              "SELECT * FROM " + Table("ZTW332SFV") + " WHERE SFVPNR = '4711' ORDER BY 2"}) {
            const std::vector<std::string> bystander = Rows(strSql);
            rows.insert(rows.end(), bystander.begin(), bystander.end());
        }
        return rows;
    }

    long Count(const std::string& strSql) { return m_raw.QueryInt(strSql.c_str()); }
};

TEST_P(HostileRunTest, EveryHostileRequestIsCalculatedClosedAndDeletedAndNothingElseChanges) {
    const std::string strHighNumber = Bytes(0x80, 0x8A);
    const std::string strHighPnr = Bytes(0x9A, 0xA1);
    const std::string strHighText = Bytes(0xA0, 0xDB);
    const std::string strLongText(60, 'L');
    const std::vector<Request> requests = {
        {"' OR '1'='1", "'OR''='", "'2024-06-30'", "';", "'; DELETE FROM ZTWBASIS.ZTW002PRM; --", "'OR''='"},
        {"\\'); --", "\\'OR 1#", "'2024-06-30'", "\\", "x\\'); DELETE FROM ZTW332SFZ; --", "\\'OR 1#"},
        {"%s%n%s%n", "%n%s%n%s", "'2024-06-30'", "%n", "%s%n%s%n%s%n", "%n%s%n%s"},
        {strHighNumber, strHighPnr.c_str(), "'2024-06-30'", "\x9D\x9E\x9F", strHighText.c_str(), strHighPnr},
        {"12345678901", "LANGLANG1234", "'2024-06-30'", "ABCDEFGH", strLongText.c_str(), ""},
        {"NULLEN", nullptr, "'2024-06-30'", nullptr, nullptr, ""},
        {"ENDE", "ENDE", "'9999-12-31'", "E", "E", "ENDE"},
    };
    Person("4711");
    // The person whose number the over-long one begins with: never to be calculated for it.
    Person("LANGLANG");
    Exec("INSERT INTO " + Table("ZTW332SFZ") +
         " (SFZPNR, SFZDTM, SFZANT, SFZERF) VALUES ('4711', '2024-01-02', 77, 'ALT'), ('4711', '2024-01-03', "
         "77, 'ALT')");
    Exec("INSERT INTO " + Table("ZTW332SFV") +
         " (SFVPNR, SFVJHR, SFVMAN, SFVVTG) VALUES ('4711', 2025, 0, 9)");
    Exec(
        "INSERT INTO ZTWBASIS.ZTW002ERR (ERRPRM, ERRLFD, ERRTYP, ERRKEY, ERRNUM) VALUES ('ALT', 1, 5, 7, 7)");
    Queue({"0", "4711", "'2024-06-30'", "SF", "x", ""}, "anderer");
    for (const Request& request : requests) {
        if (!request.strCalculated.empty()) {
            Person(request.strCalculated, request.strCalculated == "ENDE");
        }
        Queue(request);
    }
    const std::vector<std::string> untouchable = Untouchable();

    ASSERT_TRUE(StartProgram());
    const bool bWorkedThrough = WaitForOwnRequests(20000);
    m_polling.Signal(SIGTERM);
    EXPECT_EQ(m_polling.Wait(5000), 0);
    ASSERT_TRUE(bWorkedThrough);

    std::vector<std::string> expected;
    for (const Request& request : requests) {
        const std::string strPnr = std::string(request.pszPnr ? request.pszPnr : "").substr(0, 8);
        const std::string strCode = std::string(request.pszCode ? request.pszCode : "").substr(0, 3);
        const std::string strDate = request.strCalculated == "ENDE" ? "99991231" : "20240630";
        expected.push_back((Hex(request.strNumber) + "|1|5|" + Hex(strPnr) + "|" + Hex(strCode) + "|" +
                            strDate + "|" + strDate + " 07:45|0|0"));
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(
        Rows("SELECT HEX(ERRPRM), ERRLFD, ERRTYP, HEX(ERRPNR), HEX(ERRFCD), DATE_FORMAT(ERRDAT, '%Y%m%d'), "
             "DATE_FORMAT(ERRUHR, '%Y%m%d %H:%i'), ERRKEY, ERRNUM FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM <> "
             "'ALT'"),
        expected);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM = 'ALT' AND ERRKEY = 7"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM WHERE PRMUSR = 'anderer'"), 1);

    for (const Request& request : requests) {
        if (request.strCalculated.empty() || request.strCalculated == "ENDE") {
            continue;
        }
        SCOPED_TRACE("person " + Hex(request.strCalculated));
        const std::string strPnrLit = Lit(request.strCalculated.c_str());
        const std::string strUserText = std::string(request.pszUserText).substr(0, 50);
        EXPECT_EQ(Count("SELECT COUNT(*) FROM " + Table("ZTW332SFZ") + " WHERE SFZPNR = " + strPnrLit +
                        " AND HEX(SFZERF) = '" + Hex(strUserText) + "'"),
                  10);
        EXPECT_EQ(Count("SELECT COUNT(*) FROM " + Table("ZTW332SFZ") + " WHERE SFZPNR = " + strPnrLit +
                        " AND SFZDTM = '2024-01-10' AND SFZANT = 6 AND SFZANS = 0.5 AND SFZRST = 0.5"),
                  1);
        EXPECT_EQ(Count("SELECT COUNT(*) FROM " + Table("ZTW332SFV") + " WHERE SFVPNR = " + strPnrLit +
                        " AND SFVJHR = 2025 AND SFVVTG = 0.5 AND SFVVAN = 1"),
                  1);
    }
    EXPECT_EQ(
        Count("SELECT COUNT(*) FROM " + Table("ZTW332SFV") + " WHERE SFVPNR = 'ENDE' AND SFVJHR = 10000"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM " + Table("ZTW332SFZ") + " WHERE SFZPNR = 'ENDE'"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM " + Table("ZTW332SFZ") + " WHERE SFZPNR = 'LANGLANG'"), 0);
    EXPECT_EQ(Untouchable(), untouchable);

    const std::vector<std::string> texts = LogTexts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts.front(), "Info : Kvt wurde gestartet");
    EXPECT_EQ(texts.back(), "Info : Kvt wurde beendet");
    for (const Request& request : requests) {
        const std::string strYear = request.strCalculated == "ENDE" ? "9999" : "2024";
        const std::string strCalculated = "Schichtfreizeit : Personalnummer " + request.strCalculated +
                                          ", Jahr " + strYear + ", Bewegungsdaten erfolgreich ermittelt";
        EXPECT_EQ(std::count(texts.begin(), texts.end(), strCalculated),
                  request.strCalculated.empty() ? 0 : 1)
            << Hex(strCalculated);
    }
}

// A PRMNUM longer than its 12-byte field arrives cut to 11 characters; the delete matches the
// stored number all the same, so the program does not read the same request again and again and
// reaches the requests queued after it.
TEST_P(HostileRunTest, ARequestNumberLongerThanItsFieldDoesNotBlockTheQueue) {
    Person("P1");
    Queue({"12345678901234567890", "P1", "'2024-06-30'", "SF", "x", "P1"});
    Queue({"2", "P1", "'2024-06-30'", "SF", "x", "P1"});

    ASSERT_TRUE(StartProgram());
    const bool bWorkedThrough = WaitForOwnRequests(5000);
    m_polling.Signal(SIGTERM);
    EXPECT_EQ(m_polling.Wait(5000), 0);

    EXPECT_TRUE(bWorkedThrough);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM LIKE '12345678901%'"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM = '2'"), 1);
}

// The same in single-request mode: the request named by PARM: is processed once and the run ends.
TEST_P(HostileRunTest, SingleRequestModeEndsForARequestNumberLongerThanItsField) {
    Person("P1");
    Queue({"12345678901234567890", "P1", "'2024-06-30'", "SF", "x", "P1"});

    ProcessSpec launch;
    launch.m_args = {KVT_BINARY, ConfigPath(), std::string("USER:") + GetParam().pszSchema + "#planer",
                     "PARM:12345678901234567890"};
    launch.m_strWorkDir = WorkDir();
    launch.m_nTimeoutMs = 5000;
    launch.m_nTimeoutSignal = SIGTERM;
    const ProcessResult result = RunProcess(launch);

    EXPECT_FALSE(result.m_bTimedOut);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR WHERE ERRPRM LIKE '12345678901%'"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ZTWBASIS.ZTW002PRM"), 0);
}

INSTANTIATE_TEST_SUITE_P(Products, HostileRunTest, ::testing::Values(kMySql, kOracle),
                         [](const ::testing::TestParamInfo<Product>& info) {
                             return info.param.pszDbSystem;
                         });

}  // namespace
