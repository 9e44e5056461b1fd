// Reference data that the calculation reads and then writes into its own statements: personnel
// numbers, rule codes and user texts with quotes, backslashes, statement fragments, format
// directives and the bytes 128 to 255; NULL in every nullable column of rule, contract, booking and
// carry-over rows; rule values at the ends of their range; dates at the ends of the calendar.
// Whatever the value, it stays a value: the person's own rows come out as for a plain value, the
// tables the calculation only reads keep their contents, and a bystander's rows do not change.
#include <climits>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/ByteText.h"
#include "tests/db/Scenario.h"

namespace {

const char* const kBystander = "4711";

// A personnel number or rule code of a case. Appended rather than written as "L" + a number:
// g++ 12 reports a false -Wrestrict for that form in optimised builds.
std::string Numbered(const char* pszPrefix, size_t i) {
    return std::string(pszPrefix).append(std::to_string(i));
}

class HostileDataTest : public KvtCalcTest {
protected:
    void SetUp() override {
        KvtCalcTest::SetUp();
        // The bystander has results of its own and reference data that a widened statement
        // would reach: a plain rule, a contract, shifts, a booking, a carry-over.
        m_scenario.Rule("K1", 10, 5, 300, 3);
        m_scenario.QualifyingShift("K1", "N", 6, 8.0);
        m_scenario.Person(kBystander);
        m_scenario.Contract(kBystander, 20200101, 0, "K1");
        m_scenario.Shift(kBystander, 20240102, "N");
        m_scenario.Booking(kBystander, 20240105);
        m_scenario.OldDailyRow(kBystander, 20240102, 77);
        m_scenario.OldDailyRow(kBystander, 20240103, 77);
        m_scenario.CarryOver(kBystander, 2024, 1.0, 2.0, 3);
        m_scenario.CarryOver(kBystander, 2025, 9.0, 9.0, 9);
    }

    // Called once the data of a case is in place: from here on only the results of the persons
    // calculated may change.
    void Watch() {
        m_bystanderRows = m_scenario.StoredRows(kBystander);
        m_readOnlyTables = ReadOnlyTables();
        m_bWatching = true;
    }

    void TearDown() override {
        if (!m_bWatching) {
            return;
        }
        EXPECT_EQ(m_scenario.StoredRows(kBystander), m_bystanderRows) << "the bystander's results changed";
        EXPECT_EQ(ReadOnlyTables(), m_readOnlyTables) << "a table the calculation only reads changed";
    }

    // Checksums of every table the calculation reads but never writes.
    std::vector<CString> ReadOnlyTables() {
        m_scenario.Commit();
        CString strSql;
        strSql.Format(
            "CHECKSUM TABLE %s.ZTW300PNR, %s.ZTW155KVT, %s.ZTW310BSV, %s.ZTW155SF1, %s.ZTW329ZTG, "
            "%s.ZTW320TGB, %s.ZTW327TAG, %s.ZTW131FCD, %s.ZTW321BCH, ZTWBASIS.ZTW133BAK",
            Schema(), Schema(), Schema(), Schema(), Schema(), Schema(), Schema(), Schema(), Schema());
        std::vector<CString> rows;
        m_raw.QueryRows(strSql, rows);
        return rows;
    }

    CString Lit(const std::string& strValue) const { return m_scenario.Literal(strValue.c_str()); }

    void Exec(const CString& strSql) {
        m_scenario.Commit();
        ASSERT_GE(m_raw.Exec(strSql), 0) << strSql.GetString();
    }

    // A rule row from texts, so that any of its values may be NULL.
    void RuleRow(const std::string& strCode, const char* pszAnz, const char* pszTkt, const char* pszMax,
                 const char* pszVmo, const char* pszJmo) {
        CString strSql;
        strSql.Format(
            "INSERT INTO ZTW155KVT (KVTMOD, KVTANZ, KVTTKT, KVTMAX, KVTVMO, KVTJMO) "
            "VALUES (%s, %s, %s, %s, %s, %s)",
            Lit(strCode).GetString(), pszAnz, pszTkt, pszMax, pszVmo, pszJmo);
        Exec(strSql);
    }

    // Ten days of January 2024 under the rule: night shifts of 6 shares on the 2nd and 3rd, a free
    // day booked on the 5th. With 10 shares a day in steps of 5 the 10th reads 12 shares, an
    // entitlement of 1 day, 1 day taken and a rest of 0; 2 shares are left for 2025.
    void TenDays(const std::string& strPnr, const std::string& strRule) {
        const CString strPnrLit = Lit(strPnr);
        const CString strRuleLit = Lit(strRule);
        CString strSql;
        strSql.Format("INSERT INTO ZTW155SF1 (SF1NUM, SF1AZT, SF1MIN, SF1ANT) VALUES (%s, 'N', 8, 6)",
                      strRuleLit.GetString());
        Exec(strSql);
        m_scenario.Person(strPnr.c_str());
        strSql.Format(
            "INSERT INTO ZTW310BSV (BSVPNR, BSVGVO, BSVGBI, BSVKVT) "
            "VALUES (%s, DATE '2024-01-01', DATE '2024-01-10', %s)",
            strPnrLit.GetString(), strRuleLit.GetString());
        Exec(strSql);
        m_scenario.Shift(strPnr.c_str(), 20240102, "N");
        m_scenario.Shift(strPnr.c_str(), 20240103, "N");
        m_scenario.Booking(strPnr.c_str(), 20240105);
    }

    long Count(const CString& strSql) {
        m_scenario.Commit();
        return m_raw.QueryInt(strSql);
    }

    // Rows of the person whose user text is exactly the given bytes.
    long RowsWithUserText(const std::string& strPnr, const std::string& strUser) {
        CString strSql;
        strSql.Format(
            "SELECT (SELECT COUNT(*) FROM ZTW332SFZ WHERE SFZPNR = %s AND HEX(SFZERF) = '%s') + "
            "(SELECT COUNT(*) FROM ZTW332SFV WHERE SFVPNR = %s AND HEX(SFVERF) = '%s') FROM DUAL",
            Lit(strPnr).GetString(), Hex(strUser).c_str(), Lit(strPnr).GetString(), Hex(strUser).c_str());
        return Count(strSql);
    }

    // Every daily row of the person with all its columns, the write stamp among them.
    std::vector<CString> DailyRows(const std::string& strPnr) {
        m_scenario.Commit();
        std::vector<CString> rows;
        m_raw.QueryRows("SELECT * FROM ZTW332SFZ WHERE SFZPNR = " + Lit(strPnr) + " ORDER BY SFZDTM", rows);
        return rows;
    }

    long Occurrences(const std::string& strText) const {
        const std::string strLog = LogText();
        long nCount = 0;
        for (size_t nAt = strLog.find(strText); nAt != std::string::npos;
             nAt = strLog.find(strText, nAt + 1)) {
            ++nCount;
        }
        return nCount;
    }

    // The rest and shares that the run log shows for the carry-over of the person into the year.
    std::optional<YearRow> LoggedCarryOver(const std::string& strPnr, int nYear) const {
        const std::string strPrefix = " - Schichtfreizeit Vortrag: Personanummer " + strPnr + ", Jahr " +
                                      std::to_string(nYear) + ", Rest: ";
        const std::string strLog = LogText();
        const size_t nAt = strLog.find(strPrefix);
        YearRow row{};
        if (nAt == std::string::npos || std::sscanf(strLog.c_str() + nAt + strPrefix.size(),
                                                    "%lf, Anteile: %lf", &row.SFVVTG, &row.SFVVAN) != 2) {
            return std::nullopt;
        }
        return row;
    }

    std::vector<CString> m_bystanderRows;
    std::vector<CString> m_readOnlyTables;
    bool m_bWatching = false;
};

struct HostileCase {
    std::string strPnr;   // at most 8 characters, the width of the request's field
    std::string strRule;  // at most 5 characters, the width of the contract row's field
    std::string strUser;  // at most 50 characters, the width of the request's field
};

// Each value would widen, end or break its statement if it were pasted in as it is: "'OR''='"
// makes every comparison true, "\'OR 1#" does the same where the server reads backslash escapes,
// "K\" swallows its closing quote there; the directives would crash a value used as a format.
TEST_P(HostileDataTest, QuotesBackslashesFragmentsAndHighBytesStayValues) {
    const std::vector<HostileCase> cases = {
        {"'OR''='", "K'1", "'; DELETE FROM ZTW332SFZ; --"},
        {"\\'OR 1#", "K\\", "x\\'); DELETE FROM ZTW332SFV; --"},
        {"x';--", "'--", "' OR '1'='1"},
        {"%n%s%n%s", "%s%n", "%s%n%s%n%s%n"},
        {"a\\", "\\'", "\\"},
        {Bytes(0x80, 0x87), Bytes(0x88, 0x8C), Bytes(0x80, 0x9F)},
        {Bytes(0x8D, 0x94), Bytes(0x95, 0x99), Bytes(0xA0, 0xCF)},
        {Bytes(0x9A, 0xA1), Bytes(0xF0, 0xF4), Bytes(0xD0, 0xFF)},
    };
    for (const HostileCase& hostile : cases) {
        RuleRow(hostile.strRule, "10", "5", "300", "3", "NULL");
        TenDays(hostile.strPnr, hostile.strRule);
    }
    Watch();

    for (const HostileCase& hostile : cases) {
        SCOPED_TRACE("personnel number " + Hex(hostile.strPnr));
        const CString strPnr = hostile.strPnr.c_str();
        Calculate(strPnr, 20240615, hostile.strUser.c_str());

        EXPECT_EQ(m_scenario.DailyCount(strPnr), 10);
        EXPECT_EQ(Day(strPnr, 20240103), Row(12, 0, 0, 1, 0, 1, 0, 0));
        EXPECT_EQ(Day(strPnr, 20240110), Row(12, 0, 0, 1, 1, 0, 0, 0));
        EXPECT_EQ(Year(strPnr, 2025), (YearRow{0, 2}));
        EXPECT_EQ(RowsWithUserText(hostile.strPnr, hostile.strUser), 10 + 1);
        EXPECT_TRUE(Logged("Schichtfreizeit : Personalnummer " + hostile.strPnr +
                           ", Jahr 2024, Bewegungsdaten erfolgreich ermittelt"));
    }
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ZTW332SFZ"), 2 + 10 * static_cast<long>(cases.size()));
}

// NULL in every nullable column the calculation reads: all five values of the rule, the end of the
// contract row, the three day columns of a booking and the three values of the carry-over row. They
// read as nothing: no divisor (no entitlement), the calendar year, an open end, no day taken, no
// carry-over.
TEST_P(HostileDataTest, NullsInRuleContractBookingAndCarryOverRowsReadAsNothing) {
    RuleRow("KN", "NULL", "NULL", "NULL", "NULL", "NULL");
    TenDays("N1", "KN");
    Exec("UPDATE ZTW310BSV SET BSVGBI = NULL WHERE BSVPNR = 'N1'");
    Exec("UPDATE ZTW327TAG SET TAGTGB = NULL, TAGHTV = NULL, TAGHTN = NULL WHERE TAGPNR = 'N1'");
    Exec("INSERT INTO ZTW332SFV (SFVPNR, SFVJHR, SFVMAN) VALUES ('N1', 2024, 0)");
    Watch();

    Calculate("N1", 20240615);

    EXPECT_EQ(m_scenario.DailyCount("N1"), 366);
    EXPECT_EQ(Day("N1", 20240101), Row(0, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(Day("N1", 20241231), Row(12, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(Year("N1", 2025), (YearRow{0, 0}));
    EXPECT_EQ(
        Count("SELECT COUNT(*) FROM ZTW332SFV WHERE SFVPNR = 'N1' AND SFVJHR = 2024 AND SFVVTG IS NULL"), 1);
}

// A rule code longer than the contract row's field of 5 characters arrives cut, and it is the cut
// code that selects the qualifying shifts; a cut that ends in a quote or a backslash stays a value.
TEST_P(HostileDataTest, OverlongRuleCodesAreCutToFiveCharactersAndStayValues) {
    const std::vector<std::pair<std::string, std::string>> codes = {{"ABCD'XYZ", "ABCD'"},
                                                                    {"ABCD\\XYZ", "ABCD\\"}};
    for (size_t i = 0; i < codes.size(); ++i) {
        const std::string strPnr = Numbered("L", i);
        RuleRow(codes[i].first, "10", "5", "300", "3", "NULL");
        TenDays(strPnr, codes[i].second);
        Exec("UPDATE ZTW310BSV SET BSVKVT = " + Lit(codes[i].first) + " WHERE BSVPNR = " + Lit(strPnr));
    }
    Watch();

    for (size_t i = 0; i < codes.size(); ++i) {
        const CString strPnr = Numbered("L", i).c_str();
        Calculate(strPnr, 20240615);
        EXPECT_EQ(Day(strPnr, 20240110), Row(12, 0, 0, 1, 1, 0, 0, 0)) << codes[i].first;
    }
}

struct ExtremeCase {
    int nAnz;
    int nTkt;
    int nMax;
    int nVmo;
    int nJmo;
    const char* pszCarryDays;  // the carry-over row into the accounting year
    const char* pszCarryShares;
    int nYearStartShares;
    int nFirstDay;  // the first day of the accounting year, where the calculation starts
};

// Rule values of 0, negative and at both ends of the 32-bit range, and carry-over values at the ends
// of their columns. The arithmetic must stay defined (the sanitizer build runs this too), and each
// day either stores its row or reports that it could not; so does the carry-over of the next year,
// which, where it is stored, holds the values that the run log shows.
TEST_P(HostileDataTest, RuleAndCarryOverValuesAtTheEndsOfTheirRangeKeepTheCalculationDefined) {
    const char* const kMaxDecimal = "999999999.999999";
    const char* const kMinDecimal = "-999999999.999999";
    const std::vector<ExtremeCase> cases = {
        {0, 0, 0, 0, 0, "2", "3", 4, 20240101},
        {-1, -1, -1, -1, -1, "2", "3", 4, 20240101},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, "2", "3", 4, 20240101},
        {INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, "2", "3", 4, 20240101},
        {1, INT_MAX, INT_MIN, INT_MIN, 0, "2", "3", 4, 20240101},
        {-1, INT_MIN, INT_MAX, INT_MAX, 11, "2", "3", 4, 20231201},
        {INT_MIN, -1, 1, 12, -1, "-2", "-3", -4, 20240101},
        {3, -7, -1, 0, 13, "0.5", "-0.5", 0, 20240101},
        {10, 5, 300, 0, 12, kMaxDecimal, kMinDecimal, INT_MAX, 20240101},
        {10, 5, 300, 0, 12, kMinDecimal, kMaxDecimal, INT_MIN, 20240101},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const ExtremeCase& extreme = cases[i];
        const std::string strRule = Numbered("E", i);
        RuleRow(strRule, std::to_string(extreme.nAnz).c_str(), std::to_string(extreme.nTkt).c_str(),
                std::to_string(extreme.nMax).c_str(), std::to_string(extreme.nVmo).c_str(),
                std::to_string(extreme.nJmo).c_str());
        TenDays(Numbered("P", i), strRule);
        CString strSql;
        strSql.Format(
            "INSERT INTO ZTW332SFV (SFVPNR, SFVJHR, SFVMAN, SFVVTG, SFVVAN, SFVZUS) "
            "VALUES ('P%zu', %d, 0, %s, %s, %d)",
            i, extreme.nFirstDay / 10000, extreme.pszCarryDays, extreme.pszCarryShares,
            extreme.nYearStartShares);
        Exec(strSql);
    }
    Watch();

    for (size_t i = 0; i < cases.size(); ++i) {
        const std::string strPnr = Numbered("P", i);
        const int nYear = cases[i].nFirstDay / 10000;
        SCOPED_TRACE(strPnr);
        Calculate(strPnr.c_str(), 20240615);

        EXPECT_TRUE(Logged("Schichtfreizeit : Personalnummer " + strPnr + ", Jahr " + std::to_string(nYear) +
                           ", Bewegungsdaten erfolgreich ermittelt"));
        // A value a column refuses ends the calculation, and nothing of it is kept.
        const bool bRefused =
            Occurrences("Personalnummer " + strPnr + ": Berechnung fehlgeschlagen und zur\xFC" "ckgesetzt") == 1;
        const std::optional<YearRow> carried = Year(strPnr.c_str(), nYear + 1);
        if (bRefused) {
            EXPECT_EQ(m_scenario.DailyCount(strPnr.c_str()), 0);
            EXPECT_FALSE(carried);
            continue;
        }
        EXPECT_EQ(m_scenario.DailyCount(strPnr.c_str()), DaysBetween(cases[i].nFirstDay, 20240110));
        EXPECT_EQ(Count("SELECT COUNT(*) FROM ZTW332SFZ WHERE SFZPNR = '" + CString(strPnr.c_str()) +
                        "' AND (SFZANT IS NULL OR SFZVTG IS NULL OR SFZVAN IS NULL OR SFZANS IS NULL OR "
                        "SFZGEN IS NULL OR SFZVPL IS NULL OR SFZRST IS NULL OR SFZGVV IS NULL)"),
                  0);
        // MariaDB's ORACLE mode, as the test server runs it, is not strict: it clips a value to the
        // column's range with a warning where Oracle refuses it, so only MYSQL compares the values.
        const std::optional<YearRow> logged = LoggedCarryOver(strPnr, nYear + 1);
        ASSERT_TRUE(logged.has_value());
        ASSERT_TRUE(carried.has_value());
        if (IsMySql()) {
            EXPECT_EQ(carried, logged);
        }
    }
}

// Contract rows from the first to the last day of the calendar, and requests dated there. A
// contract row reaching far beyond the accounting year is clipped to it; one that begins after it
// does not count. A request in year 9999 has no calendar days but still hands its carry-over on to
// year 10000; neither it nor a request in year 1 touches the daily rows of other years.
TEST_P(HostileDataTest, DatesAtTheEndsOfTheCalendar) {
    m_scenario.Person("D1");
    Exec(
        "INSERT INTO ZTW310BSV (BSVPNR, BSVGVO, BSVGBI, BSVKVT) VALUES ('D1', DATE '0001-01-01', "
        "DATE '9999-12-31', 'K1')");
    m_scenario.Shift("D1", 20240102, "N");
    m_scenario.OldDailyRow("D1", 20100101, 55);
    m_scenario.Person("D2");
    Exec(
        "INSERT INTO ZTW310BSV (BSVPNR, BSVGVO, BSVGBI, BSVKVT) VALUES ('D2', DATE '9999-12-31', NULL, "
        "'K1')");
    Watch();

    Calculate("D1", 20240615);
    Calculate("D2", 20240615);

    EXPECT_EQ(m_scenario.DailyCount("D1"), 366 + 1);
    EXPECT_EQ(Day("D1", 20241231), Row(6, 0, 0, 0.5, 0, 0, 0.5, 0));
    EXPECT_EQ(Year("D1", 2025), (YearRow{0.5, 1}));
    EXPECT_EQ(m_scenario.DailyCount("D2"), 0);
    EXPECT_EQ(Year("D2", 2025), std::nullopt);

    const std::vector<CString> daily = DailyRows("D1");
    Calculate("D1", 99991231);
    Calculate("D1", 10101);
    EXPECT_EQ(Year("D1", 10000), (YearRow{0, 0}));
    EXPECT_EQ(DailyRows("D1"), daily);
}

// MariaDB and MySQL read six digits such as 240615 as the date 2024-06-15 (YYMMDD): a date before
// the year 1000 that lost its leading zeros would make a request dated 0024-06-15 delete and rewrite
// the person's daily rows of 2024.
TEST_P(HostileDataTest, ARequestDatedInTheYear24LeavesTheDailyRowsOf2024Alone) {
    m_scenario.Person("D1");
    Exec(
        "INSERT INTO ZTW310BSV (BSVPNR, BSVGVO, BSVGBI, BSVKVT) VALUES ('D1', DATE '0001-01-01', NULL, "
        "'K1')");
    m_scenario.Shift("D1", 20240102, "N");
    Watch();
    Calculate("D1", 20240615);
    const std::vector<CString> daily = DailyRows("D1");
    ASSERT_EQ(daily.size(), 366u);

    Calculate("D1", 240615);

    EXPECT_TRUE(DailyRows("D1") == daily) << "the daily rows of 2024 were written again";
    EXPECT_EQ(Day("D1", 20241231), Row(6, 0, 0, 0.5, 0, 0, 0.5, 0));
}

INSTANTIATE_TEST_SUITE_P(Products, HostileDataTest,
                         ::testing::Values(kMySqlCase, kOracleCase, kMySqlLiteralBackslashCase), DialectName);

}  // namespace
