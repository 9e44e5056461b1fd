// kvt-report without a database: the command line, the carry-over figures it derives from the
// daily rows, the comparison of stored and computed rows, and its writers on Windows-1252 texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Cp1252.h"
#include "report/CTextConverter.h"
#include "report/ReportFormat.h"
#include "report/ReportOptions.h"
#include "report/StaleCheck.h"
#include "report/SvgChart.h"
#include "report/YearTable.h"
#include "tests/support/TempDir.h"

namespace {

ResultRow Day(int32_t nDay, double dAnt, double dVtg, double dAns, double dGen, double dVpl, double dRst) {
    ResultRow row;
    row.key = nDay;
    row.values[kSfzAnt] = dAnt;
    row.values[kSfzVtg] = dVtg;
    row.values[kSfzAns] = dAns;
    row.values[kSfzGen] = dGen;
    row.values[kSfzVpl] = dVpl;
    row.values[kSfzRst] = dRst;
    return row;
}

// A year with a carry-over of 2 days and 3 shares, usable as 2.5 days until the end of March, of
// which 1 day is taken.
PersonYear CarryOverYear() {
    PersonYear year;
    year.strPnr = "M\xFCller<1>";
    year.nCalcYear = 2024;
    year.nPeriodStart = 20240101;
    year.nPeriodEnd = 20241231;
    year.bCarryOver = true;
    year.dCarryDays = 2;
    year.dCarryShares = 3;
    year.nYearStartShares = 4;
    ContractRecord contract{};
    contract.validFrom = year.nPeriodStart;
    contract.validTo = year.nPeriodEnd;
    contract.periodStart = year.nPeriodStart;
    contract.kvtVmo = 3;
    year.contracts.push_back(contract);
    year.computed.days = {Day(20240101, 10, 2.5, 1, 0, 1, 2.5), Day(20240331, 30, 2.5, 3, 1, 0, 4.5),
                          Day(20240401, 31, 0, 3, 1, 0, 3), Day(20240402, 40, 0, 4, 2, 0, 3)};
    year.stored.days = year.computed.days;
    return year;
}

TEST(ReportYearTest, VortragAndGenutztAddUpToTheRestAroundTheDeadline) {
    PersonYear year = CarryOverYear();
    year.stored.days[2].values[kSfzRst] = 5;
    const ExplainedYear explained = ExplainYear(year, 20240402);
    ASSERT_EQ(explained.days.size(), 4u);
    EXPECT_DOUBLE_EQ(explained.days[0].dShares, 6.0);  // 10 less the 4 the year started with
    ASSERT_EQ(explained.deadlines.size(), 1u);
    EXPECT_EQ(explained.deadlines[0].nDay, 20240401);
    EXPECT_DOUBLE_EQ(explained.deadlines[0].dExpired, 1.5);
    EXPECT_EQ(explained.nFirstDifference, 20240401);
    EXPECT_EQ(explained.nProvisional, 20240402);
    for (const ExplainedDay& day : explained.days) {
        const auto& v = day.pRow->values;
        EXPECT_DOUBLE_EQ(v[kSfzRst], v[kSfzAns] + day.dCarry + day.dUsed - v[kSfzGen] - v[kSfzVpl]) << v[0];
    }

    YearTableStyle style;
    style.nDecimals = kReadDecimals;
    const ReportTable months = BuildYearTable(year, explained, style);
    ASSERT_EQ(months.rows.size(), 3u);
    // Monat, Anteile, Anteile kum., Anspruch, genommen, geplant, Vortrag, genutzt, verfallen, Rest,
    // Rest gespeichert, Hinweis
    EXPECT_EQ(months.rows[1],
              (std::vector<CString>{"2024-03", "20", "30", "3", "1", "0", "2.5", "0", "0", "4.5", "", ""}));
    EXPECT_EQ(months.rows[2], (std::vector<CString>{"2024-04", "10", "40", "4", "2", "0", "0", "1", "1.5",
                                                    "3", "3", "Stand 02.04.2024, vorl\xE4ufig"}));
    EXPECT_EQ(StoredDifferenceLine(year, explained),
              "Gespeicherte Ergebnisse weichen ab ab 01.04.2024; eine Neuberechnung ergibt die Spalten oben");
}

TEST(ReportStaleTest, TheFirstDayOfEachKindOfDifferenceAndEachDifferingCarryOverRowAreReported) {
    PersonYear year;
    year.nPeriodStart = 20240101;
    year.nPeriodEnd = 20241231;
    year.stored.days = {Day(20240101, 1, 0, 0, 0, 0, 1), Day(20240102, 2, 0, 0, 0, 0, 1),
                        Day(20240103, 3, 0, 0, 0, 0, 1)};
    year.computed.days = year.stored.days;
    year.computed.days[0].values[kSfzRst] += 4e-7;  // below the stored scale
    EXPECT_TRUE(FindStaleResults(year).empty());
    // A column of two decimals holds 2.345 as 2.34 or 2.35, as the product rounds a half; not 2.33.
    year.stored.dayDecimals[kSfzVpl] = 2;
    year.computed.days[0].values[kSfzVpl] = 2.345;
    for (const double dStored : {2.34, 2.35, 2.33}) {
        year.stored.days[0].values[kSfzVpl] = dStored;
        EXPECT_EQ(FindStaleResults(year).empty(), dStored != 2.33) << dStored;
    }
    year.computed.days[0].values[kSfzVpl] = year.stored.days[0].values[kSfzVpl] = 0;

    year.computed.days[1].values[kSfzRst] = 0.5;
    year.computed.days[1].values[kSfzGen] = 0.5;
    year.computed.days[2].values[kSfzAnt] = 7;
    year.stored.days[2].isNull[kSfzSta] = true;
    year.computed.days.erase(year.computed.days.begin());
    year.computed.days.push_back(Day(20240104, 1, 0, 0, 0, 0, 1));
    year.computed.days.push_back(Day(20240105, 1, 0, 0, 0, 0, 1));
    ResultRow carry;
    carry.key = 2025;
    year.computed.years = {carry};
    const auto summary = [&](int32_t nPendingFrom) {
        CString strText;
        for (const StaleFinding& finding : FindStaleResults(year, nPendingFrom)) {
            strText += finding.strPlace + " " + finding.pszKind + ":";
            for (const ColumnChange& change : finding.changes) {
                strText += " " + change.strColumn + "|" + change.strStored + "|" + change.strNew;
            }
            strText += "\n";
        }
        return strText;
    };
    EXPECT_EQ(summary(0),
              "2024-01-01 gespeichert, entf\xE4llt: |1 Tag|\n"
              "2024-01-02 Werte weichen ab: SFZGEN|0|0.5 SFZRST|1|0.5\n"
              "2024-01-04 berechnet, nicht gespeichert: ||2 Tage\n"
              "Vortrag 2025 berechnet, nicht gespeichert: ||\n");
    // Days that a year still running had not reached when it was stored are no difference, and
    // neither is the carry-over into the following year, which holds the state of the last day.
    EXPECT_EQ(summary(20240104),
              "2024-01-01 gespeichert, entf\xE4llt: |1 Tag|\n"
              "2024-01-02 Werte weichen ab: SFZGEN|0|0.5 SFZRST|1|0.5\n");
    year.stored.days.back().written = 20240104;
    EXPECT_EQ(FirstPendingDay(year, 20240110), 0);  // written after its day: the calculation stopped there
    year.stored.days.back().written = 20240103;
    EXPECT_EQ(FirstPendingDay(year, 20240110), 20240104);
    EXPECT_EQ(FirstPendingDay(year, 20250101), 0);  // the year is over: every day counts
}

TEST(ReportWriterTest, TextsLeaveWindows1252ForTheOutputsCharacterSet) {
    const CString strText =
        "M\xFCller \x80 \x81";  // ü, the euro sign, and a byte Windows-1252 leaves undefined
    EXPECT_EQ(CTextConverter("UTF-8").Convert(strText), "M\xC3\xBCller \xE2\x82\xAC ?");
    EXPECT_EQ(CTextConverter("ISO-8859-1").Convert(strText), "M\xFCller ? ?");
    EXPECT_EQ(CTextConverter("ANSI_X3.4-1968").Convert(strText), "M?ller ? ?");
    EXPECT_EQ(CTextConverter("NO-SUCH-SET").Convert(strText), "M?ller ? ?");
    EXPECT_EQ(FormatNumber(2.5), "2.5");
    EXPECT_EQ(FormatNumber(-0.0000001), "0");
    EXPECT_EQ(FormatNumber(-1.125), "-1.125");
}

// Aligned before the conversion: in UTF-8 the lines are as long in characters as in Windows-1252.
TEST(ReportWriterTest, TableColumnsStayAlignedInCharactersAfterConversion) {
    ReportTable table;
    table.headings = {"Name", "Rest"};
    table.rows = {{"M\xFC\xDF", "2.5"}, {"Bauer", "10"}};
    const std::string strUtf8 = CTextConverter("UTF-8").Convert(FormatTextTable(table));
    EXPECT_EQ(strUtf8,
              "Name   Rest\n"
              "-----  ----\n"
              "M\xC3\xBC\xC3\x9F     2.5\n"
              "Bauer    10\n");
}

TEST(ReportWriterTest, CsvQuotesWhatWouldSplitAFieldAndEndsLinesWithCrLf) {
    ReportTable table;
    table.headings = {"PNR", "Text"};
    table.rows = {{"1", "a,b"}, {"2", "sagt \"M\xFCller\""}, {"3", "zwei\nZeilen"}};
    EXPECT_EQ(Utf8FromCp1252(FormatCsv(table, true)),
              "PNR,Text\r\n1,\"a,b\"\r\n2,\"sagt \"\"M\xC3\xBCller\"\"\"\r\n3,\"zwei\nZeilen\"\r\n");
    EXPECT_EQ(FormatCsv(table, false).Left(8), "1,\"a,b\"\r");
    // For spreadsheet programs: semicolons, and a decimal comma in the columns of numbers only.
    table.headings = {"Tag", "Rest", "Hinweis"};
    table.nTrailingTextColumns = 1;
    table.rows = {{"2025-01-31", "-2.5", "a;b 1.5"}};
    EXPECT_EQ(FormatCsv(table, true, CsvStyle::Excel), "Tag;Rest;Hinweis\r\n2025-01-31;-2,5;\"a;b 1.5\"\r\n");
    EXPECT_EQ(FormatNumber(15.214286, kReadDecimals), "15.21");
    EXPECT_EQ(FormatNumber(10, 0), "10");
}

TEST(ReportWriterTest, TheChartHasOnePointPerDayAndEscapesItsTexts) {
    EXPECT_EQ(XmlEscaped("<a & 'b' \"c\">\x01"), "&lt;a &amp; &apos;b&apos; &quot;c&quot;&gt;?");
    const PersonYear year = CarryOverYear();
    const std::string strSvg = Utf8FromCp1252(FormatSvgChart(year, ExplainYear(year, 0)));
    const size_t nRest = strSvg.find("<polyline id=\"rest\"");
    ASSERT_NE(nRest, std::string::npos);
    const size_t nPoints = strSvg.find("points=\"", nRest) + 8;
    const std::string strPoints = strSvg.substr(nPoints, strSvg.find('"', nPoints) - nPoints);
    EXPECT_EQ(std::count(strPoints.begin(), strPoints.end(), ','), 4);
    EXPECT_NE(strSvg.find("Personalnummer M\xC3\xBCller&lt;1&gt;"), std::string::npos);
    EXPECT_NE(strSvg.find(">M\xC3\xA4r<"), std::string::npos);
    EXPECT_NE(strSvg.find("Frist des Vortrags 01.04.2024: 1.5 Tage verfallen"), std::string::npos);
}

TEST(ReportOptionsTest, CallsAreCheckedAsAWhole) {
    TempDir dir;
    const std::string strConfig = dir.File("kvt.ini");
    WriteBytes(strConfig, "1;DB_SYSTEM;00\n");
    CString strError;
    const auto parse = [&](std::vector<std::string> args, ReportOptions* pOptions) {
        args.insert(args.begin(), {"kvt-report", strConfig, "user:werk1#planer"});
        std::vector<const char*> argv;
        for (const std::string& arg : args) {
            argv.push_back(arg.c_str());
        }
        return ParseReportOptions(static_cast<int>(argv.size()), argv.data(), pOptions, &strError);
    };
    ReportOptions options;
    ASSERT_TRUE(parse({"1001", "--year", "2024", "--days", "--svg", "a.svg"}, &options));
    EXPECT_EQ(options.strSchema, "WERK1");
    EXPECT_EQ(options.strUser, "PLANER");
    EXPECT_EQ(options.nYear, 2024);
    ReportOptions check;
    EXPECT_TRUE(
        parse({"--check", "--all", "--queue", "--csv=excel", "--since", "2025", "--missing"}, &check));
    EXPECT_EQ(check.csv, CsvStyle::Excel);
    EXPECT_EQ(check.nSince, 2025);
    // Each message names what is wrong.
    for (const auto& [wrong, pszMessage] : std::vector<std::pair<std::vector<std::string>, const char*>>{
             {{}, "Personalnummern angeben."},
             {{"--check"}, "Personalnummern oder --all angeben."},
             {{"--check", "--all", "1001"}, "Personalnummern oder --all angeben, nicht beides."},
             {{"1001", "--queue"}, "--queue gilt nur mit --check."},
             {{"--check", "--all", "--year", "2025", "--missing"}, "--missing gilt nicht mit --year."},
             {{"1001", "1002", "--html", "a.html"}, "--html gilt f\xFCr genau eine Personalnummer."},
             {{"1001", "--year", "1900"}, "--year braucht ein Jahr JJJJ nach 1900."},
             {{"1001", "--svg"}, "--svg braucht einen Dateinamen."},
             {{"123456789"}, "Eine Personalnummer hat 1 bis 8 Zeichen."},
             {{"1001", "--weekly"}, "Unbekannte Option --weekly."},
             {{"--check", "1001", "--postings"}, "--postings gilt nicht mit --check."}}) {
        ReportOptions rejected;
        EXPECT_FALSE(parse(wrong, &rejected));
        EXPECT_EQ(strError, pszMessage);
    }
}

}  // namespace
