// Any number of programs may serve the same schema and user: each claims the request it works on,
// and the others pass over it. Four of them on one queue, with many requests for each person so
// that two of them often calculate the same person at once: every request is closed exactly once
// and every person's rows are those of a calculation of its own.
#include <signal.h>

#include <array>
#include <memory>

#include "tests/e2e/FaultRunTest.h"

namespace {

const int kWorkers = 4;
const int kPersons = 50;
const int kRequests = 2000;

class WorkersTest : public FaultRunTest {
protected:
    // Person Wnn has a contract for January 2024 and nn carry-over days from 2023.
    void QueuePersonsAndRequests() {
        m_raw.Exec(
            "INSERT INTO KVTTEST.ZTW300PNR (PNRNUM) SELECT CONCAT('W', LPAD(seq, 2, '0')) FROM seq_0_to_49");
        m_raw.Exec(
            "INSERT INTO KVTTEST.ZTW310BSV (BSVPNR, BSVGVO, BSVGBI, BSVKVT) SELECT CONCAT('W', LPAD(seq, 2, "
            "'0')), '2024-01-01', '2024-01-31', 'R1' FROM seq_0_to_49");
        m_raw.Exec(
            "INSERT INTO KVTTEST.ZTW332SFV (SFVPNR, SFVJHR, SFVMAN, SFVVTG, SFVVAN, SFVZUS) SELECT CONCAT('W', "
            "LPAD(seq, 2, '0')), 2024, 0, seq, 0, 0 FROM seq_0_to_49");
        m_raw.Exec(
            "INSERT INTO ZTWBASIS.ZTW002PRM (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMPNR, PRMDTM, PRMUHR, "
            "PRMFCD, PRMERF) SELECT CONCAT('W', LPAD(seq, 4, '0')), 1, 5, 'KVTTEST', 'planer', CONCAT('W', "
            "LPAD(seq % 50, 2, '0')), '2024-01-31', '2024-01-31 07:45:00', 'SF', 'Planer' FROM seq_1_to_2000");
    }

    // Rule R1 (10 shares a day, part days in steps of 5, carry-over until March): n carry-over days
    // give n + (n mod 10 - n mod 5) / 10 usable days, and with no shares that is the rest of every
    // day of January and the carry-over into 2025, with n mod 5 shares left.
    static double UsableDays(int n) { return n + static_cast<double>(n % 10 - n % 5) / 10.0; }

    std::array<std::unique_ptr<CChildProcess>, kWorkers> m_workers;
};

TEST_F(WorkersTest, FourProgramsOnOneQueueCloseEveryRequestOnceAndCalculateEveryPersonRight) {
    QueuePersonsAndRequests();
    for (int i = 0; i < kWorkers; ++i) {
        m_workers[i] = std::make_unique<CChildProcess>();
        ASSERT_TRUE(m_workers[i]->Start(KvtArgs(), WorkDir(), m_dir.File("worker" + std::to_string(i) + ".out")));
    }
    const bool bEmptied = WaitForEmptyQueue(240000);
    for (const std::unique_ptr<CChildProcess>& pWorker : m_workers) {
        pWorker->Signal(SIGTERM);
    }
    for (const std::unique_ptr<CChildProcess>& pWorker : m_workers) {
        EXPECT_EQ(pWorker->Wait(30000), 0);
    }
    ASSERT_TRUE(bEmptied);

    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR"), kRequests);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(DISTINCT ERRPRM) FROM ZTWBASIS.ZTW002ERR"), kRequests);
    for (int n = 0; n < kPersons; ++n) {
        const std::string strPnr = (n < 10 ? "W0" : "W") + std::to_string(n);
        SCOPED_TRACE(strPnr);
        const std::string strDays = std::to_string(UsableDays(n));
        EXPECT_EQ(m_raw.QueryInt(("SELECT COUNT(*) FROM KVTTEST.ZTW332SFZ WHERE SFZPNR = '" + strPnr +
                                  "' AND SFZVTG = " + strDays + " AND SFZRST = " + strDays + " AND SFZANT = 0")
                                     .c_str()),
                  31);
        EXPECT_EQ(m_raw.QueryInt(("SELECT COUNT(*) FROM KVTTEST.ZTW332SFZ WHERE SFZPNR = '" + strPnr + "'").c_str()),
                  31);
        EXPECT_EQ(m_raw.QueryInt(("SELECT COUNT(*) FROM KVTTEST.ZTW332SFV WHERE SFVPNR = '" + strPnr +
                                  "' AND SFVJHR = 2025 AND SFVVTG = " + strDays +
                                  " AND SFVVAN = " + std::to_string(n % 5))
                                     .c_str()),
                  1);
    }
}

}  // namespace
