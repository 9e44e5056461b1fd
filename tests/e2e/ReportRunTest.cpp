// kvt-report as a process against the private test server, next to kvt: what it explains is what
// kvt then stores, what it finds stale is what changed behind kvt's back, a request it queues is
// one that kvt takes up, and nothing stored changes through it.
#include <algorithm>
#include <csignal>
#include <sstream>

#include "tests/e2e/KvtRunTest.h"
#include "tests/support/ConfigFile.h"

namespace {

using Rows = std::vector<std::string>;

// A stored decimal as kvt-report writes it: "2.5", "10", "0".
std::string Trimmed(const std::string& strColumn) {
    return "TRIM(TRAILING '.' FROM TRIM(TRAILING '0' FROM " + strColumn + "))";
}

Rows Lines(const std::string& strText, const std::string& strEnd) {
    Rows lines;
    for (size_t nStart = 0, nEnd = 0; (nEnd = strText.find(strEnd, nStart)) != std::string::npos;
         nStart = nEnd + strEnd.size()) {
        lines.push_back(strText.substr(nStart, nEnd - nStart));
    }
    return lines;
}

class ReportRunTest : public KvtRunTest {
protected:
    void SetUp() override {
        KvtRunTest::SetUp();
        for (const char* pszSql : {"DELETE FROM KVTTEST.ZTW329ZTG WHERE ZTGPNR LIKE 'RP%'",
                                   "DELETE FROM KVTTEST.ZTW320TGB WHERE TGBPNR LIKE 'RP%'",
                                   "DELETE FROM KVTTEST.ZTW321BCH WHERE BCHPNR LIKE 'RP%'",
                                   "DELETE FROM KVTTEST.ZTW327TAG WHERE TAGPNR LIKE 'RP%'",
                                   "DELETE FROM KVTTEST.ZTW155SF1 WHERE SF1AZT = 'RN'",
                                   "DELETE FROM KVTTEST.ZTW131FCD WHERE FCDNUM = 'RSF'",
                                   "INSERT INTO KVTTEST.ZTW155SF1 VALUES ('R1', 'RN', 6.00, 2.5)",
                                   "INSERT INTO KVTTEST.ZTW155SF1 VALUES ('RF', 'RN', 6.00, 2.5)",
                                   "INSERT INTO KVTTEST.ZTW155KVT VALUES ('RF', 10, 5, 300, 12, 9)",
                                   "INSERT INTO KVTTEST.ZTW131FCD VALUES ('RSF', 25)"}) {
            m_raw.Exec(pszSql);
        }
    }

    // A person on the fixture's rule R1 with a qualifying night shift every weekday of 2024, free
    // days in February, May (a half) and September, and 2 days and 3 shares carried into 2024, as
    // request strNumber.
    void AddPerson(const std::string& strNumber, const std::string& strPnr) {
        Queue(strNumber, strPnr);
        const std::string p = "'" + strPnr + "'";
        for (const std::string& strSql :
             {"INSERT INTO KVTTEST.ZTW329ZTG SELECT " + p +
                  ", DATE '2024-01-01' + INTERVAL seq DAY, 'RN' FROM seq_0_to_365 "
                  "WHERE WEEKDAY(DATE '2024-01-01' + INTERVAL seq DAY) < 5",
              "INSERT INTO KVTTEST.ZTW320TGB SELECT ZTGPNR, ZTGVON, 1, 8 FROM KVTTEST.ZTW329ZTG WHERE ZTGPNR "
              "= " +
                  p,
              "INSERT INTO KVTTEST.ZTW321BCH VALUES (" + p + ", '2024-02-14', 1, 'RSF'), (" + p +
                  ", '2024-05-06', 1, 'RSF'), (" + p + ", '2024-09-09', 1, 'RSF')",
              "INSERT INTO KVTTEST.ZTW327TAG VALUES (" + p + ", '2024-02-14', 'X', NULL, NULL), (" + p +
                  ", '2024-05-06', NULL, 'X', NULL), (" + p + ", '2024-09-09', 'X', NULL, NULL)",
              "INSERT INTO KVTTEST.ZTW332SFV (SFVPNR, SFVJHR, SFVMAN, SFVVTG, SFVVAN, SFVZUS, SFVSTA) VALUES "
              "(" +
                  p + ", 2024, 0, 2, 3, 4, 1)"}) {
            m_raw.Exec(strSql.c_str());
        }
    }

    // A person on rule strRule since 2020 with a night shift every weekday of the last two years and
    // a free day in the middle of each, and a request for the accounting year of strDate.
    void AddRecentPerson(const std::string& strPnr, const std::string& strRule, const std::string& strDate) {
        const std::string p = "'" + strPnr + "'";
        for (const std::string& strSql :
             {"INSERT INTO KVTTEST.ZTW300PNR (PNRNUM) VALUES (" + p + ")",
              "INSERT INTO KVTTEST.ZTW310BSV (BSVPNR, BSVGVO, BSVGBI, BSVKVT) VALUES (" + p +
                  ", '2020-01-01', NULL, '" + strRule + "')",
              "INSERT INTO KVTTEST.ZTW329ZTG SELECT " + p +
                  ", CURDATE() - INTERVAL seq DAY, 'RN' FROM seq_0_to_730 "
                  "WHERE WEEKDAY(CURDATE() - INTERVAL seq DAY) < 5",
              "INSERT INTO KVTTEST.ZTW320TGB SELECT ZTGPNR, ZTGVON, 1, 8 FROM KVTTEST.ZTW329ZTG WHERE ZTGPNR "
              "= " +
                  p,
              "INSERT INTO KVTTEST.ZTW321BCH SELECT " + p +
                  ", MAKEDATE(YEAR(CURDATE()) - seq, 170), 1, 'RSF' "
                  "FROM seq_0_to_1",
              "INSERT INTO KVTTEST.ZTW327TAG SELECT " + p +
                  ", MAKEDATE(YEAR(CURDATE()) - seq, 170), 'X', NULL, NULL "
                  "FROM seq_0_to_1",
              "INSERT INTO ZTWBASIS.ZTW002PRM (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMPNR, PRMDTM, "
              "PRMUHR, PRMFCD, "
              "PRMERF) VALUES ('" +
                  strPnr + "', 1, 5, 'KVTTEST', 'PLANER', " + p + ", " + strDate +
                  ", NOW(), 'SF', 'Planer')"}) {
            m_raw.Exec(strSql.c_str());
        }
    }

    ProcessResult RunReport(const std::vector<std::string>& extra) const {
        ProcessSpec launch;
        launch.m_args = {KVT_REPORT_BINARY, ConfigPath(), "USER:kvttest#planer"};
        launch.m_args.insert(launch.m_args.end(), extra.begin(), extra.end());
        launch.m_strWorkDir = WorkDir();
        launch.m_env = {"LC_ALL=C.UTF-8"};
        return RunProcess(launch);
    }

    Rows Query(const std::string& strSql) {
        std::vector<CString> rows;
        m_raw.QueryRows(strSql.c_str(), rows);
        return Rows(rows.begin(), rows.end());
    }

    // Every row of the tables that kvt writes, with all their columns.
    Rows Everything() {
        Rows rows;
        for (const char* pszSql : {"SELECT * FROM KVTTEST.ZTW332SFZ ORDER BY SFZPNR, SFZDTM",
                                   "SELECT * FROM KVTTEST.ZTW332SFV ORDER BY SFVPNR, SFVJHR",
                                   "SELECT * FROM ZTWBASIS.ZTW002PRM ORDER BY PRMNUM, PRMLFD",
                                   "SELECT * FROM ZTWBASIS.ZTW002ERR ORDER BY ERRPRM"}) {
            const Rows table = Query(pszSql);
            rows.insert(rows.end(), table.begin(), table.end());
        }
        return rows;
    }
};

// Before kvt ran, the explanation shows the stored balance beside the calculated one and exits 1;
// afterwards the rows it explained are those kvt stored, and a shift shortened behind kvt's back
// shows the stored balance again from that day on.
TEST_F(ReportRunTest, TheExplanationIsWhatKvtThenStoresAndSaysWhereTheStoredRowsDiffer) {
    AddPerson("1", "RP1");
    m_raw.Exec(
        "INSERT INTO KVTTEST.ZTW332SFZ SELECT 'RP1', DATE '2024-01-01' + INTERVAL seq DAY, seq, 1, 2, 3, 4, "
        "5, "
        "6, 7, '2024-01-02 10:00:00', 'Vorher', 1 FROM seq_0_to_365");
    const Rows before = Everything();

    const ProcessResult days = RunReport({"RP1", "--year", "2024", "--days", "--csv"});
    const ProcessResult months = RunReport({"RP1", "--year", "2024"});
    EXPECT_EQ(RunReport({"--check", "--all", "--year", "2024"}).m_nExitCode, 1);
    EXPECT_TRUE(Everything() == before) << "kvt-report changed stored rows";
    EXPECT_EQ(days.m_nExitCode, 1) << days.m_strErr;
    EXPECT_EQ(days.m_strErr,
              "Personalnummer RP1: Gespeicherte Ergebnisse weichen ab ab 01.01.2024; eine "
              "Neuberechnung ergibt die Spalten oben\n");
    EXPECT_EQ(months.m_nExitCode, 1) << months.m_strErr;
    for (const char* pszText :
         {"Vertragszeile: 01.01.2024 bis 31.12.2024, Regel R1: 10 Anteile je freier Tag",
          "Vortrag aus dem Vorjahr: 2 Tage, 3 Anteile (ZTW332SFV 2024); 4 Anteile", "Rest gespeichert",
          "\n2024-01  ", "Gespeicherte Ergebnisse weichen ab ab 01.01"}) {
        EXPECT_NE(months.m_strOut.find(pszText), std::string::npos) << pszText << "\n" << months.m_strOut;
    }

    ASSERT_EQ(RunKvt({"PARM:1"}).m_nExitCode, 0);
    // Tag, Anteile kum., Anspruch, genommen, geplant, Vortrag, Rest of each day: the table of the
    // rows follows the table of the head after an empty line.
    const std::string strRows = days.m_strOut.substr(days.m_strOut.find("\r\n\r\n") + 4);
    Rows reported;
    for (const std::string& strLine : Lines(strRows, "\r\n")) {
        std::vector<std::string> cells;
        std::istringstream fields(strLine + ",");
        for (std::string strCell; std::getline(fields, strCell, ',');) {
            cells.push_back(strCell);
        }
        ASSERT_EQ(cells.size(), 13u) << strLine;
        reported.push_back(cells[1] + "|" + cells[3] + "|" + cells[4] + "|" + cells[5] + "|" + cells[6] +
                           "|" + cells[7] + "|" + cells[10]);
    }
    const Rows stored =
        Query("SELECT DATE_FORMAT(SFZDTM, '%Y-%m-%d'), " + Trimmed("SFZANT") + ", " + Trimmed("SFZANS") +
              ", " + Trimmed("SFZGEN") + ", " + Trimmed("SFZVPL") + ", " + Trimmed("SFZVTG") + ", " +
              Trimmed("SFZRST") + " FROM KVTTEST.ZTW332SFZ WHERE SFZPNR = 'RP1' ORDER BY SFZDTM");
    ASSERT_EQ(stored.size(), 366u);
    ASSERT_EQ(reported.size(), 367u);
    EXPECT_EQ(reported.front(), "Tag|Anteile kum.|Anspruch|genommen|geplant|Vortrag|Rest");
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), reported.begin() + 1));
    EXPECT_EQ(RunReport({"RP1", "--year", "2024"}).m_nExitCode, 0);

    // The shift of 5 March no longer reaches the threshold: 2.5 shares less, a quarter day less.
    m_raw.Exec("UPDATE KVTTEST.ZTW320TGB SET TGBMAX = 4 WHERE TGBPNR = 'RP1' AND TGBDTM = '2024-03-05'");
    const ProcessResult backdated = RunReport({"RP1", "--year", "2024", "--days"});
    EXPECT_EQ(backdated.m_nExitCode, 1);
    const std::string strStoredRest =
        m_raw
            .QueryText(("SELECT " + Trimmed("ROUND(SFZRST, 2)") +
                        " FROM KVTTEST.ZTW332SFZ WHERE SFZPNR = 'RP1' AND SFZDTM = '2024-03-05'")
                           .c_str())
            .GetString();
    const size_t nDay = backdated.m_strOut.find("\n2024-03-05 ");
    ASSERT_NE(nDay, std::string::npos) << backdated.m_strOut;
    const std::string strLine =
        backdated.m_strOut.substr(nDay + 1, backdated.m_strOut.find('\n', nDay + 1) - nDay - 1);
    EXPECT_EQ(strLine.substr(strLine.size() - strStoredRest.size() - 2), "  " + strStoredRest) << strLine;
    EXPECT_EQ(backdated.m_strOut.find("\n2024-03-04 ") < nDay, true);
    EXPECT_NE(backdated.m_strOut.find("Gespeicherte Ergebnisse weichen ab ab 05.03.2024"), std::string::npos);
}

TEST_F(ReportRunTest, TheChartRendersWithOnePointPerDay) {
    AddPerson("1", "RP1");
    const std::string strSvg = m_dir.File("RP1.svg");
    // Nothing is stored yet: the chart is written, and the exit code says that the results differ.
    const ProcessResult result = RunReport({"RP1", "--year", "2024", "--svg", strSvg});
    ASSERT_EQ(result.m_nExitCode, 1) << result.m_strErr;

    const std::string strChart = ReadBytes(strSvg);
    for (const char* pszLine : {"<polyline id=\"rest\"", "<polyline id=\"anspruch\""}) {
        const size_t nPoints = strChart.find("points=\"", strChart.find(pszLine)) + 8;
        const std::string strPoints = strChart.substr(nPoints, strChart.find('"', nPoints) - nPoints);
        EXPECT_EQ(std::count(strPoints.begin(), strPoints.end(), ','), 366) << pszLine;
    }
    const std::string strPng = m_dir.File("RP1.png");
    const ProcessResult rendered = RunProcess({"/usr/bin/rsvg-convert", strSvg, "-o", strPng});
    EXPECT_EQ(rendered.m_nExitCode, 0) << rendered.m_strErr;
    EXPECT_EQ(ReadBytes(strPng).substr(0, 4), "\x89PNG");
}

TEST_F(ReportRunTest, ACheckFindsAChangedShiftAndTheRequestItQueuesMakesKvtFixIt) {
    AddPerson("1", "RP1");
    AddPerson("2", "RP2");
    ASSERT_EQ(RunKvt({"PARM:1"}).m_nExitCode, 0);
    ASSERT_EQ(RunKvt({"PARM:2"}).m_nExitCode, 0);
    const ProcessResult current = RunReport({"--check", "--all", "--year", "2024"});
    EXPECT_EQ(current.m_nExitCode, 0) << current.m_strOut << current.m_strErr;
    EXPECT_EQ(current.m_strOut, "0 von 2 Personen mit abweichenden Ergebnissen\n");

    // The shift of 5 March no longer reaches the threshold: from that day on RP1 has 2.5 shares less.
    const char* pszShares = " FROM KVTTEST.ZTW332SFZ WHERE SFZPNR = 'RP1' AND SFZDTM = '2024-03-05'";
    const std::string strOld =
        m_raw.QueryText(("SELECT " + Trimmed("SFZANT") + pszShares).c_str()).GetString();
    const std::string strNew =
        m_raw.QueryText(("SELECT " + Trimmed("SFZANT - 2.5") + pszShares).c_str()).GetString();
    m_raw.Exec("UPDATE KVTTEST.ZTW320TGB SET TGBMAX = 4 WHERE TGBPNR = 'RP1' AND TGBDTM = '2024-03-05'");
    const Rows before = Everything();
    const ProcessResult stale = RunReport({"--check", "--all", "--year", "2024", "--csv"});
    EXPECT_EQ(stale.m_nExitCode, 1) << stale.m_strErr;
    const Rows lines = Lines(stale.m_strOut, "\r\n");
    ASSERT_GE(lines.size(), 2u) << stale.m_strOut;
    EXPECT_EQ(lines[0], "PNR,Jahr,Tag/Zeile,Abweichung,Spalte,gespeichert,neu");
    EXPECT_EQ(lines[1], "RP1,2024,2024-03-05,Werte weichen ab,SFZANT," + strOld + "," + strNew);
    EXPECT_EQ(stale.m_strOut.find("RP2"), std::string::npos);
    EXPECT_EQ(stale.m_strErr, "1 von 2 Personen mit abweichenden Ergebnissen\n");
    EXPECT_TRUE(Everything() == before) << "kvt-report changed stored rows";

    EXPECT_EQ(RunReport({"--check", "RP1", "RP2", "--year", "2024", "--queue"}).m_nExitCode, 1);
    EXPECT_EQ(Query("SELECT LEFT(PRMNUM, 1), PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMPNR, PRMDTM, PRMFCD, PRMERF "
                    "FROM ZTWBASIS.ZTW002PRM"),
              Rows{"R|1|5|KVTTEST|PLANER|RP1|2024-12-31|SF|kvt-report"});
    ASSERT_TRUE(StartPolling());
    ASSERT_TRUE(WaitForEmptyQueue(30000));
    m_polling.Signal(SIGTERM);
    EXPECT_EQ(m_polling.Wait(5000), 0);
    EXPECT_EQ(RunReport({"--check", "--all", "--year", "2024"}).m_nExitCode, 0);
}

// Right after kvt processed the requests of persons on calendar and fiscal years, dated in a year
// or in 1900, the check of what is stored finds nothing. A free day of the year before the current
// one changed afterwards is found without naming a year, and the request queued for it makes the
// check quiet again.
TEST_F(ReportRunTest, AfterKvtProcessedEveryRequestTheCheckOfTheStoredYearsExitsZero) {
    const int nYear = m_raw.QueryInt("SELECT YEAR(CURDATE())");
    const std::string strLastYear = "DATE '" + std::to_string(nYear - 1) + "-06-30'";
    AddRecentPerson("RP1", "R1", "DATE '1900-01-01'");
    AddRecentPerson("RP2", "R1", strLastYear);
    AddRecentPerson("RP3", "RF", "DATE '1900-01-01'");
    AddRecentPerson("RP4", "RF", strLastYear);
    ASSERT_TRUE(StartPolling());
    ASSERT_TRUE(WaitForEmptyQueue(30000));
    m_polling.Signal(SIGTERM);
    EXPECT_EQ(m_polling.Wait(5000), 0);
    const ProcessResult quiet = RunReport({"--check", "--all"});
    EXPECT_EQ(quiet.m_nExitCode, 0) << quiet.m_strOut << quiet.m_strErr;
    EXPECT_EQ(quiet.m_strOut, "0 von 4 Personen mit abweichenden Ergebnissen\n");

    const std::string strYear = std::to_string(nYear - 1);
    m_raw.Exec(("UPDATE KVTTEST.ZTW327TAG SET TAGTGB = NULL, TAGHTN = 'X' WHERE TAGPNR = 'RP2' AND TAGTAG = "
                "MAKEDATE(" +
                strYear + ", 170)")
                   .c_str());
    const ProcessResult stale = RunReport({"--check", "--all", "--csv", "--queue"});
    EXPECT_EQ(stale.m_nExitCode, 1) << stale.m_strErr;
    const Rows lines = Lines(stale.m_strOut, "\r\n");
    ASSERT_GE(lines.size(), 2u) << stale.m_strOut;
    const std::string strFirst = "RP2," + strYear + "," + strYear + "-01-01,Werte weichen ab,SFZVPL,";
    EXPECT_EQ(lines[1].substr(0, strFirst.size()), strFirst);
    EXPECT_EQ(Query("SELECT PRMPNR, PRMDTM FROM ZTWBASIS.ZTW002PRM"), Rows{"RP2|" + strYear + "-12-31"});
    const std::string strNumber = m_raw.QueryText("SELECT PRMNUM FROM ZTWBASIS.ZTW002PRM").GetString();
    ASSERT_EQ(RunKvt({"PARM:" + strNumber}).m_nExitCode, 0);
    EXPECT_EQ(RunReport({"--check", "--all"}).m_nExitCode, 0);
}

TEST_F(ReportRunTest, UsageAndConnectionFailuresHaveTheirExitCodes) {
    const ProcessResult usage = RunReport({"--all"});
    EXPECT_EQ(usage.m_nExitCode, 2);
    EXPECT_EQ(usage.m_strErr, "kvt-report: --all gilt nur mit --check.\n");
    // A personnel number typed in the terminal's UTF-8 is the Windows-1252 one of the database; one
    // that is neither a person nor in a contract row is an error.
    Queue("1",
          "P\xC4"
          "1");
    const ProcessResult typed =
        RunReport({"P\xC3\x84"
                   "1",
                   "--year", "2024"});
    EXPECT_NE(typed.m_strOut.find("Schichtfreizeit Personalnummer P\xC3\x84"
                                  "1: Abrechnungsjahr"),
              std::string::npos)
        << typed.m_strOut << typed.m_strErr;
    const ProcessResult unknown = RunReport({"XX1", "--year", "2024"});
    EXPECT_EQ(unknown.m_nExitCode, 4);
    EXPECT_EQ(unknown.m_strErr,
              "kvt-report: Personalnummer XX1 ist unbekannt: nicht in ZTW300PNR und ohne Vertragszeile\n");
    WriteConfig("MYSQL", "falsch");
    const ProcessResult connection = RunReport({"RP1"});
    EXPECT_EQ(connection.m_nExitCode, 3);
    EXPECT_NE(connection.m_strErr.find("SqlCode: 1045"), std::string::npos) << connection.m_strErr;
    // A configuration that kvt would not start with names its cause, as kvt does, without a login.
    WriteConfigFile(ConfigPath(), {"mysql", CTestDatabase::DSN_MYSQL, CTestDatabase::LOGIN,
                                   CTestDatabase::PASSWORD, "KVTTEST"});
    const ProcessResult configuration = RunReport({"RP1"});
    EXPECT_EQ(configuration.m_nExitCode, 2);
    EXPECT_EQ(configuration.m_strErr, "kvt-report: Konfigurationsdatei " + ConfigPath() +
                                          ": DB_SYSTEM ist \"mysql\", erlaubt sind ORACLE, MSSQL und MYSQL (in "
                                          "Grossbuchstaben)\n");
    ProcessSpec version;
    version.m_args = {KVT_REPORT_BINARY, "--version"};
    const ProcessResult printed = RunProcess(version);
    EXPECT_EQ(printed.m_nExitCode, 0);
    EXPECT_EQ(printed.m_strOut, "kvt-report " KVT_VERSION "\n");
}

}  // namespace
