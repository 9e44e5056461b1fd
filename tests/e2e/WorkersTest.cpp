// Any number of programs may serve the same schema and user: each claims the request it works on,
// and the others pass over it. Four of them on one queue, four requests for each of 500 persons,
// half of them queued after every person's carry-over has changed while the programs work: every
// request is closed exactly once, and every person's rows are those of a calculation of the final
// inputs, however the requests of a person were shared out and joined.
#include <signal.h>

#include <array>
#include <memory>

#include "tests/e2e/FaultRunTest.h"

namespace {

const int kWorkers = 4;
const int kPersons = 500;
const int kRequests = 2000;

class WorkersTest : public FaultRunTest {
protected:
    // Person Wnnn has a contract for January 2024 and nnn mod 50 carry-over days from 2023.
    void LoadPersons() {
        m_raw.Exec("INSERT INTO KVTTEST.ZTW300PNR (PNRNUM) SELECT CONCAT('W', LPAD(seq, 3, '0')) FROM seq_0_to_499");
        m_raw.Exec(
            "INSERT INTO KVTTEST.ZTW310BSV (BSVPNR, BSVGVO, BSVGBI, BSVKVT) SELECT CONCAT('W', LPAD(seq, 3, "
            "'0')), '2024-01-01', '2024-01-31', 'R1' FROM seq_0_to_499");
        m_raw.Exec(
            "INSERT INTO KVTTEST.ZTW332SFV (SFVPNR, SFVJHR, SFVMAN, SFVVTG, SFVVAN, SFVZUS) SELECT CONCAT('W', "
            "LPAD(seq, 3, '0')), 2024, 0, seq % 50, 0, 0 FROM seq_0_to_499");
    }

    // Two requests for each person, numbered from nFirst on.
    void QueueTwoEach(int nFirst) {
        const std::string strFirst = std::to_string(nFirst);
        m_raw.Exec(("INSERT INTO ZTWBASIS.ZTW002PRM (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMPNR, PRMDTM, "
                    "PRMUHR, PRMFCD, PRMERF) SELECT CONCAT('W', LPAD(" + strFirst + " + seq, 4, '0')), 1, 5, "
                    "'KVTTEST', 'planer', CONCAT('W', LPAD(seq % 500, 3, '0')), '2024-01-31', "
                    "'2024-01-31 07:45:00', 'SF', 'Planer' FROM seq_0_to_999")
                       .c_str());
    }

    std::array<std::unique_ptr<CChildProcess>, kWorkers> m_workers;
};

TEST_F(WorkersTest, FourProgramsOnOneQueueCloseEveryRequestOnceAndStoreTheFinalInputs) {
    LoadPersons();
    QueueTwoEach(0);
    for (int i = 0; i < kWorkers; ++i) {
        m_workers[i] = std::make_unique<CChildProcess>();
        ASSERT_TRUE(m_workers[i]->Start(KvtArgs(), WorkDir(), m_dir.File("worker" + std::to_string(i) + ".out")));
    }
    m_raw.Exec("UPDATE KVTTEST.ZTW332SFV SET SFVVTG = SFVVTG + 1 WHERE SFVJHR = 2024");
    QueueTwoEach(1000);
    const bool bEmptied = WaitForEmptyQueue(240000);
    for (const std::unique_ptr<CChildProcess>& pWorker : m_workers) {
        pWorker->Signal(SIGTERM);
    }
    for (int i = 0; i < kWorkers; ++i) {
        EXPECT_EQ(m_workers[i]->Wait(30000), 0) << ReadBytes(m_dir.File("worker" + std::to_string(i) + ".out"));
    }
    ASSERT_TRUE(bEmptied);

    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR"), kRequests);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(DISTINCT ERRPRM) FROM ZTWBASIS.ZTW002ERR"), kRequests);
    // Rule R1 (10 shares a day, part days in steps of 5, carry-over until March): n carry-over days
    // give n + (n mod 10 - n mod 5) / 10 usable days, and with no shares that is the rest of every
    // day of January and the carry-over into 2025, with n mod 5 shares left.
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM KVTTEST.ZTW332SFZ"), kPersons * 31);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM KVTTEST.ZTW332SFZ JOIN KVTTEST.ZTW332SFV ON SFVPNR = SFZPNR AND "
                             "SFVJHR = 2024 WHERE SFZVTG = SFVVTG + (MOD(SFVVTG, 10) - MOD(SFVVTG, 5)) / 10 AND "
                             "SFZRST = SFZVTG AND SFZANT = 0"),
              kPersons * 31);
    EXPECT_EQ(m_raw.QueryInt("SELECT COUNT(*) FROM KVTTEST.ZTW332SFV NEXT JOIN KVTTEST.ZTW332SFV LAST ON "
                             "LAST.SFVPNR = NEXT.SFVPNR AND LAST.SFVJHR = 2024 WHERE NEXT.SFVJHR = 2025 AND "
                             "NEXT.SFVVTG = LAST.SFVVTG + (MOD(LAST.SFVVTG, 10) - MOD(LAST.SFVVTG, 5)) / 10 AND "
                             "NEXT.SFVVAN = MOD(LAST.SFVVTG, 5)"),
              kPersons);
}

}  // namespace
