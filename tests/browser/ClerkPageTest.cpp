// The clerk's page in a real browser: headless Chromium (Debian's chromium) loads the page that
// kvt-report writes, its document holds the monthly table with one row per month, and the browser
// takes a screenshot of it and prints it as a PDF. Not run in the sanitizer build.
#include "tests/e2e/KvtRunTest.h"

namespace {

class ClerkPageTest : public KvtRunTest {
protected:
    // Chromium headless as root, in a profile of its own, reaching for nothing on the network.
    ProcessResult Browse(const std::vector<std::string>& extra, const std::string& strPage) const {
        std::vector<std::string> args = {"/usr/bin/chromium",
                                         "--headless",
                                         "--no-sandbox",
                                         "--disable-gpu",
                                         "--disable-quic",
                                         "--no-first-run",
                                         "--disable-background-networking",
                                         "--disable-component-update",
                                         "--disable-sync",
                                         "--user-data-dir=" + m_profile.Path().string()};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back("file://" + strPage);
        return RunProcess(args);
    }

    TempDir m_profile;
};

TEST_F(ClerkPageTest, ThePageLoadsPrintsAndHasARowForEachMonth) {
    Queue("1", "RP1");
    m_raw.Exec(
        "INSERT INTO KVTTEST.ZTW332SFV (SFVPNR, SFVJHR, SFVMAN, SFVVTG, SFVVAN, SFVZUS, SFVSTA) "
        "VALUES ('RP1', 2024, 0, 2, 3, 4, 1)");
    ASSERT_EQ(RunKvt({"PARM:1"}).m_nExitCode, 0);
    const std::string strPage = m_dir.File("RP1.html");
    ProcessSpec report;
    report.m_args = {KVT_REPORT_BINARY, ConfigPath(), "USER:kvttest#planer", "RP1", "--year", "2024",
                     "--html",          strPage};
    report.m_strWorkDir = WorkDir();
    const ProcessResult written = RunProcess(report);
    ASSERT_EQ(written.m_nExitCode, 0) << written.m_strErr;
    const std::string strHtml = ReadBytes(strPage);
    for (const char* pszReference : {"src=", "href=", "url(", "@import"}) {
        EXPECT_EQ(strHtml.find(pszReference), std::string::npos) << "an outside resource: " << pszReference;
    }

    const ProcessResult dom = Browse({"--dump-dom"}, strPage);
    ASSERT_EQ(dom.m_nExitCode, 0) << dom.m_strErr;
    const std::string strMonth = "<tr class=\"monat\">";
    size_t nMonths = 0;
    for (size_t n = dom.m_strOut.find(strMonth); n != std::string::npos;
         n = dom.m_strOut.find(strMonth, n + 1)) {
        ++nMonths;
    }
    EXPECT_EQ(nMonths, 12u);
    EXPECT_NE(dom.m_strOut.find("Schichtfreizeit Personalnummer RP1"), std::string::npos);

    const std::string strPng = m_dir.File("RP1.png");
    const std::string strPdf = m_dir.File("RP1.pdf");
    EXPECT_EQ(Browse({"--window-size=1240,1754", "--screenshot=" + strPng}, strPage).m_nExitCode, 0);
    EXPECT_EQ(Browse({"--no-pdf-header-footer", "--print-to-pdf=" + strPdf}, strPage).m_nExitCode, 0);
    EXPECT_EQ(ReadBytes(strPng).substr(0, 4), "\x89PNG");
    EXPECT_EQ(ReadBytes(strPdf).substr(0, 5), "%PDF-");
}

}  // namespace
