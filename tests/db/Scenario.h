// CScenario: the data of one calculation case, written into the tenant schema of a test
// connection in the calculation's own terms (persons, free-time rules, contract rows, qualifying
// shifts, booked free days, carry-over rows), and the result rows read back. It borrows the
// connection, which must outlive it. Dates are yyyymmdd integers; texts are stored verbatim.
//
// KvtCalcTest: the fixture of the calculation suites. It runs a request through the program's
// per-request driver on the connection of KvtDbTest, with the run log in a directory of the test.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/CString.h"
#include "tests/db/KvtDbTest.h"
#include "tests/support/TestDatabase.h"

// One daily row of ZTW332SFZ, in the order of its columns.
struct DailyRow {
    double SFZANT;  // cumulative shares
    double SFZVTG;  // usable carry-over days
    double SFZVAN;  // carry-over share remainder
    double SFZANS;  // entitlement
    double SFZGEN;  // days taken
    double SFZVPL;  // days planned after the day
    double SFZRST;  // rest
    int SFZGVV;     // carry-over days used
};

// The carry-over row of a year (month 0) in ZTW332SFV: what one year hands to the next.
struct YearRow {
    double SFVVTG;  // rest
    double SFVVAN;  // shares left
};

// Equal within the six decimals that the tables keep.
bool operator==(const DailyRow& a, const DailyRow& b);
bool operator==(const YearRow& a, const YearRow& b);
void PrintTo(const DailyRow& row, std::ostream* pOut);
void PrintTo(const YearRow& row, std::ostream* pOut);
// Texts read back print as text in a failure message, not as a pointer.
void PrintTo(const CString& str, std::ostream* pOut);

enum class BookedDay { Full, FirstHalf, SecondHalf };

class CScenario {
public:
    // Absence codes that every scenario knows: shift free time (kind 25) and a holiday.
    static constexpr const char* FREE_TIME = "SF";
    static constexpr const char* HOLIDAY = "UR";

    // bBackslashEscapes: the connection's server reads a backslash in a literal as an escape.
    CScenario(CTestDatabase& db, bool bBackslashEscapes) : m_db(db), m_bBackslashEscapes(bBackslashEscapes) {}
    virtual ~CScenario() = default;
    CScenario(const CScenario&) = delete;
    CScenario& operator=(const CScenario&) = delete;

    // Empties every table of the calculation in the tenant schema and adds the absence codes.
    void Clear();
    // The data is written in one transaction, opened by the first write and committed here (and
    // before every read), so that a case costs one commit rather than one per row.
    void Commit();

    void Person(const CString& strPnr);
    // nJmo empty: the rule names no last month, the accounting year is the calendar year.
    void Rule(const char* pszCode, int nAnz, int nTkt, int nMax, int nVmo,
              std::optional<int> nJmo = std::nullopt);
    // nTo 0: open-ended.
    void Contract(const CString& strPnr, int nFrom, int nTo, const char* pszRule);
    // The rule grants dShares for a day worked in the shift model once the day's maximum
    // reaches dMinimum.
    void QualifyingShift(const char* pszRule, const char* pszModel, double dShares, double dMinimum);
    // A day worked in the shift model, with its day balance.
    void Shift(const CString& strPnr, int nDay, const char* pszModel, double dDayMax = 8.0, int nZtr = 1);
    void Booking(const CString& strPnr, int nDay, BookedDay kind = BookedDay::Full, int nFkt = 1,
                 const char* pszCode = FREE_TIME);
    void CarryOver(const CString& strPnr, int nYear, double dDays, double dShares, int nYearStart);
    // A daily row as an earlier calculation left it, every value dValue.
    void OldDailyRow(const CString& strPnr, int nDay, double dValue);

    std::optional<DailyRow> Daily(const CString& strPnr, int nDay);
    std::optional<YearRow> Yearly(const CString& strPnr, int nYear);
    long DailyCount(const CString& strPnr);
    long YearlyCount(const CString& strPnr);
    // Every daily and yearly row of the person with all columns, the write stamps with them
    // unless bWithStamps is false.
    std::vector<CString> StoredRows(const CString& strPnr, bool bWithStamps = true);

    // The text as a literal of the connection, quotes included.
    CString Literal(const CString& strValue) const;
    static CString DateLiteral(int nDay);

private:
    void Exec(const CString& strSql);

    CTestDatabase& m_db;
    bool m_bBackslashEscapes;
    bool m_bInTransaction = false;
};

class KvtCalcTest : public KvtDbTest {
protected:
    void SetUp() override;

    // Runs the request of the person and date through the per-request driver.
    void Calculate(const CString& strPnr, int nDate, const CString& strUser = "PLANER");
    // The run log as it stands, and whether it holds a timestamped entry of exactly this text.
    std::string LogText() const;
    bool Logged(const std::string& strText) const;
    // The entries of the run log, their timestamps taken off.
    std::string LogEntries() const;
    // How often the run log holds an entry of exactly this text.
    int CountLogged(const std::string& strText) const;
    void ClearLog();

    bool IsMySql() const { return std::string(GetParam().pszDbSystem) == "MYSQL"; }
    std::optional<DailyRow> Day(const CString& strPnr, int nDay) { return m_scenario.Daily(strPnr, nDay); }
    std::optional<YearRow> Year(const CString& strPnr, int nYear) { return m_scenario.Yearly(strPnr, nYear); }

    CScenario m_scenario{m_raw, GetParam().bBackslashEscapes};
    TempDir m_logDir;
};

// A daily row as the tables show it, in column order: cumulative shares, carry-over days and
// share remainder, entitlement, taken, planned, rest, carry-over days used.
inline DailyRow Row(double dAnt, double dVtg, double dVan, double dAns, double dGen, double dVpl, double dRst,
                    int nGvv) {
    return DailyRow{dAnt, dVtg, dVan, dAns, dGen, dVpl, dRst, nGvv};
}

// The current year of the local clock, and the server's date of today as yyyymmdd.
int CurrentYear();
int Today(CTestDatabase& db);
// Number of calendar days from nFrom to nTo, both included.
int DaysBetween(int nFrom, int nTo);
int DayAfter(int nDay);
