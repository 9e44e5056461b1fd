#include "tests/support/WorkerLoad.h"

#include <gtest/gtest.h>

#include <string>

void LoadWorkerPersons(CTestDatabase& db) {
    db.Exec("INSERT INTO KVTTEST.ZTW300PNR (PNRNUM) SELECT CONCAT('W', LPAD(seq, 3, '0')) FROM seq_0_to_499");
    db.Exec(
        "INSERT INTO KVTTEST.ZTW310BSV (BSVPNR, BSVGVO, BSVGBI, BSVKVT) SELECT CONCAT('W', LPAD(seq, 3, "
        "'0')), '2024-01-01', '2024-01-31', 'R1' FROM seq_0_to_499");
    db.Exec(
        "INSERT INTO KVTTEST.ZTW332SFV (SFVPNR, SFVJHR, SFVMAN, SFVVTG, SFVVAN, SFVZUS) SELECT CONCAT('W', "
        "LPAD(seq, 3, '0')), 2024, 0, seq % 50, 0, 0 FROM seq_0_to_499");
}

void QueueTwoEach(CTestDatabase& db, int nFirst) {
    const std::string strFirst = std::to_string(nFirst);
    db.Exec(("INSERT INTO ZTWBASIS.ZTW002PRM (PRMNUM, PRMLFD, PRMTYP, PRMSCH, PRMUSR, PRMPNR, PRMDTM, PRMUHR, "
             "PRMFCD, PRMERF) SELECT CONCAT('W', LPAD(" + strFirst + " + seq, 4, '0')), 1, 5, 'KVTTEST', "
             "'planer', CONCAT('W', LPAD(seq % 500, 3, '0')), '2024-01-31', '2024-01-31 07:45:00', 'SF', "
             "'Planer' FROM seq_0_to_999")
                .c_str());
}

void ExpectClosedOnce(CTestDatabase& db, long nRequests) {
    EXPECT_EQ(db.QueryInt("SELECT COUNT(*) FROM ZTWBASIS.ZTW002ERR"), nRequests);
    EXPECT_EQ(db.QueryInt("SELECT COUNT(DISTINCT ERRPRM) FROM ZTWBASIS.ZTW002ERR"), nRequests);
}

// Rule R1 (10 shares a day, part days in steps of 5, carry-over until March): n carry-over days
// give n + (n mod 10 - n mod 5) / 10 usable days, and with no shares that is the rest of every
// day of January and the carry-over into 2025, with n mod 5 shares left.
void ExpectRowsOfFinalInputs(CTestDatabase& db) {
    EXPECT_EQ(db.QueryInt("SELECT COUNT(*) FROM KVTTEST.ZTW332SFZ"), kWorkerPersons * 31);
    EXPECT_EQ(db.QueryInt("SELECT COUNT(*) FROM KVTTEST.ZTW332SFZ JOIN KVTTEST.ZTW332SFV ON SFVPNR = SFZPNR AND "
                          "SFVJHR = 2024 WHERE SFZVTG = SFVVTG + (MOD(SFVVTG, 10) - MOD(SFVVTG, 5)) / 10 AND "
                          "SFZRST = SFZVTG AND SFZANT = 0"),
              kWorkerPersons * 31);
    EXPECT_EQ(db.QueryInt("SELECT COUNT(*) FROM KVTTEST.ZTW332SFV NEXT JOIN KVTTEST.ZTW332SFV LAST ON "
                          "LAST.SFVPNR = NEXT.SFVPNR AND LAST.SFVJHR = 2024 WHERE NEXT.SFVJHR = 2025 AND "
                          "NEXT.SFVVTG = LAST.SFVVTG + (MOD(LAST.SFVVTG, 10) - MOD(LAST.SFVVTG, 5)) / 10 AND "
                          "NEXT.SFVVAN = MOD(LAST.SFVVTG, 5)"),
              kWorkerPersons);
}
