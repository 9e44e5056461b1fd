#include "tests/db/Scenario.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "app/Globals.h"
#include "app/ProcessRequest.h"
#include "db/ParamRecord.h"

namespace {

// The tables keep six decimals; the calculation's values are compared at that precision.
bool SameValue(double a, double b) {
    return std::fabs(a - b) < 0.5e-6;
}

// The texts of a row read by CTestDatabase::QueryRows, as numbers; a NULL reads as NaN, so that
// it never equals an expected value.
std::vector<double> Numbers(const CString& strRow) {
    std::vector<double> values;
    const char* p = strRow.GetString();
    for (;;) {
        char* pEnd = nullptr;
        const double dValue = std::strtod(p, &pEnd);
        values.push_back(pEnd == p ? std::nan("") : dValue);
        while (*pEnd != '\0' && *pEnd != '|') {
            ++pEnd;
        }
        if (*pEnd == '\0') {
            return values;
        }
        p = pEnd + 1;
    }
}

// An entry of the run log begins "dd.mm.yyyy hh:mm:ss - ".
constexpr size_t kStampLength = 22;

bool IsStamped(const std::string& strLog, size_t nLine) {
    static const char kPattern[] = "99.99.9999 99:99:99 - ";
    if (strLog.size() - nLine < kStampLength) {
        return false;
    }
    for (size_t i = 0; i < kStampLength; ++i) {
        const char ch = strLog[nLine + i];
        const bool bMatches = kPattern[i] == '9' ? ch >= '0' && ch <= '9' : ch == kPattern[i];
        if (!bMatches) {
            return false;
        }
    }
    return true;
}

std::chrono::sys_days CalendarDay(int nDay) {
    using namespace std::chrono;
    return sys_days{year{nDay / 10000} / month{static_cast<unsigned>(nDay / 100 % 100)} /
                    day{static_cast<unsigned>(nDay % 100)}};
}

}  // namespace

bool operator==(const DailyRow& a, const DailyRow& b) {
    return SameValue(a.SFZANT, b.SFZANT) && SameValue(a.SFZVTG, b.SFZVTG) && SameValue(a.SFZVAN, b.SFZVAN) &&
           SameValue(a.SFZANS, b.SFZANS) && SameValue(a.SFZGEN, b.SFZGEN) && SameValue(a.SFZVPL, b.SFZVPL) &&
           SameValue(a.SFZRST, b.SFZRST) && a.SFZGVV == b.SFZGVV;
}

bool operator==(const YearRow& a, const YearRow& b) {
    return SameValue(a.SFVVTG, b.SFVVTG) && SameValue(a.SFVVAN, b.SFVVAN);
}

void PrintTo(const DailyRow& row, std::ostream* pOut) {
    *pOut << "ANT " << row.SFZANT << " VTG " << row.SFZVTG << " VAN " << row.SFZVAN << " ANS " << row.SFZANS
          << " GEN " << row.SFZGEN << " VPL " << row.SFZVPL << " RST " << row.SFZRST << " GVV " << row.SFZGVV;
}

void PrintTo(const YearRow& row, std::ostream* pOut) {
    *pOut << "VTG " << row.SFVVTG << " VAN " << row.SFVVAN;
}

void PrintTo(const CString& str, std::ostream* pOut) {
    *pOut << '"' << str.GetString() << '"';
}

void CScenario::Clear() {
    static const char* const kTables[] = {"ZTW300PNR", "ZTW155KVT", "ZTW310BSV", "ZTW155SF1",
                                          "ZTW329ZTG", "ZTW320TGB", "ZTW327TAG", "ZTW131FCD",
                                          "ZTW321BCH", "ZTW332SFZ", "ZTW332SFV"};
    for (const char* pszTable : kTables) {
        Exec(CString("DELETE FROM ") + pszTable);
    }
    CString strSql;
    strSql.Format("INSERT INTO ZTW131FCD (FCDNUM, FCDFCD) VALUES ('%s', 25), ('%s', 10)", FREE_TIME, HOLIDAY);
    Exec(strSql);
}

void CScenario::Person(const CString& strPnr) {
    Exec("INSERT INTO ZTW300PNR (PNRNUM) VALUES (" + Literal(strPnr) + ")");
}

void CScenario::Rule(const char* pszCode, int nAnz, int nTkt, int nMax, int nVmo, std::optional<int> nJmo) {
    CString strJmo("NULL");
    if (nJmo) {
        strJmo.Format("%d", *nJmo);
    }
    CString strSql;
    strSql.Format(
        "INSERT INTO ZTW155KVT (KVTMOD, KVTANZ, KVTTKT, KVTMAX, KVTVMO, KVTJMO) "
        "VALUES ('%s', %d, %d, %d, %d, %s)",
        pszCode, nAnz, nTkt, nMax, nVmo, strJmo.GetString());
    Exec(strSql);
}

void CScenario::Contract(const CString& strPnr, int nFrom, int nTo, const char* pszRule) {
    CString strSql;
    strSql.Format("INSERT INTO ZTW310BSV (BSVPNR, BSVGVO, BSVGBI, BSVKVT) VALUES (%s, %s, %s, '%s')",
                  Literal(strPnr).GetString(), DateLiteral(nFrom).GetString(),
                  nTo == 0 ? "NULL" : DateLiteral(nTo).GetString(), pszRule);
    Exec(strSql);
}

void CScenario::QualifyingShift(const char* pszRule, const char* pszModel, double dShares, double dMinimum) {
    CString strSql;
    strSql.Format("INSERT INTO ZTW155SF1 (SF1NUM, SF1AZT, SF1MIN, SF1ANT) VALUES ('%s', '%s', %f, %f)",
                  pszRule, pszModel, dMinimum, dShares);
    Exec(strSql);
}

void CScenario::Shift(const CString& strPnr, int nDay, const char* pszModel, double dDayMax, int nZtr) {
    const CString strPnrLiteral = Literal(strPnr);
    const CString strDay = DateLiteral(nDay);
    CString strSql;
    strSql.Format("INSERT INTO ZTW329ZTG (ZTGPNR, ZTGVON, ZTGAZT) VALUES (%s, %s, '%s')",
                  strPnrLiteral.GetString(), strDay.GetString(), pszModel);
    Exec(strSql);
    strSql.Format("INSERT INTO ZTW320TGB (TGBPNR, TGBDTM, TGBZTR, TGBMAX) VALUES (%s, %s, %d, %f)",
                  strPnrLiteral.GetString(), strDay.GetString(), nZtr, dDayMax);
    Exec(strSql);
}

void CScenario::Booking(const CString& strPnr, int nDay, BookedDay kind, int nFkt, const char* pszCode) {
    const CString strPnrLiteral = Literal(strPnr);
    const CString strDay = DateLiteral(nDay);
    CString strSql;
    strSql.Format("INSERT INTO ZTW321BCH (BCHPNR, BCHVON, BCHFKT, BCHFCD) VALUES (%s, %s, %d, '%s')",
                  strPnrLiteral.GetString(), strDay.GetString(), nFkt, pszCode);
    Exec(strSql);
    strSql.Format(
        "INSERT INTO ZTW327TAG (TAGPNR, TAGTAG, TAGTGB, TAGHTV, TAGHTN) VALUES (%s, %s, %s, %s, %s)",
        strPnrLiteral.GetString(), strDay.GetString(), kind == BookedDay::Full ? "'SF'" : "NULL",
        kind == BookedDay::FirstHalf ? "'SF'" : "NULL", kind == BookedDay::SecondHalf ? "'SF'" : "NULL");
    Exec(strSql);
}

void CScenario::CarryOver(const CString& strPnr, int nYear, double dDays, double dShares, int nYearStart) {
    CString strSql;
    strSql.Format(
        "INSERT INTO ZTW332SFV (SFVPNR, SFVJHR, SFVMAN, SFVVTG, SFVVAN, SFVZUS, SFVERF, SFVSTA) "
        "VALUES (%s, %d, 0, %f, %f, %d, 'ALT', 1)",
        Literal(strPnr).GetString(), nYear, dDays, dShares, nYearStart);
    Exec(strSql);
}

void CScenario::OldDailyRow(const CString& strPnr, int nDay, double dValue) {
    CString strSql;
    strSql.Format(
        "INSERT INTO ZTW332SFZ (SFZPNR, SFZDTM, SFZANT, SFZVTG, SFZVAN, SFZANS, SFZGEN, SFZVPL, "
        "SFZRST, SFZGVV, SFZERF, SFZSTA) VALUES (%s, %s, %f, %f, %f, %f, %f, %f, %f, %d, 'ALT', 1)",
        Literal(strPnr).GetString(), DateLiteral(nDay).GetString(), dValue, dValue, dValue, dValue, dValue,
        dValue, dValue, static_cast<int>(dValue));
    Exec(strSql);
}

std::optional<DailyRow> CScenario::Daily(const CString& strPnr, int nDay) {
    Commit();
    CString strSql;
    strSql.Format(
        "SELECT SFZANT, SFZVTG, SFZVAN, SFZANS, SFZGEN, SFZVPL, SFZRST, SFZGVV FROM ZTW332SFZ "
        "WHERE SFZPNR = %s AND SFZDTM = %s",
        Literal(strPnr).GetString(), DateLiteral(nDay).GetString());
    std::vector<CString> rows;
    if (m_db.QueryRows(strSql, rows) != 1) {
        return std::nullopt;
    }
    const std::vector<double> v = Numbers(rows[0]);
    const int nGvv = std::isnan(v[7]) ? INT_MIN : static_cast<int>(v[7]);
    return DailyRow{v[0], v[1], v[2], v[3], v[4], v[5], v[6], nGvv};
}

std::optional<YearRow> CScenario::Yearly(const CString& strPnr, int nYear) {
    Commit();
    CString strSql;
    strSql.Format("SELECT SFVVTG, SFVVAN FROM ZTW332SFV WHERE SFVPNR = %s AND SFVJHR = %d AND SFVMAN = 0",
                  Literal(strPnr).GetString(), nYear);
    std::vector<CString> rows;
    if (m_db.QueryRows(strSql, rows) != 1) {
        return std::nullopt;
    }
    const std::vector<double> v = Numbers(rows[0]);
    return YearRow{v[0], v[1]};
}

long CScenario::DailyCount(const CString& strPnr) {
    Commit();
    return m_db.QueryInt("SELECT COUNT(*) FROM ZTW332SFZ WHERE SFZPNR = " + Literal(strPnr));
}

long CScenario::YearlyCount(const CString& strPnr) {
    Commit();
    return m_db.QueryInt("SELECT COUNT(*) FROM ZTW332SFV WHERE SFVPNR = " + Literal(strPnr));
}

std::vector<CString> CScenario::StoredRows(const CString& strPnr, bool bWithStamps) {
    Commit();
    const CString strPnrLiteral = Literal(strPnr);
    CString strSql;
    strSql.Format(
        "SELECT SFZPNR, SFZDTM, SFZANT, SFZVTG, SFZVAN, SFZANS, SFZGEN, SFZVPL, SFZRST, SFZGVV, %s, "
        "SFZERF, SFZSTA FROM ZTW332SFZ WHERE SFZPNR = %s ORDER BY SFZDTM",
        bWithStamps ? "SFZDAT" : "'-'", strPnrLiteral.GetString());
    std::vector<CString> rows;
    m_db.QueryRows(strSql, rows);
    strSql.Format(
        "SELECT SFVPNR, SFVJHR, SFVMAN, SFVVTG, SFVVAN, SFVZUS, %s, SFVERF, SFVSTA FROM ZTW332SFV "
        "WHERE SFVPNR = %s ORDER BY SFVJHR, SFVMAN",
        bWithStamps ? "SFVDAT" : "'-'", strPnrLiteral.GetString());
    std::vector<CString> yearly;
    m_db.QueryRows(strSql, yearly);
    rows.insert(rows.end(), yearly.begin(), yearly.end());
    return rows;
}

CString CScenario::Literal(const CString& strValue) const {
    CString strLiteral("'");
    for (int i = 0; i < strValue.GetLength(); ++i) {
        const char ch = strValue.GetAt(i);
        if (ch == '\'' || (ch == '\\' && m_bBackslashEscapes)) {
            strLiteral += ch;
        }
        strLiteral += ch;
    }
    strLiteral += '\'';
    return strLiteral;
}

CString CScenario::DateLiteral(int nDay) {
    CString strLiteral;
    strLiteral.Format("'%04d-%02d-%02d'", nDay / 10000, nDay / 100 % 100, nDay % 100);
    return strLiteral;
}

void CScenario::Commit() {
    if (m_bInTransaction) {
        m_db.Exec("COMMIT");
        m_bInTransaction = false;
    }
}

void CScenario::Exec(const CString& strSql) {
    if (!m_bInTransaction) {
        m_db.Exec("START TRANSACTION");
        m_bInTransaction = true;
    }
    m_db.Exec(strSql);
}

void KvtCalcTest::SetUp() {
    KvtDbTest::SetUp();
    g_log.SetFileName(m_logDir.Path().c_str(), "CppKvt");
    m_scenario.Clear();
}

// The request is queued as the requesting programs queue it, claimed as kvt claims it and then
// processed; one that is left queued is taken away again, so that each call stands alone.
void KvtCalcTest::Calculate(const CString& strPnr, int nDate, const CString& strUser) {
    m_scenario.Commit();
    ParamRecord queued{};
    std::snprintf(queued.PRMNUM, sizeof(queued.PRMNUM), "%s", "T1");
    queued.PRMLFD = 1;
    std::snprintf(queued.PRMSCH, sizeof(queued.PRMSCH), "%s", Schema());
    std::snprintf(queued.PRMUSR, sizeof(queued.PRMUSR), "%s", "PLANER");
    std::snprintf(queued.PRMPNR, sizeof(queued.PRMPNR), "%s", strPnr.GetString());
    std::snprintf(queued.PRMERF, sizeof(queued.PRMERF), "%s", strUser.GetString());
    queued.PRMDTM = nDate;
    const SQL_TIMESTAMP_STRUCT queuedAt{2024, 1, 2, 8, 30, 0, 0};
    ASSERT_EQ(m_db.InsertKvtRequest(queued, queuedAt), 0) << m_db.GetSqlMessage().GetString();
    ASSERT_EQ(m_db.Commit(), 0);
    ParamRecord request{};
    ASSERT_EQ(m_db.ReadNextRequest(Schema(), "PLANER", &request), 0);
    CRequestLedger ledger;
    ProcessRequest(m_db, request, ledger);
    m_raw.Exec("DELETE FROM ZTWBASIS.ZTW002PRM");
}

std::string KvtCalcTest::LogText() const {
    return ReadBytes(m_logDir.File("CppKvt.log"));
}

bool KvtCalcTest::Logged(const std::string& strText) const {
    return LogText().find(" - " + strText + "\n") != std::string::npos;
}

std::string KvtCalcTest::LogEntries() const {
    const std::string strLog = LogText();
    std::string strEntries;
    for (size_t nLine = 0; nLine < strLog.size();) {
        size_t nEnd = strLog.find('\n', nLine);
        nEnd = nEnd == std::string::npos ? strLog.size() : nEnd + 1;
        const size_t nText = IsStamped(strLog, nLine) ? nLine + kStampLength : nLine;
        strEntries.append(strLog, nText, nEnd - nText);
        nLine = nEnd;
    }
    return strEntries;
}

int KvtCalcTest::CountLogged(const std::string& strText) const {
    // Appended rather than "\n" + text: g++ 12 reports a false -Wrestrict for that in optimised builds.
    const std::string strLog = std::string("\n").append(LogEntries());
    const std::string strEntry = std::string("\n").append(strText).append("\n");
    int nCount = 0;
    for (size_t n = strLog.find(strEntry); n != std::string::npos; n = strLog.find(strEntry, n + 1)) {
        ++nCount;
    }
    return nCount;
}

void KvtCalcTest::ClearLog() {
    std::filesystem::remove(m_logDir.File("CppKvt.log"));
}

int CurrentYear() {
    const time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

int Today(CTestDatabase& db) {
    return static_cast<int>(db.QueryInt("SELECT DATE_FORMAT(CURRENT_DATE, '%Y%m%d')"));
}

int DaysBetween(int nFrom, int nTo) {
    return static_cast<int>((CalendarDay(nTo) - CalendarDay(nFrom)).count()) + 1;
}

int DayAfter(int nDay) {
    const std::chrono::year_month_day next{CalendarDay(nDay) + std::chrono::days{1}};
    return static_cast<int>(next.year()) * 10000 +
           static_cast<int>(static_cast<unsigned>(next.month())) * 100 +
           static_cast<int>(static_cast<unsigned>(next.day()));
}
