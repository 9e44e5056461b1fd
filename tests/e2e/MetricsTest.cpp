// The metrics file for the node exporter's textfile collector: written while kvt runs and at its
// stop, in a form that Prometheus's own checker accepts, with what the run did.
#include <signal.h>
#include <unistd.h>

#include <filesystem>

#include "tests/e2e/KvtRunTest.h"

namespace {

// The value of a sample line that begins with strSample.
std::string SampleValue(const std::string& strText, const std::string& strSample) {
    const size_t nAt = strText.find("\n" + strSample + " ");
    if (nAt == std::string::npos) {
        return "(fehlt)";
    }
    const size_t nValue = nAt + strSample.size() + 2;
    return strText.substr(nValue, strText.find('\n', nValue) - nValue);
}

TEST_F(KvtRunTest, MetricsAreWrittenForTheTextfileCollectorAndPassItsCheck) {
    const std::string strDir = m_dir.File("metrics");
    std::filesystem::create_directory(strDir);
    for (const char* pszNumber : {"1", "2", "3"}) {
        Queue(pszNumber, std::string("P") + pszNumber);
    }
    m_raw.Exec("UPDATE ZTWBASIS.ZTW002PRM SET PRMPNR = 'ZULANGE123' WHERE PRMNUM = '3'");
    std::vector<std::string> args = {"/usr/bin/env", "KVT_METRICS_DIR=" + strDir};
    for (const std::string& strArg : KvtArgs()) {
        args.push_back(strArg);
    }
    ASSERT_TRUE(m_polling.Start(args, WorkDir(), m_dir.File("polling.out")));
    const std::string strFile = strDir + "/kvt_KVTTEST_PLANER.prom";
    bool bWritten = false;
    for (int nWaited = 0; nWaited < 5000 && !bWritten; nWaited += 50) {
        bWritten = std::filesystem::exists(strFile);
        usleep(50000);
    }
    EXPECT_TRUE(bWritten) << "no file while kvt runs";
    EXPECT_TRUE(WaitForEmptyQueue(10000));
    m_polling.Signal(SIGTERM);
    EXPECT_EQ(m_polling.Wait(5000), 0);

    const std::string strText = "\n" + ReadBytes(strFile);
    const std::string strLabels = "{schema=\"KVTTEST\",user=\"PLANER\"";
    EXPECT_EQ(SampleValue(strText, "kvt_up" + strLabels + "}"), "0");
    EXPECT_EQ(SampleValue(strText, "kvt_requests_calculated_total" + strLabels + "}"), "2");
    EXPECT_EQ(SampleValue(strText, "kvt_requests_faulty_total" + strLabels + "}"), "1");
    EXPECT_EQ(SampleValue(strText, "kvt_calculation_duration_seconds_count" + strLabels + "}"), "2");
    EXPECT_EQ(SampleValue(strText, "kvt_requests_left_queued_total" + strLabels + ",kind=\"passing\"}"), "0");
    EXPECT_NE(SampleValue(strText, "kvt_last_calculated_timestamp_seconds" + strLabels + "}"), "0");
    EXPECT_FALSE(std::filesystem::exists(strFile + ".tmp"));

    const ProcessResult checked = RunProcess({"/bin/sh", "-c", "promtool check metrics < '" + strFile + "'"});
    EXPECT_EQ(checked.m_nExitCode, 0) << checked.m_strOut << checked.m_strErr;
}

}  // namespace
